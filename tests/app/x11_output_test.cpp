// The X output keeps the last frame put and, where the window shows it, puts only the pixels
// that differ from it.
#include <gtest/gtest.h>

#include <QImage>

#include <cstdint>
#include <vector>

#include "app/x11_output.h"

namespace {

constexpr int kWidth = 10, kHeight = 6;

struct TChangeCase {
  const char* Name;
  int Scale;
  std::vector<QPoint> Changed;  // frame pixels given a new colour
  bool TopByteOnly;             // ... differing in the meaningless top byte alone
  QRect Part;                   // the rectangle compared
  QRect Expected;               // the smallest rectangle of what differed inside it
};

TEST(X11Output, OnlyThePixelsThatDifferAreKeptAndCounted) {
  const TChangeCase cases[] = {
      {"nothing differs", 1, {}, false, QRect(0, 0, kWidth, kHeight), QRect()},
      {"one pixel", 1, {{5, 3}}, false, QRect(0, 0, kWidth, kHeight), QRect(5, 3, 1, 1)},
      {"the top byte alone", 1, {{5, 3}}, true, QRect(0, 0, kWidth, kHeight), QRect()},
      {"two corners",
       1,
       {{2, 1}, {7, 4}},
       false,
       QRect(0, 0, kWidth, kHeight),
       QRect(QPoint(2, 1), QPoint(7, 4))},
      {"outside the part", 1, {{9, 5}, {1, 1}}, false, QRect(0, 0, 5, 5), QRect(1, 1, 1, 1)},
      {"at twice the size", 2, {{3, 2}}, false, QRect(0, 0, kWidth, kHeight), QRect(3, 2, 1, 1)},
      {"at four times the size",
       4,
       {{0, 0}, {9, 5}},
       false,
       QRect(0, 0, kWidth, kHeight),
       QRect(0, 0, kWidth, kHeight)},
  };
  for (const TChangeCase& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<std::uint32_t> frame(kWidth * kHeight);
    for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = 0xFF000000u | (i * 0x010203u);
    const auto* pixels = reinterpret_cast<const unsigned char*>(frame.data());
    QImage kept(kWidth * c.Scale, kHeight * c.Scale, QImage::Format_RGB32);
    app::CopyFrameRegion(QRect(0, 0, kWidth, kHeight), pixels, kWidth * 4, kept, c.Scale);

    for (const QPoint& p : c.Changed) {
      frame[p.y() * kWidth + p.x()] ^= c.TopByteOnly ? 0x7F000000u : 0x00808080u;
    }
    const QRect got = app::CopyChangedFrameRect(c.Part, pixels, kWidth * 4, kept, c.Scale);
    EXPECT_EQ(got, c.Expected);
    // What differed inside the part is kept, at the scale; what lay outside is not.
    for (const QPoint& p : c.Changed) {
      const QRgb shown = kept.pixel(p * c.Scale + QPoint(c.Scale - 1, c.Scale - 1)) & 0xFFFFFF;
      const std::uint32_t now = frame[p.y() * kWidth + p.x()] & 0xFFFFFF;
      EXPECT_EQ(shown == now, c.TopByteOnly || c.Part.contains(p)) << p.x() << "," << p.y();
    }
  }
}

}  // namespace
