#include "conversion/image_job.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "conversion/png_header.h"
#include "platform/file_system.h"
#include "common/stdio_file.h"

namespace lumapress {
namespace {

// The driver asks for stored sample values, with or without a gAMA chunk.
constexpr double kScreenGamma = 0.0;

// The decoded rows of an image within the pixel limit: at most 4 bytes per pixel.
uint64_t DecodedBytesLimit(uint64_t maxPixels) { return maxPixels * 4; }

// Why an image of this size cannot be converted, or nothing when it can.
std::string SizeFault(uint64_t width, uint64_t height, uint64_t maxPixels) {
  const std::string size = std::to_string(width) + " x " + std::to_string(height) + " pixels";
  if (width > kMaxImageSide || height > kMaxImageSide) {
    return size + "; a side may have at most " + std::to_string(kMaxImageSide);
  }
  if (width * height > maxPixels) {
    return size + " = " + std::to_string(width * height) + "; the limit is " + std::to_string(maxPixels) +
           " pixels";
  }
  return {};
}

// Why the header the reader refused is too large (sides or pixels), so the user hears it
// instead of a generic reader failure; nothing when it is not.
std::string HeaderSizeFault(std::FILE* file, uint64_t maxPixels) {
  PngHeaderFields header;
  return PeekPngHeader(file, header) ? SizeFault(header.width, header.height, maxPixels) : std::string();
}

// The status of a bitmap's encoding, and the encoder glue's diagnostic line for it.
void TakeBitmapResult(BitmapResult result, ImageJob& job) {
  switch (result) {
    case BitmapResult::kOk: job.status = Status::kOk; return;
    case BitmapResult::kEncoderUnavailable:
      job.status = Status::kEncoderUnavailable;
      job.diagnostics += "JPEG init error!";
      return;
    case BitmapResult::kEncodeFailed:
      job.status = Status::kCannotEncode;
      job.diagnostics += "JPEG encoding error!";
      return;
    case BitmapResult::kCompressFailed: job.status = Status::kCannotEncode; return;
    case BitmapResult::kTooLarge: job.status = Status::kImageTooLarge; return;
  }
}

// Opens `path` into `file` and reads its header with `reader`: the faults a run reports before
// it checks the output folder.
void OpenImageFile(const std::string& path, uint64_t maxPixels, UniqueFile& file, PngReader& reader,
                   ImageJob& job) {
  errno = 0;
  file.reset(OpenFile(path, "rb"));
  if (!file) {
    job.status = Status::kCannotOpenInput;
    if (errno != 0) job.reason = std::strerror(errno);
    return;
  }
  reader.SetMaxDecodedBytes(DecodedBytesLimit(maxPixels));
  switch (reader.OpenImage(file.get(), job.width, job.height)) {
    case PngReader::kOpened:
      job.reason = SizeFault(job.width, job.height, maxPixels);
      if (!job.reason.empty()) job.status = Status::kImageTooLarge;
      return;
    case PngReader::kNotPng:
      job.status = Status::kNotPngImage;
      job.reason = path + " is not a PNG image";
      return;
    case PngReader::kNoMemory:
      job.status = Status::kNoMemory;
      return;
    default:
      job.reason = HeaderSizeFault(file.get(), maxPixels);
      if (!job.reason.empty()) {
        job.status = Status::kImageTooLarge;
      } else {
        job.status = Status::kNotPngImage;
        job.reason = path + " has a damaged PNG header";
      }
      return;
  }
}

// PrepareImage's work; the image may still be open in `reader` afterwards.
ImageJob DecodeAndEncode(const std::string& path, int32_t jpegQuality, uint64_t maxPixels,
                         LosslessEffort effort, PngReader& reader, const PlaceImage& place) {
  ImageJob job;
  try {
    UniqueFile file;
    OpenImageFile(path, maxPixels, file, reader, job);
    if (job.status != Status::kOk) return job;
    const StagePlacement placement = place ? place(job.width, job.height) : StagePlacement{};
    job.x = placement.x;
    job.y = placement.y;
    const DecodedImage* decoded = reader.ReadPixels(kScreenGamma);
    if (decoded == nullptr) {
      job.status = Status::kCannotDecode;
      return job;
    }
    DecodedImage image = *decoded;
    image.sourceBitDepth = reader.SourceBitDepth();
    if (!placement.resample) {
      TakeBitmapResult(PrepareImageBitmap(image, jpegQuality, effort, job.bitmap), job);
      return job;
    }
    ResampledImage resampled = ResampleImage(image, placement.area, placement.width, placement.height);
    // Only the resampled pixels are needed from here on.
    reader.ReleaseImage();
    if (resampled.view.width == 0) {  // cancelled
      job.status = Status::kCancelled;
      return job;
    }
    job.width = resampled.view.width;
    job.height = resampled.view.height;
    TakeBitmapResult(PrepareImageBitmap(resampled.view, jpegQuality, effort, job.bitmap), job);
  } catch (const std::bad_alloc&) {
    job.bitmap = PreparedBitmap{};
    job.status = Status::kNoMemory;
  }
  return job;
}

}  // namespace

bool IsOpeningFault(Status status) {
  return status == Status::kCannotOpenInput || status == Status::kNotPngImage ||
         status == Status::kImageTooLarge;
}

ConversionResult ImageResult(const ImageJob& job, const std::string& path) {
  ConversionResult result = MakeResult(job.status, {path});
  if (!job.reason.empty()) result.message += " (" + job.reason + ")";
  return result;
}

ImageJob CheckImageOpens(const std::string& path, uint64_t maxPixels) {
  ImageJob job;
  try {
    UniqueFile file;
    PngReader reader;
    OpenImageFile(path, maxPixels, file, reader, job);
  } catch (const std::bad_alloc&) {
    job.status = Status::kNoMemory;
  }
  return job;
}

ImageJob PrepareImage(const std::string& path, int32_t jpegQuality, uint64_t maxPixels, PngReader& reader,
                      LosslessEffort effort, const PlaceImage& place) {
  ImageJob job = DecodeAndEncode(path, jpegQuality, maxPixels, effort, reader, place);
  reader.ReleaseImage();
  return job;
}

ImageJob PrepareImage(const std::string& path, int32_t jpegQuality, uint64_t maxPixels,
                      LosslessEffort effort) {
  PngReader reader;
  return PrepareImage(path, jpegQuality, maxPixels, reader, effort);
}

}  // namespace lumapress
