#pragma once

#include <cstdint>
#include <span>

namespace lumapress {

// Whether deflating already-compressed bytes (a zlib stream, JPEG scan data) once more pays:
// true when libdeflate's fastest level shortens samples of them by at least 1/200. The
// samples are up to four pieces of 16 KiB spread evenly over `bytes` (all of them when
// shorter), so the cost stays small whatever the size. Throws std::bad_alloc when memory runs
// out.
bool WorthDeflatingAgain(std::span<const uint8_t> bytes);

}  // namespace lumapress
