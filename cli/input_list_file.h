#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumapress {

// One image to convert, as the user named it: a path on the command line or one line of an
// input list. A record of the whole line, so that a line can carry more than a path.
struct InputEntry {
  std::string path;
  std::string listName;  // the list as given on the command line; empty for the command line
  size_t line = 0;       // 1-based line number in that list; 0 for the command line
  // A list line's text after its last tab: the image's own display time in seconds, read by
  // the library's ParseDisplayTime. Nothing for a line without a tab.
  std::optional<std::string> displayTime = std::nullopt;

  bool operator==(const InputEntry&) const = default;
};

// The list name "-" reads standard input.
inline constexpr char kStandardInputList[] = "-";

// The entries of a list's text. One path per line, taken as it stands (no quoting), optionally
// followed by a tab and the image's display time ("photos/a.png<TAB>2.5"); a line ends at LF,
// or CR LF. Blank lines (nothing but spaces and tabs) and lines starting with '#' are skipped.
std::vector<InputEntry> ParseInputList(std::string_view text, const std::string& listName);

// Reads and parses the list `listName`; "-" reads `standardInput`. Nothing when the list cannot
// be read.
std::optional<std::vector<InputEntry>> ReadInputList(const std::string& listName, std::FILE* standardInput);

// What the user is told when a list cannot be read.
std::string CannotReadListMessage(const std::string& listName);

// Where an entry came from, to lead a message about it: "list.txt, line 12: ", or nothing
// for a path from the command line.
std::string EntryLocation(const InputEntry& entry);

// The entries' paths, in order.
std::vector<std::string> EntryPaths(std::span<const InputEntry> entries);

// The entries' display times for ConversionSettings::imageDelays: empty when no entry has one,
// else one per entry. A time that cannot be read gives the message for it, led by its list
// and line, in `problem`.
std::vector<std::optional<float>> EntryDisplayTimes(std::span<const InputEntry> entries, std::string& problem);

}  // namespace lumapress
