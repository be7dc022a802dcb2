#include "terminal_user.h"

#include <cctype>
#include <string>

namespace lumapress {

void TerminalUser::ShowMessage(const std::string& text) {
  bar_.Clear();
  std::fprintf(err_, "%s\n", text.c_str());
  std::fflush(err_);
}

void TerminalUser::ShowInputMessage(const std::string& text, size_t inputIndex) {
  ShowMessage(inputIndex < inputs_.size() ? text + EntryLocation(inputs_[inputIndex]) : text);
}

bool TerminalUser::AskYesNo(const std::string& question) {
  if (answerYes_) return true;
  bar_.Clear();
  if (!inIsTerminal_) {
    // Nobody can answer: the question itself says what stopped the run.
    std::fprintf(err_, "%s\n(No terminal to answer on; run with --yes to answer Yes.)\n",
                 question.c_str());
    return false;
  }
  for (;;) {
    std::fprintf(err_, "%s [y/n] ", question.c_str());
    std::fflush(err_);
    std::string answer;
    int c;
    while ((c = std::fgetc(in_)) != EOF && c != '\n') answer += static_cast<char>(std::tolower(c));
    if (answer == "y" || answer == "yes") return true;
    if (answer == "n" || answer == "no" || c == EOF) {
      if (c == EOF) std::fputc('\n', err_);
      return false;
    }
  }
}

}  // namespace lumapress
