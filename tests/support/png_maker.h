#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Test images written with libpng's writer: any colour type and bit depth, palettes, tRNS, gAMA
// and Adam7 interlacing, to memory or to a file; plus chunk-level tools for building broken
// files. Writer failures throw std::runtime_error with libpng's message.
#include "support/files.h"

namespace lumapress::test {

// PNG colour types, as in the IHDR chunk.
inline constexpr int kGray = 0;
inline constexpr int kRgb = 2;
inline constexpr int kPalette = 3;
inline constexpr int kGrayAlpha = 4;
inline constexpr int kRgba = 6;

struct PngColor {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
};

// One PNG to write.
struct TestPng {
  uint32_t width = 1;
  uint32_t height = 1;
  int colorType = kRgb;
  int bitDepth = 8;  // 1, 2, 4, 8 or 16, as the colour type allows
  // width * height * SamplesPerPixel(colorType) values, rows top to bottom, pixels left to
  // right, channels in PNG order (gray/R, G, B, alpha); each value below 2^bitDepth. For a
  // palette image the values are entry indices.
  std::vector<uint16_t> samples;
  std::vector<PngColor> palette;  // PLTE entries; needed for colour type 3
  // tRNS contents, empty for none. Palette: alpha of the first trns.size() entries (0..255).
  // Gray: one value. RGB: three values (R, G, B). Gray and RGB values are at the bit depth.
  std::vector<uint16_t> trns;
  double gamma = 0.0;       // file gamma written as gAMA (1/2.2 for 0.45455); 0 writes none
  bool interlaced = false;  // Adam7
};

// Channels per pixel in the file: 1 gray or palette, 2 gray+alpha, 3 RGB, 4 RGBA.
int SamplesPerPixel(int colorType);

// The fifteen colour-type / bit-depth pairs that PNG allows, as {colorType, bitDepth}.
struct ColorTypeDepth {
  int colorType;
  int bitDepth;
};
std::span<const ColorTypeDepth> ValidColorTypeDepths();

// A width x height image of the given type whose samples sweep the whole range of the bit depth
// (every value appears when there are enough samples), varied by `seed`. Palette images get a
// full palette (2^bitDepth distinct entries). No tRNS, gAMA or interlacing.
TestPng PatternPng(int colorType, int bitDepth, uint32_t width, uint32_t height, uint32_t seed = 0);

// tRNS contents for a PatternPng image (gray, RGB or palette) that make some of its pixels
// transparent: the value of pixel 5 for gray and RGB; for a palette, varied alphas for all
// entries but the last, which stays opaque.
std::vector<uint16_t> PatternTrns(const TestPng& source);

// Straight 8-bit images from packed bytes (3 or 4 per pixel, rows top to bottom).
TestPng Rgb8Png(uint32_t width, uint32_t height, std::span<const uint8_t> rgb);
TestPng Rgba8Png(uint32_t width, uint32_t height, std::span<const uint8_t> rgba);

// The complete PNG file for `source`.
std::vector<uint8_t> EncodePng(const TestPng& source);

// Writes the PNG for `source` to `path`, replacing any file there.
void WritePngFile(const std::string& path, const TestPng& source);
void WriteRgb8Png(const std::string& path, uint32_t width, uint32_t height,
                  std::span<const uint8_t> rgb);
void WriteRgba8Png(const std::string& path, uint32_t width, uint32_t height,
                   std::span<const uint8_t> rgba);

// --- Chunk-level tools for broken or hand-made files.

// The 8-byte PNG signature.
std::vector<uint8_t> PngSignature();
// One chunk: big-endian length, type, data, CRC-32 over type and data.
std::vector<uint8_t> PngChunk(std::string_view type, std::span<const uint8_t> data);
// IHDR data (13 bytes) with compression, filter and interlace method 0 unless given.
std::vector<uint8_t> IhdrData(uint32_t width, uint32_t height, int bitDepth, int colorType,
                              int interlace = 0);
// Offset of the first chunk of `type` (at its length field), or npos when there is none.
inline constexpr size_t kNoChunk = static_cast<size_t>(-1);
size_t FindChunk(std::span<const uint8_t> png, std::string_view type);
// Replaces the data of the first chunk of `type` and recomputes its CRC.
std::vector<uint8_t> ReplaceChunkData(std::span<const uint8_t> png, std::string_view type,
                                      std::span<const uint8_t> data);

// --- Reading bytes through stdio.

struct FileCloser {
  void operator()(FILE* file) const {
    if (file != nullptr) std::fclose(file);
  }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// A read-only stdio stream over `bytes` (fmemopen); `bytes` must outlive it. Works for empty
// input too.
FilePtr OpenBytesAsFile(std::span<const uint8_t> bytes);

}  // namespace lumapress::test
