#include "cli_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>

#include "lumapress/version.h"

namespace lumapress {
namespace {

unsigned DefaultJobs() {
  const unsigned cores = std::thread::hardware_concurrency();
  return std::clamp(cores, kMinJobs, kMaxJobs);
}

// "low-high" as the help shows a range.
std::string RangeText(double low, double high) {
  char text[64];
  std::snprintf(text, sizeof text, "%g-%g", low, high);
  return text;
}

// The option a settings status is about, for the message.
const char* OptionOf(Status status) {
  switch (status) {
    case Status::kDelayOutOfRange: return "-d/--delay";
    case Status::kQualityOutOfRange: return "-q/--quality";
    case Status::kFrameRateOutOfRange: return "-r/--fps";
    case Status::kJobsOutOfRange: return "-j/--jobs";
    case Status::kMaxPixelsOutOfRange: return "--max-pixels";
    case Status::kNoOutputFile:
    case Status::kNoOutputFolder: return "-o/--output";
    default: return nullptr;
  }
}

// CLI11 reads an empty value ("-q ''") as 0; for these options it is a usage error.
CLI::Validator NotEmpty() {
  return CLI::Validator([](std::string& value) { return value.empty() ? std::string("a value is needed") : std::string(); },
                        "", "NOT_EMPTY");
}

// The command line's paths and lists' entries in the order the user gave them. CLI11 keeps
// each option's values apart but records the order in which every value was parsed.
std::optional<std::vector<InputEntry>> GatherInputs(const CLI::App& app, const CLI::Option* pathsOption,
                                                    const std::vector<std::string>& paths,
                                                    const CLI::Option* listsOption,
                                                    const std::vector<std::string>& lists,
                                                    std::FILE* standardInput) {
  std::vector<InputEntry> inputs;
  size_t nextPath = 0, nextList = 0;
  for (const CLI::Option* option : app.parse_order()) {
    if (option == pathsOption && nextPath < paths.size()) {
      inputs.push_back({paths[nextPath++], {}, 0});
    } else if (option == listsOption && nextList < lists.size()) {
      const std::string& list = lists[nextList++];
      auto entries = ReadInputList(list, standardInput);
      if (!entries) {
        std::cerr << CannotReadListMessage(list) << '\n';
        return std::nullopt;
      }
      inputs.insert(inputs.end(), std::make_move_iterator(entries->begin()),
                    std::make_move_iterator(entries->end()));
    }
  }
  return inputs;
}

}  // namespace

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv, std::FILE* standardInput) {
  CliOptions options;
  options.settings.jobs = DefaultJobs();
  long long jobs = options.settings.jobs;
  std::vector<std::string> paths;
  std::vector<std::string> lists;

  CLI::App app{"Converts PNG images into a Flash movie (SWF 6), or one movie per image.",
               "lumapress-cli"};
  const CLI::Option* pathsOption =
      app.add_option("inputs", paths, "PNG images, in display order")->type_name("INPUT.png");
  const CLI::Option* listsOption =
      app.add_option("--inputs-from", lists,
                     "Also the images listed in FILE, one path per line (- reads standard input)")
          ->type_name("FILE")
          ->allow_extra_args(false);
  app.add_option("-o,--output", options.settings.outputPath,
                 "Movie file, or the output folder with --batch");
  app.add_flag("-b,--batch", options.settings.batchMode, "One movie per image, named after it");
  app.add_option("-d,--delay", options.settings.delaySeconds,
                 "Display time of each image in seconds, " + RangeText(kMinDelaySeconds, kMaxDelaySeconds))
      ->capture_default_str()
      ->check(NotEmpty());
  app.add_option("-q,--quality", options.settings.jpegQuality,
                 "0-99 stores JPEG of that quality, 100 stores losslessly")
      ->capture_default_str()
      ->check(NotEmpty());
  app.add_flag("--smallest", options.settings.smallest,
               "Compress lossless images as small as possible, several times slower");
  app.add_option("-r,--fps", options.settings.framesPerSecond, "Frame rate, " + RangeText(kMinFramesPerSecond, kMaxFramesPerSecond))
      ->capture_default_str()
      ->check(NotEmpty());
  app.add_option("-c,--control-file", options.settings.controlFilePath,
                 "SWF that every movie loads at play time");
  app.add_flag("-y,--yes", options.createFolder, "Create a missing output folder without asking");
  app.add_option("-j,--jobs", jobs, "Images converted at once, " + RangeText(kMinJobs, kMaxJobs) + " (default: number of cores)")
      ->check(NotEmpty());
  app.add_option("--max-pixels", options.settings.maxPixels,
                 "Largest image converted, in pixels (width x height); larger ones stop the run")
      ->capture_default_str()
      ->check(NotEmpty());
  app.add_flag("--rename", options.settings.renameCollisions,
               "Batch mode: give images whose movies would share a name distinct ones (a.swf, a-2.swf, ...)");
  app.add_flag("--quiet", options.quiet, "No progress bar and no success message");
  app.add_flag("--verbose", options.verbose,
               "Print the writer's diagnostics and what each image became");
  app.set_version_flag("--version", std::string("lumapress-cli ") + Version());

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
  // Out-of-range counts stay out of range for the library's check to name.
  options.settings.jobs = static_cast<unsigned>(std::clamp<long long>(jobs, 0, kMaxJobs + 1));
  auto inputs = GatherInputs(app, pathsOption, paths, listsOption, lists, standardInput);
  if (!inputs) {
    result.exitStatus = kExitUsage;
    return result;
  }
  options.inputs = std::move(*inputs);
  result.options = std::move(options);
  return result;
}

std::optional<std::string> CheckOptions(const CliOptions& options) {
  const ConversionResult checked = CheckSettings(options.settings, options.inputs.size());
  if (checked.ok()) return std::nullopt;
  const char* option = OptionOf(checked.status);
  return option ? std::string(option) + ": " + checked.message : checked.message;
}

}  // namespace lumapress
