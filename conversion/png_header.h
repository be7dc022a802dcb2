#pragma once

#include <cstdint>
#include <cstdio>

namespace lumapress {

// The fields of a PNG's IHDR chunk that matter before decoding, read straight from the file.
struct PngHeaderFields {
  uint32_t width = 0;
  uint32_t height = 0;
  uint8_t bitDepth = 0;
  uint8_t colorType = 0;
};

// Reads the signature and IHDR fields from the start of `file` without libpng and without
// checking them. False when the file is shorter or does not start with a PNG signature and an
// IHDR chunk. The file position is left after the fields read.
bool PeekPngHeader(std::FILE* file, PngHeaderFields& fields);

}  // namespace lumapress
