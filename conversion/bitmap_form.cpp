#include "conversion/bitmap_form.h"

namespace lumapress {

BitmapForm ChooseBitmapForm(int channels, int32_t jpegQuality, int sourceBitDepth) {
  const bool lossless = jpegQuality >= kLosslessQuality;
  if (channels == 4) return lossless ? BitmapForm::kLosslessWithAlpha : BitmapForm::kJpegWithAlpha;
  if (!lossless) return BitmapForm::kJpeg;
  return sourceBitDepth == 8 ? BitmapForm::kLosslessColorMapped : BitmapForm::kLossless32;
}

std::string_view BitmapFormName(BitmapForm form) {
  switch (form) {
    case BitmapForm::kJpegWithAlpha: return "DefineBitsJPEG3";
    case BitmapForm::kJpeg: return "DefineBitsJPEG2";
    case BitmapForm::kLosslessWithAlpha: return "DefineBitsLossless2 format 5";
    case BitmapForm::kLosslessColorMapped: return "DefineBitsLossless format 3";
    case BitmapForm::kLossless32: return "DefineBitsLossless format 5";
  }
  return "unknown";
}

}  // namespace lumapress
