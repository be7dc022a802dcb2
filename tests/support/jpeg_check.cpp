#include "support/jpeg_check.h"

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <random>

namespace lumapress::test {
namespace {

// libjpeg reports fatal errors through error_exit, which must not return: jump back.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->message);
  std::longjmp(manager->jump, 1);
}

void OnMessage(j_common_ptr, int) {}  // warnings are not interesting here

// Kept free of C++ objects with destructors, since longjmp skips them.
bool DecodeInto(std::span<const uint8_t> stream, DecodedJpeg& out, ErrorManager& errors) {
  jpeg_decompress_struct info;
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnError;
  errors.base.emit_message = OnMessage;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, stream.data(), static_cast<unsigned long>(stream.size()));
  jpeg_read_header(&info, TRUE);
  out.jpegColorSpace = info.jpeg_color_space;
  out.frameComponents = info.num_components;
  jpeg_start_decompress(&info);
  out.width = static_cast<int>(info.output_width);
  out.height = static_cast<int>(info.output_height);
  out.components = info.output_components;
  const size_t rowBytes = size_t(out.width) * out.components;
  out.pixels.resize(rowBytes * out.height);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = out.pixels.data() + rowBytes * info.output_scanline;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

bool EncodeInto(std::span<const uint8_t> rgb, int width, int height, int quality,
                unsigned char** buffer, unsigned long* size, ErrorManager& errors) {
  jpeg_compress_struct info;
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnError;
  if (setjmp(errors.jump)) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, buffer, size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  info.dct_method = JDCT_ISLOW;
  info.optimize_coding = FALSE;
  info.comp_info[0].h_samp_factor = 2;
  info.comp_info[0].v_samp_factor = 2;
  info.comp_info[1].h_samp_factor = info.comp_info[1].v_samp_factor = 1;
  info.comp_info[2].h_samp_factor = info.comp_info[2].v_samp_factor = 1;
  jpeg_start_compress(&info, TRUE);
  const size_t rowBytes = size_t(width) * 3;
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(rgb.data()) + rowBytes * info.next_scanline;
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

}  // namespace

DecodedJpeg DecodeJpeg(std::span<const uint8_t> stream) {
  DecodedJpeg out;
  ErrorManager errors{};
  out.ok = DecodeInto(stream, out, errors);
  if (!out.ok) {
    out.error = errors.message;
    out.pixels.clear();
  }
  return out;
}

std::vector<uint8_t> EncodeWithLibjpeg(std::span<const uint8_t> rgb, int width, int height,
                                       int quality) {
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  ErrorManager errors{};
  std::vector<uint8_t> out;
  if (EncodeInto(rgb, width, height, quality, &buffer, &size, errors)) {
    out.assign(buffer, buffer + size);
  }
  std::free(buffer);
  return out;
}

double Psnr(std::span<const uint8_t> a, std::span<const uint8_t> b) {
  if (a.size() != b.size() || a.empty()) return 0.0;
  double squares = 0.0;
  for (size_t i = 0; i < a.size(); ++i) {
    const double d = double(a[i]) - double(b[i]);
    squares += d * d;
  }
  if (squares == 0.0) return 99.0;
  return 10.0 * std::log10(255.0 * 255.0 * double(a.size()) / squares);
}

std::vector<uint8_t> MakePhotoLikeRgb(int width, int height, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  // A coarse lattice of random values, interpolated smoothly: texture at two scales.
  constexpr int kLattice = 64;
  std::vector<double> lattice(kLattice * kLattice);
  for (double& value : lattice) value = unit(random);
  const auto smoothNoise = [&](double x, double y) {
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const auto at = [&](int i, int j) {
      return lattice[((j & (kLattice - 1)) * kLattice) + (i & (kLattice - 1))];
    };
    const double top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
    const double bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
    return top + (bottom - top) * sy;
  };
  struct Disc {
    double x, y, radius, r, g, b;
  };
  std::vector<Disc> discs(6);
  for (Disc& d : discs) {
    d = {unit(random) * width, unit(random) * height, (0.05 + 0.15 * unit(random)) * std::min(width, height),
         255 * unit(random), 255 * unit(random), 255 * unit(random)};
  }
  std::normal_distribution<double> grain(0.0, 2.0);
  std::vector<uint8_t> rgb(size_t(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double u = double(x) / std::max(width, 1), v = double(y) / std::max(height, 1);
      const double coarse = smoothNoise(x / 40.0, y / 40.0);
      const double fine = smoothNoise(x / 3.0 + 17, y / 3.0 + 29);
      double r = 60 + 120 * u + 50 * coarse + 20 * fine;
      double g = 80 + 90 * std::sin(3.0 * v + 1.0) * 0.5 + 60 * coarse + 15 * fine;
      double b = 150 - 100 * v + 30 * coarse + 20 * fine;
      for (const Disc& d : discs) {
        const double dx = x - d.x, dy = y - d.y;
        if (dx * dx + dy * dy < d.radius * d.radius) {
          r = d.r + 25 * fine;
          g = d.g + 25 * fine;
          b = d.b + 25 * fine;
        }
      }
      if ((x / 37 + y / 53) % 7 == 0) r = g = b = 20 + 30 * coarse;  // dark stripes: edges
      uint8_t* pixel = &rgb[(size_t(y) * width + x) * 3];
      const double channels[3] = {r, g, b};
      for (int c = 0; c < 3; ++c) {
        pixel[c] = static_cast<uint8_t>(std::clamp(std::lround(channels[c] + grain(random)), 0L, 255L));
      }
    }
  }
  return rgb;
}

std::vector<uint8_t> MakeNoise(size_t length, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> bytes(length);
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random() >> 24);
  return bytes;
}

void SetUpSwfStyleRecord(JPEG_PROPERTIES& record, const uint8_t* pixels, int width, int height,
                         int channels, int quality, uint8_t* buffer, size_t bufferSize) {
  record.pixels = pixels;
  record.pixelWidth = width;
  record.pixelHeight = height;
  record.pixelChannels = channels;
  record.pixelColor = kJpegColorRgb;
  record.jpegBuffer = buffer;
  record.jpegBufferSize = static_cast<int32_t>(bufferSize);
  record.jpegWidth = width;
  record.jpegHeight = height;
  record.jpegChannels = 3;
  record.jpegColor = kJpegColorYCbCr;
  record.quality = quality;
}

LumapressJpeg EncodeWithLumapress(std::span<const uint8_t> pixels, int width, int height,
                                  int channels, int quality, JpegOpsSet set, size_t bufferSize,
                                  JpegInstructionSet instructionSet) {
  if (bufferSize == 0) bufferSize = JpegWorstCaseSize(width, height);
  std::vector<uint8_t> buffer(bufferSize);
  JPEG_PROPERTIES record{};
  LumapressJpeg out;
  out.result = InitProperties(record);
  if (out.result != 0) return out;
  SelectJpegOpsSet(record, set, instructionSet);
  SetUpSwfStyleRecord(record, pixels.data(), width, height, channels, quality, buffer.data(), bufferSize);
  out.result = EncodeImage(record, kJpegModeBuffer);
  if (out.result == 0) out.bytes.assign(buffer.begin(), buffer.begin() + record.jpegBufferSize);
  ReleaseProperties(record);
  return out;
}

}  // namespace lumapress::test
