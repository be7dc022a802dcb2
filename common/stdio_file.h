#pragma once

#include <cstdio>
#include <memory>

namespace lumapress {

// Owns a stdio stream; closes it (ignoring the result) when dropped. Code that must know whether
// the close succeeded calls std::fclose(file.release()) itself.
struct StdioFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, StdioFileCloser>;

}  // namespace lumapress
