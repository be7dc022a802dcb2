#pragma once

// Scratch files and byte capture for the SWF writer's tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/hex.h"
#include "support/swf_reader.h"
#include "support/temp_folder.h"
#include "swf/swf_bit_stream.h"
#include "swf/swf_writer.h"

namespace lumapress::test {

// A folder of its own for one test, removed with everything in it afterwards.
class ScratchDir {
 public:
  std::string Path(const std::string& name) const { return (Root() / name).string(); }
  // Names of the entries in the folder, sorted.
  std::vector<std::string> Entries() const { return FolderEntries(folder_.path()); }

 private:
  std::filesystem::path Root() const { return folder_.path(); }

  TempFolder folder_;
};

// The hex text of `expected`, normalised to ToHex's form for side-by-side failures.
inline std::string Hex(std::string_view expected) { return ToHex(FromHex(expected)); }

// Bytes a fresh bit stream holds after `write` (closed without padding).
inline std::vector<uint8_t> StreamBytes(const std::function<void(SwfBitStream&)>& write) {
  ScratchDir dir;
  SwfBitStream stream;
  EXPECT_TRUE(stream.Open(dir.Path("stream.bin")));
  write(stream);
  EXPECT_EQ(stream.Close(), 0);
  EXPECT_FALSE(stream.Failed());
  return ReadFileBytes(dir.Path("stream.bin"));
}

// Bytes `write` adds to a 320 x 240 movie after its header (the file closed without Finish).
inline std::vector<uint8_t> BytesAfterHeader(const std::function<void(SwfWriter&)>& write) {
  ScratchDir dir;
  SwfWriter writer(320, 240, 12, 6);
  EXPECT_TRUE(writer.OpenMovie(dir.Path("movie.swf")));
  const auto start = static_cast<size_t>(writer.BytesWritten());
  write(writer);
  EXPECT_EQ(writer.Close(), 0);
  EXPECT_FALSE(writer.Failed());
  const auto bytes = ReadFileBytes(dir.Path("movie.swf"));
  return std::vector<uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(start), bytes.end());
}

// A finished movie made by `write` between OpenMovie and Finish, read back.
inline SwfMovie FinishedMovie(int32_t width, int32_t height,
                              const std::function<void(SwfWriter&)>& write) {
  ScratchDir dir;
  SwfWriter writer(width, height, 12, 6);
  EXPECT_TRUE(writer.OpenMovie(dir.Path("movie.swf")));
  write(writer);
  const int32_t length = writer.Finish();
  const SwfMovie movie = ReadSwfFile(dir.Path("movie.swf"));
  EXPECT_EQ(static_cast<size_t>(length), movie.bytes.size());
  return movie;
}

// One byte-exact example: what it shows, the calls, the expected bytes as hex.
template <typename Target>
struct ByteCase {
  const char* what;
  std::function<void(Target&)> write;
  const char* expectedHex;
};

}  // namespace lumapress::test
