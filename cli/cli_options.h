#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lumapress/settings.h"

namespace lumapress {

// Exit statuses of lumapress-cli.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitRunStopped = 1;
inline constexpr int kExitUsage = 2;

struct CliOptions {
  ConversionSettings settings;
  std::vector<std::string> inputs;
  bool createFolder = false;  // --yes: answer the folder question with Yes
  bool quiet = false;
  bool verbose = false;
};

// The result of reading the command line: options to run with, or an exit status (help and
// --version exit with 0 after printing; usage errors with 2 after a message on stderr).
struct ParsedCommandLine {
  std::optional<CliOptions> options;
  int exitStatus = kExitSuccess;
};

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv);

// The library's checks of the settings, before a run: the message of the first that fails,
// led by the option it is about.
std::optional<std::string> CheckOptions(const CliOptions& options);

}  // namespace lumapress
