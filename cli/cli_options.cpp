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
    case Status::kStageOutOfRange: return "--stage";
    case Status::kUnknownFit: return "--fit";
    case Status::kBackgroundOutOfRange: return "--background";
    case Status::kFadeOutOfRange:
    case Status::kFadeTooLong: return "--fade";
    case Status::kFadeInWithoutFade: return "--fade-in";
    case Status::kSlideShowOnly: return "-b/--batch";
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

// The texts of --stage, --fit and --background, read by the library's parsers. Each is read
// only when given; a bad one gives its option and the library's text in `problem`.
struct SlideShowTexts {
  std::string stage;
  std::string fit;
  std::string background;

  bool Apply(const CLI::App& app, ConversionSettings& settings, std::string& problem) const {
    const auto fails = [&](const char* option, Status status) {
      if (status == Status::kOk) return false;
      problem = std::string(option) + ": " + MakeResult(status).message;
      return true;
    };
    if (app.count("--stage") > 0 &&
        fails("--stage", ParseStageSize(stage, settings.stageWidth, settings.stageHeight))) {
      return false;
    }
    if (app.count("--fit") > 0 && fails("--fit", ParseFit(fit, settings.fit))) return false;
    return !(app.count("--background") > 0 &&
             fails("--background", ParseBackgroundColor(background, settings.backgroundColor)));
  }
};

}  // namespace

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv, std::FILE* standardInput) {
  CliOptions options;
  options.settings.jobs = DefaultJobs();
  long long jobs = options.settings.jobs;
  std::vector<std::string> paths;
  std::vector<std::string> lists;
  SlideShowTexts texts;
  bool noLoop = false;

  CLI::App app{"Converts PNG images into a Flash movie (SWF 6), or one movie per image.",
               "lumapress-cli"};
  const CLI::Option* pathsOption =
      app.add_option("inputs", paths, "PNG images, in display order")->type_name("INPUT.png");
  const CLI::Option* listsOption =
      app.add_option("--inputs-from", lists,
                     "Also the images listed in FILE, one path per line, optionally followed by a tab and "
                     "the image's display time in seconds (- reads standard input)")
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
  app.add_option("--stage", texts.stage,
                 "Stage size WxH in pixels, " + RangeText(kMinStageSide, kMaxStageSide) +
                     " a side (default: the first image's size; in batch mode each image's)")
      ->type_name("WxH");
  app.add_option("--fit", texts.fit,
                 "How images meet the stage: none (own size, top-left), contain (whole, centred), "
                 "cover (stage filled, centred, overflow cut)")
      ->type_name("FIT")
      ->default_str(std::string(FitName(Fit::kNone)));
  app.add_option("--background", texts.background, "Background colour RRGGBB")
      ->type_name("RRGGBB")
      ->default_str(BackgroundColorText(options.settings.backgroundColor));
  app.add_option("--fade", options.settings.fadeSeconds,
                 "Cross-fade between images in seconds, at most the shorter display time of the two (0: a cut)")
      ->type_name("SECONDS")
      ->capture_default_str()
      ->check(NotEmpty());
  app.add_flag("--fade-in", options.settings.fadeIn, "Fade the first image in from the background too");
  app.add_flag("--no-loop", noLoop, "Stop on the last image instead of starting over");
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
  options.settings.loop = !noLoop;
  std::string problem;
  options.settings.imageDelays = EntryDisplayTimes(options.inputs, problem);
  if (problem.empty()) texts.Apply(app, options.settings, problem);
  if (!problem.empty()) {
    std::cerr << problem << '\n';
    result.exitStatus = kExitUsage;
    return result;
  }
  result.options = std::move(options);
  return result;
}

std::optional<std::string> CheckOptions(const CliOptions& options) {
  const ConversionResult checked = CheckSettings(options.settings, options.inputs.size());
  if (checked.ok()) return std::nullopt;
  // A display time from a list line is named by its list and line.
  if (checked.status == Status::kDelayOutOfRange && checked.inputIndex < options.inputs.size()) {
    return EntryLocation(options.inputs[checked.inputIndex]) + checked.message;
  }
  const char* option = OptionOf(checked.status);
  return option ? std::string(option) + ": " + checked.message : checked.message;
}

}  // namespace lumapress
