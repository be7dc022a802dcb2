#include "swf/swf_writer.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <utility>
#include <vector>

#include "swf/swf_codes.h"

namespace lumapress {
namespace {

// Written into the header's FileLength until Finish knows the real length.
constexpr uint32_t kFileLengthPlaceholder = 21;

}  // namespace

SwfWriter::SwfWriter(int32_t width, int32_t height, int32_t frameRate, int32_t version)
    : version_(static_cast<uint8_t>(version)),
      frameRect_{0, int64_t{width} * kTwipsPerPixel, 0, int64_t{height} * kTwipsPerPixel},
      frameRate_(std::clamp(frameRate, 0, kMaxFrameRate)) {}

bool SwfWriter::OpenMovie(const std::string& path) {
  statedFrameCount_ = -1;
  if (!Open(path)) return false;
  WriteHeader();
  return !Failed();
}

bool SwfWriter::OpenCompressedMovie(const std::string& path, int32_t frameCount) {
  statedFrameCount_ = std::clamp(frameCount, 0, kMaxHeaderFrameCount);
  if (!OpenCompressed(path)) return false;
  WriteHeader();
  return !Failed();
}

void SwfWriter::WriteHeader() {
  WriteByte('F');  // Signature
  WriteByte('W');
  WriteByte('S');
  WriteByte(version_);              // Version
  WriteU32(kFileLengthPlaceholder);  // FileLength
  WriteTwipsRect(frameRect_[0], frameRect_[1], frameRect_[2], frameRect_[3]);  // FrameSize
  WriteBits(frameRate_, 16);  // FrameRate, 8.8: zero fraction byte, then whole frames
  frameCountOffset_ = BytesWritten();
  WriteU16(statedFrameCount_ >= 0 ? statedFrameCount_ : frameCount_);  // FrameCount

  lastCharacterId_ = 0;
}

int32_t SwfWriter::NewCharacterId() {
  ++lastCharacterId_;
  if (lastCharacterId_ > kLastCharacterId) lastCharacterId_ = kCharacterIdAfterWrap;
  return lastCharacterId_;
}

void SwfWriter::BeginTag(int32_t code) {
  AlignToByte();
  WriteU16(TagHeaderWord(code, kLongTagMarker));
  WriteU32(0);  // length, patched by EndTag
  openTagStack_.push_back(BytesWritten());
}

void SwfWriter::EndTag() {
  assert(!openTagStack_.empty());
  if (openTagStack_.empty()) return;
  AlignToByte();
  const int64_t start = openTagStack_.back();
  openTagStack_.pop_back();
  const int64_t end = BytesWritten();
  SeekTo(start - 4);
  WriteU32(static_cast<uint32_t>(end - start));
  SeekTo(end);
  SettleClosedTags();
}

void SwfWriter::BeginShortTag(int32_t code) {
  assert(shortTagBodyStart_ < 0);
  AlignToByte();
  WriteU16(TagHeaderWord(code, 0));  // length, patched by EndShortTag
  shortTagBodyStart_ = BytesWritten();
  shortTagCode_ = code;
}

void SwfWriter::EndShortTag() {
  assert(shortTagBodyStart_ >= 0);
  if (shortTagBodyStart_ < 0) return;
  AlignToByte();
  const int64_t start = std::exchange(shortTagBodyStart_, -1);
  const int64_t end = BytesWritten();
  const int64_t length = end - start;
  if (length <= kShortTagMaxLength) {
    SeekTo(start - 2);
    WriteU16(TagHeaderWord(shortTagCode_, static_cast<int32_t>(length)));
    SeekTo(end);
    SettleClosedTags();
    return;
  }
  // Too long for 6 bits: rewrite as a long-form tag, the body moved past the UI32 length.
  std::vector<uint8_t> body(static_cast<size_t>(length));
  ReadBack(start, body);
  SeekTo(start - 2);
  WriteU16(TagHeaderWord(shortTagCode_, kLongTagMarker));
  WriteU32(static_cast<uint32_t>(length));
  WriteBytes(body);
  SettleClosedTags();
}

void SwfWriter::SettleClosedTags() {
  if (openTagStack_.empty() && shortTagBodyStart_ < 0) Settle(BytesWritten());
}

int32_t SwfWriter::Finish() {
  WriteU16(TagHeaderWord(kTagEnd, 0));
  AlignToByte();
  const int64_t length = BytesWritten();
  SeekTo(4);
  WriteU32(static_cast<uint32_t>(length));  // FileLength
  const int32_t headerFrameCount = std::min(frameCount_, kMaxHeaderFrameCount);
  if (Compressed()) {
    if (headerFrameCount != statedFrameCount_) MarkFailed();  // already compressed as stated
  } else {
    SeekTo(frameCountOffset_);
    WriteU16(headerFrameCount);  // FrameCount
  }
  Close();
  // A header that cannot state the movie's length or frames makes a movie no reader accepts.
  if (Failed() || length > std::numeric_limits<int32_t>::max() || frameCount_ > kMaxHeaderFrameCount) return -1;
  return static_cast<int32_t>(length);
}

}  // namespace lumapress
