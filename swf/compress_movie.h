#pragma once

#include <cstdint>
#include <string>

#include "common/diagnostics.h"

namespace lumapress {

// Rewrites the uncompressed movie at inputPath ("FWS") as a zlib-compressed movie ("CWS",
// version 6, the uncompressed FileLength kept, the whole body after byte 8 deflated at level 9,
// as swf/movie_compression.h sets the stream up) at outputPath. The paths may be the same. The
// result is written to a temporary file next to outputPath and renamed over it only when
// complete, so a failure leaves outputPath as it was.
//
// Returns the compressed file's size, or
//  -1 the input cannot be opened or read, or is not an uncompressed movie (left untouched);
//  -2 the output cannot be created;
//  -3 writing the output failed.
// The statistics (or what failed) go to `diagnostics`; without it, to standard output.
int32_t CompressMovie(const std::string& inputPath, const std::string& outputPath,
                      Diagnostics& diagnostics);
int32_t CompressMovie(const std::string& inputPath, const std::string& outputPath);

}  // namespace lumapress
