#include "swf/bitmap_tags.h"

#include <zlib.h>

#include <cstdint>
#include <mutex>
#include <new>
#include <utility>

#include "swf/bitmap_data.h"
#include "swf/deflate_probe.h"
#include "swf/little_endian.h"
#include "swf/swf_writer.h"

namespace lumapress {
namespace {

// ImageData of the JPEG tags starts with an EOI/SOI pair and ends with an EOI, whatever the
// stream inside holds; players expect exactly these bytes.
constexpr uint8_t kJpegDataPrefix[] = {0xFF, 0xD9, 0xFF, 0xD8};
constexpr uint8_t kJpegDataSuffix[] = {0xFF, 0xD9};
constexpr uint32_t kJpegDataFraming = sizeof kJpegDataPrefix + sizeof kJpegDataSuffix;

// JPEG markers: start of image, start of scan; every other marker before the scan carries a
// big-endian segment length that counts itself.
constexpr uint8_t kMarkerPrefix = 0xFF;
constexpr uint8_t kMarkerSoi = 0xD8;
constexpr uint8_t kMarkerSos = 0xDA;

void AppendBytes(std::vector<uint8_t>& out, std::span<const uint8_t> bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

void AppendU16(std::vector<uint8_t>& out, uint32_t value) { AppendBytes(out, U16Bytes(value)); }
void AppendU32(std::vector<uint8_t>& out, uint32_t value) { AppendBytes(out, U32Bytes(value)); }

std::mutex keptBodiesMutex;
// Room for every kept body from the start, so keeping one never allocates.
std::vector<std::vector<uint8_t>>& KeptBodies() {
  static std::vector<std::vector<uint8_t>> bodies = [] {
    std::vector<std::vector<uint8_t>> room;
    room.reserve(kKeptTagBodies);
    return room;
  }();
  return bodies;
}

}  // namespace

std::vector<uint8_t> TakeTagBody() {
  const std::lock_guard<std::mutex> lock(keptBodiesMutex);
  auto& kept = KeptBodies();
  if (kept.empty()) return {};
  std::vector<uint8_t> body = std::move(kept.back());
  kept.pop_back();
  return body;
}

void KeepTagBody(std::vector<uint8_t>&& body) {
  std::vector<uint8_t> taken = std::move(body);
  if (taken.capacity() == 0 || taken.capacity() > kKeptTagBodyBytes) return;
  taken.clear();
  const std::lock_guard<std::mutex> lock(keptBodiesMutex);
  auto& kept = KeptBodies();
  if (kept.size() < kKeptTagBodies) kept.push_back(std::move(taken));
}

void ReleaseKeptTagBodies() noexcept {
  try {
    const std::lock_guard<std::mutex> lock(keptBodiesMutex);
    KeptBodies().clear();  // frees the bodies, keeps the room for them
  } catch (const std::bad_alloc&) {
    // The keeper's room could not be made on first use: then it never kept a body.
  }
}

size_t KeptTagBodyCount() {
  const std::lock_guard<std::mutex> lock(keptBodiesMutex);
  return KeptBodies().size();
}

void BeginLosslessTag(int32_t code, int32_t format, int32_t width, int32_t height,
                      int32_t colorCount, BitmapTag& tag) {
  tag.code = code;
  if (tag.body.capacity() == 0) tag.body = TakeTagBody();
  tag.body.clear();
  tag.precompressed.clear();
  tag.body.push_back(static_cast<uint8_t>(format));             // BitmapFormat
  AppendU16(tag.body, static_cast<uint32_t>(width) & 0xFFFF);   // BitmapWidth
  AppendU16(tag.body, static_cast<uint32_t>(height) & 0xFFFF);  // BitmapHeight
  if (format == kBitmapFormatColorMapped) {
    tag.body.push_back(static_cast<uint8_t>(colorCount - 1));   // BitmapColorTableSize
  }
}

BitmapResult BuildLosslessTag(int32_t code, int32_t format, int32_t width, int32_t height,
                              int32_t colorCount, std::span<const uint8_t> data, int level,
                              BitmapTag& tag) {
  BeginLosslessTag(code, format, width, height, colorCount, tag);
  const BitmapResult result = AppendBitmapData(data, level, tag);  // ZlibBitmapData
  if (result != BitmapResult::kOk) tag = BitmapTag{};
  return result;
}

size_t JpegScanOffset(std::span<const uint8_t> jpeg) {
  if (jpeg.size() < 2 || jpeg[0] != kMarkerPrefix || jpeg[1] != kMarkerSoi) return 0;
  size_t at = 2;
  while (at + 4 <= jpeg.size() && jpeg[at] == kMarkerPrefix) {
    const uint8_t marker = jpeg[at + 1];
    const size_t length = size_t{jpeg[at + 2]} << 8 | jpeg[at + 3];
    if (length < 2) return 0;
    at += 2 + length;
    if (marker == kMarkerSos) return at <= jpeg.size() ? at : 0;
  }
  return 0;
}

namespace {

// FF D9 FF D8, the JPEG stream, FF D9, with its scan data marked precompressed unless
// deflating it again would pay.
void AppendJpegImageData(BitmapTag& tag, std::span<const uint8_t> jpeg) {
  AppendBytes(tag.body, kJpegDataPrefix);
  const size_t start = tag.body.size();
  AppendBytes(tag.body, jpeg);
  AppendBytes(tag.body, kJpegDataSuffix);
  const size_t scan = JpegScanOffset(jpeg);
  if (scan == 0) return;
  const auto scanData = jpeg.subspan(scan);
  if (!scanData.empty() && !WorthDeflatingAgain(scanData)) {
    tag.precompressed.push_back({start + scan, scanData.size()});
  }
}

}  // namespace

BitmapTag BuildJpeg2Tag(std::span<const uint8_t> jpeg) {
  BitmapTag tag{kTagDefineBitsJpeg2, TakeTagBody(), {}};
  tag.body.reserve(jpeg.size() + kJpegDataFraming);
  AppendJpegImageData(tag, jpeg);  // ImageData
  return tag;
}

BitmapResult BuildJpeg3Tag(std::span<const uint8_t> jpeg, std::span<const uint8_t> alpha, int level,
                           BitmapTag& tag) {
  tag = BitmapTag{kTagDefineBitsJpeg3, TakeTagBody(), {}};
  tag.body.reserve(4 + jpeg.size() + kJpegDataFraming);
  AppendU32(tag.body, static_cast<uint32_t>(jpeg.size()) + kJpegDataFraming);  // AlphaDataOffset
  AppendJpegImageData(tag, jpeg);                                              // ImageData
  const BitmapResult result = AppendAlphaPlane(alpha, level, tag);             // BitmapAlphaData
  if (result != BitmapResult::kOk) tag = BitmapTag{};
  return result;
}

// --- SwfWriter's bitmap operations: one long-form tag each.

void SwfWriter::DefineBitmap(int32_t characterId, const BitmapTag& tag) {
  constexpr uint64_t kCharacterIdBytes = 2;
  const uint64_t length = kCharacterIdBytes + uint64_t{tag.body.size()};
  const auto markSpans = [&](int64_t bodyStart) {
    for (const ByteSpan& span : tag.precompressed) {
      if (span.offset <= tag.body.size() && span.length <= tag.body.size() - span.offset) {
        MarkPrecompressed(bodyStart + static_cast<int64_t>(span.offset),
                          static_cast<int64_t>(span.length));
      }
    }
  };
  if (openTagStack_.empty() && shortTagBodyStart_ < 0 && length <= UINT32_MAX) {
    // The length is known before the body: with the header final at once, the body (megabytes
    // of bitmap data) goes into a compressed movie without a copy being held there.
    AlignToByte();
    WriteU16(TagHeaderWord(tag.code, kLongTagMarker));
    WriteU32(static_cast<uint32_t>(length));
    WriteU16(characterId);  // CharacterId
    const int64_t bodyStart = BytesWritten();
    markSpans(bodyStart);
    Settle(bodyStart);
    WriteSettledBytes(tag.body);
    SettleClosedTags();
    return;
  }
  BeginTag(tag.code);
  WriteU16(characterId);  // CharacterId
  const int64_t bodyStart = BytesWritten();
  WriteBytes(tag.body);
  markSpans(bodyStart);
  EndTag();
}

bool SwfWriter::DefineBitsLossless(int32_t characterId, int32_t width, int32_t height,
                                   int32_t format, int32_t colorCount, std::span<const uint8_t> data) {
  BitmapTag tag;
  const int level =
      LosslessLevel(LosslessEffort::kDefault, format == kBitmapFormatColorMapped ? 1 : 4);
  if (BuildLosslessTag(kTagDefineBitsLossless, format, width, height, colorCount, data, level,
                       tag) != BitmapResult::kOk) {
    return false;
  }
  DefineBitmap(characterId, tag);
  return true;
}

bool SwfWriter::DefineBitsLossless2(int32_t characterId, int32_t width, int32_t height,
                                    int32_t format, int32_t colorCount,
                                    std::span<const uint8_t> data, int level) {
  BitmapTag tag;
  if (BuildLosslessTag(kTagDefineBitsLossless2, format, width, height, colorCount, data, level,
                       tag) != BitmapResult::kOk) {
    return false;
  }
  DefineBitmap(characterId, tag);
  return true;
}

void SwfWriter::DefineBitsJPEG2(int32_t characterId, std::span<const uint8_t> jpeg) {
  DefineBitmap(characterId, BuildJpeg2Tag(jpeg));
}

bool SwfWriter::DefineBitsJPEG3(int32_t characterId, std::span<const uint8_t> jpeg,
                                std::span<const uint8_t> alpha, int level) {
  BitmapTag tag;
  if (BuildJpeg3Tag(jpeg, alpha, level, tag) != BitmapResult::kOk) return false;
  DefineBitmap(characterId, tag);
  return true;
}

}  // namespace lumapress
