#include "swf/compress_movie.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "common/diagnostics.h"
#include "platform/file_system.h"
#include "swf/movie_compression.h"
#include "common/stdio_file.h"
#include "common/zlib_deflater.h"

namespace lumapress {
namespace {

// Signature, version and FileLength: copied or rewritten, never compressed.
constexpr size_t kHeaderBytes = kMovieHeaderBytes;
// Input and output pass through buffers of this size, so memory does not grow with the movie.
constexpr size_t kChunkBytes = size_t{256} * 1024;
// How many temporary names to try before giving up on creating the output.
constexpr int kTemporaryNameAttempts = 100;

constexpr int32_t kInputUnusable = -1;
constexpr int32_t kOutputNotCreated = -2;
constexpr int32_t kWriteFailed = -3;

// The temporary file next to the output; removed unless committed by renaming it.
class TemporaryOutput {
 public:
  explicit TemporaryOutput(const std::string& outputPath) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts && !file_; ++attempt) {
      path_ = outputPath + ".compressing-" + std::to_string(attempt);
      // "x": never reuse a file that is already there.
      file_.reset(OpenFile(path_, "wbx"));
      if (!file_ && errno != EEXIST) break;
    }
    if (!file_) path_.clear();
  }
  ~TemporaryOutput() {
    file_.reset();
    if (!path_.empty()) RemoveFile(path_);
  }
  TemporaryOutput(const TemporaryOutput&) = delete;
  TemporaryOutput& operator=(const TemporaryOutput&) = delete;

  std::FILE* file() const { return file_.get(); }
  bool Write(const uint8_t* data, size_t size) {
    return std::fwrite(data, 1, size, file_.get()) == size;
  }
  // Closes the file and renames it over `outputPath`. False when either fails.
  bool Commit(const std::string& outputPath) {
    if (std::fclose(file_.release()) != 0) return false;
    if (!RenameReplacing(path_, outputPath)) return false;
    path_.clear();
    return true;
  }

 private:
  std::string path_;
  UniqueFile file_;
};

// Reads up to `into.size()` bytes; fewer only at the end of the file or on an error.
size_t ReadChunk(std::FILE* file, std::vector<uint8_t>& into) {
  return std::fread(into.data(), 1, into.size(), file);
}

}  // namespace

int32_t CompressMovie(const std::string& inputPath, const std::string& outputPath,
                      Diagnostics& diagnostics) {
  UniqueFile input(OpenFile(inputPath, "rb"));
  if (!input) {
    diagnostics.Add("Couldn't open input file!\n");
    return kInputUnusable;
  }
  uint8_t header[kHeaderBytes];
  if (std::fread(header, 1, sizeof header, input.get()) != sizeof header || header[0] != 'F' ||
      header[1] != 'W' || header[2] != 'S') {
    diagnostics.Add("Input file is not an uncompressed movie!\n");
    return kInputUnusable;
  }

  TemporaryOutput output(outputPath);
  if (!output.file()) {
    diagnostics.Add("Couldn't open output file!\n");
    return kOutputNotCreated;
  }
  const uint8_t compressedHeader[kHeaderBytes] = {
      'C', 'W', 'S', kCompressedMovieVersion, header[4], header[5], header[6], header[7]};
  if (!output.Write(compressedHeader, sizeof compressedHeader)) {
    diagnostics.Add("Couldn't write output file!\n");
    return kWriteFailed;
  }

  ZlibDeflater deflater(kMovieZlibLevel, kMovieZlibMemLevel);
  std::vector<uint8_t> in(kChunkBytes);
  std::vector<uint8_t> out;
  int64_t inputBytes = kHeaderBytes;
  int64_t bodyBytes = 0;
  bool finished = false;
  while (!finished) {
    const size_t got = ReadChunk(input.get(), in);
    if (std::ferror(input.get())) {
      diagnostics.Add("Couldn't read input file!\n");
      return kInputUnusable;
    }
    inputBytes += static_cast<int64_t>(got);
    finished = std::feof(input.get()) != 0;
    out.clear();
    if (!deflater.Append(std::span<const uint8_t>(in).first(got), finished, out) ||
        !output.Write(out.data(), out.size())) {
      diagnostics.Add("Couldn't write output file!\n");
      return kWriteFailed;
    }
    bodyBytes += static_cast<int64_t>(out.size());
  }
  input.reset();

  if (!output.Commit(outputPath)) {
    diagnostics.Add("Couldn't write output file!\n");
    return kWriteFailed;
  }
  const int64_t outputBytes = bodyBytes + static_cast<int64_t>(kHeaderBytes);
  diagnostics.AddFormat("- uncompressed input: %10lld bytes\n- compressed output : %10lld bytes\n\n",
                 static_cast<long long>(inputBytes), static_cast<long long>(outputBytes));
  diagnostics.Add("- done.\n");
  return static_cast<int32_t>(std::min<int64_t>(outputBytes, std::numeric_limits<int32_t>::max()));
}

int32_t CompressMovie(const std::string& inputPath, const std::string& outputPath) {
  Diagnostics diagnostics;
  const int32_t result = CompressMovie(inputPath, outputPath, diagnostics);
  std::fwrite(diagnostics.Text().data(), 1, diagnostics.Text().size(), stdout);
  std::fflush(stdout);
  return result;
}

}  // namespace lumapress
