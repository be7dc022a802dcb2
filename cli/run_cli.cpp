#include "run_cli.h"

#include <unistd.h>

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli_options.h"
#include "platform/file_system.h"
#include "progress_bar.h"
#include "swf/diagnostics.h"
#include "terminal_user.h"

namespace lumapress {
namespace {

// Restores the previous diagnostics sink when the run is over.
class ScopedDiagnosticsSink {
 public:
  explicit ScopedDiagnosticsSink(DiagnosticsSink sink) : previous_(SetDiagnosticsSink(std::move(sink))) {}
  ~ScopedDiagnosticsSink() { SetDiagnosticsSink(std::move(previous_)); }
  ScopedDiagnosticsSink(const ScopedDiagnosticsSink&) = delete;
  ScopedDiagnosticsSink& operator=(const ScopedDiagnosticsSink&) = delete;

 private:
  DiagnosticsSink previous_;
};

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

}  // namespace

int RunCli(int argc, const char* const* argv) {
  ParsedCommandLine parsed = ParseCommandLine(argc, argv);
  if (!parsed.options) return parsed.exitStatus;
  const CliOptions& options = *parsed.options;
  if (const auto problem = CheckOptions(options)) {
    std::fprintf(stderr, "%s\n", problem->c_str());
    return kExitUsage;
  }

  // The writer's diagnostics reach stdout only when asked for.
  ScopedDiagnosticsSink sink(options.verbose ? DiagnosticsSink{} : DiagnosticsSink([](std::string_view) {}));
  ProgressBar bar(stderr, !options.quiet && isatty(STDERR_FILENO), options.inputs.size());
  TerminalUser user(stdin, stderr, isatty(STDIN_FILENO), options.createFolder, bar);
  std::vector<ConversionProgress> converted;
  const int status = RunConversion(options.settings, options.inputs, user,
                                   [&](const ConversionProgress& progress) {
                                     bar.Update(progress.imagesDone);
                                     if (options.verbose) converted.push_back(progress);
                                     return true;
                                   });
  bar.Clear();
  if (status != 0) return kExitRunStopped;
  if (options.verbose) PrintSummary(converted);
  if (!options.quiet) std::printf("Conversion completed successfully.\n");
  return kExitSuccess;
}

}  // namespace lumapress
