#include "conversion/resample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

#include "common/cancellation.h"
#include "conversion/stage_placement.h"

namespace lumapress {
namespace {

// Pixels with the view that describes them.
struct TestImage {
  std::vector<uint8_t> pixels;
  DecodedImage view;
};

TestImage MakeImage(uint32_t width, uint32_t height, int channels, int bitDepth = 8) {
  TestImage image;
  image.pixels.assign(size_t{width} * height * static_cast<size_t>(channels), 0);
  image.view.width = width;
  image.view.height = height;
  image.view.sourceBitDepth = bitDepth;
  image.view.channels = channels;
  image.view.rowLength = static_cast<int32_t>(width) * channels;
  image.view.pixels = image.pixels;
  return image;
}

uint8_t* PixelAt(TestImage& image, uint32_t x, uint32_t y) {
  return &image.pixels[(size_t{y} * image.view.width + x) * static_cast<size_t>(image.view.channels)];
}

// Gradients, a sharp bar, noise and (with alpha) a transparent hole and soft alpha: enough
// detail that a wrong weight or offset shows.
TestImage PatternImage(uint32_t width, uint32_t height, int channels, uint32_t seed) {
  TestImage image = MakeImage(width, height, channels);
  uint32_t noise = seed * 2654435761u + 7;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      noise = noise * 1664525u + 1013904223u;
      uint8_t* p = PixelAt(image, x, y);
      const bool bar = x % 11 < 2;
      p[0] = static_cast<uint8_t>(bar ? 255 : x * 255 / std::max(1u, width - 1));
      p[1] = static_cast<uint8_t>(y * 255 / std::max(1u, height - 1));
      p[2] = static_cast<uint8_t>(noise >> 24);
      if (channels == 4) {
        const bool hole = x > width / 3 && x < width / 2 && y > height / 4;
        p[3] = static_cast<uint8_t>(hole ? 0 : 255 - ((x + y) * 7) % 200);
      }
    }
  }
  return image;
}

// The reference: a direct two-dimensional weighted sum in double precision over every
// source pixel under the Lanczos-3 footprint of each output pixel, with the weights
// normalised over the whole footprint, colours weighted by alpha, edges clamped.
double Sinc(double x) {
  if (x == 0.0) return 1.0;
  return std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
}
double Lanczos3(double x) { return std::abs(x) < 3.0 ? Sinc(x) * Sinc(x / 3.0) : 0.0; }

std::vector<uint8_t> ReferenceResample(const TestImage& source, const SourceArea& area,
                                       uint32_t width, uint32_t height) {
  const int channels = source.view.channels;
  const int sourceWidth = static_cast<int>(source.view.width);
  const int sourceHeight = static_cast<int>(source.view.height);
  const double scaleX = area.width / width, scaleY = area.height / height;
  const double stretchX = std::max(1.0, scaleX), stretchY = std::max(1.0, scaleY);
  auto toByte = [](double v) { return static_cast<uint8_t>(std::floor(std::clamp(v, 0.0, 255.0) + 0.5)); };
  std::vector<uint8_t> out;
  for (uint32_t oy = 0; oy < height; ++oy) {
    const double cy = area.y + (oy + 0.5) * scaleY - 0.5;
    for (uint32_t ox = 0; ox < width; ++ox) {
      const double cx = area.x + (ox + 0.5) * scaleX - 0.5;
      double total = 0.0, alpha = 0.0, colour[3] = {0.0, 0.0, 0.0};
      for (int sy = int(std::floor(cy - 3 * stretchY)); sy <= int(std::ceil(cy + 3 * stretchY)); ++sy) {
        const double wy = Lanczos3((sy - cy) / stretchY);
        if (wy == 0.0) continue;
        for (int sx = int(std::floor(cx - 3 * stretchX)); sx <= int(std::ceil(cx + 3 * stretchX)); ++sx) {
          const double w = wy * Lanczos3((sx - cx) / stretchX);
          const int px = std::clamp(sx, 0, sourceWidth - 1), py = std::clamp(sy, 0, sourceHeight - 1);
          const uint8_t* p = &source.pixels[(size_t(py) * sourceWidth + px) * channels];
          const double a = channels == 4 ? p[3] : 1.0;
          total += w;
          alpha += w * a;
          for (int c = 0; c < 3; ++c) colour[c] += w * a * p[c];
        }
      }
      if (channels == 3) {
        for (int c = 0; c < 3; ++c) out.push_back(toByte(colour[c] / total));
      } else {
        const uint8_t a = toByte(alpha / total);
        for (int c = 0; c < 3; ++c) out.push_back(a == 0 ? 0 : toByte(colour[c] / alpha));
        out.push_back(a);
      }
    }
  }
  return out;
}

// Largest difference of one channel between two equally long byte strings.
int MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  int most = 0;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) most = std::max(most, std::abs(a[i] - b[i]));
  return most;
}

SourceArea WholeOf(const TestImage& image) {
  return {0.0, 0.0, double(image.view.width), double(image.view.height)};
}

void ExpectShape(const ResampledImage& image, uint32_t width, uint32_t height, int channels, int bitDepth) {
  EXPECT_EQ(image.view.width, width);
  EXPECT_EQ(image.view.height, height);
  EXPECT_EQ(image.view.channels, channels);
  EXPECT_EQ(image.view.sourceBitDepth, bitDepth);
  EXPECT_EQ(image.view.rowLength, static_cast<int32_t>(width) * channels);
  EXPECT_EQ(image.view.pixels.data(), image.storage.data());
  EXPECT_EQ(image.view.pixels.size(), size_t{width} * height * static_cast<size_t>(channels));
}

// The filter's float sums against the double-precision reference: at most one level apart.
constexpr int kReferenceTolerance = 1;

// A source of the given size, resampled from `area` to width x height.
struct ResampleCase {
  const char* what;
  uint32_t sourceWidth, sourceHeight;
  SourceArea area;  // width 0: the whole image
  uint32_t width, height;
};

TEST(Resample, MatchesADirectTwoDimensionalWeightedSum) {
  const ResampleCase kCases[] = {
      {"shrink by 3", 60, 45, {}, 20, 15},
      {"shrink by a fraction", 53, 41, {}, 17, 12},
      {"enlarge", 7, 5, {}, 30, 19},
      {"enlarge one side, shrink the other", 9, 60, {}, 31, 11},
      {"shrink to one pixel", 23, 17, {}, 1, 1},
      {"one row to a block", 12, 1, {}, 5, 4},
      {"fractional crop, shrunk", 80, 40, {20.25, 0.0, 39.5, 40.0}, 16, 16},
      {"fractional crop, enlarged", 20, 30, {0.0, 7.5, 20.0, 15.0}, 44, 33},
      {"crop at unit scale, half-pixel offset", 40, 20, {10.5, 0.0, 20.0, 20.0}, 20, 20},
      {"a sliver of a row, enlarged", 9, 9, {0.0, 4.2, 9.0, 0.01}, 9, 3},
  };
  for (int channels : {3, 4}) {
    for (const ResampleCase& c : kCases) {
      const TestImage source = PatternImage(c.sourceWidth, c.sourceHeight, channels, c.sourceWidth);
      const SourceArea area = c.area.width == 0.0 ? WholeOf(source) : c.area;
      const ResampledImage result = ResampleImage(source.view, area, c.width, c.height);
      ExpectShape(result, c.width, c.height, channels, 8);
      EXPECT_LE(MaxDifference(result.storage, ReferenceResample(source, area, c.width, c.height)),
                kReferenceTolerance)
          << c.what << ", " << channels << " channels";
    }
  }
}

TEST(Resample, SameSizeWholeAreaGivesTheSameBytes) {
  for (int channels : {3, 4}) {
    TestImage source = PatternImage(37, 21, channels, 5);
    if (channels == 4) PixelAt(source, 3, 3)[0] = 200, PixelAt(source, 3, 3)[3] = 0;  // colour under alpha 0
    const ResampledImage result = ResampleImage(source.view, WholeOf(source), 37, 21);
    ExpectShape(result, 37, 21, channels, 8);
    EXPECT_EQ(result.storage, source.pixels) << channels << " channels";
  }
}

TEST(Resample, KeepsTheSourceBitDepth) {
  TestImage source = MakeImage(10, 10, 3, 16);
  ExpectShape(ResampleImage(source.view, WholeOf(source), 4, 5), 4, 5, 3, 16);
}

TEST(Resample, ConstantImagesStayExactlyConstant) {
  const ResampleCase kCases[] = {
      {"shrink", 97, 61, {}, 13, 8},
      {"enlarge", 3, 2, {}, 300, 200},
      {"mixed", 5, 80, {}, 41, 3},
      {"to one pixel", 64, 64, {}, 1, 1},
      {"fractional crop", 50, 50, {3.3, 10.1, 40.7, 20.2}, 23, 29},
  };
  const std::vector<std::vector<uint8_t>> kColours = {
      {0, 0, 0}, {255, 255, 255}, {1, 128, 254}, {0, 0, 0, 255}, {255, 255, 255, 255},
      {17, 200, 99, 1}, {250, 3, 127, 128}, {255, 255, 255, 254}};
  for (const std::vector<uint8_t>& colour : kColours) {
    const int channels = static_cast<int>(colour.size());
    for (const ResampleCase& c : kCases) {
      TestImage source = MakeImage(c.sourceWidth, c.sourceHeight, channels);
      for (size_t i = 0; i < source.pixels.size(); ++i) source.pixels[i] = colour[i % colour.size()];
      const SourceArea area = c.area.width == 0.0 ? WholeOf(source) : c.area;
      const ResampledImage result = ResampleImage(source.view, area, c.width, c.height);
      ASSERT_EQ(result.storage.size(), size_t{c.width} * c.height * colour.size());
      size_t wrong = 0;
      for (size_t i = 0; i < result.storage.size(); ++i) wrong += result.storage[i] != colour[i % colour.size()];
      EXPECT_EQ(wrong, 0u) << c.what << ", colour " << int(colour[0]) << " " << int(colour[1]) << " "
                           << int(colour[2]) << (channels == 4 ? " alpha " + std::to_string(colour[3]) : "");
    }
  }
}

TEST(Resample, TransparentPixelsGiveNoColourToTheirNeighbours) {
  // Left half: fully transparent red; right half: opaque green. Filtered premultiplied, no
  // output pixel gets any red, and the opaque side stays pure green.
  TestImage source = MakeImage(40, 10, 4);
  for (uint32_t y = 0; y < 10; ++y) {
    for (uint32_t x = 0; x < 40; ++x) {
      uint8_t* p = PixelAt(source, x, y);
      if (x < 20) p[0] = 255, p[3] = 0;
      else p[1] = 255, p[3] = 255;
    }
  }
  for (uint32_t width : {7u, 13u, 40u + 1, 97u}) {
    const ResampledImage result = ResampleImage(source.view, WholeOf(source), width, 5);
    bool sawPartlyTransparent = false;
    for (size_t i = 0; i < result.storage.size(); i += 4) {
      const uint8_t* p = &result.storage[i];
      EXPECT_EQ(p[0], 0) << "pixel " << i / 4 << " of " << width;
      EXPECT_EQ(p[2], 0) << "pixel " << i / 4 << " of " << width;
      EXPECT_EQ(p[1], p[3] == 0 ? 0 : 255) << "pixel " << i / 4 << " of " << width;
      sawPartlyTransparent |= p[3] > 0 && p[3] < 255;
    }
    EXPECT_TRUE(sawPartlyTransparent) << width;  // the edge is blended, not cut
  }
}

struct RoundingCase {
  const char* what;
  std::vector<uint8_t> pixels;  // two pixels side by side, halved to one
  std::vector<uint8_t> expected;
};

// Two pixels halved weigh 1/2 each. Halves round up; straight colour is the premultiplied
// sum over the unrounded alpha, so a half-transparent blend keeps the opaque pixel's colour.
TEST(Resample, HalvingTwoPixelsRoundsHalvesUpAndUnpremultiplies) {
  const RoundingCase kCases[] = {
      {"RGB, halves round up", {10, 20, 30, 11, 21, 32}, {11, 21, 31}},
      {"opaque red over transparent", {200, 0, 0, 255, 0, 99, 0, 0}, {200, 0, 0, 128}},
      {"faint alpha 1.5 rounds to 2", {100, 50, 7, 3, 255, 255, 255, 0}, {100, 50, 7, 2}},
      {"alpha 0.5 rounds to 1", {9, 8, 7, 1, 0, 0, 0, 0}, {9, 8, 7, 1}},
      {"two colours at different alphas", {255, 0, 0, 255, 0, 0, 255, 85}, {191, 0, 64, 170}},
  };
  for (const RoundingCase& c : kCases) {
    const int channels = static_cast<int>(c.pixels.size() / 2);
    TestImage source = MakeImage(2, 1, channels);
    source.pixels = c.pixels;
    source.view.pixels = source.pixels;
    EXPECT_EQ(ResampleImage(source.view, WholeOf(source), 1, 1).storage, c.expected) << c.what;
  }
}

TEST(Resample, FullyTransparentImageGivesZeroColour) {
  TestImage source = MakeImage(16, 16, 4);
  for (size_t i = 0; i < source.pixels.size(); i += 4) source.pixels[i] = 90, source.pixels[i + 2] = 200;
  const ResampledImage result = ResampleImage(source.view, WholeOf(source), 5, 7);
  EXPECT_EQ(result.storage, std::vector<uint8_t>(5 * 7 * 4, 0));
}

TEST(Resample, CoverOfAWideImageOnASquareStageTakesTheMiddle) {
  // A 2:1 image whose outer quarters are plain red: the middle half is what a square stage
  // shows, copied exactly at its own size, and within tolerance of the reference when shrunk.
  TestImage source = PatternImage(120, 60, 3, 9);
  for (uint32_t y = 0; y < 60; ++y) {
    for (uint32_t x = 0; x < 120; ++x) {
      if (x < 30 || x >= 90) std::copy_n(std::vector<uint8_t>{255, 0, 0}.begin(), 3, PixelAt(source, x, y));
    }
  }
  const StagePlacement same = PlaceOnStage(120, 60, 60, 60, Fit::kCover);
  ASSERT_TRUE(same.resample);
  const ResampledImage middle = ResampleImage(source.view, same.area, same.width, same.height);
  ASSERT_EQ(middle.storage.size(), 60u * 60 * 3);
  for (uint32_t y = 0; y < 60; ++y) {
    EXPECT_TRUE(std::equal(middle.storage.begin() + y * 180, middle.storage.begin() + (y + 1) * 180,
                           PixelAt(source, 30, y)))
        << "row " << y;
  }

  const StagePlacement half = PlaceOnStage(120, 60, 30, 30, Fit::kCover);
  const ResampledImage shrunk = ResampleImage(source.view, half.area, half.width, half.height);
  ExpectShape(shrunk, 30, 30, 3, 8);
  EXPECT_LE(MaxDifference(shrunk.storage, ReferenceResample(source, half.area, 30, 30)), kReferenceTolerance);
  // The centre column comes from the middle of the picture, nowhere near the red.
  for (uint32_t y = 0; y < 30; ++y) EXPECT_NE(shrunk.storage[(y * 30 + 15) * 3 + 0], 255) << y;
}

struct SizeCase {
  const char* what;
  uint32_t sourceWidth, sourceHeight, width, height;
  int channels;
};

TEST(Resample, GivesTheRequestedSize) {
  const SizeCase kCases[] = {
      {"4000 x 3000 photo to 1280 x 720", 4000, 3000, 1280, 720, 3},
      {"3 x 2 to 300 x 200", 3, 2, 300, 200, 3},
      {"3 x 2 with alpha to 300 x 200", 3, 2, 300, 200, 4},
  };
  for (const SizeCase& c : kCases) {
    const TestImage source = PatternImage(c.sourceWidth, c.sourceHeight, c.channels, 3);
    const ResampledImage result =
        ResampleImage(source.view, WholeOf(source), c.width, c.height);
    ExpectShape(result, c.width, c.height, c.channels, 8);
  }
}

TEST(Resample, ACancelledRunGivesAnEmptyImage) {
  const TestImage source = PatternImage(64, 64, 4, 1);
  const CancellationCheck cancelled([] { return true; });
  const CancellationScope scope(&cancelled);
  const ResampledImage result = ResampleImage(source.view, WholeOf(source), 20, 20);
  EXPECT_EQ(result.view.width, 0u);
  EXPECT_TRUE(result.storage.empty());
}

}  // namespace
}  // namespace lumapress
