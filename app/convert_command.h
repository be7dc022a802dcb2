#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>

#include "app/field_exchange.h"
#include "conversion/run_conversion.h"

namespace lumapress {

// Runs one conversion; the dialog passes RunConversion with a progress display.
using ConversionRunner = std::function<int(const ConversionSettings& settings,
                                           std::span<const std::string> inputPaths,
                                           ConversionUser& user)>;

enum class ConvertOutcome {
  InvalidField,   // a field failed the exchange; its message was shown
  NoInputImages,  // the list is empty
  NoOutputPath,   // no output file or folder named
  Stopped,        // the run stopped early and has told the user why
  Converted,      // every movie written; the success message was shown
};

struct ConvertResult {
  ConvertOutcome outcome;
  std::optional<Field> invalidField;  // where the focus goes after InvalidField
};

inline constexpr const char* kNoInputMessage = "Please add at least one input image first.";
inline constexpr const char* kNoOutputFolderMessage = "Please select an output folder first.";
inline constexpr const char* kNoOutputFileMessage = "Please select an output file first.";
inline constexpr const char* kConvertedMessage = "Conversion completed successfully.";

// The Convert button: fields first, then the list, then the output path, then the run.
// Every message goes to `user`.
ConvertResult Convert(const DialogFields& fields, std::span<const std::string> inputPaths,
                      ConversionUser& user, const ConversionRunner& run);

}  // namespace lumapress
