#include "conversion/work_estimate.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/png_maker.h"
#include "support/temp_folder.h"

namespace lumapress {
namespace {

class WorkEstimateTest : public ::testing::Test {
 protected:
  std::string Png(const std::string& name, int colorType, uint32_t width, uint32_t height) {
    const std::string path = folder_.path() + "/" + name;
    test::WritePngFile(path, test::PatternPng(colorType, 8, width, height));
    return path;
  }

  test::TempFolder folder_;
};

TEST_F(WorkEstimateTest, GrowsWithThePixels) {
  const std::string small = Png("small.png", test::kRgb, 40, 30);
  const std::string large = Png("large.png", test::kRgb, 400, 300);
  for (const int quality : {0, 80, 100}) {
    EXPECT_LT(EstimateConversionWork(small, quality), EstimateConversionWork(large, quality)) << quality;
  }
}

// A JPEG's alpha plane goes into the movie uncompressed and through its level-9 deflate: an
// RGBA image outweighs an RGB one twice its size. Lossless bitmaps have no such plane.
TEST_F(WorkEstimateTest, AlphaPlaneWeighsOnlyForJpeg) {
  const std::string rgba = Png("rgba.png", test::kRgba, 100, 100);
  const std::string rgb = Png("rgb.png", test::kRgb, 150, 150);
  EXPECT_GT(EstimateConversionWork(rgba, 80), EstimateConversionWork(rgb, 80));
  EXPECT_LT(EstimateConversionWork(rgba, 100), EstimateConversionWork(rgb, 100));
}

TEST_F(WorkEstimateTest, UnreadableFiles) {
  EXPECT_EQ(EstimateConversionWork(folder_.path() + "/missing.png", 80), 0u);
  const std::string text = folder_.path() + "/text.png";
  const std::vector<uint8_t> bytes(1000, 'x');
  test::WriteFileBytes(text, bytes);
  EXPECT_EQ(EstimateConversionWork(text, 80), 1000u);  // its size: reading it is all the work
}

}  // namespace
}  // namespace lumapress
