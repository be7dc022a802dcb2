#pragma once

// What one conversion turns into what, and the ranges the library accepts.

#include <cstddef>
#include <cstdint>
#include <string>

#include "lumapress/export.h"
#include "lumapress/status.h"

namespace lumapress {

// Largest image (width x height) a run decodes unless told otherwise: 8192 x 8192. Converting
// one image takes up to about 16 bytes per pixel at once (its decoded rows, its bitmap tag and
// the movie writer's copy of it), so a job at this limit needs about 1.1 GB and two jobs fit
// a 4 GB machine with room left for the system.
inline constexpr uint64_t kDefaultMaxPixels = uint64_t{8192} * 8192;

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

// The range checks, one setting each (NaN and infinities are out of every range):
// kOk or the setting's status, whose text names the range.
LUMAPRESS_API Status CheckDelay(float delaySeconds);
LUMAPRESS_API Status CheckJpegQuality(int32_t jpegQuality);
LUMAPRESS_API Status CheckFrameRate(float framesPerSecond);
LUMAPRESS_API Status CheckJobs(unsigned jobs);
LUMAPRESS_API Status CheckMaxPixels(uint64_t maxPixels);

// Every check of the settings a run makes before it touches a file, in this order: delay,
// quality, frame rate, jobs, pixel limit, at least one input, an output path, and the frame
// count of each movie.
LUMAPRESS_API ConversionResult CheckSettings(const ConversionSettings& settings, size_t inputCount);

// ShowFrame tags that cover one image's display time at this rate (always at least one):
// a single-precision accumulator advanced in double precision, so 1 s at 12 fps gives 13.
// Settings outside the accepted ranges give 0.
LUMAPRESS_API uint32_t FramesForImage(float delaySeconds, float framesPerSecond);

}  // namespace lumapress
