#include "input_list_file.h"

#include <memory>

#include "lumapress/settings.h"

namespace lumapress {
namespace {

constexpr char kCannotReadList[] = "Cannot read input list %s!";
constexpr char kStandardInputName[] = "standard input";

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileOwner = std::unique_ptr<std::FILE, FileCloser>;

bool IsBlank(std::string_view line) { return line.find_first_not_of(" \t") == std::string_view::npos; }

// The whole stream; nothing on a read error (a folder, a device that fails).
std::optional<std::string> ReadAll(std::FILE* file) {
  std::string text;
  char buffer[64 * 1024];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  if (std::ferror(file)) return std::nullopt;
  return text;
}

std::string ShownName(const std::string& listName) {
  return listName == kStandardInputList ? kStandardInputName : listName;
}

}  // namespace

std::vector<InputEntry> ParseInputList(std::string_view text, const std::string& listName) {
  std::vector<InputEntry> entries;
  size_t lineNumber = 0;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++lineNumber;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (IsBlank(line) || line.starts_with('#')) continue;
    InputEntry entry{std::string(line), listName, lineNumber, std::nullopt};
    if (const size_t tab = line.rfind('\t'); tab != std::string_view::npos) {
      entry.path = std::string(line.substr(0, tab));
      entry.displayTime = std::string(line.substr(tab + 1));
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::optional<std::vector<InputEntry>> ReadInputList(const std::string& listName, std::FILE* standardInput) {
  std::optional<std::string> text;
  if (listName == kStandardInputList) {
    text = ReadAll(standardInput);
  } else if (FileOwner file{std::fopen(listName.c_str(), "rb")}) {
    text = ReadAll(file.get());
  }
  if (!text) return std::nullopt;
  return ParseInputList(*text, listName);
}

std::string CannotReadListMessage(const std::string& listName) {
  std::string message = kCannotReadList;
  message.replace(message.find("%s"), 2, ShownName(listName));
  return message;
}

std::string EntryLocation(const InputEntry& entry) {
  if (entry.listName.empty()) return {};
  return ShownName(entry.listName) + ", line " + std::to_string(entry.line) + ": ";
}

std::vector<std::string> EntryPaths(std::span<const InputEntry> entries) {
  std::vector<std::string> paths;
  paths.reserve(entries.size());
  for (const InputEntry& entry : entries) paths.push_back(entry.path);
  return paths;
}

std::vector<std::optional<float>> EntryDisplayTimes(std::span<const InputEntry> entries, std::string& problem) {
  std::vector<std::optional<float>> times(entries.size());
  bool any = false;
  for (size_t index = 0; index < entries.size(); ++index) {
    const InputEntry& entry = entries[index];
    if (!entry.displayTime) continue;
    float seconds = 0.0f;
    if (const Status status = ParseDisplayTime(*entry.displayTime, seconds); status != Status::kOk) {
      problem = EntryLocation(entry) + "display time \"" + *entry.displayTime + "\": " + MakeResult(status).message;
      return {};
    }
    times[index] = seconds;
    any = true;
  }
  if (!any) times.clear();
  return times;
}

}  // namespace lumapress
