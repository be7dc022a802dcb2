#pragma once

// The standard quantisation and Huffman tables (ITU T.81 Annex K), the zig-zag sequence,
// quality scaling, and the derivation of Huffman code tables for the entropy coder.

#include <array>
#include <cstdint>
#include <span>

namespace lumapress {

inline constexpr int kJpegBlockSize = 64;  // coefficients in an 8 x 8 block

// Natural (row-major) position of each zig-zag index.
inline constexpr std::array<uint8_t, kJpegBlockSize> kJpegZigZagToNatural = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// Table K.1 (luminance) and K.2 (chrominance), in zig-zag order as DQT carries them.
extern const std::array<uint8_t, kJpegBlockSize> kJpegLuminanceQuant;
extern const std::array<uint8_t, kJpegBlockSize> kJpegChrominanceQuant;

// A Huffman table as DHT carries it: 16 counts of codes of length 1-16, then the values.
struct JpegHuffmanSpec {
  uint8_t tableClass;  // 0 DC, 1 AC
  uint8_t id;
  std::span<const uint8_t, 16> counts;
  std::span<const uint8_t> values;
};

// The four default tables in DHT order: DC 0 (K.3), AC 0 (K.5), DC 1 (K.4), AC 1 (K.6).
inline constexpr int kJpegDefaultHuffmanCount = 4;
const JpegHuffmanSpec& DefaultHuffmanSpec(int position);

// A DHT table may list at most this many values (the encoder's descriptor capacity).
inline constexpr int kJpegMaxHuffmanValues = 307;
// Code lengths a derived table accepts (256 symbols plus two spare entries).
inline constexpr int kJpegMaxHuffmanLengths = 258;

// Code and length per symbol value; length 0 for a symbol the table does not hold.
struct JpegHuffmanCodes {
  uint16_t code[256];
  uint8_t length[256];
};

// Canonical codes from counts and values (T.81 Annex C). Returns 0, or -6 when the counts
// list more than kJpegMaxHuffmanLengths codes or more codes than values are given.
int32_t DeriveHuffmanCodes(const JpegHuffmanSpec& table, JpegHuffmanCodes& codes);

// Quality clamped to 1-100.
int ClampJpegQuality(int quality);

// Scales a zig-zag base table by quality: entries 1-255.
std::array<uint8_t, kJpegBlockSize> ScaleQuantTable(const std::array<uint8_t, kJpegBlockSize>& base,
                                                    int quality);

}  // namespace lumapress
