// Bitmap memory is kept from one image to the next within a run, and given back when the run
// ends: the dialog lives on between runs and would otherwise hold it while idle.
#include <gtest/gtest.h>

#include <vector>

#include "common/kept_objects.h"
#include "conversion/write_image_bitmap.h"
#include "conversion_fixture.h"
#include "swf/bitmap_tags.h"

namespace lumapress::test {
namespace {

struct Counted {
  static inline int made = 0;
  Counted() { ++made; }
};

TEST(KeptObjects, ClearFreesWhatIsKeptAndKeepsWhatComesBackLater) {
  Counted::made = 0;
  KeptObjects<Counted> keeper;
  { const auto first = keeper.Borrow(); }
  { const auto again = keeper.Borrow(); }
  EXPECT_EQ(Counted::made, 1) << "a returned object is lent again";
  {
    const auto lent = keeper.Borrow();
    keeper.Clear();
  }
  { const auto back = keeper.Borrow(); }
  EXPECT_EQ(Counted::made, 1) << "an object on loan while the keeper is cleared comes back to it";
  keeper.Clear();
  { const auto fresh = keeper.Borrow(); }
  EXPECT_EQ(Counted::made, 2);
}

TEST(KeptTagBodies, ReleasingFreesEveryKeptBody) {
  for (int i = 0; i < 3; ++i) KeepTagBody(std::vector<uint8_t>(4096));
  ReleaseKeptTagBodies();
  EXPECT_EQ(TakeTagBody().capacity(), 0u);
  KeepTagBody(std::vector<uint8_t>(4096));
  EXPECT_EQ(TakeTagBody().capacity(), 4096u) << "the keeper still works after a release";
}

TEST_F(ConversionTest, EveryRunGivesBackTheBitmapMemoryItKept) {
  const std::vector<std::string> inputs = {PhotoPng("a.png", 300, 200), AlphaPng("b.png", 64, 64),
                                           PhotoPng("c.png", 120, 90)};
  for (const bool batch : {false, true}) {
    SCOPED_TRACE(batch ? "batch" : "one movie");
    settings_.batchMode = batch;
    settings_.outputPath = batch ? Path("movies") : Path("movie.swf");  // the folder is created on request
    size_t keptWhileRunning = 0;
    ASSERT_EQ(Convert(inputs,
                      [&](const ConversionProgress& progress) {
                        if (progress.imagesDone == 2) keptWhileRunning = KeptBitmapObjectCount();
                        return true;
                      }),
              0);
    EXPECT_GT(keptWhileRunning, 0u) << "buffers are kept from one image to the next";
    EXPECT_EQ(KeptBitmapObjectCount(), 0u);
    EXPECT_EQ(TakeTagBody().capacity(), 0u);
  }
}

}  // namespace
}  // namespace lumapress::test
