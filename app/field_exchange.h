#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "lumapress/settings.h"

namespace lumapress {

// The dialog's fields as the user sees them, in the order they are exchanged.
struct DialogFields {
  std::string delay;
  std::string quality;
  std::string outputPath;
  std::string controlFilePath;
  bool batchMode = false;
  std::string framesPerSecond;
  bool smallest = false;  // lossless data at the slowest, smallest compression
  // The slide show's settings.
  std::string stageSize;   // "1280x720"; empty for the first image's size
  std::string fit;         // one of the names of FitName
  std::string background;  // RRGGBB
  std::string fade;        // seconds, 0 for none
  bool fadeIn = false;
  bool stopOnLastImage = false;  // the movie does not loop
};

enum class Field {
  Delay,
  Quality,
  OutputPath,
  ControlFilePath,
  BatchMode,
  FramesPerSecond,
  StageSize,
  Fit,
  Background,
  Fade,
};

// Settings a fresh dialog starts with; nothing is remembered between runs.
ConversionSettings DefaultSettings();

// The first field whose text is not acceptable, and the message for the user.
struct FieldError {
  Field field;
  std::string message;
};

// Takes the fields in, in exchange order, and stops at the first that fails.
struct ExchangeResult {
  ConversionSettings settings;
  std::optional<FieldError> error;
};
ExchangeResult TakeFields(const DialogFields& fields);

// The texts the fields show for `settings` (1, 100, 12, "", none, FFFFFF, 0 for the defaults).
DialogFields ShowSettings(const ConversionSettings& settings);

// A float as a person reads it: up to six significant digits, no trailing zeros.
std::string FormatNumber(float value);

// Text-to-number conversions of the exchange; surrounding blanks are allowed, nothing else.
std::optional<float> ParseFloat(std::string_view text);
std::optional<int> ParseInteger(std::string_view text);

}  // namespace lumapress
