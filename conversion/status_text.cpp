#include <array>
#include <cstdio>
#include <string>
#include <utility>

#include "lumapress/settings.h"
#include "lumapress/status.h"

namespace lumapress {
namespace {

struct StatusEntry {
  Status status;
  std::string_view text;
};

// One text per status, in the order of the enumeration.
constexpr std::array kStatusTexts{
    StatusEntry{Status::kOk, "Conversion completed successfully."},
    StatusEntry{Status::kCancelled, "The conversion was cancelled."},
    StatusEntry{Status::kFolderDeclined, "The output folder was not created."},
    StatusEntry{Status::kDelayOutOfRange, "Please enter a number between %s and %s."},
    StatusEntry{Status::kQualityOutOfRange, "Please enter an integer between %s and %s."},
    StatusEntry{Status::kFrameRateOutOfRange, "Please enter a number between %s and %s."},
    StatusEntry{Status::kJobsOutOfRange, "Please enter a number of jobs between %s and %s."},
    StatusEntry{Status::kMaxPixelsOutOfRange, "Please enter a number of pixels between %s and %s."},
    StatusEntry{Status::kNoInputs, "Please add at least one input image first."},
    StatusEntry{Status::kNoOutputFile, "Please select an output file first."},
    StatusEntry{Status::kNoOutputFolder, "Please select an output folder first."},
    StatusEntry{Status::kTooManyFrames, "These settings make a movie of %s frames; a movie holds at most %s."},
    StatusEntry{Status::kOutputIsInput, "The movie %s would replace the input file %s!"},
    StatusEntry{Status::kOutputIsControlFile, "The movie %s would replace the control file %s!"},
    StatusEntry{Status::kOutputCollision, "The images %s and %s would both become the movie %s!"},
    StatusEntry{Status::kOutputNotAFile, "The output %s is not a regular file!"},
    StatusEntry{Status::kOutputNotAMovie, "The output %s exists and is not a movie!"},
    StatusEntry{Status::kCannotOpenInput, "Cannot open input file %s!"},
    StatusEntry{Status::kNotPngImage, "PNG reader initialisation failed."},
    StatusEntry{Status::kImageTooLarge, "Image %s is too large!"},
    StatusEntry{Status::kCannotDecode, "Cannot decode input file %s!"},
    StatusEntry{Status::kNoMemory, "Not enough memory to convert %s!"},
    StatusEntry{Status::kEncoderUnavailable, "The JPEG encoder could not be initialised."},
    StatusEntry{Status::kCannotEncode, "Cannot encode image %s!"},
    StatusEntry{Status::kCannotWriteOutput, "Cannot write output file %s!"},
    StatusEntry{Status::kControlPathTooLong, "The control file path is too long."},
    StatusEntry{Status::kMovieTooLarge, "The movie %s would be larger than a SWF file can be (%s bytes)!"},
    StatusEntry{Status::kStageOutOfRange, "Please enter a stage size as WIDTHxHEIGHT, each side from %s to %s pixels."},
    StatusEntry{Status::kUnknownFit, "Please choose a fit of none, contain or cover."},
    StatusEntry{Status::kBackgroundOutOfRange, "Please enter a background colour as six hexadecimal digits RRGGBB."},
    StatusEntry{Status::kFadeOutOfRange, "Please enter a fade time between %s and %s seconds."},
    StatusEntry{Status::kImageDelaysMismatch, "Display times were given for %s images, but there are %s."},
    StatusEntry{Status::kFadeInWithoutFade, "A fade-in needs a fade time above 0."},
    StatusEntry{Status::kSlideShowOnly, "Fades and stopping on the last image are for slide shows, not for batch mode."},
    StatusEntry{Status::kFadeTooLong, "The fade (%s s) is longer than the display time of image %s (%s s)."},
};

constexpr bool TableInEnumOrder() {
  for (size_t i = 0; i < kStatusTexts.size(); ++i) {
    if (static_cast<size_t>(kStatusTexts[i].status) != i) return false;
  }
  return true;
}
static_assert(TableInEnumOrder(), "one text per status, in the enumeration's order");

// A limit as a person writes it: 0.01, 100, 255.
std::string LimitText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// The range statuses name their range without being told.
std::pair<std::string, std::string> RangeOf(Status status) {
  switch (status) {
    case Status::kDelayOutOfRange: return {LimitText(kMinDelaySeconds), LimitText(kMaxDelaySeconds)};
    case Status::kQualityOutOfRange: return {LimitText(kMinJpegQuality), LimitText(kMaxJpegQuality)};
    case Status::kFrameRateOutOfRange:
      return {LimitText(kMinFramesPerSecond), LimitText(kMaxFramesPerSecond)};
    case Status::kJobsOutOfRange: return {LimitText(kMinJobs), LimitText(kMaxJobs)};
    case Status::kMaxPixelsOutOfRange: return {std::to_string(kMinMaxPixels), std::to_string(kMaxMaxPixels)};
    case Status::kStageOutOfRange: return {LimitText(kMinStageSide), LimitText(kMaxStageSide)};
    case Status::kFadeOutOfRange: return {LimitText(kMinFadeSeconds), LimitText(kMaxFadeSeconds)};
    default: return {};
  }
}

}  // namespace

std::string_view StatusText(Status status) {
  const auto index = static_cast<size_t>(status);
  return index < kStatusTexts.size() ? kStatusTexts[index].text : std::string_view("Unknown status.");
}

std::string StatusMessage(Status status, std::initializer_list<std::string_view> values) {
  const auto [low, high] = RangeOf(status);
  const std::initializer_list<std::string_view> range{low, high};
  const std::initializer_list<std::string_view>& fill = (values.size() == 0 && !low.empty()) ? range : values;

  const std::string_view text = StatusText(status);
  std::string message;
  message.reserve(text.size() + 64);
  auto next = fill.begin();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's') {
      if (next != fill.end()) message += *next++;
      ++i;
    } else {
      message += text[i];
    }
  }
  return message;
}

ConversionResult MakeResult(Status status, std::initializer_list<std::string_view> values) {
  return {status, StatusMessage(status, values)};
}

}  // namespace lumapress
