// Writes the bundled sample images: small PNGs of different colour types, with alpha and
// without, so that a conversion of the samples shows every lossless bitmap form.
// Usage: lumapress-make-samples FOLDER
#include <png.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 160;   // small enough to keep the committed files a few kB
constexpr int kHeight = 120;

struct Image {
  int colorType;  // PNG_COLOR_TYPE_*
  int bitDepth;
  int channels;   // samples per pixel as stored
  std::vector<uint8_t> samples;  // big-endian samples for 16-bit images
  std::vector<png_color> palette;
};

bool WritePng(const std::string& path, const Image& image) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> owner(file, std::fclose);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, kWidth, kHeight, image.bitDepth, image.colorType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!image.palette.empty()) {
    png_set_PLTE(png, info, image.palette.data(), static_cast<int>(image.palette.size()));
  }
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  const size_t rowBytes = static_cast<size_t>(kWidth) * image.channels * (image.bitDepth / 8);
  for (int y = 0; y < kHeight; ++y) {
    png_write_row(png, image.samples.data() + y * rowBytes);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

// A smooth colour gradient: thousands of colours, 8-bit RGB.
Image Gradient() {
  Image image{PNG_COLOR_TYPE_RGB, 8, 3, {}, {}};
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      image.samples.push_back(static_cast<uint8_t>(x * 255 / (kWidth - 1)));
      image.samples.push_back(static_cast<uint8_t>(y * 255 / (kHeight - 1)));
      image.samples.push_back(static_cast<uint8_t>(128 + 100 * std::sin((x + y) / 20.0)));
    }
  }
  return image;
}

// Flat shapes in a palette of four colours: the colour-mapped form.
Image Shapes() {
  Image image{PNG_COLOR_TYPE_PALETTE, 8, 1, {}, {{250, 245, 230}, {200, 40, 40}, {40, 90, 200}, {30, 30, 30}}};
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const int dx = x - 50, dy = y - 60;
      uint8_t index = 0;
      if (dx * dx + dy * dy < 35 * 35) index = 1;
      if (x > 95 && x < 145 && y > 30 && y < 90) index = 2;
      if (y == 5 || y == kHeight - 6) index = 3;
      image.samples.push_back(index);
    }
  }
  return image;
}

// A soft disc fading to transparent: straight alpha, 8-bit RGBA.
Image Glow() {
  Image image{PNG_COLOR_TYPE_RGB_ALPHA, 8, 4, {}, {}};
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const double d = std::hypot(x - kWidth / 2.0, y - kHeight / 2.0) / (kHeight / 2.0);
      const double alpha = d >= 1.0 ? 0.0 : 1.0 - d * d;
      image.samples.push_back(255);
      image.samples.push_back(static_cast<uint8_t>(160 + 90 * (1.0 - d > 0 ? 1.0 - d : 0)));
      image.samples.push_back(40);
      image.samples.push_back(static_cast<uint8_t>(alpha * 255.0 + 0.5));
    }
  }
  return image;
}

// Gray rings in 16 bits per sample: the 32-bit lossless form.
Image Rings() {
  Image image{PNG_COLOR_TYPE_GRAY, 16, 1, {}, {}};
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const double d = std::hypot(x - kWidth / 2.0, y - kHeight / 2.0);
      // Whole multiples of 257 keep the low byte equal to the high one, which keeps the file small.
      const auto level = static_cast<uint16_t>(127.5 + 127.5 * std::cos(d / 6.0));
      const auto value = static_cast<uint16_t>(level * 257);
      image.samples.push_back(static_cast<uint8_t>(value >> 8));
      image.samples.push_back(static_cast<uint8_t>(value & 0xFF));
    }
  }
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const struct {
    const char* name;
    Image image;
  } samples[] = {{"1-gradient.png", Gradient()}, {"2-shapes.png", Shapes()},
                 {"3-glow.png", Glow()}, {"4-rings.png", Rings()}};
  for (const auto& sample : samples) {
    const std::string path = folder + "/" + sample.name;
    if (!WritePng(path, sample.image)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
