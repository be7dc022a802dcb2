#include <string>
#include <vector>

#include "platform/utf8_text.h"
#include "run_cli.h"

int main(int argc, char** argv) {
  // File names arrive as UTF-8 on every system, so any name can be converted and reported.
  lumapress::UseUtf8Console();
  const std::vector<std::string> arguments = lumapress::Utf8Arguments(argc, argv);
  std::vector<const char*> pointers;
  for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
  return lumapress::RunCli(static_cast<int>(pointers.size()), pointers.data());
}
