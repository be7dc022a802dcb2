#pragma once

#include <cstdint>

namespace lumapress {

// The compressed movie ("CWS"): this version byte, the uncompressed FileLength, then the body
// after byte 8 as one zlib stream written by zlib.
inline constexpr uint8_t kCompressedMovieVersion = 6;
inline constexpr int64_t kMovieHeaderBytes = 8;
// Best compression (the stream's header reads 78 DA), with zlib's largest memory level: a
// larger hash table and longer blocks than compress2's level 8.
inline constexpr int kMovieZlibLevel = 9;
inline constexpr int kMovieZlibMemLevel = 9;

}  // namespace lumapress
