#include "terminal_user.h"

#include <cctype>
#include <string>

namespace lumapress {

void TerminalUser::ShowMessage(std::string_view text) {
  bar_.Clear();
  std::fprintf(err_, "%.*s\n", static_cast<int>(text.size()), text.data());
  std::fflush(err_);
}

void TerminalUser::ShowInputMessage(const std::string& text, size_t inputIndex) {
  ShowMessage(inputIndex < inputs_.size() ? EntryLocation(inputs_[inputIndex]) + text : text);
}

bool TerminalUser::AskYesNo(std::string_view question) {
  const int length = static_cast<int>(question.size());
  if (answerYes_) return true;
  bar_.Clear();
  if (!inIsTerminal_) {
    // Nobody can answer: the question itself says what stopped the run.
    std::fprintf(err_, "%.*s\n(No terminal to answer on; run with --yes to answer Yes.)\n", length,
                 question.data());
    return false;
  }
  for (;;) {
    std::fprintf(err_, "%.*s [y/n] ", length, question.data());
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
