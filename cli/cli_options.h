#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "input_list_file.h"
#include "lumapress/settings.h"

namespace lumapress {

// Exit statuses of lumapress-cli.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitRunStopped = 1;
inline constexpr int kExitUsage = 2;

struct CliOptions {
  ConversionSettings settings;
  // The images in the order given: paths on the command line and the entries of each
  // --inputs-from list, where the list was named.
  std::vector<InputEntry> inputs;
  bool createFolder = false;  // --yes: answer the folder question with Yes
  bool quiet = false;
  bool verbose = false;
};

// The result of reading the command line and the input lists it names: options to run with, or
// an exit status (help and --version exit with 0 after printing; usage errors, a list that
// cannot be read among them, with 2 after a message on stderr). A list named "-" is read from
// `standardInput`.
struct ParsedCommandLine {
  std::optional<CliOptions> options;
  int exitStatus = kExitSuccess;
};

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv, std::FILE* standardInput = stdin);

// The library's checks of the settings, before a run: the message of the first that fails,
// led by the option it is about.
std::optional<std::string> CheckOptions(const CliOptions& options);

}  // namespace lumapress
