#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/reusable_buffer.h"
#include "swf/swf_codes.h"

namespace lumapress {

// How hard lossless bitmap data (pixels, colour-mapped data, alpha planes) is compressed.
enum class LosslessEffort {
  kDefault,   // libdeflate at kLosslessLevel
  kSmallest,  // libdeflate at kSmallestLosslessLevel: the smallest streams, several times slower
};

// A run of bytes in a tag body.
struct ByteSpan {
  size_t offset = 0;
  size_t length = 0;
};

// One bitmap definition built away from any movie: its tag code and the body after the
// CharacterId field. Built on any thread; SwfWriter::DefineBitmap writes it with an id.
struct BitmapTag {
  int32_t code = 0;
  std::vector<uint8_t> body;
  // Body spans that are already compressed and would not shrink if deflated again (zlib
  // streams, JPEG scan data), in increasing order; a compressed movie stores them as they are.
  std::vector<ByteSpan> precompressed;
};

// Tag bodies are megabytes large and every image builds one. A body that is done with is kept
// for the next tag, so its pages stay mapped instead of going back to the system and faulting
// in again for every image (measured: most of a lossless conversion's page faults). Keeps at
// most kKeptTagBodies bodies (enough for the images two jobs have in flight, and for a batch of
// eight) of at most kKeptTagBodyBytes each, the limit of other kept buffers, so a long-lived
// program holds at most 128 MiB of them between runs. Thread-safe.
inline constexpr size_t kKeptTagBodies = 8;
inline constexpr size_t kKeptTagBodyBytes = ReusableBuffer::kKeepBytes;
// An empty body, with the capacity of a kept one where there is one.
std::vector<uint8_t> TakeTagBody();
// Keeps `body`'s memory for a later TakeTagBody, or frees it.
void KeepTagBody(std::vector<uint8_t>&& body);
// Frees the kept bodies, when a run is over.
void ReleaseKeptTagBodies() noexcept;
// How many bodies are kept now.
size_t KeptTagBodyCount();

// Results of building a bitmap tag.
enum class BitmapResult {
  kOk,
  kEncoderUnavailable,  // the JPEG encoder could not be initialised
  kEncodeFailed,        // the JPEG encoder reported an error
  kCompressFailed,      // the compressor refused the data (no memory throws std::bad_alloc)
  kTooLarge,            // more data than one compressor call takes
};

// Starts DefineBitsLossless (code 20) or DefineBitsLossless2 (36): format, width, height and
// the colour count byte for format 3. The zlib stream of the bitmap data follows to the end.
void BeginLosslessTag(int32_t code, int32_t format, int32_t width, int32_t height,
                      int32_t colorCount, BitmapTag& tag);

// DefineBitsLossless (code 20) or DefineBitsLossless2 (36): format, width, height, the colour
// count byte for format 3, then the zlib stream of `data` (AppendBitmapData at `level`).
BitmapResult BuildLosslessTag(int32_t code, int32_t format, int32_t width, int32_t height,
                              int32_t colorCount, std::span<const uint8_t> data, int level,
                              BitmapTag& tag);

// Where the entropy-coded data of a JPEG stream starts: just after its first SOS segment;
// 0 when the stream's marker segments do not lead to one.
size_t JpegScanOffset(std::span<const uint8_t> jpeg);

// DefineBitsJPEG2: FF D9 FF D8, the JPEG stream, FF D9. The scan data is marked
// precompressed unless deflating it again would pay.
BitmapTag BuildJpeg2Tag(std::span<const uint8_t> jpeg);

// DefineBitsJPEG3: AlphaDataOffset, the JPEG2 image data, the alpha plane's zlib stream
// (AppendAlphaPlane at `level`).
BitmapResult BuildJpeg3Tag(std::span<const uint8_t> jpeg, std::span<const uint8_t> alpha, int level,
                           BitmapTag& tag);

}  // namespace lumapress
