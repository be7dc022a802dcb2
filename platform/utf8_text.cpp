#include "platform/utf8_text.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

#include <climits>
#include <memory>

namespace lumapress {

#ifdef _WIN32

std::wstring WideFromUtf8(std::string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
  return wide;
}

std::string Utf8FromWide(std::wstring_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int size = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
  return narrow;
}

namespace {

struct LocalFreeDeleter {
  void operator()(LPWSTR* memory) const { LocalFree(memory); }
};

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, const char* const* argv) {
  int count = 0;
  const std::unique_ptr<LPWSTR, LocalFreeDeleter> wide(CommandLineToArgvW(GetCommandLineW(), &count));
  std::vector<std::string> arguments;
  if (wide && count == argc) {
    for (int i = 0; i < count; ++i) arguments.push_back(Utf8FromWide(wide.get()[i]));
    return arguments;
  }
  // The wide command line disagrees with argv (a caller's own argv): take argv as it is.
  for (int i = 0; i < argc; ++i) arguments.emplace_back(argv[i]);
  return arguments;
}

void UseUtf8Console() { SetConsoleOutputCP(CP_UTF8); }

#else

std::vector<std::string> Utf8Arguments(int argc, const char* const* argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void UseUtf8Console() {}

#endif

}  // namespace lumapress
