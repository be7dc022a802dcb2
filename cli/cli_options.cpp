#include "cli_options.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <thread>

namespace lumapress {
namespace {

// Ranges the dialog accepts for its fields.
constexpr float kMinDelay = 0.01f, kMaxDelay = 100.0f;
constexpr int32_t kMinQuality = 0, kMaxQuality = 100;
constexpr float kMinFps = 1.0f, kMaxFps = 1000.0f;

constexpr const char* kVersionText = "lumapress-cli " LUMAPRESS_VERSION;

unsigned DefaultJobs() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : cores;
}

}  // namespace

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv) {
  CliOptions options;
  options.settings.jobs = DefaultJobs();
  int jobs = static_cast<int>(options.settings.jobs);

  CLI::App app{"Converts PNG images into a Flash movie (SWF 6), or one movie per image.",
               "lumapress-cli"};
  app.add_option("inputs", options.inputs, "PNG images, in display order")->type_name("INPUT.png");
  app.add_option("-o,--output", options.settings.outputPath,
                 "Movie file, or the output folder with --batch");
  app.add_flag("-b,--batch", options.settings.batchMode, "One movie per image, named after it");
  app.add_option("-d,--delay", options.settings.delaySeconds,
                 "Display time of each image in seconds, 0.01-100")
      ->capture_default_str();
  app.add_option("-q,--quality", options.settings.jpegQuality,
                 "0-99 stores JPEG of that quality, 100 stores losslessly")
      ->capture_default_str();
  app.add_flag("--smallest", options.settings.smallest,
               "Compress lossless images as small as possible, several times slower");
  app.add_option("-r,--fps", options.settings.framesPerSecond, "Frame rate, 1-1000")
      ->capture_default_str();
  app.add_option("-c,--control-file", options.settings.controlFilePath,
                 "SWF that every movie loads at play time");
  app.add_flag("-y,--yes", options.createFolder, "Create a missing output folder without asking");
  app.add_option("-j,--jobs", jobs, "Images converted at once (default: number of cores)");
  app.add_flag("--quiet", options.quiet, "No progress bar and no success message");
  app.add_flag("--verbose", options.verbose,
               "Print the writer's diagnostics and what each image became");
  app.set_version_flag("--version", kVersionText);

  ParsedCommandLine result;
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& success) {
    result.exitStatus = app.exit(success);
    return result;
  } catch (const CLI::ParseError& error) {
    app.exit(error);
    result.exitStatus = kExitUsage;
    return result;
  }
  if (jobs < 1) {
    std::cerr << "--jobs must be at least 1.\n";
    result.exitStatus = kExitUsage;
    return result;
  }
  options.settings.jobs = static_cast<unsigned>(jobs);
  result.options = std::move(options);
  return result;
}

std::optional<std::string> CheckOptions(const CliOptions& options) {
  const ConversionSettings& s = options.settings;
  if (!(s.delaySeconds >= kMinDelay && s.delaySeconds <= kMaxDelay)) {
    return "Please enter a delay (-d/--delay) between 0.01 and 100 seconds.";
  }
  if (s.jpegQuality < kMinQuality || s.jpegQuality > kMaxQuality) {
    return "Please enter a quality (-q/--quality) between 0 and 100.";
  }
  if (!(s.framesPerSecond >= kMinFps && s.framesPerSecond <= kMaxFps)) {
    return "Please enter a frame rate (-r/--fps) between 1 and 1000.";
  }
  if (options.inputs.empty()) return "Please add at least one input image first.";
  if (s.outputPath.empty()) {
    return s.batchMode ? "Please select an output folder first." : "Please select an output file first.";
  }
  return std::nullopt;
}

}  // namespace lumapress
