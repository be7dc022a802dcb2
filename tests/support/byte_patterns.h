#pragma once

// Bytes for compression tests.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace lumapress::test {

// Pseudo-random bytes from `seed` (a linear congruential sequence): they deflate poorly, so
// compressed data of them stays about as large as they are.
std::vector<uint8_t> NoiseBytes(size_t count, uint32_t seed);

// True when `needle` occurs in `haystack` as it is: data that went into a compressed stream
// as stored blocks can be found in it.
bool ContainsBytes(std::span<const uint8_t> haystack, std::span<const uint8_t> needle);

}  // namespace lumapress::test
