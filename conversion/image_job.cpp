#include "conversion/image_job.h"

#include <cstdio>
#include <new>

#include "conversion/png_header.h"
#include "swf/stdio_file.h"

namespace lumapress {
namespace {

// The driver asks for stored sample values, with or without a gAMA chunk.
constexpr double kScreenGamma = 0.0;

// True when the header the reader refused states a width or height above kMaxImageSide, so
// the user hears why instead of a generic reader failure.
bool HeaderTooLarge(std::FILE* file) {
  PngHeaderFields header;
  return PeekPngHeader(file, header) && (header.width > kMaxImageSide || header.height > kMaxImageSide);
}

ImageFault FaultOf(BitmapResult result) {
  switch (result) {
    case BitmapResult::kOk: return ImageFault::kNone;
    case BitmapResult::kEncoderUnavailable: return ImageFault::kEncoderUnavailable;
    case BitmapResult::kEncodeFailed:
    case BitmapResult::kCompressFailed: return ImageFault::kEncodeFailed;
    case BitmapResult::kTooLarge: return ImageFault::kTooLarge;
  }
  return ImageFault::kEncodeFailed;
}

// Opens `path` into `file` and reads its header with `reader`: the faults a run reports before
// it checks the output folder.
ImageFault OpenImageFile(const std::string& path, UniqueFile& file, PngReader& reader,
                         uint32_t& width, uint32_t& height) {
  file.reset(std::fopen(path.c_str(), "rb"));
  if (!file) return ImageFault::kCannotOpen;
  if (reader.OpenImage(file.get(), width, height) != PngReader::kOpened) {
    return HeaderTooLarge(file.get()) ? ImageFault::kTooLarge : ImageFault::kReaderFailed;
  }
  if (width > kMaxImageSide || height > kMaxImageSide) return ImageFault::kTooLarge;
  return ImageFault::kNone;
}

// PrepareImage's work; the image may still be open in `reader` afterwards.
ImageJob DecodeAndEncode(const std::string& path, int32_t jpegQuality, LosslessEffort effort,
                         PngReader& reader) {
  ImageJob job;
  try {
    UniqueFile file;
    uint32_t width = 0, height = 0;
    job.fault = OpenImageFile(path, file, reader, width, height);
    if (job.fault != ImageFault::kNone) return job;
    job.width = width;
    job.height = height;
    const DecodedImage* decoded = reader.ReadPixels(kScreenGamma);
    if (decoded == nullptr) {
      job.fault = ImageFault::kCannotDecode;
      return job;
    }
    DecodedImage image = *decoded;
    image.sourceBitDepth = reader.SourceBitDepth();
    job.fault = FaultOf(PrepareImageBitmap(image, jpegQuality, effort, job.bitmap));
  } catch (const std::bad_alloc&) {
    job.bitmap = PreparedBitmap{};
    job.fault = ImageFault::kNoMemory;
  }
  return job;
}

}  // namespace

bool IsOpeningFault(ImageFault fault) {
  return fault == ImageFault::kCannotOpen || fault == ImageFault::kReaderFailed ||
         fault == ImageFault::kTooLarge;
}

ImageFault CheckImageOpens(const std::string& path) {
  try {
    UniqueFile file;
    PngReader reader;
    uint32_t width = 0, height = 0;
    return OpenImageFile(path, file, reader, width, height);
  } catch (const std::bad_alloc&) {
    return ImageFault::kNoMemory;
  }
}

ImageJob PrepareImage(const std::string& path, int32_t jpegQuality, PngReader& reader,
                      LosslessEffort effort) {
  ImageJob job = DecodeAndEncode(path, jpegQuality, effort, reader);
  reader.ReleaseImage();
  return job;
}

ImageJob PrepareImage(const std::string& path, int32_t jpegQuality, LosslessEffort effort) {
  PngReader reader;
  return PrepareImage(path, jpegQuality, reader, effort);
}

}  // namespace lumapress
