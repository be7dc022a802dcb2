#include "conversion/resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "common/cancellation.h"

namespace lumapress {
namespace {

// The kernel is Lanczos-3 (sinc(x) sinc(x/3) for |x| < 3): the sharpest of the common
// photographic kernels, with little aliasing when shrinking and little blur when enlarging;
// its ringing shows only at hard edges and is clamped to the byte range. When shrinking, the
// kernel is stretched by the scale factor so that every source pixel contributes.
constexpr double kLobes = 3.0;

double Lanczos3(double x) {
  x = std::abs(x);
  if (x >= kLobes) return 0.0;
  if (x < 1e-9) return 1.0;
  const double angle = std::numbers::pi * x;
  return kLobes * std::sin(angle) * std::sin(angle / kLobes) / (angle * angle);
}

// Output rows made between two looks at the run's cancellation.
constexpr uint32_t kRowsPerCancellationCheck = 8;

// The filter along one axis: for each output pixel, `count` weights (summing to 1) of the
// source pixels `first` to `first + count - 1`, computed once for every row or column.
struct AxisFilter {
  struct Taps {
    uint32_t first = 0;
    uint32_t count = 0;
    size_t weightIndex = 0;  // its first weight in `weights`
  };
  std::vector<Taps> taps;
  std::vector<float> weights;
};

// Output pixel i samples the source at start + (i + 0.5) * length / outputSize - 0.5; taps
// that fall outside the source use its edge pixel.
AxisFilter MakeAxisFilter(uint32_t sourceSize, double start, double length, uint32_t outputSize) {
  AxisFilter filter;
  filter.taps.resize(outputSize);
  const double scale = length / outputSize;
  const double stretch = std::max(1.0, scale);
  const double radius = kLobes * stretch;
  const int64_t last = int64_t{sourceSize} - 1;
  std::vector<double> weights;
  for (uint32_t i = 0; i < outputSize; ++i) {
    const double centre = start + (i + 0.5) * scale - 0.5;
    const int64_t from = static_cast<int64_t>(std::ceil(centre - radius));
    const int64_t to = static_cast<int64_t>(std::floor(centre + radius));
    int64_t first = std::clamp<int64_t>(from, 0, last);
    weights.assign(static_cast<size_t>(std::clamp<int64_t>(to, 0, last) - first + 1), 0.0);
    double sum = 0.0;
    for (int64_t j = from; j <= to; ++j) {
      const double weight = Lanczos3((double(j) - centre) / stretch);
      weights[static_cast<size_t>(std::clamp<int64_t>(j, 0, last) - first)] += weight;
      sum += weight;
    }
    // Zero weights at either end (the kernel's roots) cost work and add nothing.
    size_t begin = 0, end = weights.size();
    while (end - begin > 1 && weights[begin] == 0.0) ++begin;
    while (end - begin > 1 && weights[end - 1] == 0.0) --end;
    AxisFilter::Taps& taps = filter.taps[i];
    taps.first = static_cast<uint32_t>(first + static_cast<int64_t>(begin));
    taps.count = static_cast<uint32_t>(end - begin);
    taps.weightIndex = filter.weights.size();
    for (size_t k = begin; k < end; ++k) filter.weights.push_back(static_cast<float>(weights[k] / sum));
  }
  return filter;
}

// A filtered value to a byte: clamped to 0-255, rounded half up.
uint8_t ToByte(float value) {
  if (!(value > 0.0f)) return 0;
  if (value >= 254.5f) return 255;
  return static_cast<uint8_t>(value + 0.5f);
}

// Adds `weight` x the source row's pixels to `line`; with alpha the colours are added
// premultiplied (colour x alpha, 0-65025) and the alpha as it is.
void AccumulateRow(const uint8_t* source, size_t pixels, int channels, float weight, float* line) {
  if (channels == 3) {
    for (size_t i = 0; i < pixels * 3; ++i) line[i] += weight * float(source[i]);
    return;
  }
  for (size_t i = 0; i < pixels * 4; i += 4) {
    const float weightedAlpha = weight * float(source[i + 3]);
    line[i] += weightedAlpha * float(source[i]);
    line[i + 1] += weightedAlpha * float(source[i + 1]);
    line[i + 2] += weightedAlpha * float(source[i + 2]);
    line[i + 3] += weightedAlpha;
  }
}

// Filters the vertically filtered `line` (which starts at source column `firstColumn`)
// along the row into `target`, back to straight alpha where there is alpha.
template <int kChannels>
void FilterLine(const float* line, uint32_t firstColumn, const AxisFilter& columns, uint8_t* target) {
  for (const AxisFilter::Taps& taps : columns.taps) {
    const float* weight = &columns.weights[taps.weightIndex];
    const float* pixel = line + size_t{taps.first - firstColumn} * kChannels;
    float sum[kChannels] = {};
    for (uint32_t k = 0; k < taps.count; ++k, pixel += kChannels) {
      for (int c = 0; c < kChannels; ++c) sum[c] += weight[k] * pixel[c];
    }
    if constexpr (kChannels == 3) {
      for (int c = 0; c < 3; ++c) target[c] = ToByte(sum[c]);
    } else {
      // Straight colour is the premultiplied sum over the unrounded alpha; where the alpha
      // rounds to 0 the colour is 0 too.
      const uint8_t alpha = ToByte(sum[3]);
      for (int c = 0; c < 3; ++c) target[c] = alpha == 0 ? 0 : ToByte(sum[c] / sum[3]);
      target[3] = alpha;
    }
    target += kChannels;
  }
}

ResampledImage EmptyImageLike(const DecodedImage& source, uint32_t width, uint32_t height) {
  ResampledImage result;
  result.storage.resize(size_t{width} * height * static_cast<size_t>(source.channels));
  result.view.width = width;
  result.view.height = height;
  result.view.sourceBitDepth = source.sourceBitDepth;
  result.view.channels = source.channels;
  result.view.rowLength = static_cast<int32_t>(width) * source.channels;
  result.view.pixels = result.storage;
  return result;
}

}  // namespace

// Each output row is the vertical filter's weighted sum of source rows, gathered in one line
// of floats (only the columns the horizontal filter reads), then filtered along the row
// straight into the output: no intermediate image, and the long sums run over contiguous
// bytes.
ResampledImage ResampleImage(const DecodedImage& source, const SourceArea& area, uint32_t width,
                             uint32_t height) {
  ResampledImage result = EmptyImageLike(source, width, height);
  const size_t outputRowLength = static_cast<size_t>(result.view.rowLength);
  const bool wholeArea = area.x == 0.0 && area.y == 0.0 && area.width == double(source.width) &&
                         area.height == double(source.height);
  if (wholeArea && width == source.width && height == source.height) {
    for (uint32_t y = 0; y < height; ++y) {
      std::memcpy(result.storage.data() + y * outputRowLength, source.Row(y).data(), outputRowLength);
    }
    return result;
  }

  const AxisFilter columns = MakeAxisFilter(source.width, area.x, area.width, width);
  const AxisFilter rows = MakeAxisFilter(source.height, area.y, area.height, height);
  uint32_t firstColumn = source.width, endColumn = 0;
  for (const AxisFilter::Taps& taps : columns.taps) {
    firstColumn = std::min(firstColumn, taps.first);
    endColumn = std::max(endColumn, taps.first + taps.count);
  }
  const size_t lineLength = size_t{endColumn - firstColumn} * static_cast<size_t>(source.channels);
  std::vector<float> line(lineLength);
  for (uint32_t y = 0; y < height; ++y) {
    if (y % kRowsPerCancellationCheck == 0 && CancellationRequested()) return {};
    std::fill(line.begin(), line.end(), 0.0f);
    const AxisFilter::Taps& taps = rows.taps[y];
    for (uint32_t k = 0; k < taps.count; ++k) {
      const uint8_t* sourceRow = source.Row(taps.first + k).data() + size_t{firstColumn} * source.channels;
      AccumulateRow(sourceRow, endColumn - firstColumn, source.channels, rows.weights[taps.weightIndex + k], line.data());
    }
    uint8_t* target = result.storage.data() + y * outputRowLength;
    if (source.channels == 4) {
      FilterLine<4>(line.data(), firstColumn, columns, target);
    } else {
      FilterLine<3>(line.data(), firstColumn, columns, target);
    }
  }
  return result;
}

}  // namespace lumapress
