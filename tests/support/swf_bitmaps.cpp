#include "support/swf_bitmaps.h"

#include <string>

namespace lumapress::test {
namespace {

constexpr size_t kColorEntryBytes = 3;

}  // namespace

SwfBitmap ParseBitmapTag(const SwfTag& tag) {
  SwfBitmap bitmap;
  bitmap.code = tag.code;
  SwfBitReader reader(tag.body);
  bitmap.characterId = reader.ReadU16();
  switch (tag.code) {
    case 20:
    case 36: {
      bitmap.format = reader.ReadU8();
      bitmap.bitmapWidth = reader.ReadU16();
      bitmap.bitmapHeight = reader.ReadU16();
      if (bitmap.format == 3) bitmap.colorTableSize = reader.ReadU8() + 1;
      const auto rest = reader.ReadBytes(reader.BytesLeft());
      bitmap.zlibData.assign(rest.begin(), rest.end());
      bitmap.data = InflateZlib(bitmap.zlibData);
      break;
    }
    case 21: {
      const auto rest = reader.ReadBytes(reader.BytesLeft());
      bitmap.imageData.assign(rest.begin(), rest.end());
      break;
    }
    case 35: {
      bitmap.alphaDataOffset = reader.ReadU32();
      const auto image = reader.ReadBytes(bitmap.alphaDataOffset);
      bitmap.imageData.assign(image.begin(), image.end());
      const auto rest = reader.ReadBytes(reader.BytesLeft());
      bitmap.zlibData.assign(rest.begin(), rest.end());
      bitmap.data = InflateZlib(bitmap.zlibData);
      break;
    }
    default:
      throw SwfFormatError("not a bitmap tag: " + std::to_string(tag.code));
  }
  return bitmap;
}

std::vector<uint8_t> LosslessPixels(const SwfBitmap& bitmap, uint32_t width, uint32_t height) {
  std::vector<uint8_t> pixels(size_t{width} * height * 4);
  if (bitmap.format == 5) {
    if (bitmap.bitmapWidth != width || bitmap.data.size() != pixels.size()) {
      throw SwfFormatError("format 5 data of the wrong size");
    }
    return bitmap.data;
  }
  if (bitmap.format != 3) throw SwfFormatError("unknown bitmap format");
  const size_t table = size_t(bitmap.colorTableSize) * kColorEntryBytes;
  if (bitmap.data.size() != table + size_t{bitmap.bitmapWidth} * bitmap.bitmapHeight ||
      bitmap.bitmapWidth < width || bitmap.bitmapHeight != height) {
    throw SwfFormatError("format 3 data of the wrong size");
  }
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      const uint8_t index = bitmap.data[table + size_t{y} * bitmap.bitmapWidth + x];
      if (index >= bitmap.colorTableSize) throw SwfFormatError("colour index beyond the table");
      uint8_t* pixel = &pixels[(size_t{y} * width + x) * 4];
      pixel[1] = bitmap.data[index * kColorEntryBytes];
      pixel[2] = bitmap.data[index * kColorEntryBytes + 1];
      pixel[3] = bitmap.data[index * kColorEntryBytes + 2];
    }
  }
  return pixels;
}

bool IsStoredZlib(std::span<const uint8_t> stream) {
  // zlib header (2), then deflate blocks: a stored block header is 3 bits (BFINAL, BTYPE 00)
  // padded to a byte, then LEN, NLEN and LEN bytes; the Adler-32 (4) ends the stream.
  size_t at = 2;
  for (;;) {
    if (at + 5 > stream.size()) return false;
    const uint8_t header = stream[at];
    if (((header >> 1) & 3) != 0) return false;
    const size_t length = stream[at + 1] | (stream[at + 2] << 8);
    at += 5 + length;
    if (header & 1) return at + 4 == stream.size();
  }
}

std::span<const uint8_t> JpegStream(std::span<const uint8_t> imageData) {
  if (imageData.size() < 6) throw SwfFormatError("JPEG image data too short");
  return imageData.subspan(4, imageData.size() - 6);
}

}  // namespace lumapress::test
