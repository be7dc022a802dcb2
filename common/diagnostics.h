#pragma once

#include <string>
#include <string_view>

namespace lumapress {

// The diagnostic lines of one movie or one operation ("warning: shorttag size exceeded!\n",
// the compression statistics, ...), collected for whoever runs it to show or drop. Belongs to
// the thread doing that work.
class Diagnostics {
 public:
  // Appends `text` as it stands (no line end is added).
  void Add(std::string_view text) { text_ += text; }
  // printf-style formatting, then Add.
  void AddFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));

  const std::string& Text() const { return text_; }
  bool Empty() const { return text_.empty(); }
  // The text collected so far; the collection starts again empty.
  std::string Take();

 private:
  std::string text_;
};

}  // namespace lumapress
