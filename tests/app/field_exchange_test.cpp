#include "app/field_exchange.h"

#include <gtest/gtest.h>

namespace lumapress {
namespace {

DialogFields ValidFields() {
  DialogFields fields = ShowSettings(DefaultSettings());
  fields.outputPath = "/tmp/out.swf";
  return fields;
}

TEST(FieldExchange, DefaultsShowAsAPersonWritesThem) {
  const DialogFields fields = ShowSettings(DefaultSettings());
  EXPECT_EQ(fields.delay, "1");
  EXPECT_EQ(fields.quality, "100");
  EXPECT_EQ(fields.framesPerSecond, "12");
  EXPECT_EQ(fields.outputPath, "");
  EXPECT_EQ(fields.controlFilePath, "");
  EXPECT_FALSE(fields.batchMode);
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
  const struct {
    const char* what;
    DialogFields (*edit)(DialogFields);
    Field field;
    const char* message;
  } cases[] = {
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
  for (const auto& c : cases) {
    const ExchangeResult result = TakeFields(c.edit(ValidFields()));
    ASSERT_TRUE(result.error) << c.what;
    EXPECT_EQ(result.error->field, c.field) << c.what;
    EXPECT_EQ(result.error->message, c.message) << c.what;
  }
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
  EXPECT_EQ(TakeFields(fields).error->field, Field::FramesPerSecond);
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
