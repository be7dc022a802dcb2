#pragma once

#include <cstdint>
#include <string>

namespace lumapress {

// A rough measure of the work of converting the PNG at `path` at `jpegQuality`, for ordering
// a parallel batch so that its largest images start first and it does not end on one long
// image while the other workers are idle. Only comparisons between images mean anything.
// Reads the file's size and header, nothing more; 0 when the file cannot be opened or is not
// a regular file (a pipe's header is read only once, by the conversion).
uint64_t EstimateConversionWork(const std::string& path, int32_t jpegQuality);

}  // namespace lumapress
