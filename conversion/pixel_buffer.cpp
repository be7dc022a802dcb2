#include "conversion/pixel_buffer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "common/cancellation.h"

namespace lumapress {
namespace {

// Rows filled or indexed between two looks at the run's cancellation.
constexpr uint32_t kRowsPerCancellationCheck = 64;

// Colour key to table index, keeping the order in which keys were first seen. Open
// addressing over four times the table's capacity keeps probe chains short.
class ColorIndex {
 public:
  // Index of `key`, adding it when new; -1 when the table is full.
  int Find(uint32_t key) {
    uint32_t slot = Hash(key);
    for (;;) {
      Slot& s = slots_[slot];
      if (s.key == key) return s.index;
      if (s.key == kEmpty) {
        if (count_ == kColorTableEntries) return -1;
        s.key = key;
        s.index = static_cast<int>(count_);
        keys_[count_] = key;
        return static_cast<int>(count_++);
      }
      slot = (slot + 1) & (kSlots - 1);
    }
  }
  size_t count() const { return count_; }
  uint32_t key(size_t index) const { return keys_[index]; }

 private:
  static constexpr uint32_t kEmpty = 0xFFFFFFFFu;  // not a 24-bit colour
  static constexpr uint32_t kSlots = 1024;         // 4 x the table size, a power of two
  struct Slot {
    uint32_t key = kEmpty;
    int index = 0;
  };
  static uint32_t Hash(uint32_t key) { return (key * 2654435761u) >> 22; }  // top 10 bits

  std::array<Slot, kSlots> slots_{};
  std::array<uint32_t, kColorTableEntries> keys_{};
  size_t count_ = 0;
};

}  // namespace

void FillPixelRows32(const ImageRows& rows, uint32_t first, uint32_t count, uint8_t* target) {
  for (uint32_t y = first; y < first + count; ++y) {
    uint8_t* source = rows.pixels.data() + y * rows.rowLength;
    if (rows.channels == 4) {
      for (uint32_t x = 0; x < rows.width; ++x, source += 4, target += 4) {
        const unsigned alpha = source[3];
        // Divides by 256, not 255: full white at full alpha becomes 254.
        source[0] = static_cast<uint8_t>((source[0] * alpha) >> 8);
        source[1] = static_cast<uint8_t>((source[1] * alpha) >> 8);
        source[2] = static_cast<uint8_t>((source[2] * alpha) >> 8);
        target[0] = static_cast<uint8_t>(alpha);
        target[1] = source[0];
        target[2] = source[1];
        target[3] = source[2];
      }
    } else {
      // A pixel's three bytes and the next pixel's first, moved up by one byte: the reserved
      // byte becomes 0 and the fourth byte drops out. The row's last pixel goes byte by byte,
      // so no load reaches past the row.
      uint32_t x = 0;
      for (; x + 1 < rows.width; ++x, source += 3, target += 4) {
        uint32_t word;
        std::memcpy(&word, source, sizeof word);
        word = std::endian::native == std::endian::little ? word << 8 : word >> 8;
        std::memcpy(target, &word, sizeof word);
      }
      if (x < rows.width) {
        target[0] = 0;
        target[1] = source[0];
        target[2] = source[1];
        target[3] = source[2];
        target += 4;
      }
    }
  }
}

PixelBuffer32 FillPixelBuffer32(const ImageRows& rows) {
  PixelBuffer32 buffer;
  buffer.width = rows.width;
  buffer.height = rows.height;
  buffer.bytes.resize(size_t{rows.width} * rows.height * 4);
  for (uint32_t y = 0; y < rows.height && !CancellationRequested(); y += kRowsPerCancellationCheck) {
    const uint32_t count = std::min(kRowsPerCancellationCheck, rows.height - y);
    FillPixelRows32(rows, y, count, buffer.bytes.data() + size_t{y} * rows.width * 4);
  }
  return buffer;
}

void PremultiplyRows(const ImageRows& rows) {
  if (rows.channels != 4) return;
  for (uint32_t y = 0; y < rows.height; ++y) {
    uint8_t* source = rows.pixels.data() + y * rows.rowLength;
    for (uint32_t x = 0; x < rows.width; ++x, source += 4) {
      const unsigned alpha = source[3];
      source[0] = static_cast<uint8_t>((source[0] * alpha) >> 8);
      source[1] = static_cast<uint8_t>((source[1] * alpha) >> 8);
      source[2] = static_cast<uint8_t>((source[2] * alpha) >> 8);
    }
  }
}

uint32_t ColorMappedRowLength(uint32_t width) { return width - (width % 4) + 4; }

namespace {

// Numbers the colours of `height` rows of `width` pixels, `stride` bytes apart, whose red,
// green and blue bytes start `rowStep` bytes apart per row at `first`. Rows are appended to
// the block as they are indexed, so an image with too many colours stops early and cheaply.
std::optional<ColorMappedData> MapColors(const uint8_t* first, size_t rowStep, size_t stride,
                                         uint32_t width, uint32_t height) {
  ColorMappedData data;
  data.paddedWidth = ColorMappedRowLength(width);
  if (data.paddedWidth > kMaxColorMappedWidth) return std::nullopt;
  data.bytes.reserve(kColorTableBytes + size_t{data.paddedWidth} * height);
  data.bytes.resize(kColorTableBytes);
  ColorIndex index;
  uint32_t lastKey = 0xFFFFFFFFu;
  int lastIndex = 0;
  for (uint32_t y = 0; y < height; ++y) {
    if (y % kRowsPerCancellationCheck == 0 && CancellationRequested()) return std::nullopt;
    const size_t rowStart = data.bytes.size();
    data.bytes.resize(rowStart + data.paddedWidth);  // the padding stays 0
    uint8_t* row = data.bytes.data() + rowStart;
    const uint8_t* pixel = first + y * rowStep;
    for (uint32_t x = 0; x < width; ++x, pixel += stride) {
      const uint32_t key = (uint32_t{pixel[0]} << 16) | (uint32_t{pixel[1]} << 8) | pixel[2];
      if (key != lastKey) {
        lastIndex = index.Find(key);
        if (lastIndex < 0) return std::nullopt;
        lastKey = key;
      }
      row[x] = static_cast<uint8_t>(lastIndex);
    }
  }
  for (size_t j = 0; j < index.count(); ++j) {
    const uint32_t key = index.key(j);
    data.bytes[3 * j] = static_cast<uint8_t>(key >> 16);
    data.bytes[3 * j + 1] = static_cast<uint8_t>(key >> 8);
    data.bytes[3 * j + 2] = static_cast<uint8_t>(key);
  }
  return data;
}

}  // namespace

std::optional<ColorMappedData> BuildColorMappedData(const PixelBuffer32& buffer) {
  return MapColors(buffer.bytes.data() + 1, size_t{buffer.width} * 4, 4, buffer.width, buffer.height);
}

std::optional<ColorMappedData> BuildColorMappedData(const ImageRows& rows) {
  return MapColors(rows.pixels.data(), rows.rowLength, static_cast<size_t>(rows.channels), rows.width,
                   rows.height);
}

}  // namespace lumapress
