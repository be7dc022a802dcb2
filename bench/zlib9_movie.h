#pragma once

// The size a compressed movie had when every zlib stream in it was written by zlib: lossless
// bitmaps at level 9, alpha bitmaps and JPEG alpha planes stored (level 0), and the whole body
// deflated again by compress2 at level 9. Rebuilt from a movie of today's writer, whose pixels,
// colour tables and JPEG streams are the same: only the compression differs.

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace lumapress::bench {

inline std::optional<std::vector<uint8_t>> InflateAll(std::span<const uint8_t> stream,
                                                      size_t expected) {
  std::vector<uint8_t> out(expected);
  uLongf size = expected;
  uLong used = stream.size();
  if (uncompress2(out.data(), &size, stream.data(), &used) != Z_OK || size != expected)
    return std::nullopt;
  return out;
}

// Inflates a zlib stream of unknown length.
inline std::optional<std::vector<uint8_t>> Inflate(std::span<const uint8_t> stream) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return std::nullopt;
  std::vector<uint8_t> out;
  uint8_t chunk[1 << 16];
  z.next_in = const_cast<Bytef*>(stream.data());
  z.avail_in = static_cast<uInt>(stream.size());
  int result = Z_OK;
  while (result == Z_OK) {
    z.next_out = chunk;
    z.avail_out = sizeof chunk;
    result = inflate(&z, Z_NO_FLUSH);
    out.insert(out.end(), chunk, chunk + (sizeof chunk - z.avail_out));
  }
  inflateEnd(&z);
  if (result != Z_STREAM_END) return std::nullopt;
  return out;
}

inline std::vector<uint8_t> Compress2(std::span<const uint8_t> data, int level) {
  uLongf size = compressBound(data.size());
  std::vector<uint8_t> out(size);
  compress2(out.data(), &size, data.data(), data.size(), level);
  out.resize(size);
  return out;
}

inline void AppendU16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void AppendU32(std::vector<uint8_t>& out, uint32_t v) {
  AppendU16(out, v & 0xFFFF);
  AppendU16(out, v >> 16);
}

// The zlib-only size of the compressed movie `file` ("CWS"), or nothing when it cannot be read.
inline std::optional<size_t> Zlib9MovieSize(std::span<const uint8_t> file) {
  if (file.size() < 8 || file[0] != 'C') return std::nullopt;
  const uint32_t length = file[4] | file[5] << 8 | file[6] << 16 | uint32_t(file[7]) << 24;
  const auto body = InflateAll(file.subspan(8), length - 8);
  if (!body) return std::nullopt;
  // FrameSize (a RECT: 5 bits of Nbits, four fields), FrameRate, FrameCount, then the tags.
  const size_t nbits = (*body)[0] >> 3;
  size_t at = (5 + 4 * nbits + 7) / 8 + 4;
  std::vector<uint8_t> rebuilt(body->begin(), body->begin() + static_cast<std::ptrdiff_t>(at));
  while (at + 2 <= body->size()) {
    const uint32_t word = (*body)[at] | (*body)[at + 1] << 8;
    const uint32_t code = word >> 6;
    size_t header = 2, size = word & 0x3F;
    if (size == 0x3F) {
      if (at + 6 > body->size()) return std::nullopt;
      size = (*body)[at + 2] | (*body)[at + 3] << 8 | (*body)[at + 4] << 16 |
             size_t((*body)[at + 5]) << 24;
      header = 6;
    }
    if (at + header + size > body->size()) return std::nullopt;
    const std::span<const uint8_t> tag(body->data() + at + header, size);
    // Fields before the zlib stream: CharacterId, format, width, height (+ colour count), or
    // CharacterId, AlphaDataOffset and the image data.
    size_t fields = 0;
    int level = -1;
    if (code == 20 || code == 36) {
      fields = tag[2] == 3 ? 8 : 7;
      level = code == 20 ? 9 : 0;
    } else if (code == 35) {
      fields = 6 + (tag[2] | tag[3] << 8 | tag[4] << 16 | size_t(tag[5]) << 24);
      level = 0;
    }
    if (level < 0) {
      rebuilt.insert(rebuilt.end(), body->begin() + static_cast<std::ptrdiff_t>(at),
                     body->begin() + static_cast<std::ptrdiff_t>(at + header + size));
    } else {
      const auto data = Inflate(tag.subspan(fields));
      if (!data) return std::nullopt;
      const std::vector<uint8_t> stream = Compress2(*data, level);
      AppendU16(rebuilt, code << 6 | 0x3F);
      AppendU32(rebuilt, static_cast<uint32_t>(fields + stream.size()));
      rebuilt.insert(rebuilt.end(), tag.begin(), tag.begin() + static_cast<std::ptrdiff_t>(fields));
      rebuilt.insert(rebuilt.end(), stream.begin(), stream.end());
    }
    at += header + size;
  }
  return 8 + Compress2(rebuilt, 9).size();
}

}  // namespace lumapress::bench
