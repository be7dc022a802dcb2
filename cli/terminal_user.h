#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "progress_bar.h"

namespace lumapress {

// The run's messages on stderr; the folder question answered by --yes, or on a terminal.
class TerminalUser {
 public:
  TerminalUser(std::FILE* in, std::FILE* err, bool inIsTerminal, bool answerYes, ProgressBar& bar)
      : in_(in), err_(err), inIsTerminal_(inIsTerminal), answerYes_(answerYes), bar_(bar) {}

  void ShowMessage(std::string_view text);
  // True for Yes.
  bool AskYesNo(std::string_view question);

 private:
  std::FILE* in_;
  std::FILE* err_;
  bool inIsTerminal_;
  bool answerYes_;
  ProgressBar& bar_;
};

}  // namespace lumapress
