#include "conversion/output_paths.h"

#include <filesystem>
#include <system_error>

namespace lumapress {
namespace {

constexpr std::string_view kPngExtension = ".png";
constexpr std::string_view kMovieExtension = ".swf";

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view LastComponent(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// True when both names refer to the same file (existing or not).
bool SameFile(const std::string& a, const std::string& b) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (fs::exists(a, error) && fs::exists(b, error)) return fs::equivalent(a, b, error);
  return fs::path(a).lexically_normal() == fs::path(b).lexically_normal();
}

}  // namespace

std::string FolderPart(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

std::string ResolvedFolder(std::string_view folderPart, bool hadSlash) {
  if (!folderPart.empty()) return std::string(folderPart);
  return hadSlash ? "/" : ".";
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  const std::string_view tail = text.substr(text.size() - suffix.size());
  for (size_t i = 0; i < suffix.size(); ++i) {
    if (LowerAscii(tail[i]) != LowerAscii(suffix[i])) return false;
  }
  return true;
}

std::string WithTrailingSlash(std::string_view folder) {
  std::string result(folder);
  if (result.empty() || result.back() != '/') result += '/';
  return result;
}

std::string BatchMoviePath(std::string_view outputFolder, std::string_view inputPath) {
  const std::string_view name = LastComponent(inputPath);
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

bool PathExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

bool CreateFolderPath(const std::string& path, std::vector<std::string>* created) {
  if (path.empty() || PathExists(path)) return true;
  const std::string parent = FolderPart(path);
  if (!parent.empty() && !CreateFolderPath(parent, created)) return false;
  std::error_code error;
  if (std::filesystem::create_directory(path, error) && created != nullptr) created->push_back(path);
  // Another process may have created it in the meantime; only a folder will do.
  return std::filesystem::is_directory(path, error);
}

}  // namespace lumapress
