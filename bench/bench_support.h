#pragma once

// What the benchmarks share: the corpus folder, its files by name prefix, the floor every
// conversion is measured against (decoding PNG files with plain libpng), and the clocks.

#include <png.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace lumapress::bench {

// LUMAPRESS_CORPUS_DIR when set, else the corpus beside the checkout.
inline std::filesystem::path CorpusDir() {
  const char* set = std::getenv("LUMAPRESS_CORPUS_DIR");
  return set != nullptr && *set != '\0' ? std::filesystem::path(set)
                                        : std::filesystem::path(LUMAPRESS_CORPUS_DIR);
}

// Corpus files whose names start with `prefix`, sorted.
inline std::vector<std::string> CorpusFiles(const std::string& prefix) {
  std::vector<std::string> paths;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(CorpusDir(), error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0 && entry.path().extension() == ".png")
      paths.push_back(entry.path().string());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

struct DecodedRgb {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> rgb;
};

// Plain libpng: signature, header, expansion to 8-bit RGB, every row.
inline bool DecodeWithLibpng(const std::string& path, DecodedRgb& image) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_init_io(png, file.get());
  png_read_info(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_read_update_info(png, info);
  image.width = png_get_image_width(png, info);
  image.height = png_get_image_height(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  image.rgb.resize(rowBytes * image.height);
  rows.resize(image.height);
  for (uint32_t y = 0; y < image.height; ++y) rows[y] = image.rgb.data() + y * rowBytes;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

// 8-bit RGB or RGBA rows (no padding) as a PNG file in memory, by libpng's simplified API;
// empty when libpng fails.
inline std::vector<uint8_t> EncodePng(const std::vector<uint8_t>& pixels, uint32_t width, uint32_t height,
                                      bool alpha) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = width;
  image.height = height;
  image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  if (png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr) == 0) return {};
  std::vector<uint8_t> png(size);
  if (png_image_write_to_memory(&image, png.data(), &size, 0, pixels.data(), 0, nullptr) == 0) return {};
  png.resize(size);
  return png;
}

// CPU time of this thread: the machine is shared, so wall time would count other programs.
inline double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// CPU time of the whole process, and a steady wall clock, in seconds.
inline double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}
inline double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace lumapress::bench
