#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>

#include "app/field_exchange.h"
#include "lumapress/convert.h"

namespace lumapress {

// Whom the Convert button talks to: the dialog's message boxes, or a test's recorder.
class DialogUser {
 public:
  virtual ~DialogUser() = default;
  // A message with one OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // A Yes/No question; true means Yes.
  virtual bool AskYesNo(const std::string& question) = 0;
};

// Runs one conversion; the dialog passes RunConversion with a progress display, asking its
// questions of `user`.
using ConversionRunner = std::function<ConversionResult(
    const ConversionSettings& settings, std::span<const std::string> inputPaths, DialogUser& user)>;

enum class ConvertOutcome {
  InvalidField,   // a field failed the exchange; its message was shown
  NoInputImages,  // the list is empty
  NoOutputPath,   // no output file or folder named
  Stopped,        // the settings or the run stopped it; the user was told why
  Converted,      // every movie written; the success message was shown
};

struct ConvertResult {
  ConvertOutcome outcome;
  std::optional<Field> invalidField;  // where the focus goes after InvalidField
};

// The Convert button: fields first, then the library's checks of the settings (the list, the
// output path, ...), then the run. Every message goes to `user`.
ConvertResult Convert(const DialogFields& fields, std::span<const std::string> inputPaths,
                      DialogUser& user, const ConversionRunner& run);

}  // namespace lumapress
