#pragma once

#include <cstdint>

namespace lumapress {

// Number of ShowFrame tags that cover one image's display time. The count comes from a
// single-precision accumulator advanced in double precision, so it differs from
// delay x rate in a fixed, reproducible way (1 s at 12 fps gives 13 frames). Always >= 1.
uint32_t FramesForImage(float delaySeconds, float framesPerSecond);

}  // namespace lumapress
