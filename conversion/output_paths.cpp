#include "conversion/output_paths.h"

namespace lumapress {
namespace {

constexpr std::string_view kPngExtension = ".png";
constexpr std::string_view kMovieExtension = ".swf";

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  const std::string_view tail = text.substr(text.size() - suffix.size());
  for (size_t i = 0; i < suffix.size(); ++i) {
    if (LowerAscii(tail[i]) != LowerAscii(suffix[i])) return false;
  }
  return true;
}

std::string BatchMoviePath(std::string_view outputFolder, std::string_view inputPath, PathStyle style) {
  const std::string_view name = LastComponent(inputPath, style);
  const std::string folder(outputFolder);
  if (EndsWithIgnoringCase(inputPath, kPngExtension)) {
    const size_t dot = name.rfind('.');
    return folder + std::string(name.substr(0, dot)) + std::string(kMovieExtension);
  }
  const size_t dot = name.rfind('.');
  if (dot != std::string_view::npos) {
    std::string candidate = folder + std::string(name.substr(0, dot)) + std::string(kMovieExtension);
    if (!SameFile(candidate, std::string(inputPath))) return candidate;
  }
  // The whole name plus ".swf" is always longer than the input's own name.
  return folder + std::string(name) + std::string(kMovieExtension);
}

bool CreateFolderPath(const std::string& path, std::vector<std::string>* created, PathStyle style) {
  if (path.empty() || PathExists(path)) return true;
  const std::string parent = ParentFolder(path, style);
  if (!parent.empty() && !CreateFolderPath(parent, created, style)) return false;
  if (CreateFolder(path) && created != nullptr) created->push_back(path);
  // Another process may have created it in the meantime; only a folder will do.
  return IsFolder(path);
}

}  // namespace lumapress
