#include "app/field_exchange.h"

#include <gtest/gtest.h>

#include <span>

namespace lumapress {
namespace {

DialogFields ValidFields() {
  DialogFields fields = ShowSettings(DefaultSettings());
  fields.outputPath = "/tmp/out.swf";
  return fields;
}

// Valid fields with one edited, and the field and message that must stop the exchange.
struct RejectCase {
  const char* what;
  DialogFields (*edit)(DialogFields);
  Field field;
  const char* message;
};

void ExpectEachRejected(std::span<const RejectCase> cases) {
  for (const RejectCase& c : cases) {
    const ExchangeResult result = TakeFields(c.edit(ValidFields()));
    ASSERT_TRUE(result.error) << c.what;
    EXPECT_EQ(result.error->field, c.field) << c.what;
    EXPECT_EQ(result.error->message, c.message) << c.what;
  }
}

TEST(FieldExchange, DefaultsShowAsAPersonWritesThem) {
  const DialogFields fields = ShowSettings(DefaultSettings());
  EXPECT_EQ(fields.delay, "1");
  EXPECT_EQ(fields.quality, "100");
  EXPECT_EQ(fields.framesPerSecond, "12");
  EXPECT_EQ(fields.outputPath, "");
  EXPECT_EQ(fields.controlFilePath, "");
  EXPECT_FALSE(fields.batchMode);
  EXPECT_EQ(fields.stageSize, "") << "the first image's size";
  EXPECT_EQ(fields.fit, "none");
  EXPECT_EQ(fields.background, "FFFFFF");
  EXPECT_EQ(fields.fade, "0");
  EXPECT_FALSE(fields.fadeIn);
  EXPECT_FALSE(fields.stopOnLastImage);
}

TEST(FieldExchange, FormatsNumbersWithoutTrailingZeros) {
  const struct {
    float value;
    const char* text;
  } cases[] = {{1.0f, "1"},       {0.5f, "0.5"},     {12.5f, "12.5"},   {0.01f, "0.01"},
               {100.0f, "100"},   {999.9f, "999.9"}, {1000.0f, "1000"}, {0.1f, "0.1"},
               {123456.0f, "123456"}};
  for (const auto& c : cases) EXPECT_EQ(FormatNumber(c.value), c.text) << c.value;
}

TEST(FieldExchange, TakesValidFieldsIntoSettings) {
  DialogFields fields = ValidFields();
  fields.delay = " 2.5 ";
  fields.quality = "75";
  fields.framesPerSecond = "24";
  fields.controlFilePath = "/tmp/control.swf";
  fields.batchMode = true;
  fields.smallest = true;
  const ExchangeResult result = TakeFields(fields);
  ASSERT_FALSE(result.error);
  EXPECT_TRUE(result.settings.smallest);
  EXPECT_EQ(result.settings.delaySeconds, 2.5f);
  EXPECT_EQ(result.settings.jpegQuality, 75);
  EXPECT_EQ(result.settings.framesPerSecond, 24.0f);
  EXPECT_EQ(result.settings.outputPath, "/tmp/out.swf");
  EXPECT_EQ(result.settings.controlFilePath, "/tmp/control.swf");
  EXPECT_TRUE(result.settings.batchMode);
}

TEST(FieldExchange, TakesTheSlideShowFieldsIntoSettings) {
  DialogFields fields = ValidFields();
  fields.stageSize = " 1280X720 ";
  fields.fit = "cover";
  fields.background = "#00ff80";
  fields.fade = "0.5";
  fields.fadeIn = true;
  fields.stopOnLastImage = true;
  const ExchangeResult result = TakeFields(fields);
  ASSERT_FALSE(result.error) << result.error->message;
  EXPECT_EQ(result.settings.stageWidth, 1280u);
  EXPECT_EQ(result.settings.stageHeight, 720u);
  EXPECT_EQ(result.settings.fit, Fit::kCover);
  EXPECT_EQ(result.settings.backgroundColor, 0x00FF80u);
  EXPECT_EQ(result.settings.fadeSeconds, 0.5f);
  EXPECT_TRUE(result.settings.fadeIn);
  EXPECT_FALSE(result.settings.loop);

  // The defaults leave every movie as it was: the first image's stage, no fit, no fade, a loop.
  const ExchangeResult plain = TakeFields(ValidFields());
  ASSERT_FALSE(plain.error);
  EXPECT_EQ(plain.settings.stageWidth, 0u);
  EXPECT_EQ(plain.settings.stageHeight, 0u);
  EXPECT_EQ(plain.settings.fit, Fit::kNone);
  EXPECT_EQ(plain.settings.backgroundColor, 0xFFFFFFu);
  EXPECT_EQ(plain.settings.fadeSeconds, 0.0f);
  EXPECT_FALSE(plain.settings.fadeIn);
  EXPECT_TRUE(plain.settings.loop);
}

TEST(FieldExchange, SettingsShownInTheFieldsAreTakenBackUnchanged) {
  const auto slideShow = [](uint32_t width, uint32_t height, Fit fit, uint32_t rgb, float fade,
                            bool fadeIn, bool loop) {
    ConversionSettings settings = DefaultSettings();
    settings.outputPath = "/tmp/out.swf";
    settings.stageWidth = width;
    settings.stageHeight = height;
    settings.fit = fit;
    settings.backgroundColor = rgb;
    settings.fadeSeconds = fade;
    settings.fadeIn = fadeIn;
    settings.loop = loop;
    return settings;
  };
  for (const ConversionSettings& settings :
       {slideShow(0, 0, Fit::kNone, 0xFFFFFF, 0.0f, false, true),
        slideShow(1, 1, Fit::kContain, 0x000000, 0.01f, true, false),
        slideShow(8191, 8191, Fit::kCover, 0x0A0B0C, 100.0f, false, false),
        slideShow(1280, 720, Fit::kContain, 0xABCDEF, 0.3f, true, true)}) {
    const DialogFields fields = ShowSettings(settings);
    const ExchangeResult taken = TakeFields(fields);
    ASSERT_FALSE(taken.error) << fields.stageSize << " " << fields.fade;
    EXPECT_EQ(taken.settings.stageWidth, settings.stageWidth) << fields.stageSize;
    EXPECT_EQ(taken.settings.stageHeight, settings.stageHeight) << fields.stageSize;
    EXPECT_EQ(taken.settings.fit, settings.fit) << fields.fit;
    EXPECT_EQ(taken.settings.backgroundColor, settings.backgroundColor) << fields.background;
    EXPECT_EQ(taken.settings.fadeSeconds, settings.fadeSeconds) << fields.fade;
    EXPECT_EQ(taken.settings.fadeIn, settings.fadeIn);
    EXPECT_EQ(taken.settings.loop, settings.loop);
  }
  EXPECT_EQ(ShowSettings(slideShow(1280, 720, Fit::kCover, 0xABCDEF, 0.3f, true, false)).stageSize,
            "1280x720");
  EXPECT_EQ(ShowSettings(slideShow(0, 0, Fit::kContain, 0x0000AB, 0, false, true)).background,
            "0000AB");
}

TEST(FieldExchange, RangeEndsAreAccepted) {
  for (const auto& [delay, quality, fps] :
       {std::tuple{"0.01", "0", "1"}, std::tuple{"100", "100", "255"}}) {
    DialogFields fields = ValidFields();
    fields.delay = delay;
    fields.quality = quality;
    fields.framesPerSecond = fps;
    EXPECT_FALSE(TakeFields(fields).error) << delay << " " << quality << " " << fps;
  }
}

TEST(FieldExchange, RejectsEachFieldWithItsMessage) {
  const RejectCase cases[] = {
      {"delay 0", [](DialogFields f) { f.delay = "0"; return f; }, Field::Delay,
       "Please enter a number between 0.01 and 100."},
      {"delay 100.5", [](DialogFields f) { f.delay = "100.5"; return f; }, Field::Delay,
       "Please enter a number between 0.01 and 100."},
      {"delay text", [](DialogFields f) { f.delay = "one"; return f; }, Field::Delay,
       "Please enter a number."},
      {"delay empty", [](DialogFields f) { f.delay = ""; return f; }, Field::Delay,
       "Please enter a number."},
      {"delay trailing text", [](DialogFields f) { f.delay = "1s"; return f; }, Field::Delay,
       "Please enter a number."},
      {"delay infinite", [](DialogFields f) { f.delay = "inf"; return f; }, Field::Delay,
       "Please enter a number."},
      {"quality 101", [](DialogFields f) { f.quality = "101"; return f; }, Field::Quality,
       "Please enter an integer between 0 and 100."},
      {"quality -1", [](DialogFields f) { f.quality = "-1"; return f; }, Field::Quality,
       "Please enter an integer between 0 and 100."},
      {"quality 50.5", [](DialogFields f) { f.quality = "50.5"; return f; }, Field::Quality,
       "Please enter an integer."},
      {"quality huge", [](DialogFields f) { f.quality = "99999999999"; return f; },
       Field::Quality, "Please enter an integer."},
      {"fps 0.5", [](DialogFields f) { f.framesPerSecond = "0.5"; return f; },
       Field::FramesPerSecond, "Please enter a number between 1 and 255."},
      {"fps 256: the header holds the whole part in one byte",
       [](DialogFields f) { f.framesPerSecond = "256"; return f; }, Field::FramesPerSecond,
       "Please enter a number between 1 and 255."},
  };
  ExpectEachRejected(cases);
}

TEST(FieldExchange, RejectsEachSlideShowFieldWithTheLibrarysMessage) {
  constexpr const char* kStage =
      "Please enter a stage size as WIDTHxHEIGHT, each side from 1 to 8191 pixels.";
  constexpr const char* kFit = "Please choose a fit of none, contain or cover.";
  constexpr const char* kColour = "Please enter a background colour as six hexadecimal digits RRGGBB.";
  constexpr const char* kFade = "Please enter a fade time between 0 and 100 seconds.";
  const RejectCase cases[] = {
      {"stage 0x10", [](DialogFields f) { f.stageSize = "0x10"; return f; }, Field::StageSize, kStage},
      {"stage 9000x10", [](DialogFields f) { f.stageSize = "9000x10"; return f; }, Field::StageSize, kStage},
      {"stage 10x8192", [](DialogFields f) { f.stageSize = "10x8192"; return f; }, Field::StageSize, kStage},
      {"stage one side", [](DialogFields f) { f.stageSize = "1280"; return f; }, Field::StageSize, kStage},
      {"stage negative", [](DialogFields f) { f.stageSize = "-1x5"; return f; }, Field::StageSize, kStage},
      {"stage words", [](DialogFields f) { f.stageSize = "wide"; return f; }, Field::StageSize, kStage},
      {"fit bogus", [](DialogFields f) { f.fit = "bogus"; return f; }, Field::Fit, kFit},
      {"fit none chosen", [](DialogFields f) { f.fit = ""; return f; }, Field::Fit, kFit},
      {"colour 12345G", [](DialogFields f) { f.background = "12345G"; return f; }, Field::Background, kColour},
      {"colour five digits", [](DialogFields f) { f.background = "FFFFF"; return f; }, Field::Background, kColour},
      {"colour empty", [](DialogFields f) { f.background = ""; return f; }, Field::Background, kColour},
      {"fade -1", [](DialogFields f) { f.fade = "-1"; return f; }, Field::Fade, kFade},
      {"fade 100.5", [](DialogFields f) { f.fade = "100.5"; return f; }, Field::Fade, kFade},
      {"fade words", [](DialogFields f) { f.fade = "soon"; return f; }, Field::Fade, kFade},
      {"fade empty", [](DialogFields f) { f.fade = ""; return f; }, Field::Fade, kFade},
  };
  ExpectEachRejected(cases);
}

TEST(FieldExchange, StopsAtTheFirstFailingFieldInExchangeOrder) {
  DialogFields fields = ValidFields();
  fields.delay = "0";
  fields.quality = "101";
  fields.framesPerSecond = "0.5";
  EXPECT_EQ(TakeFields(fields).error->field, Field::Delay);
  fields.delay = "1";
  EXPECT_EQ(TakeFields(fields).error->field, Field::Quality);
  fields.quality = "100";
  fields.stageSize = "0x0";
  fields.fit = "";
  fields.background = "";
  fields.fade = "";
  EXPECT_EQ(TakeFields(fields).error->field, Field::FramesPerSecond);
  fields.framesPerSecond = "12";
  EXPECT_EQ(TakeFields(fields).error->field, Field::StageSize);
  fields.stageSize = "";
  EXPECT_EQ(TakeFields(fields).error->field, Field::Fit);
  fields.fit = "contain";
  EXPECT_EQ(TakeFields(fields).error->field, Field::Background);
  fields.background = "000000";
  EXPECT_EQ(TakeFields(fields).error->field, Field::Fade);
  fields.fade = "1";
  EXPECT_FALSE(TakeFields(fields).error);
}

TEST(FieldExchange, ParsesNumbersWithBlanksAndSigns) {
  EXPECT_EQ(ParseFloat("+1.5"), 1.5f);
  EXPECT_EQ(ParseFloat(" 3 "), 3.0f);
  EXPECT_EQ(ParseFloat("1e1"), 10.0f);
  EXPECT_FALSE(ParseFloat("1,5"));
  EXPECT_FALSE(ParseFloat("+-1"));
  EXPECT_FALSE(ParseFloat("nan"));
  EXPECT_EQ(ParseInteger("+7"), 7);
  EXPECT_EQ(ParseInteger(" 42\t"), 42);
  EXPECT_FALSE(ParseInteger("4 2"));
  EXPECT_FALSE(ParseInteger("0x10"));
}

}  // namespace
}  // namespace lumapress
