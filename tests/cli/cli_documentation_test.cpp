#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>

// The options lumapress-cli's --help lists are the ones its manual page describes and its bash
// completion offers: a new option fails here until both are updated.
namespace lumapress {
namespace {

using Names = std::set<std::string>;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << path;
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string HelpText() {
  struct PipeCloser {
    void operator()(std::FILE* pipe) const { pclose(pipe); }
  };
  std::unique_ptr<std::FILE, PipeCloser> pipe(popen(LUMAPRESS_CLI_PATH " --help", "r"));
  std::string text;
  char buffer[4096];
  size_t got = 0;
  while (pipe && (got = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) text.append(buffer, got);
  return text;
}

// Every "-x" and "--long-name" in `text`.
Names OptionNames(const std::string& text) {
  static const std::regex option(R"((?:^|[\s,'"])(--?[A-Za-z][A-Za-z-]*))");
  Names names;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), option); it != std::sregex_iterator(); ++it) {
    names.insert((*it)[1]);
  }
  return names;
}

// The first column of the option lines of --help: "  -o,--output TEXT   Movie file...".
Names HelpOptions() {
  std::istringstream lines(HelpText());
  std::string line, firstColumns;
  while (std::getline(lines, line)) {
    if (line.rfind("  -", 0) == 0) firstColumns += line.substr(0, line.find(' ', 2)) + "\n";
  }
  return OptionNames(firstColumns);
}

// The tags of the .TP items in the page's OPTIONS section, with troff's "\-" read as "-".
Names ManPageOptions(const std::string& page) {
  const size_t start = page.find("\n.SH OPTIONS\n");
  EXPECT_NE(start, std::string::npos);
  const std::string section = page.substr(start, page.find("\n.SH ", start + 1) - start);
  std::istringstream lines(section);
  std::string line, tags;
  bool tagLine = false;
  while (std::getline(lines, line)) {
    if (tagLine) tags += std::regex_replace(line, std::regex(R"(\\-)"), "-") + "\n";
    tagLine = line == ".TP";
  }
  return OptionNames(tags);
}

// The words the completion offers for "-<TAB>".
Names CompletionOptions(const std::string& script) {
  const size_t start = script.find("compgen -W '");
  EXPECT_NE(start, std::string::npos);
  const size_t words = start + 12;
  return OptionNames(script.substr(words, script.find('\'', words) - words));
}

TEST(CliDocumentation, HelpListsTheUsualOptions) {
  const Names help = HelpOptions();
  for (const char* name : {"-h", "--help", "-o", "--output", "--inputs-from", "--version"}) {
    EXPECT_EQ(help.count(name), 1u) << name;
  }
}

TEST(CliDocumentation, ManualPageDescribesEveryOptionOfHelp) {
  EXPECT_EQ(ManPageOptions(Slurp(LUMAPRESS_SOURCE_DIR "/resources/man/lumapress-cli.1")), HelpOptions());
}

TEST(CliDocumentation, CompletionOffersEveryOptionOfHelp) {
  EXPECT_EQ(CompletionOptions(Slurp(LUMAPRESS_SOURCE_DIR "/resources/completion/lumapress-cli")), HelpOptions());
}

}  // namespace
}  // namespace lumapress
