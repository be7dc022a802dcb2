#include "support/png_maker.h"

#include <png.h>
#include <zlib.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <csetjmp>
#include <stdexcept>

#include "platform/file_system.h"

namespace lumapress::test {
namespace {

constexpr size_t kErrorTextBytes = 160;

constexpr ColorTypeDepth kValidColorTypeDepths[] = {
    {kGray, 1},    {kGray, 2},      {kGray, 4},       {kGray, 8},    {kGray, 16},
    {kRgb, 8},     {kRgb, 16},      {kPalette, 1},    {kPalette, 2}, {kPalette, 4},
    {kPalette, 8}, {kGrayAlpha, 8}, {kGrayAlpha, 16}, {kRgba, 8},    {kRgba, 16},
};

void AppendToVector(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

[[noreturn]] void OnWriteError(png_structp png, png_const_charp message) {
  std::snprintf(static_cast<char*>(png_get_error_ptr(png)), kErrorTextBytes, "%s", message);
  png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// Everything the guarded write needs, prepared outside it.
struct WriteJob {
  const TestPng* source = nullptr;
  png_bytepp rows = nullptr;
  const png_color* palette = nullptr;
  int paletteSize = 0;
  const png_byte* trnsAlpha = nullptr;
  int trnsCount = 0;
  const png_color_16* trnsColor = nullptr;
  std::vector<uint8_t>* out = nullptr;
};

// The only setjmp point of the writer: holds no object with a destructor.
bool WriteGuarded(png_structp png, png_infop info, const WriteJob* job) {
  if (setjmp(png_jmpbuf(png))) return false;
  const TestPng& source = *job->source;
  png_set_write_fn(png, job->out, AppendToVector, FlushNothing);
  png_set_IHDR(png, info, source.width, source.height, source.bitDepth, source.colorType,
               source.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (job->paletteSize > 0) png_set_PLTE(png, info, job->palette, job->paletteSize);
  if (job->trnsAlpha != nullptr || job->trnsColor != nullptr) {
    png_set_tRNS(png, info, job->trnsAlpha, job->trnsCount, job->trnsColor);
  }
  if (source.gamma > 0.0) png_set_gAMA(png, info, source.gamma);
  png_write_info(png, info);
  png_write_image(png, job->rows);
  png_write_end(png, info);
  return true;
}

// Packs samples into PNG rows: several per byte (most significant first) below 8 bits,
// big-endian pairs at 16.
std::vector<std::vector<uint8_t>> PackRows(const TestPng& source) {
  const size_t perRow =
      size_t{source.width} * static_cast<size_t>(SamplesPerPixel(source.colorType));
  if (source.samples.size() != perRow * source.height) {
    throw std::invalid_argument("TestPng: sample count does not match the image size");
  }
  const size_t rowBytes = (perRow * static_cast<size_t>(source.bitDepth) + 7) / 8;
  std::vector<std::vector<uint8_t>> rows(source.height, std::vector<uint8_t>(rowBytes, 0));
  for (uint32_t y = 0; y < source.height; ++y) {
    const uint16_t* in = source.samples.data() + y * perRow;
    uint8_t* out = rows[y].data();
    for (size_t i = 0; i < perRow; ++i) {
      const uint16_t value = in[i];
      if (source.bitDepth == 16) {
        out[2 * i] = static_cast<uint8_t>(value >> 8);
        out[2 * i + 1] = static_cast<uint8_t>(value & 0xFF);
      } else if (source.bitDepth == 8) {
        out[i] = static_cast<uint8_t>(value);
      } else {
        const size_t bit = i * static_cast<size_t>(source.bitDepth);
        const int shift = 8 - source.bitDepth - static_cast<int>(bit % 8);
        out[bit / 8] |= static_cast<uint8_t>((value & ((1u << source.bitDepth) - 1)) << shift);
      }
    }
  }
  return rows;
}

void PutBigEndian32(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value >> 24));
  out.push_back(static_cast<uint8_t>(value >> 16));
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

uint32_t GetBigEndian32(const uint8_t* bytes) {
  return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) |
         uint32_t{bytes[3]};
}

}  // namespace

int SamplesPerPixel(int colorType) {
  switch (colorType) {
    case kRgb:
      return 3;
    case kGrayAlpha:
      return 2;
    case kRgba:
      return 4;
    default:
      return 1;
  }
}

std::span<const ColorTypeDepth> ValidColorTypeDepths() { return kValidColorTypeDepths; }

TestPng PatternPng(int colorType, int bitDepth, uint32_t width, uint32_t height, uint32_t seed) {
  TestPng source;
  source.width = width;
  source.height = height;
  source.colorType = colorType;
  source.bitDepth = bitDepth;
  const uint32_t mask = (1u << bitDepth) - 1;
  const size_t count = size_t{width} * height * static_cast<size_t>(SamplesPerPixel(colorType));
  source.samples.resize(count);
  // An odd multiplier visits every value once per 2^bitDepth consecutive samples.
  for (size_t i = 0; i < count; ++i) {
    source.samples[i] = static_cast<uint16_t>((i * 40503u + seed * 9973u) & mask);
  }
  if (colorType == kPalette) {
    for (uint32_t k = 0; k <= mask; ++k) {
      source.palette.push_back({static_cast<uint8_t>(k), static_cast<uint8_t>(k * 97 + seed),
                                static_cast<uint8_t>(k * 53 + 11)});
    }
  }
  return source;
}

std::vector<uint16_t> PatternTrns(const TestPng& source) {
  if (source.colorType == kPalette) {
    std::vector<uint16_t> alphas;
    for (size_t k = 0; k + 1 < source.palette.size() || k == 0; ++k) {
      alphas.push_back(static_cast<uint16_t>((k * 89) & 0xFF));
    }
    return alphas;
  }
  const size_t first = 5 * static_cast<size_t>(SamplesPerPixel(source.colorType));
  if (source.colorType == kGray) return {source.samples.at(first)};
  if (source.colorType == kRgb) {
    return {source.samples.at(first), source.samples.at(first + 1), source.samples.at(first + 2)};
  }
  throw std::invalid_argument("PatternTrns: colour type has an alpha channel");
}

TestPng Rgb8Png(uint32_t width, uint32_t height, std::span<const uint8_t> rgb) {
  TestPng source;
  source.width = width;
  source.height = height;
  source.colorType = kRgb;
  source.samples.assign(rgb.begin(), rgb.end());
  return source;
}

TestPng Rgba8Png(uint32_t width, uint32_t height, std::span<const uint8_t> rgba) {
  TestPng source = Rgb8Png(width, height, rgba);
  source.colorType = kRgba;
  return source;
}

std::vector<uint8_t> EncodePng(const TestPng& source) {
  std::vector<std::vector<uint8_t>> packed = PackRows(source);
  std::vector<png_bytep> rows;
  for (auto& row : packed) rows.push_back(row.data());
  std::vector<png_color> palette;
  for (const PngColor& c : source.palette) palette.push_back({c.red, c.green, c.blue});
  std::vector<png_byte> trnsAlpha;
  png_color_16 trnsColor{};
  WriteJob job;
  job.source = &source;
  job.rows = rows.data();
  job.palette = palette.data();
  job.paletteSize = static_cast<int>(palette.size());
  if (!source.trns.empty()) {
    if (source.colorType == kPalette) {
      for (uint16_t alpha : source.trns) trnsAlpha.push_back(static_cast<png_byte>(alpha));
      job.trnsAlpha = trnsAlpha.data();
      job.trnsCount = static_cast<int>(trnsAlpha.size());
    } else if (source.colorType == kGray) {
      trnsColor.gray = source.trns[0];
      job.trnsColor = &trnsColor;
    } else if (source.colorType == kRgb && source.trns.size() >= 3) {
      trnsColor.red = source.trns[0];
      trnsColor.green = source.trns[1];
      trnsColor.blue = source.trns[2];
      job.trnsColor = &trnsColor;
    } else {
      throw std::invalid_argument("TestPng: tRNS does not fit the colour type");
    }
  }
  std::vector<uint8_t> out;
  job.out = &out;

  char error[kErrorTextBytes] = "out of memory";
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, error, OnWriteError, IgnoreWarning);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  const bool written = info != nullptr && WriteGuarded(png, info, &job);
  png_destroy_write_struct(&png, &info);
  if (!written) throw std::runtime_error(std::string("libpng write failed: ") + error);
  return out;
}

void WritePngFile(const std::string& path, const TestPng& source) {
  WriteFileBytes(path, EncodePng(source));
}

void WriteRgb8Png(const std::string& path, uint32_t width, uint32_t height,
                  std::span<const uint8_t> rgb) {
  WritePngFile(path, Rgb8Png(width, height, rgb));
}

void WriteRgba8Png(const std::string& path, uint32_t width, uint32_t height,
                   std::span<const uint8_t> rgba) {
  WritePngFile(path, Rgba8Png(width, height, rgba));
}

std::vector<uint8_t> PngSignature() { return {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}; }

std::vector<uint8_t> PngChunk(std::string_view type, std::span<const uint8_t> data) {
  std::vector<uint8_t> chunk;
  PutBigEndian32(chunk, static_cast<uint32_t>(data.size()));
  chunk.insert(chunk.end(), type.begin(), type.end());
  chunk.insert(chunk.end(), data.begin(), data.end());
  const uLong crc = crc32(0L, chunk.data() + 4, static_cast<uInt>(chunk.size() - 4));
  PutBigEndian32(chunk, static_cast<uint32_t>(crc));
  return chunk;
}

std::vector<uint8_t> IhdrData(uint32_t width, uint32_t height, int bitDepth, int colorType,
                              int interlace) {
  std::vector<uint8_t> data;
  PutBigEndian32(data, width);
  PutBigEndian32(data, height);
  data.push_back(static_cast<uint8_t>(bitDepth));
  data.push_back(static_cast<uint8_t>(colorType));
  data.push_back(0);  // compression method
  data.push_back(0);  // filter method
  data.push_back(static_cast<uint8_t>(interlace));
  return data;
}

size_t FindChunk(std::span<const uint8_t> png, std::string_view type) {
  size_t at = 8;
  while (at + 12 <= png.size()) {
    const uint32_t length = GetBigEndian32(png.data() + at);
    if (std::string_view(reinterpret_cast<const char*>(png.data() + at + 4), 4) == type) return at;
    at += 12 + size_t{length};
  }
  return kNoChunk;
}

std::vector<uint8_t> ReplaceChunkData(std::span<const uint8_t> png, std::string_view type,
                                      std::span<const uint8_t> data) {
  const size_t at = FindChunk(png, type);
  if (at == kNoChunk) throw std::invalid_argument("no chunk " + std::string(type));
  const size_t end = at + 12 + GetBigEndian32(png.data() + at);
  std::vector<uint8_t> out(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(at));
  const std::vector<uint8_t> chunk = PngChunk(type, data);
  out.insert(out.end(), chunk.begin(), chunk.end());
  out.insert(out.end(), png.begin() + static_cast<std::ptrdiff_t>(end), png.end());
  return out;
}

#ifdef _WIN32
FilePtr OpenBytesAsFile(std::span<const uint8_t> bytes) {
  // No memory streams here: a temporary file that goes away when closed ("D").
  wchar_t folder[MAX_PATH + 1];
  wchar_t name[MAX_PATH + 1];
  if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"lmp", 0, name) == 0) {
    return nullptr;
  }
  FilePtr file(_wfopen(name, L"w+bD"));
  if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() ||
      std::fseek(file.get(), 0, SEEK_SET) != 0) {
    return nullptr;
  }
  return file;
}
#else
FilePtr OpenBytesAsFile(std::span<const uint8_t> bytes) {
  // fmemopen wants a non-null buffer even for no bytes; it only reads in mode "rb".
  static uint8_t empty = 0;
  void* buffer = bytes.empty() ? &empty : const_cast<uint8_t*>(bytes.data());
  return FilePtr(fmemopen(buffer, bytes.size(), "rb"));
}
#endif

}  // namespace lumapress::test
