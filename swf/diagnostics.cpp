#include "swf/diagnostics.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>
#include <utility>

namespace lumapress {
namespace {

std::mutex& SinkMutex() {
  static std::mutex mutex;
  return mutex;
}

DiagnosticsSink& CurrentSink() {
  static DiagnosticsSink sink;
  return sink;
}

}  // namespace

DiagnosticsSink SetDiagnosticsSink(DiagnosticsSink sink) {
  std::lock_guard lock(SinkMutex());
  return std::exchange(CurrentSink(), std::move(sink));
}

void Diagnose(std::string_view text) {
  std::lock_guard lock(SinkMutex());
  if (CurrentSink()) {
    CurrentSink()(text);
  } else {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
  }
}

void DiagnoseFormat(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
  va_end(args);
  Diagnose(text);
}

}  // namespace lumapress
