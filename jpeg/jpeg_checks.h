#pragma once

// Validation of a record's fields before an encode.

#include <cstdint>

namespace lumapress {

struct JpegImageParams;

// Checks the fields for `mode`, in a fixed order, and returns the first violation's code
// (-8, -3 or -12) or 0.
int32_t CheckJpegProperties(const JpegImageParams& image, int32_t mode, int32_t dctVariant);

}  // namespace lumapress
