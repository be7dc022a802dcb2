#pragma once

#include <cstdio>

#include "conversion/run_conversion.h"
#include "progress_bar.h"

namespace lumapress {

// The run's messages on stderr; the folder question answered by --yes, or on a terminal.
class TerminalUser : public ConversionUser {
 public:
  TerminalUser(std::FILE* in, std::FILE* err, bool inIsTerminal, bool answerYes, ProgressBar& bar)
      : in_(in), err_(err), inIsTerminal_(inIsTerminal), answerYes_(answerYes), bar_(bar) {}

  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& question) override;

 private:
  std::FILE* in_;
  std::FILE* err_;
  bool inIsTerminal_;
  bool answerYes_;
  ProgressBar& bar_;
};

}  // namespace lumapress
