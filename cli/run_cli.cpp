#include "run_cli.h"

#include <unistd.h>

#include <cstdio>
#include <map>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cli_options.h"
#include "lumapress/convert.h"
#include "platform/file_system.h"
#include "progress_bar.h"
#include "stop_signals.h"
#include "terminal_user.h"

namespace lumapress {
namespace {

struct MovieSummary {
  uint32_t frames = 0;
  size_t images = 0;
};

void PrintSummary(const std::vector<ConversionProgress>& images) {
  std::map<std::string, MovieSummary> movies;
  std::vector<std::string> order;
  for (const ConversionProgress& image : images) {
    std::printf("%s: %s, %u frames -> %s\n", image.inputPath.c_str(), image.bitmapForm.c_str(),
                image.frames, image.moviePath.c_str());
    auto [it, added] = movies.try_emplace(image.moviePath);
    if (added) order.push_back(image.moviePath);
    it->second.frames += image.frames;
    ++it->second.images;
  }
  for (const std::string& path : order) {
    const std::optional<uint64_t> size = FileSize(path);
    std::printf("%s: %zu image%s, %u frames, %llu bytes\n", path.c_str(), movies[path].images,
                movies[path].images == 1 ? "" : "s", movies[path].frames,
                static_cast<unsigned long long>(size.value_or(0)));
  }
}

// Each line of `text` led by the movie it is about.
void PrintDiagnostics(const std::string& moviePath, std::string_view text) {
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    if (!line.empty()) std::printf("%s: %.*s\n", moviePath.c_str(), static_cast<int>(line.size()), line.data());
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

int Convert(const CliOptions& options) {
  const StopSignals stopSignals;
  ProgressBar bar(stderr, !options.quiet && isatty(STDERR_FILENO), options.inputs.size());
  TerminalUser user(stdin, stderr, isatty(STDIN_FILENO), options.createFolder, bar, options.inputs);
  std::vector<ConversionProgress> converted;
  const std::vector<std::string> paths = EntryPaths(options.inputs);
  ConversionCallbacks callbacks;
  callbacks.progress = [&](const ConversionProgress& progress) {
    bar.Update(progress.imagesDone);
    if (options.verbose) converted.push_back(progress);
    return true;
  };
  callbacks.createFolder = [&](std::string_view question) { return user.AskYesNo(question); };
  callbacks.cancelRequested = [] { return StopSignals::StopRequested(); };
  if (options.verbose) {
    callbacks.diagnostics = [&](const std::string& moviePath, std::string_view text) {
      bar.Clear();
      PrintDiagnostics(moviePath, text);
    };
  }
  const ConversionResult result = RunConversion(options.settings, paths, callbacks);
  bar.Clear();
  if (!result.ok()) {
    // After a No to the folder question the question itself said what stopped the run.
    if (result.status != Status::kFolderDeclined) user.ShowInputMessage(result.message, result.inputIndex);
    if (const int signalled = StopSignals::ExitStatus(); signalled != 0) return signalled;
    return kExitRunStopped;
  }
  if (const int signalled = StopSignals::ExitStatus(); signalled != 0) return signalled;
  if (options.verbose) PrintSummary(converted);
  if (!options.quiet) std::printf("%s\n", result.message.c_str());
  return kExitSuccess;
}

}  // namespace

int RunCli(int argc, const char* const* argv) {
  try {
    ParsedCommandLine parsed = ParseCommandLine(argc, argv);
    if (!parsed.options) return parsed.exitStatus;
    if (const auto problem = CheckOptions(*parsed.options)) {
      std::fprintf(stderr, "%s\n", problem->c_str());
      return kExitUsage;
    }
    return Convert(*parsed.options);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "Not enough memory.\n");
    return kExitRunStopped;
  }
}

}  // namespace lumapress
