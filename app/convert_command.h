#pragma once

#include <optional>
#include <span>
#include <string>

#include "app/field_exchange.h"
#include "conversion/run_conversion.h"

namespace lumapress {

enum class ConvertOutcome {
  InvalidField,   // a field failed the exchange; its message was shown
  NoInputImages,  // the list is empty
  NoOutputPath,   // no output file or folder named
  Ready,          // every check passed: the run may start with `settings`
  Stopped,        // the run stopped early and has told the user why
  Converted,      // every movie written; the success message was shown
};

struct ConvertCheck {
  ConvertOutcome outcome;
  std::optional<Field> invalidField;  // where the focus goes after InvalidField
  ConversionSettings settings;        // the fields taken in, when Ready
};

inline constexpr const char* kNoInputMessage = "Please add at least one input image first.";
inline constexpr const char* kNoOutputFolderMessage = "Please select an output folder first.";
inline constexpr const char* kNoOutputFileMessage = "Please select an output file first.";
inline constexpr const char* kConvertedMessage = "Conversion completed successfully.";
// Asked when the window is closed while a run is active.
inline constexpr const char* kStopRunQuestion =
    "A conversion is running.\nWould you like to stop it after the current image?";

// The Convert button's checks: fields first, then the list, then the output path. The message
// of the first check that fails goes to `user`.
ConvertCheck CheckConvert(const DialogFields& fields, std::span<const std::string> inputPaths,
                          ConversionUser& user);

// The end of a run: RunConversion's `status` 0 shows the success message; a stopped run (-1)
// has told the user already.
ConvertOutcome ReportRunEnd(int status, ConversionUser& user);

}  // namespace lumapress
