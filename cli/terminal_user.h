#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "input_list_file.h"
#include "progress_bar.h"

namespace lumapress {

// The run's messages on stderr; the folder question answered by --yes, or on a terminal.
// A message about an input from a list names the list and line; `inputs` are the run's inputs.
class TerminalUser {
 public:
  TerminalUser(std::FILE* in, std::FILE* err, bool inIsTerminal, bool answerYes, ProgressBar& bar,
               std::span<const InputEntry> inputs = {})
      : in_(in), err_(err), inIsTerminal_(inIsTerminal), answerYes_(answerYes), bar_(bar), inputs_(inputs) {}

  void ShowMessage(std::string_view text);
  // A message about the input at `inputIndex` (any other index: about none).
  void ShowInputMessage(const std::string& text, size_t inputIndex);
  // True for Yes.
  bool AskYesNo(std::string_view question);

 private:
  std::FILE* in_;
  std::FILE* err_;
  bool inIsTerminal_;
  bool answerYes_;
  ProgressBar& bar_;
  std::span<const InputEntry> inputs_;
};

}  // namespace lumapress
