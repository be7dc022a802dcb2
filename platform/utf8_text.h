#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumapress {

// Paths and texts are UTF-8 throughout the program. Windows speaks UTF-16 (or the ANSI code
// page) at its edges; these convert there.
#ifdef _WIN32
// Invalid UTF-8 becomes U+FFFD, as the system does.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);
#endif

// The program's arguments in UTF-8. Windows hands main() its arguments in the ANSI code page,
// which cannot hold every file name, so they are read again from the wide command line.
std::vector<std::string> Utf8Arguments(int argc, const char* const* argv);

// Makes the console show UTF-8 output as text (Windows); nothing to do elsewhere.
void UseUtf8Console();

}  // namespace lumapress
