#include "jpeg/jpeg_color.h"

#include <algorithm>
#include <utility>

#include "jpeg/jpeg_properties.h"

namespace lumapress {
namespace {

constexpr int kMcuSide = 16;  // largest MCU side: 8 x the largest sampling factor (2)
constexpr int kBlockSide = 8;
constexpr int kLevelShift = 128;

// Full-resolution values of one component over the MCU.
using Plane = int16_t[kMcuSide][kMcuSide];

// Pixels of the MCU that lie inside the frame, and the MCU's size in pixels.
struct McuArea {
  int width;        // 8 x max H
  int height;       // 8 x max V
  int validWidth;
  int validHeight;
  int x;            // left pixel column
  int y;            // top pixel row
};

McuArea AreaOf(const JpegWorkingState& state, int mcuX, int mcuY) {
  McuArea area{};
  area.width = kBlockSide * state.maxH;
  area.height = kBlockSide * state.maxV;
  area.x = mcuX * area.width;
  area.y = mcuY * area.height;
  area.validWidth = std::min(area.width, state.image.jpegWidth - area.x);
  area.validHeight = std::min(area.height, state.image.jpegHeight - area.y);
  return area;
}

const uint8_t* RowOf(const JpegWorkingState& state, int y) {
  return state.firstRow + static_cast<ptrdiff_t>(y) * state.rowStride;
}

// Repeats each valid row's last value to the right and the last valid row downwards.
void PadPlane(Plane& plane, const McuArea& area) {
  for (int row = 0; row < area.validHeight; ++row) {
    std::fill(plane[row] + area.validWidth, plane[row] + area.width,
              plane[row][area.validWidth - 1]);
  }
  for (int row = area.validHeight; row < area.height; ++row) {
    std::copy(plane[row - 1], plane[row - 1] + area.width, plane[row]);
  }
}

// Cuts the component's blocks out of its plane, averaging fh x fv groups of samples with
// rounding: (sum + n/2) >> log2(n). Returns the workspace after the component's blocks.
int16_t* DownsampleInto(const Plane& plane, int h, int v, int fh, int fv, int16_t* out) {
  const int count = fh * fv;
  const int shift = count == 4 ? 2 : count == 2 ? 1 : 0;
  for (int by = 0; by < v; ++by) {
    for (int bx = 0; bx < h; ++bx) {
      for (int row = 0; row < kBlockSide; ++row) {
        for (int col = 0; col < kBlockSide; ++col) {
          const int py = (by * kBlockSide + row) * fv;
          const int px = (bx * kBlockSide + col) * fh;
          int32_t sum = 0;
          for (int dy = 0; dy < fv; ++dy) {
            for (int dx = 0; dx < fh; ++dx) sum += plane[py + dy][px + dx];
          }
          out[row * kBlockSide + col] = static_cast<int16_t>((sum + count / 2) >> shift);
        }
      }
      out += kJpegBlockSize;
    }
  }
  return out;
}

// Per-pixel values of every component for the layouts ConvertPlanesMcu handles.
void SamplePixel(const JpegWorkingState& state, const uint8_t* row, int x, int32_t* values) {
  const JpegImageParams& image = state.image;
  const int components = state.componentCount;
  if (image.pixelSubsampling == 2) {  // packed Y0 Cb Y1 Cr
    const uint8_t* pair = row + 4 * (x / 2);
    values[0] = row[2 * x] - kLevelShift;
    values[1] = pair[1] - kLevelShift;
    values[2] = pair[3] - kLevelShift;
    return;
  }
  const uint8_t* pixel = row + static_cast<ptrdiff_t>(x) * image.pixelChannels;
  if (image.pixelColor == kJpegColorGrey) {
    values[0] = pixel[0] - kLevelShift;
    for (int c = 1; c < components; ++c) values[c] = 0;  // grey carries no chroma
    return;
  }
  const bool rgbInput = image.pixelColor == kJpegColorRgb || image.pixelColor == kJpegColorBgr;
  if (rgbInput) {
    const bool bgr = image.pixelColor == kJpegColorBgr;
    const int32_t r = pixel[bgr ? 2 : 0], g = pixel[1], b = pixel[bgr ? 0 : 2];
    if (state.colorTransform) {  // into greyscale or YCbCr
      values[0] = LumaOf(r, g, b);
      if (components == 3) {
        values[1] = BlueChromaOf(r, g, b);
        values[2] = RedChromaOf(r, g, b);
      }
    } else {  // stored as red, green, blue
      values[0] = r - kLevelShift;
      values[1] = g - kLevelShift;
      values[2] = b - kLevelShift;
    }
    return;
  }
  if (image.pixelColor == kJpegColorCmyk && state.colorTransform) {
    // YCCK: the inverted C, M, Y as R, G, B through the YCbCr transform; K as given.
    const int32_t r = 255 - pixel[0], g = 255 - pixel[1], b = 255 - pixel[2];
    values[0] = LumaOf(r, g, b);
    values[1] = BlueChromaOf(r, g, b);
    values[2] = RedChromaOf(r, g, b);
    values[3] = pixel[3] - kLevelShift;
    return;
  }
  for (int c = 0; c < components; ++c) values[c] = pixel[c] - kLevelShift;
}

// Copies the MCU's valid pixels as R, G, B (and a zero fourth byte when pixelBytes is 4)
// into a 16 x 16 block, repeating each row's last valid pixel and the last valid row.
void GatherPadded(const JpegWorkingState& state, const McuArea& area, int redByte, int blueByte,
                  int pixelBytes, uint8_t* out) {
  const int channels = state.image.pixelChannels;
  const ptrdiff_t outStride = kMcuSide * pixelBytes;
  for (int row = 0; row < area.validHeight; ++row) {
    const uint8_t* pixel = RowOf(state, area.y + row) + static_cast<ptrdiff_t>(area.x) * channels;
    uint8_t* target = out + row * outStride;
    for (int col = 0; col < kMcuSide; ++col, target += pixelBytes) {
      const uint8_t* source = pixel + static_cast<ptrdiff_t>(std::min(col, area.validWidth - 1)) * channels;
      target[0] = source[redByte];
      target[1] = source[1];
      target[2] = source[blueByte];
      if (pixelBytes == 4) target[3] = 0;
    }
  }
  for (int row = area.validHeight; row < kMcuSide; ++row) {
    std::copy(out + (row - 1) * outStride, out + row * outStride, out + row * outStride);
  }
}

// Y per pixel of a 16 x 16 MCU and, per 2 x 2 group, the (Cb, Cr) that `chromaOfSums`
// makes of the group's sums of R, G and B.
template <int kPixelBytes, class ChromaOfSums>
void ConvertWholeMcuWith(const uint8_t* topLeft, ptrdiff_t rowStride, int16_t* workspace,
                         ChromaOfSums chromaOfSums) {
  int16_t* cb = workspace + 4 * kJpegBlockSize;
  int16_t* cr = workspace + 5 * kJpegBlockSize;
  for (int row = 0; row < kMcuSide; row += 2) {
    const uint8_t* upper = topLeft + row * rowStride;
    const uint8_t* lower = upper + rowStride;
    int16_t* yUpper = workspace + (row / 8) * 2 * kJpegBlockSize + (row % 8) * kBlockSide;
    int16_t* yLower = yUpper + kBlockSide;
    for (int col = 0; col < kMcuSide; col += 2) {
      const uint8_t* a = upper + kPixelBytes * col;
      const uint8_t* b = lower + kPixelBytes * col;
      const uint8_t* a2 = a + kPixelBytes;
      const uint8_t* b2 = b + kPixelBytes;
      const int yOffset = (col / 8) * kJpegBlockSize + col % 8;
      yUpper[yOffset] = static_cast<int16_t>(LumaOf(a[0], a[1], a[2]));
      yUpper[yOffset + 1] = static_cast<int16_t>(LumaOf(a2[0], a2[1], a2[2]));
      yLower[yOffset] = static_cast<int16_t>(LumaOf(b[0], b[1], b[2]));
      yLower[yOffset + 1] = static_cast<int16_t>(LumaOf(b2[0], b2[1], b2[2]));
      const auto [blue, red] = chromaOfSums(a[0] + a2[0] + b[0] + b2[0], a[1] + a2[1] + b[1] + b2[1],
                                            a[2] + a2[2] + b[2] + b2[2]);
      const int chromaIndex = (row / 2) * kBlockSide + col / 2;
      cb[chromaIndex] = static_cast<int16_t>(blue);
      cr[chromaIndex] = static_cast<int16_t>(red);
    }
  }
}

}  // namespace

void ConvertRgb3WholeMcu(const uint8_t* topLeft, ptrdiff_t rowStride, int16_t* workspace) {
  ConvertWholeMcuWith<3>(topLeft, rowStride, workspace, [](int32_t sr, int32_t sg, int32_t sb) {
    return std::pair{(128 * sb - 43 * sr - 85 * sg + 512) >> 10, (128 * sr - 107 * sg - 21 * sb + 512) >> 10};
  });
}

void ConvertRgb3AveragedMcu(const uint8_t* topLeft, ptrdiff_t rowStride, int16_t* workspace) {
  alignas(kJpegWorkspaceAlignment) Plane planes[3];
  for (int row = 0; row < kMcuSide; ++row) {
    const uint8_t* pixel = topLeft + row * rowStride;
    for (int col = 0; col < kMcuSide; ++col, pixel += 3) {
      planes[0][row][col] = static_cast<int16_t>(LumaOf(pixel[0], pixel[1], pixel[2]));
      planes[1][row][col] = static_cast<int16_t>(BlueChromaOf(pixel[0], pixel[1], pixel[2]));
      planes[2][row][col] = static_cast<int16_t>(RedChromaOf(pixel[0], pixel[1], pixel[2]));
    }
  }
  int16_t* out = DownsampleInto(planes[0], 2, 2, 1, 1, workspace);
  out = DownsampleInto(planes[1], 1, 1, 2, 2, out);
  DownsampleInto(planes[2], 1, 1, 2, 2, out);
}

void ConvertRgbxMeanMcu(const uint8_t* topLeft, ptrdiff_t rowStride, int16_t* workspace) {
  ConvertWholeMcuWith<4>(topLeft, rowStride, workspace, [](int32_t sr, int32_t sg, int32_t sb) {
    const int32_t r = (sr + 2) / 4, g = (sg + 2) / 4, b = (sb + 2) / 4;
    return std::pair{BlueChromaOf(r, g, b), RedChromaOf(r, g, b)};
  });
}

void ConvertRgb3Mcu(const JpegWorkingState& state, int mcuX, int mcuY, int16_t* workspace) {
  const McuArea area = AreaOf(state, mcuX, mcuY);
  if (area.validWidth == kMcuSide && area.validHeight == kMcuSide) {
    state.ops.wholeMcu(RowOf(state, area.y) + 3 * area.x, state.rowStride, workspace);
    return;
  }
  // Edge MCU: replicate the last valid pixel and row, then convert per pixel and average.
  constexpr int kPixelBytes = 3;
  uint8_t padded[kMcuSide * kMcuSide * kPixelBytes];
  GatherPadded(state, area, 0, 2, kPixelBytes, padded);
  state.ops.averagedMcu(padded, kMcuSide * kPixelBytes, workspace);
}

void ConvertRgbGenericMcu(const JpegWorkingState& state, int mcuX, int mcuY, int16_t* workspace) {
  const McuArea area = AreaOf(state, mcuX, mcuY);
  const JpegImageParams& image = state.image;
  const int redByte = image.pixelColor == kJpegColorBgr ? 2 : 0;
  const int blueByte = 2 - redByte;
  const bool sampled22 = state.maxH == 2 && state.maxV == 2 && state.components[0].h == 2 &&
                         state.components[0].v == 2 && state.components[1].h == 1 &&
                         state.components[1].v == 1;
  if (sampled22) {  // the layout of images with alpha: RGBA through the 4-byte converter
    constexpr int kPixelBytes = 4;
    if (area.validWidth == kMcuSide && area.validHeight == kMcuSide &&
        image.pixelChannels == kPixelBytes && redByte == 0) {
      state.ops.meanRgbxMcu(RowOf(state, area.y) + kPixelBytes * area.x, state.rowStride, workspace);
      return;
    }
    alignas(kJpegWorkspaceAlignment) uint8_t padded[kMcuSide * kMcuSide * kPixelBytes];
    GatherPadded(state, area, redByte, blueByte, kPixelBytes, padded);
    state.ops.meanRgbxMcu(padded, kMcuSide * kPixelBytes, workspace);
    return;
  }
  alignas(kJpegWorkspaceAlignment) Plane rgb[3];
  for (int row = 0; row < area.validHeight; ++row) {
    const uint8_t* pixel = RowOf(state, area.y + row) + static_cast<ptrdiff_t>(area.x) * image.pixelChannels;
    for (int col = 0; col < area.validWidth; ++col, pixel += image.pixelChannels) {
      rgb[0][row][col] = pixel[redByte];
      rgb[1][row][col] = pixel[1];
      rgb[2][row][col] = pixel[blueByte];
    }
  }
  for (Plane& plane : rgb) PadPlane(plane, area);

  const JpegComponent& luma = state.components[0];
  int16_t* out = workspace;
  for (int by = 0; by < luma.v; ++by) {
    for (int bx = 0; bx < luma.h; ++bx) {
      for (int row = 0; row < kBlockSide; ++row) {
        for (int col = 0; col < kBlockSide; ++col) {
          const int py = by * kBlockSide + row, px = bx * kBlockSide + col;
          out[row * kBlockSide + col] =
              static_cast<int16_t>(LumaOf(rgb[0][py][px], rgb[1][py][px], rgb[2][py][px]));
        }
      }
      out += kJpegBlockSize;
    }
  }
  // Chroma: rounded means of the pixels one sample covers, then converted.
  const int fh = state.maxH / state.components[1].h, fv = state.maxV / state.components[1].v;
  const int count = fh * fv;
  int16_t* cb = out;
  int16_t* cr = out + kJpegBlockSize;
  for (int row = 0; row < kBlockSide; ++row) {
    for (int col = 0; col < kBlockSide; ++col) {
      int32_t sums[3] = {0, 0, 0};
      for (int c = 0; c < 3; ++c) {
        for (int dy = 0; dy < fv; ++dy) {
          for (int dx = 0; dx < fh; ++dx) sums[c] += rgb[c][row * fv + dy][col * fh + dx];
        }
        sums[c] = (sums[c] + count / 2) / count;
      }
      cb[row * kBlockSide + col] = static_cast<int16_t>(BlueChromaOf(sums[0], sums[1], sums[2]));
      cr[row * kBlockSide + col] = static_cast<int16_t>(RedChromaOf(sums[0], sums[1], sums[2]));
    }
  }
}

void ConvertPlanesMcu(const JpegWorkingState& state, int mcuX, int mcuY, int16_t* workspace) {
  const McuArea area = AreaOf(state, mcuX, mcuY);
  const int components = state.componentCount;
  alignas(kJpegWorkspaceAlignment) Plane planes[kJpegMaxScanComponents];
  for (int row = 0; row < area.validHeight; ++row) {
    const uint8_t* pixels = RowOf(state, area.y + row);
    for (int col = 0; col < area.validWidth; ++col) {
      int32_t values[kJpegMaxScanComponents] = {};
      SamplePixel(state, pixels, area.x + col, values);
      for (int c = 0; c < components; ++c) planes[c][row][col] = static_cast<int16_t>(values[c]);
    }
  }
  int16_t* out = workspace;
  for (int c = 0; c < components; ++c) {
    PadPlane(planes[c], area);
    const JpegComponent& component = state.components[c];
    out = DownsampleInto(planes[c], component.h, component.v, state.maxH / component.h,
                         state.maxV / component.v, out);
  }
}

JpegConvertMcuFn ChooseConverter(const JpegWorkingState& state) {
  const JpegImageParams& image = state.image;
  const bool rgbInput = image.pixelColor == kJpegColorRgb || image.pixelColor == kJpegColorBgr;
  if (state.colorTransform && rgbInput && image.jpegColor == kJpegColorYCbCr &&
      state.componentCount == 3 && image.pixelSubsampling == 0) {
    const bool sampled22 = state.components[0].h == 2 && state.components[0].v == 2;
    if (image.pixelColor == kJpegColorRgb && image.pixelChannels == 3 && sampled22) {
      return ConvertRgb3Mcu;
    }
    return ConvertRgbGenericMcu;
  }
  return ConvertPlanesMcu;
}

}  // namespace lumapress
