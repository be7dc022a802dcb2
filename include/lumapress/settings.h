#pragma once

// What one conversion turns into what, and the ranges the library accepts.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lumapress/export.h"
#include "lumapress/status.h"

namespace lumapress {

// Largest image (width x height) a run decodes unless told otherwise: 8192 x 8192. Converting
// one image takes up to about 16 bytes per pixel at once (its decoded rows, its bitmap tag and
// the movie writer's copy of it), so a job at this limit needs about 1.1 GB and two jobs fit
// a 4 GB machine with room left for the system.
inline constexpr uint64_t kDefaultMaxPixels = uint64_t{8192} * 8192;

// How an image is shown on a stage of another size.
enum class Fit : int {
  kNone,     // at its own size, at the stage's top-left corner (cut off, or leaving background)
  kContain,  // the whole image, scaled to fit the stage and centred; background around it
  kCover,    // scaled to fill the stage and centred; what overflows is cut away
};

struct ConversionSettings {
  std::string outputPath;         // movie file, or the output folder in batch mode
  std::string controlFilePath;    // SWF loaded by every movie at play time; empty for none
  float delaySeconds = 1.0f;      // display time of each image
  float framesPerSecond = 12.0f;  // movie frame rate; the header holds its whole part
  int32_t jpegQuality = 100;      // 0-99 JPEG of that quality, 100 lossless
  bool smallest = false;          // lossless data at the slowest, smallest compression
  bool batchMode = false;         // one movie per image, named after it
  unsigned jobs = 1;              // images converted at once; files are the same for any value
  uint64_t maxPixels = kDefaultMaxPixels;  // larger images are refused before decoding
  // Batch mode: images whose movies would share a name get distinct ones instead (a.swf,
  // a-2.swf, ... in list order) rather than stopping the run.
  bool renameCollisions = false;

  // The stage in pixels; both 0 take the first image's size (in batch mode each image's own).
  uint32_t stageWidth = 0;
  uint32_t stageHeight = 0;
  Fit fit = Fit::kNone;
  uint32_t backgroundColor = 0xFFFFFF;  // 0xRRGGBB, shown wherever no image is
  // Slide shows only. Each image from the second on fades in over the one before during its
  // first fadeSeconds (0: a cut); with fadeIn the first fades in from the background too.
  float fadeSeconds = 0.0f;
  bool fadeIn = false;
  bool loop = true;  // false: the movie stops on its last frame, showing the last image
  // Display time of each image, parallel to the input paths: empty, or one entry per input;
  // an entry without a value takes delaySeconds.
  std::vector<std::optional<float>> imageDelays;
};

// Accepted ranges, inclusive.
inline constexpr float kMinDelaySeconds = 0.01f;
inline constexpr float kMaxDelaySeconds = 100.0f;
inline constexpr int32_t kMinJpegQuality = 0;
inline constexpr int32_t kMaxJpegQuality = 100;  // 100 stores the images losslessly
inline constexpr float kMinFramesPerSecond = 1.0f;
// The header stores the rate's whole part in one byte.
inline constexpr float kMaxFramesPerSecond = 255.0f;
inline constexpr unsigned kMinJobs = 1;
// Each job may hold an image at the pixel limit (about 1.1 GB by default), so memory grows
// with the jobs; 16 of them already need a machine of 16 cores and 32 GB, past which a batch
// is limited by memory bandwidth and the disk rather than by cores.
inline constexpr unsigned kMaxJobs = 16;
inline constexpr uint64_t kMinMaxPixels = 1;
// A bitmap holds at most 65535 x 65535 pixels.
inline constexpr uint64_t kMaxMaxPixels = uint64_t{65535} * 65535;
// The header's FrameCount is 16 bits wide.
inline constexpr uint32_t kMaxMovieFrames = 65535;
// Flash Player shows neither a stage nor a bitmap larger than this a side.
inline constexpr uint32_t kMinStageSide = 1;
inline constexpr uint32_t kMaxStageSide = 8191;
inline constexpr uint32_t kMaxBackgroundColor = 0xFFFFFF;
// A fade lasts no longer than an image is shown.
inline constexpr float kMinFadeSeconds = 0.0f;
inline constexpr float kMaxFadeSeconds = kMaxDelaySeconds;

// The range checks, one setting each (NaN and infinities are out of every range):
// kOk or the setting's status, whose text names the range.
LUMAPRESS_API Status CheckDelay(float delaySeconds);
LUMAPRESS_API Status CheckJpegQuality(int32_t jpegQuality);
LUMAPRESS_API Status CheckFrameRate(float framesPerSecond);
LUMAPRESS_API Status CheckJobs(unsigned jobs);
LUMAPRESS_API Status CheckMaxPixels(uint64_t maxPixels);
// Both sides 0 (the first image's size), or both within kMinStageSide-kMaxStageSide.
LUMAPRESS_API Status CheckStageSize(uint32_t width, uint32_t height);
LUMAPRESS_API Status CheckFit(Fit fit);
LUMAPRESS_API Status CheckBackgroundColor(uint32_t rgb);
LUMAPRESS_API Status CheckFade(float fadeSeconds);

// Settings from the texts people type, for front ends: kOk with the value, or the setting's
// status (its text says what is accepted); surrounding blanks are allowed.
// "1280x720" (or "1280X720"); an empty text is the first image's size, 0 x 0.
LUMAPRESS_API Status ParseStageSize(std::string_view text, uint32_t& width, uint32_t& height);
// "none", "contain" or "cover".
LUMAPRESS_API Status ParseFit(std::string_view text, Fit& fit);
LUMAPRESS_API std::string_view FitName(Fit fit);
// Six hexadecimal digits RRGGBB, in either case, optionally after '#'.
LUMAPRESS_API Status ParseBackgroundColor(std::string_view text, uint32_t& rgb);
LUMAPRESS_API std::string BackgroundColorText(uint32_t rgb);  // "FFFFFF"
// A display time in seconds ("2.5"), within the range of CheckDelay.
LUMAPRESS_API Status ParseDisplayTime(std::string_view text, float& seconds);

// The display time of input `index`: its own, or delaySeconds.
LUMAPRESS_API float ImageDelay(const ConversionSettings& settings, size_t index);

// Every check of the settings a run makes before it touches a file, in this order: delay,
// quality, frame rate, jobs, pixel limit, stage, fit, background, fade, the images' own display
// times, at least one input, an output path, fades only in slide shows, each fade within the
// display times of the images it joins, and the frame count of each movie. A status about one
// image names it by its number and sets the result's inputIndex.
LUMAPRESS_API ConversionResult CheckSettings(const ConversionSettings& settings, size_t inputCount);

// ShowFrame tags that cover one image's display time at this rate (always at least one):
// a single-precision accumulator advanced in double precision, so 1 s at 12 fps gives 13.
// Settings outside the accepted ranges give 0.
LUMAPRESS_API uint32_t FramesForImage(float delaySeconds, float framesPerSecond);
// The frames of a fade, counted by the same rule; 0 for no fade. Never more than the frames
// of an image shown at least as long.
LUMAPRESS_API uint32_t FramesForFade(float fadeSeconds, float framesPerSecond);

}  // namespace lumapress
