#include "app/field_exchange.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace lumapress {
namespace {

// Significant digits a float shows in a field: every float prints back to the value typed.
constexpr int kShownDigits = 6;

std::string_view Trim(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

// from_chars takes no leading plus sign; a person may type one.
std::string_view SkipPlus(std::string_view text) {
  if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') {
    text.remove_prefix(1);
  }
  return text;
}

// A number field: parsed here, its range checked by the library, whose text says the range.
std::optional<FieldError> TakeFloat(Field field, const std::string& text, Status (*check)(float),
                                    float& value) {
  const std::optional<float> parsed = ParseFloat(text);
  if (!parsed) return FieldError{field, "Please enter a number."};
  if (const Status status = check(*parsed); status != Status::kOk) {
    return FieldError{field, StatusMessage(status)};
  }
  value = *parsed;
  return std::nullopt;
}

// A text field read by one of the library's parsers, whose status text says what it accepts.
template <typename Parse, typename... Values>
std::optional<FieldError> TakeParsed(Field field, const std::string& text, Parse parse, Values&... values) {
  if (const Status status = parse(text, values...); status != Status::kOk) {
    return FieldError{field, StatusMessage(status)};
  }
  return std::nullopt;
}

std::string StageSizeText(const ConversionSettings& settings) {
  if (settings.stageWidth == 0 && settings.stageHeight == 0) return {};
  return std::to_string(settings.stageWidth) + "x" + std::to_string(settings.stageHeight);
}

}  // namespace

ConversionSettings DefaultSettings() {
  ConversionSettings settings;
  settings.delaySeconds = 1.0f;
  settings.jpegQuality = 100;
  settings.framesPerSecond = 12.0f;
  return settings;
}

std::optional<float> ParseFloat(std::string_view text) {
  text = SkipPlus(Trim(text));
  if (text.empty()) return std::nullopt;
  float value = 0.0f;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<int> ParseInteger(std::string_view text) {
  text = SkipPlus(Trim(text));
  if (text.empty()) return std::nullopt;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string FormatNumber(float value) {
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                    std::chars_format::general, kShownDigits);
  // Like printf's %g: no trailing zeros in the fraction (1, 0.5, 12.5).
  return std::string(buffer.data(), result.ptr);
}

ExchangeResult TakeFields(const DialogFields& fields) {
  ExchangeResult result;
  ConversionSettings& settings = result.settings;
  settings = DefaultSettings();

  result.error = TakeFloat(Field::Delay, fields.delay, CheckDelay, settings.delaySeconds);
  if (result.error) return result;

  const std::optional<int> quality = ParseInteger(fields.quality);
  if (!quality) {
    result.error = FieldError{Field::Quality, "Please enter an integer."};
    return result;
  }
  if (const Status status = CheckJpegQuality(*quality); status != Status::kOk) {
    result.error = FieldError{Field::Quality, StatusMessage(status)};
    return result;
  }
  settings.jpegQuality = static_cast<int32_t>(*quality);

  settings.outputPath = fields.outputPath;
  settings.controlFilePath = fields.controlFilePath;
  settings.batchMode = fields.batchMode;
  settings.smallest = fields.smallest;

  result.error =
      TakeFloat(Field::FramesPerSecond, fields.framesPerSecond, CheckFrameRate, settings.framesPerSecond);
  if (result.error) return result;

  result.error = TakeParsed(Field::StageSize, fields.stageSize, ParseStageSize, settings.stageWidth,
                            settings.stageHeight);
  if (result.error) return result;
  result.error = TakeParsed(Field::Fit, fields.fit, ParseFit, settings.fit);
  if (result.error) return result;
  result.error = TakeParsed(Field::Background, fields.background, ParseBackgroundColor,
                            settings.backgroundColor);
  if (result.error) return result;
  // Any text that is no fade time gets the fade's own message, which names the range.
  const std::optional<float> fade = ParseFloat(fields.fade);
  if (const Status status = fade ? CheckFade(*fade) : Status::kFadeOutOfRange; status != Status::kOk) {
    result.error = FieldError{Field::Fade, StatusMessage(status)};
    return result;
  }
  settings.fadeSeconds = *fade;
  settings.fadeIn = fields.fadeIn;
  settings.loop = !fields.stopOnLastImage;
  return result;
}

DialogFields ShowSettings(const ConversionSettings& settings) {
  DialogFields fields;
  fields.delay = FormatNumber(settings.delaySeconds);
  fields.quality = std::to_string(settings.jpegQuality);
  fields.outputPath = settings.outputPath;
  fields.controlFilePath = settings.controlFilePath;
  fields.batchMode = settings.batchMode;
  fields.framesPerSecond = FormatNumber(settings.framesPerSecond);
  fields.smallest = settings.smallest;
  fields.stageSize = StageSizeText(settings);
  fields.fit = FitName(settings.fit);
  fields.background = BackgroundColorText(settings.backgroundColor);
  fields.fade = FormatNumber(settings.fadeSeconds);
  fields.fadeIn = settings.fadeIn;
  fields.stopOnLastImage = !settings.loop;
  return fields;
}

}  // namespace lumapress
