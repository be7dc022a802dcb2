#pragma once

// Every way a conversion can end, with one fixed message text per status.

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "lumapress/export.h"

namespace lumapress {

enum class Status : int {
  kOk = 0,
  // The caller stopped the run.
  kCancelled,
  kFolderDeclined,  // No to the output-folder question; front ends show nothing more
  // Settings, checked before any file is touched.
  kDelayOutOfRange,
  kQualityOutOfRange,
  kFrameRateOutOfRange,
  kJobsOutOfRange,
  kMaxPixelsOutOfRange,
  kNoInputs,
  kNoOutputFile,
  kNoOutputFolder,
  kTooManyFrames,
  // Output paths, checked before anything is written.
  kOutputIsInput,
  kOutputIsControlFile,
  kOutputCollision,
  kOutputNotAFile,
  kOutputNotAMovie,  // an existing file that is not a SWF movie is never replaced
  // One image.
  kCannotOpenInput,
  kNotPngImage,
  kImageTooLarge,
  kCannotDecode,
  kNoMemory,
  kEncoderUnavailable,
  kCannotEncode,
  // Writing a movie.
  kCannotWriteOutput,
  kControlPathTooLong,
  kMovieTooLarge,
  // Slide-show settings, checked with the other settings.
  kStageOutOfRange,
  kUnknownFit,
  kBackgroundOutOfRange,
  kFadeOutOfRange,
  kImageDelaysMismatch,  // display times given for some inputs but not one entry per input
  kFadeInWithoutFade,
  kSlideShowOnly,        // fades or a stop at the end in batch mode
  kFadeTooLong,          // a fade longer than an image it joins is shown
};

// The status's fixed text. "%s" marks where a value (a path, a number) goes, in order.
LUMAPRESS_API std::string_view StatusText(Status status);

// The text with each "%s" replaced by the next of `values`.
LUMAPRESS_API std::string StatusMessage(Status status, std::initializer_list<std::string_view> values = {});

// How a call ended: the status to branch on, and the message to show, with the values of
// this run filled in (and the system's reason appended where one is known).
struct ConversionResult {
  static constexpr size_t kNoInput = static_cast<size_t>(-1);

  Status status = Status::kOk;
  std::string message;
  // Which of the run's input paths the status is about (its index in the list), so a front
  // end that knows where each input came from can say so; kNoInput for the others.
  size_t inputIndex = kNoInput;

  bool ok() const { return status == Status::kOk; }
};

LUMAPRESS_API ConversionResult MakeResult(Status status, std::initializer_list<std::string_view> values = {});

}  // namespace lumapress
