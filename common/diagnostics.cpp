#include "common/diagnostics.h"

#include <cstdarg>
#include <cstdio>
#include <utility>

namespace lumapress {

void Diagnostics::AddFormat(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length > 0) {
    const size_t start = text_.size();
    text_.resize(start + static_cast<size_t>(length) + 1);
    std::vsnprintf(text_.data() + start, static_cast<size_t>(length) + 1, format, args);
    text_.pop_back();  // vsnprintf's terminator
  }
  va_end(args);
}

std::string Diagnostics::Take() { return std::exchange(text_, {}); }

}  // namespace lumapress
