#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace lumapress {

// How well bytes deflate, judged from samples: up to four pieces of 16 KiB spread evenly over
// them (all of them when shorter), compressed at libdeflate's fastest level, which finds the
// long repeats that matter. The cost stays small whatever the size. Throws std::bad_alloc
// when memory runs out.
struct DeflatedSamples {
  size_t in = 0;   // sampled bytes
  size_t out = 0;  // what they deflated to, never more than `in`
};
DeflatedSamples DeflateSamples(std::span<const uint8_t> bytes);

// Whether deflating already-compressed bytes (a zlib stream, JPEG scan data) once more pays:
// true when their samples shrink by at least 1/200.
bool WorthDeflatingAgain(std::span<const uint8_t> bytes);

}  // namespace lumapress
