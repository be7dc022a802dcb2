#include "conversion/png_reader.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <new>
#include <vector>

#include "common/cancellation.h"

namespace lumapress {
namespace {

// Bytes of the PNG file signature, read and checked before libpng takes over.
constexpr size_t kSignatureBytes = 8;
// Ancillary chunks kept at most (text, sPLT, unknown); libpng's default, stated so it holds
// whatever the library was built with.
constexpr png_uint_32 kMaxCachedChunks = 1000;
// Largest ancillary chunk libpng will buffer (iCCP, zTXt, ...); libpng's default.
constexpr png_alloc_size_t kMaxChunkBytes = 8000000;
// Compressed image data libpng reads and inflates at a time (its default is 8 KiB): whole IDAT
// chunks of the usual sizes in one step, a few per cent of the decoding time.
constexpr size_t kImageDataReadBytes = size_t{256} * 1024;
// A screen gamma at or below this means "no correction": stored sample values are kept.
constexpr double kNoScreenGamma = 1e-6;

// What OpenImage learns from IHDR and the chunks before the image data.
struct Header {
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int bitDepth = 0;
  int colorType = 0;
  bool hasTrns = false;
};

// What png_read_update_info reports once the transformations are set.
struct RowLayout {
  size_t rowBytes = 0;
  int channels = 0;
};

// Keeps libpng's message for LastError, then returns to the setjmp of the running guarded call.
[[noreturn]] void OnError(png_structp png, png_const_charp message) {
  auto* text = static_cast<char*>(png_get_error_ptr(png));
  if (text != nullptr) std::snprintf(text, PngReader::kErrorTextBytes, "%s", message);
  png_longjmp(png, 1);
}

// Warnings (bad ancillary chunks, extra data) never stop decoding and are not shown.
void OnWarning(png_structp, png_const_charp) {}

// After each decoded row: a cancelled run stops decoding there, through libpng's error path.
void OnRowDecoded(png_structp png, png_uint_32, int) {
  if (CancellationRequested()) png_error(png, "Decoding cancelled");
}

// The guarded calls below hold the only setjmp points. libpng's errors longjmp back into
// them, so they keep no object with a destructor and change no local after setjmp.

// Reads the chunks up to the image data; the signature has been consumed. False on error.
bool ReadHeader(png_structp png, png_infop info, FILE* file, Header* header) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_set_sig_bytes(png, static_cast<int>(kSignatureBytes));
  png_read_info(png, info);
  png_get_IHDR(png, info, &header->width, &header->height, &header->bitDepth, &header->colorType,
               nullptr, nullptr, nullptr);
  header->hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  return true;
}

// Requests the reduction to 8-bit RGB or RGBA and starts decoding. False on error.
bool PrepareRows(png_structp png, png_infop info, const Header* header, double screenGamma,
                 RowLayout* layout) {
  if (setjmp(png_jmpbuf(png))) return false;
  const int colorType = header->colorType;
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY && header->bitDepth < 8) {
    png_set_expand_gray_1_2_4_to_8(png);
  }
  if (header->hasTrns) png_set_tRNS_to_alpha(png);
  if (header->bitDepth == 16) png_set_strip_16(png);  // keeps the high byte, no rounding
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
    png_set_gray_to_rgb(png);
  }
  // Without a png_set_gamma call libpng leaves samples as stored, which is what a screen
  // gamma of zero asks for (libpng 1.6 refuses zero itself).
  double fileGamma = 0.0;
  if (screenGamma > kNoScreenGamma && png_get_gAMA(png, info, &fileGamma) != 0) {
    png_set_gamma(png, screenGamma, fileGamma);
  }
  png_set_interlace_handling(png);  // png_read_image then runs all Adam7 passes
  png_read_update_info(png, info);
  layout->rowBytes = png_get_rowbytes(png, info);
  layout->channels = png_get_channels(png, info);
  return true;
}

// Decodes every row and the chunks after the image data. False on error.
bool ReadRows(png_structp png, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_status_fn(png, OnRowDecoded);
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

void PngReader::ReadStructs::Destroy() {
  if (png != nullptr) {
    png_structp pngStruct = png;
    png_infop infoStruct = info;
    png_destroy_read_struct(&pngStruct, infoStruct != nullptr ? &infoStruct : nullptr, nullptr);
  }
  png = nullptr;
  info = nullptr;
}

PngReader::~PngReader() { ReleaseImage(); }

int PngReader::OpenImage(FILE* file, uint32_t& width, uint32_t& height) {
  ReleaseImage();
  lastError_[0] = '\0';

  png_byte signature[kSignatureBytes] = {};
  if (file == nullptr || std::fread(signature, 1, kSignatureBytes, file) != kSignatureBytes ||
      png_sig_cmp(signature, 0, kSignatureBytes) != 0) {
    return kNotPng;
  }

  structs_.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, lastError_, OnError, OnWarning);
  if (structs_.png == nullptr) return kNoMemory;
  structs_.info = png_create_info_struct(structs_.png);
  if (structs_.info == nullptr) {
    structs_.Destroy();
    return kNoMemory;
  }
  // Refused in IHDR itself, before libpng allocates anything for the image.
  png_set_user_limits(structs_.png, kMaxDimension, kMaxDimension);
  png_set_chunk_cache_max(structs_.png, kMaxCachedChunks);
  png_set_chunk_malloc_max(structs_.png, kMaxChunkBytes);
  png_set_compression_buffer_size(structs_.png, kImageDataReadBytes);  // the IDAT read size

  Header header;
  if (!ReadHeader(structs_.png, structs_.info, file, &header)) {
    structs_.Destroy();
    return kBadHeader;
  }
  // The decoded block's size follows from the header alone; check it before any row exists.
  const bool hasAlpha = (header.colorType & PNG_COLOR_MASK_ALPHA) != 0 || header.hasTrns;
  const uint64_t decodedBytes =
      uint64_t{header.width} * uint64_t{header.height} * (hasAlpha ? 4u : 3u);
  if (decodedBytes > maxDecodedBytes_) {
    std::snprintf(lastError_, kErrorTextBytes, "Decoded image exceeds memory limit");
    structs_.Destroy();
    return kBadHeader;
  }

  width_ = header.width;
  height_ = header.height;
  bitDepth_ = header.bitDepth;
  colorType_ = header.colorType;
  hasTrns_ = header.hasTrns;
  width = width_;
  height = height_;
  return kOpened;
}

const DecodedImage* PngReader::ReadPixels(double screenGamma) {
  if (image_.pixels.data() != nullptr) return &image_;
  if (structs_.png == nullptr) return nullptr;

  Header header;
  header.width = width_;
  header.height = height_;
  header.bitDepth = bitDepth_;
  header.colorType = colorType_;
  header.hasTrns = hasTrns_;
  RowLayout layout;
  if (!PrepareRows(structs_.png, structs_.info, &header, screenGamma, &layout) ||
      (layout.channels != 3 && layout.channels != 4) ||
      layout.rowBytes != size_t{width_} * static_cast<size_t>(layout.channels)) {
    structs_.Destroy();
    return nullptr;
  }

  const size_t blockBytes = layout.rowBytes * height_;
  std::vector<png_bytep> rows;
  try {
    if (blockBytes > blockCapacity_) {
      // A larger image than any before: the old block goes first so both are never held.
      block_.reset();
      blockCapacity_ = 0;
      block_ = AllocateLarge(blockBytes);
      blockCapacity_ = blockBytes;
    }
    rows.resize(height_);
  } catch (const std::bad_alloc&) {
    structs_.Destroy();
    return nullptr;
  }
  for (uint32_t y = 0; y < height_; ++y) rows[y] = block_.get() + size_t{y} * layout.rowBytes;

  const bool decoded = ReadRows(structs_.png, rows.data());
  structs_.Destroy();  // everything after the image data has been read
  if (!decoded) return nullptr;

  image_.width = width_;
  image_.height = height_;
  image_.sourceBitDepth = bitDepth_;
  image_.channels = layout.channels;
  image_.rowLength = static_cast<int32_t>(layout.rowBytes);
  image_.pixels = std::span<uint8_t>(block_.get(), blockBytes);
  return &image_;
}

void PngReader::ReleaseImage() {
  image_ = DecodedImage{};
  structs_.Destroy();
  width_ = 0;
  height_ = 0;
  bitDepth_ = 0;
  colorType_ = 0;
  hasTrns_ = false;
}

}  // namespace lumapress
