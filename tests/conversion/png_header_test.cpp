#include "conversion/png_header.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/png_maker.h"

namespace lumapress {
namespace {

TEST(PeekPngHeader, ReadsTheFieldsOfEveryColorTypeAndDepth) {
  for (const test::ColorTypeDepth& c : test::ValidColorTypeDepths()) {
    const std::vector<uint8_t> png = test::EncodePng(test::PatternPng(c.colorType, c.bitDepth, 300, 7));
    test::FilePtr file = test::OpenBytesAsFile(png);
    PngHeaderFields header;
    ASSERT_TRUE(PeekPngHeader(file.get(), header));
    EXPECT_EQ(header.width, 300u);
    EXPECT_EQ(header.height, 7u);
    EXPECT_EQ(header.bitDepth, c.bitDepth);
    EXPECT_EQ(header.colorType, c.colorType);
  }
}

TEST(PeekPngHeader, ReadsFromTheStartWhereverTheFileStands) {
  const std::vector<uint8_t> png = test::EncodePng(test::PatternPng(test::kRgba, 8, 65536, 1));
  test::FilePtr file = test::OpenBytesAsFile(png);
  std::fseek(file.get(), 0, SEEK_END);
  PngHeaderFields header;
  ASSERT_TRUE(PeekPngHeader(file.get(), header));
  EXPECT_EQ(header.width, 65536u);  // unchecked: the caller decides what is too large
}

TEST(PeekPngHeader, RefusesShortFilesAndOtherFormats) {
  const std::vector<uint8_t> png = test::EncodePng(test::PatternPng(test::kGray, 8, 2, 2));
  for (size_t length = 0; length < 26; ++length) {
    test::FilePtr file = test::OpenBytesAsFile(std::span(png).first(length));
    PngHeaderFields header;
    EXPECT_FALSE(PeekPngHeader(file.get(), header)) << length;
  }
  struct Damage {
    size_t offset;
    const char* what;
  };
  for (const Damage damage : {Damage{0, "signature"}, Damage{7, "signature end"}, Damage{12, "chunk type"}}) {
    std::vector<uint8_t> damaged = png;
    damaged[damage.offset] ^= 0x20;
    test::FilePtr file = test::OpenBytesAsFile(damaged);
    PngHeaderFields header;
    EXPECT_FALSE(PeekPngHeader(file.get(), header)) << damage.what;
  }
}

}  // namespace
}  // namespace lumapress
