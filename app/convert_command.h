#pragma once

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

enum class ConvertOutcome {
  InvalidField,   // a field failed the exchange; its message was shown
  NoInputImages,  // the list is empty
  NoOutputPath,   // no output file or folder named
  Ready,          // every check passed: the run may start with `settings`
  Stopped,        // the settings or the run stopped it; the user was told why
  Converted,      // every movie written; the success message was shown
};

struct ConvertCheck {
  ConvertOutcome outcome;
  std::optional<Field> invalidField;  // where the focus goes after InvalidField
  ConversionSettings settings;        // the fields taken in, when Ready
};

// Asked when the window is closed while a run is active.
inline constexpr const char* kStopRunQuestion =
    "A conversion is running.\nWould you like to stop it after the current image?";

// The Convert button's checks: the fields first, then the library's checks of the settings
// (the list, the output path, the movie's length, ...). The message of the first check that
// fails goes to `user`.
ConvertCheck CheckConvert(const DialogFields& fields, std::span<const std::string> inputPaths,
                          DialogUser& user);

// The end of a run: its message, unless the user already knows (a No to the folder question,
// a Cancel).
ConvertOutcome ReportRunEnd(const ConversionResult& result, DialogUser& user);

}  // namespace lumapress
