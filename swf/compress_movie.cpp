#include "swf/compress_movie.h"

#include <zlib.h>

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "swf/diagnostics.h"
#include "swf/stdio_file.h"

namespace lumapress {
namespace {

// Signature, version and FileLength: copied or rewritten, never compressed.
constexpr size_t kMovieHeaderBytes = 8;
// Input and output pass through buffers of this size, so memory does not grow with the movie.
constexpr size_t kChunkBytes = size_t{256} * 1024;
// The compressed movie's version byte.
constexpr uint8_t kCompressedVersion = 6;
// Best compression, as the movie format's readers expect from this writer.
constexpr int kCompressionLevel = 9;
// How many temporary names to try before giving up on creating the output.
constexpr int kTemporaryNameAttempts = 100;

constexpr int32_t kInputUnusable = -1;
constexpr int32_t kOutputNotCreated = -2;
constexpr int32_t kWriteFailed = -3;

// A deflate stream set up like compress2's, released on every path.
class Deflater {
 public:
  Deflater() {
    const int result = deflateInit(&stream_, kCompressionLevel);
    if (result == Z_MEM_ERROR) throw std::bad_alloc();
    ok_ = result == Z_OK;
  }
  ~Deflater() {
    if (ok_) deflateEnd(&stream_);
  }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;
  bool ok() const { return ok_; }
  z_stream& stream() { return stream_; }

 private:
  z_stream stream_{};
  bool ok_ = false;
};

// The temporary file next to the output; removed unless committed by renaming it.
class TemporaryOutput {
 public:
  explicit TemporaryOutput(const std::string& outputPath) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts && !file_; ++attempt) {
      path_ = outputPath + ".compressing-" + std::to_string(attempt);
      // "x": never reuse a file that is already there.
      file_.reset(std::fopen(path_.c_str(), "wbx"));
      if (!file_ && errno != EEXIST) break;
    }
    if (!file_) path_.clear();
  }
  ~TemporaryOutput() {
    file_.reset();
    if (!path_.empty()) std::remove(path_.c_str());
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
    std::error_code error;
    std::filesystem::rename(path_, outputPath, error);
    if (error) return false;
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

int32_t CompressMovie(const std::string& inputPath, const std::string& outputPath) {
  UniqueFile input(std::fopen(inputPath.c_str(), "rb"));
  if (!input) {
    Diagnose("Couldn't open input file!\n");
    return kInputUnusable;
  }
  uint8_t header[kMovieHeaderBytes];
  if (std::fread(header, 1, sizeof header, input.get()) != sizeof header || header[0] != 'F' ||
      header[1] != 'W' || header[2] != 'S') {
    Diagnose("Input file is not an uncompressed movie!\n");
    return kInputUnusable;
  }

  TemporaryOutput output(outputPath);
  if (!output.file()) {
    Diagnose("Couldn't open output file!\n");
    return kOutputNotCreated;
  }
  const uint8_t compressedHeader[kMovieHeaderBytes] = {
      'C', 'W', 'S', kCompressedVersion, header[4], header[5], header[6], header[7]};
  if (!output.Write(compressedHeader, sizeof compressedHeader)) {
    Diagnose("Couldn't write output file!\n");
    return kWriteFailed;
  }

  Deflater deflater;
  if (!deflater.ok()) {
    Diagnose("Couldn't write output file!\n");
    return kWriteFailed;
  }
  z_stream& stream = deflater.stream();
  std::vector<uint8_t> in(kChunkBytes);
  std::vector<uint8_t> out(kChunkBytes);
  int64_t inputBytes = kMovieHeaderBytes;
  int64_t bodyBytes = 0;
  int flush = Z_NO_FLUSH;
  while (flush != Z_FINISH) {
    const size_t got = ReadChunk(input.get(), in);
    if (std::ferror(input.get())) {
      Diagnose("Couldn't read input file!\n");
      return kInputUnusable;
    }
    inputBytes += static_cast<int64_t>(got);
    flush = std::feof(input.get()) ? Z_FINISH : Z_NO_FLUSH;
    stream.next_in = in.data();
    stream.avail_in = static_cast<uInt>(got);
    do {
      stream.next_out = out.data();
      stream.avail_out = static_cast<uInt>(out.size());
      [[maybe_unused]] const int result = deflate(&stream, flush);
      assert(result != Z_STREAM_ERROR);  // only for a broken stream state
      const size_t produced = out.size() - stream.avail_out;
      if (!output.Write(out.data(), produced)) {
        Diagnose("Couldn't write output file!\n");
        return kWriteFailed;
      }
      bodyBytes += static_cast<int64_t>(produced);
    } while (stream.avail_out == 0);
  }
  input.reset();

  if (!output.Commit(outputPath)) {
    Diagnose("Couldn't write output file!\n");
    return kWriteFailed;
  }
  const int64_t outputBytes = bodyBytes + static_cast<int64_t>(kMovieHeaderBytes);
  DiagnoseFormat("- uncompressed input: %10lld bytes\n- compressed output : %10lld bytes\n\n",
                 static_cast<long long>(inputBytes), static_cast<long long>(outputBytes));
  Diagnose("- done.\n");
  return static_cast<int32_t>(std::min<int64_t>(outputBytes, std::numeric_limits<int32_t>::max()));
}

}  // namespace lumapress
