#include "swf/bitmap_data.h"

#include "swf/deflate_probe.h"
#include "common/whole_buffer_deflater.h"
#include "common/zlib_deflater.h"

namespace lumapress {
namespace {

// zlib's level for data made of long repeats: its stream keeps repeating where libdeflate's
// does not, so the movie's deflate shortens it once more.
constexpr int kRepetitiveZlibLevel = 9;

}  // namespace

BitmapResult AppendZlibStream(std::span<const uint8_t> data, int level,
                              std::vector<uint8_t>& stream) {
  switch (BorrowDeflater(level)->Append(data, stream)) {
    case WholeBufferDeflater::Status::kOk:
      return BitmapResult::kOk;
    case WholeBufferDeflater::Status::kTooLarge:
      return BitmapResult::kTooLarge;
    case WholeBufferDeflater::Status::kFailed:
      break;
  }
  return BitmapResult::kCompressFailed;
}

int LosslessLevel(LosslessEffort effort, int bytesPerPixel) {
  if (effort == LosslessEffort::kSmallest) return kSmallestLevel;
  return bytesPerPixel == 1 ? kBytePerPixelLevel : kPixelsLevel;
}

namespace {

// zlib's level 9 stream of data made of long repeats, appended to the body unmarked.
BitmapResult AppendRepetitive(std::span<const uint8_t> data, size_t start, BitmapTag& tag) {
  tag.body.resize(start);
  ZlibDeflater deflater(kRepetitiveZlibLevel);
  if (deflater.Append(data, true, tag.body)) return BitmapResult::kOk;
  tag.body.resize(start);
  return BitmapResult::kCompressFailed;
}

// libdeflate's stream of `data`, appended to the body and marked precompressed unless
// deflating it again would pay. With `zlibForRepeats`, data made of long repeats gets zlib's
// stream instead: found from samples before libdeflate runs, or from libdeflate's result.
BitmapResult AppendStream(std::span<const uint8_t> data, int level, bool zlibForRepeats,
                          BitmapTag& tag) {
  const size_t start = tag.body.size();
  if (zlibForRepeats) {
    const DeflatedSamples samples = DeflateSamples(data);
    if (samples.out * kRepetitiveShrink < samples.in) return AppendRepetitive(data, start, tag);
  }
  const BitmapResult result = AppendZlibStream(data, level, tag.body);
  if (result != BitmapResult::kOk) return result;
  const size_t length = tag.body.size() - start;
  if (zlibForRepeats && length * kRepetitiveShrink < data.size()) {
    return AppendRepetitive(data, start, tag);
  }
  if (!WorthDeflatingAgain(std::span<const uint8_t>(tag.body).subspan(start))) {
    tag.precompressed.push_back({start, length});
  }
  return BitmapResult::kOk;
}

}  // namespace

BitmapResult AppendBitmapData(std::span<const uint8_t> data, int level, BitmapTag& tag) {
  return AppendStream(data, level, true, tag);
}

BitmapResult AppendAlphaPlane(std::span<const uint8_t> alpha, int level, BitmapTag& tag) {
  return AppendStream(alpha, level, false, tag);
}

}  // namespace lumapress
