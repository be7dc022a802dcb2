#include "conversion/pixel_buffer.h"

#include <array>

namespace lumapress {
namespace {

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

PixelBuffer32 FillPixelBuffer32(const ImageRows& rows) {
  PixelBuffer32 buffer;
  buffer.width = rows.width;
  buffer.height = rows.height;
  buffer.bytes.assign(size_t{rows.width} * rows.height * 4, 0);
  uint8_t* target = buffer.bytes.data();
  for (uint32_t y = 0; y < rows.height; ++y) {
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
      for (uint32_t x = 0; x < rows.width; ++x, source += 3, target += 4) {
        target[1] = source[0];
        target[2] = source[1];
        target[3] = source[2];
      }
    }
  }
  return buffer;
}

uint32_t ColorMappedRowLength(uint32_t width) { return width - (width % 4) + 4; }

std::optional<ColorMappedData> BuildColorMappedData(const PixelBuffer32& buffer) {
  ColorMappedData data;
  data.paddedWidth = ColorMappedRowLength(buffer.width);
  data.bytes.assign(kColorTableBytes + size_t{data.paddedWidth} * buffer.height, 0);
  ColorIndex index;
  const uint8_t* pixel = buffer.bytes.data();
  uint32_t lastKey = 0xFFFFFFFFu;
  int lastIndex = 0;
  for (uint32_t y = 0; y < buffer.height; ++y) {
    uint8_t* row = data.bytes.data() + kColorTableBytes + size_t{y} * data.paddedWidth;
    for (uint32_t x = 0; x < buffer.width; ++x, pixel += 4) {
      const uint32_t key = (uint32_t{pixel[1]} << 16) | (uint32_t{pixel[2]} << 8) | pixel[3];
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

}  // namespace lumapress
