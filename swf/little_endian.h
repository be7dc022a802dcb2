#pragma once

#include <array>
#include <cstdint>

namespace lumapress {

// SWF integers are little-endian. This is the one place that lays their bytes out, for the
// movie stream and for tag bodies built in memory alike.
constexpr std::array<uint8_t, 2> U16Bytes(uint32_t value) {
  return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
}

constexpr std::array<uint8_t, 4> U32Bytes(uint32_t value) {
  return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
          static_cast<uint8_t>(value >> 24)};
}

}  // namespace lumapress
