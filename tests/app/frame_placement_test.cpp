// Where the frame stands in windows of many sizes, and how its pixels map to the window's.
#include "app/frame_placement.h"

#include <gtest/gtest.h>

namespace {

using app::PlaceFrame;
using app::TScaling;

constexpr QSize kFrame(688, 528);

TEST(FramePlacementTest, WholeMultiplesAndFitsAreCentredInTheArea) {
  const struct {
    QSize Area;
    TScaling Scaling;
    int Scale;
    QRect Target;
  } cases[] = {
      {{688, 528}, TScaling::Integer, 1, {0, 0, 688, 528}},
      {{500, 400}, TScaling::Integer, 1, {-94, -64, 688, 528}},  // smaller: 1×, cut
      {{1376, 1056}, TScaling::Integer, 2, {0, 0, 1376, 1056}},
      {{1500, 1100}, TScaling::Integer, 2, {62, 22, 1376, 1056}},
      {{3840, 2141}, TScaling::Integer, 4, {544, 14, 2752, 2112}},  // 4K under a menu bar
      {{3840, 2160}, TScaling::Fit, 0, {513, 0, 2814, 2160}},
      {{1376, 2000}, TScaling::Fit, 2, {0, 472, 1376, 1056}},  // fits as a whole multiple
      {{688, 528}, TScaling::Fit, 1, {0, 0, 688, 528}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Area.width() << "x" << c.Area.height());
    const app::TFramePlacement placed = PlaceFrame(kFrame, c.Area, c.Scaling);
    EXPECT_EQ(placed.Target, c.Target);
    EXPECT_EQ(placed.Scale, c.Scaling == TScaling::Fit && c.Scale == 2 ? 0 : c.Scale);
  }
}

// A frame rectangle covers whole blocks at a whole multiple; an area rectangle touches every frame
// pixel it overlaps, even by a fraction, and never one outside the frame.
TEST(FramePlacementTest, RectanglesMapBothWays) {
  const app::TFramePlacement twice = PlaceFrame(kFrame, {1500, 1100}, TScaling::Integer);
  EXPECT_EQ(twice.ToArea({40, 415, 641, 41}), QRect(62 + 80, 22 + 830, 1282, 82));
  EXPECT_EQ(twice.ToFrame({62 + 81, 22 + 831, 3, 1}), QRect(40, 415, 2, 1));
  EXPECT_EQ(twice.ToFrame({0, 0, 1500, 1100}), QRect(QPoint(0, 0), kFrame));

  const app::TFramePlacement fit = PlaceFrame(kFrame, {1000, 528 * 1000 / 688}, TScaling::Fit);
  const QRect field = fit.ToArea({40, 415, 641, 41});
  EXPECT_TRUE(field.contains(fit.ToAreaF({40, 415, 641, 41}).toAlignedRect()));
  const QRect touched = fit.ToFrame(field);
  const QRect design(40, 415, 641, 41);
  EXPECT_TRUE(touched.contains(design));
  EXPECT_TRUE(design.adjusted(-1, -1, 1, 1).contains(touched)) << "more than a pixel around";
}

}  // namespace
