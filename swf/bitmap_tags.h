#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace lumapress {

// SWF bitmap tag codes.
inline constexpr int32_t kTagDefineBitsLossless = 20;
inline constexpr int32_t kTagDefineBitsJpeg2 = 21;
inline constexpr int32_t kTagDefineBitsJpeg3 = 35;
inline constexpr int32_t kTagDefineBitsLossless2 = 36;

// BitmapFormat values of the lossless tags.
inline constexpr int32_t kBitmapFormatColorMapped = 3;
inline constexpr int32_t kBitmapFormat32 = 5;

// zlib levels: stored blocks for alpha data, best compression for opaque lossless data.
inline constexpr int kZlibStored = 0;
inline constexpr int kZlibBest = 9;

// One bitmap definition built away from any movie: its tag code and the body after the
// CharacterId field. Built on any thread; SwfWriter::DefineBitmap writes it with an id.
struct BitmapTag {
  int32_t code = 0;
  std::vector<uint8_t> body;
};

// Results of building a bitmap tag.
enum class BitmapResult {
  kOk,
  kEncoderUnavailable,  // the JPEG encoder could not be initialised
  kEncodeFailed,        // the JPEG encoder reported an error
  kCompressFailed,      // zlib refused the data (running out of memory throws std::bad_alloc)
};

// The zlib stream of `data` at `level` (0-9), exactly as long as the compressor produced.
// False on a zlib error; std::bad_alloc when memory runs out.
bool ZlibCompress(std::span<const uint8_t> data, int level, std::vector<uint8_t>& stream);

// Starts DefineBitsLossless (code 20) or DefineBitsLossless2 (36): format, width, height and
// the colour count byte for format 3. The zlib stream of the bitmap data follows to the end.
void BeginLosslessTag(int32_t code, int32_t format, int32_t width, int32_t height,
                      int32_t colorCount, BitmapTag& tag);

// DefineBitsLossless (code 20) or DefineBitsLossless2 (36): format, width, height, the colour
// count byte for format 3, then the zlib stream of `data` at `level`.
BitmapResult BuildLosslessTag(int32_t code, int32_t format, int32_t width, int32_t height,
                              int32_t colorCount, std::span<const uint8_t> data, int level,
                              BitmapTag& tag);

// DefineBitsJPEG2: FF D9 FF D8, the JPEG stream, FF D9.
BitmapTag BuildJpeg2Tag(std::span<const uint8_t> jpeg);

// DefineBitsJPEG3: AlphaDataOffset, the JPEG2 image data, the zlib alpha plane at `level`.
BitmapResult BuildJpeg3Tag(std::span<const uint8_t> jpeg, std::span<const uint8_t> alpha, int level,
                           BitmapTag& tag);

// Encodes width x height pixels of `channels` bytes (red, green, blue first; rows top to
// bottom, no gaps) as a baseline JPEG stream of `quality` into `jpeg`. The output buffer is
// sized for the worst case, so the encoder never runs out of room.
BitmapResult EncodeJpeg(std::span<const uint8_t> pixels, int32_t width, int32_t height,
                        int32_t quality, int32_t channels, std::vector<uint8_t>& jpeg);

// The DefineBitsJPEG2 tag of RGB pixels, and the DefineBitsJPEG3 tag of premultiplied RGBA
// pixels whose alpha bytes become the stored alpha plane.
BitmapResult BuildJpegBitmapTag(std::span<const uint8_t> pixels, int32_t width, int32_t height,
                                int32_t quality, int32_t channels, BitmapTag& tag);
BitmapResult BuildJpegBitmapWithAlphaTag(std::span<const uint8_t> pixels, int32_t width,
                                         int32_t height, int32_t quality, BitmapTag& tag);

}  // namespace lumapress
