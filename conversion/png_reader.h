#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "conversion/decoded_image.h"
#include "platform/large_memory.h"

// libpng's structures (png_struct, png_info), declared here so users need not include png.h.
struct png_struct_def;
struct png_info_def;

namespace lumapress {

// Decodes one PNG at a time into 8-bit RGB or RGBA rows (see DecodedImage).
//
// Every colour type and bit depth comes out with 8 bits per channel: palettes are looked up,
// gray becomes R = G = B (low-bit gray stretched to 0..255), 16-bit samples keep their high
// byte, and a tRNS chunk becomes an alpha channel (alpha 0 for the transparent gray or RGB
// value, 255 elsewhere; a palette's tRNS gives each entry its alpha). An image has 4 channels
// exactly when it has an alpha channel (colour types 4 and 6) or a tRNS chunk, 3 otherwise.
//
// Use per image, in this order:
//   PngReader reader;
//   uint32_t width, height;
//   if (reader.OpenImage(file, width, height) != PngReader::kOpened) ... // nothing to release
//   const DecodedImage* image = reader.ReadPixels(0.0);   // null: corrupt or truncated body
//   int depth = reader.SourceBitDepth();                  // any time while the image is open
//   ... use image->pixels ...
//   reader.ReleaseImage();                                // ends the image
// The file is read until ReadPixels returns; it may be closed any time after that.
//
// One object holds one image at a time; separate objects may decode on separate threads at
// once. The memory of the rows stays with the object for its next image (a larger image
// replaces it), so one reader per thread suits a long run of images; the destructor frees
// everything. No call throws.
//
// Bad input never crashes the reader and never makes it allocate more than the decoded-size
// limit: images wider or taller than kMaxDimension, or whose decoded rows would take more than
// MaxDecodedBytes(), are refused by OpenImage with kBadHeader before any pixel memory exists.
// libpng's own limits on ancillary chunk memory stay in force.
class PngReader {
 public:
  // OpenImage results.
  static constexpr int kOpened = 0;     // header read; ReadPixels may follow
  static constexpr int kNotPng = 1;     // no PNG signature (also: empty or shorter than 8 bytes)
  static constexpr int kBadHeader = 2;  // header unreadable, invalid, or over the limits
  static constexpr int kNoMemory = 4;   // libpng's structures could not be allocated

  // SWF bitmaps store their width and height in 16 bits, so larger images cannot be shown.
  static constexpr uint32_t kMaxDimension = 65535;
  // Decoded rows are held in memory at once; 1 GiB keeps a hostile header from exhausting it.
  static constexpr uint64_t kDefaultMaxDecodedBytes = uint64_t{1} << 30;
  // Room for libpng's error text kept for LastError (longer messages are cut).
  static constexpr size_t kErrorTextBytes = 128;

  PngReader() = default;
  ~PngReader();
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;

  // Largest decoded block (rows x row length bytes) that OpenImage accepts. Takes effect at the
  // next OpenImage.
  void SetMaxDecodedBytes(uint64_t bytes) { maxDecodedBytes_ = bytes; }
  uint64_t MaxDecodedBytes() const { return maxDecodedBytes_; }

  // Checks the signature and reads the header from `file`, a stream opened for binary reading
  // and positioned at the start of the PNG. The caller keeps the file and closes it when
  // reading is over. Returns kOpened (width and height set), or kNotPng, kBadHeader, kNoMemory
  // (width and height untouched, nothing held). An image still held from before is released
  // first.
  int OpenImage(FILE* file, uint32_t& width, uint32_t& height);

  // Decodes every row of the open image. `screenGamma` is the display's gamma; 0.0 (what the
  // converter passes) keeps stored values unchanged, with or without a gAMA chunk. A positive
  // value corrects from the file's gAMA to that display gamma. Returns the decoded image,
  // valid until ReleaseImage, or null when the body is corrupt or truncated, memory runs out,
  // or no image is open. After null no image is open any more (ReleaseImage is harmless).
  // A second call returns the same image.
  const DecodedImage* ReadPixels(double screenGamma);

  // The bit depth stated in the open image's header (1, 2, 4, 8 or 16), kept until
  // ReleaseImage even when ReadPixels failed; 0 when no image was opened.
  int SourceBitDepth() const { return bitDepth_; }

  // The last message libpng reported while reading (empty when none); for diagnostics only.
  const char* LastError() const { return lastError_; }

  // Ends the image: its rows are no longer valid, libpng's structures are freed (the rows'
  // memory is kept for the next image). Safe to call at any time, repeatedly.
  void ReleaseImage();

 private:
  // The pair of libpng read structures; destroying it frees both.
  struct ReadStructs {
    png_struct_def* png = nullptr;
    png_info_def* info = nullptr;
    ReadStructs() = default;
    ReadStructs(const ReadStructs&) = delete;
    ReadStructs& operator=(const ReadStructs&) = delete;
    ~ReadStructs() { Destroy(); }
    void Destroy();
  };

  uint64_t maxDecodedBytes_ = kDefaultMaxDecodedBytes;
  ReadStructs structs_;
  uint32_t width_ = 0;
  uint32_t height_ = 0;
  int bitDepth_ = 0;
  int colorType_ = 0;
  bool hasTrns_ = false;
  // The decoded rows. Kept from image to image and replaced only by a larger one, so that a
  // reader converting many images does not ask the system for fresh pages each time.
  LargeMemory block_;
  size_t blockCapacity_ = 0;  // bytes in block_
  DecodedImage image_;
  // A plain array: libpng's error handler writes it just before its longjmp.
  char lastError_[kErrorTextBytes] = {};
};

}  // namespace lumapress
