#pragma once

#include <cstdio>
#include <span>

#include "conversion/run_conversion.h"
#include "input_list_file.h"
#include "progress_bar.h"

namespace lumapress {

// The run's messages on stderr; the folder question answered by --yes, or on a terminal.
// A message about an input from a list names the list and line; `inputs` are the run's inputs.
class TerminalUser : public ConversionUser {
 public:
  TerminalUser(std::FILE* in, std::FILE* err, bool inIsTerminal, bool answerYes, ProgressBar& bar,
               std::span<const InputEntry> inputs = {})
      : in_(in), err_(err), inIsTerminal_(inIsTerminal), answerYes_(answerYes), bar_(bar), inputs_(inputs) {}

  void ShowMessage(const std::string& text) override;
  void ShowInputMessage(const std::string& text, size_t inputIndex) override;
  bool AskYesNo(const std::string& question) override;

 private:
  std::FILE* in_;
  std::FILE* err_;
  bool inIsTerminal_;
  bool answerYes_;
  ProgressBar& bar_;
  std::span<const InputEntry> inputs_;
};

}  // namespace lumapress
