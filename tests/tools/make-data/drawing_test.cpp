// The painter's building blocks: canvas blending and reduction, anti-aliased shapes, masks,
// lettering, and the PNG, BMP and JPEG encoders.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>

#include "graphics/device/jpeg_decoder.h"
#include "pictures/canvas.h"
#include "pictures/image_files.h"
#include "pictures/keying.h"
#include "pictures/lettering.h"
#include "pictures/mask.h"
#include "pictures/shapes.h"

namespace {

float CoverageSum(const Canvas& canvas) {
  float sum = 0.0f;
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) sum += canvas.At(x, y).a;
  }
  return sum;
}

uint32_t Be32(const Bytes& b, size_t at) {
  return (static_cast<uint32_t>(b[at]) << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
}

uint32_t Le32(const Bytes& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

}  // namespace

TEST(Canvas, BlendingAndReductionKeepColoursHonest) {
  Canvas canvas(2, 2, Colour{0, 0, 0, 0});
  canvas.Blend(0, 0, Colour::Rgb(255, 0, 0), 0.5f);
  EXPECT_FLOAT_EQ(canvas.At(0, 0).a, 0.5f);
  EXPECT_FLOAT_EQ(canvas.At(0, 0).r, 1.0f) << "straight alpha: colour is not darkened by coverage";
  canvas.Blend(0, 0, Colour::Rgb(0, 0, 255), 0.5f);
  EXPECT_FLOAT_EQ(canvas.At(0, 0).a, 0.75f);
  EXPECT_NEAR(canvas.At(0, 0).b, 0.5f / 0.75f, 1e-6);
  canvas.Blend(5, 5, Colour::Rgb(255, 255, 255));  // outside: ignored, no crash
  // Reducing: a transparent sample adds no colour, only less alpha.
  canvas.At(1, 0) = {0, 1, 0, 1};
  canvas.At(0, 1) = {0, 0, 0, 0};
  canvas.At(1, 1) = {0, 0, 0, 0};
  canvas.At(0, 0) = {0, 1, 0, 1};
  const Canvas small = canvas.Downsampled(2);
  EXPECT_FLOAT_EQ(small.At(0, 0).g, 1.0f);
  EXPECT_FLOAT_EQ(small.At(0, 0).a, 0.5f);
  EXPECT_EQ(ToByte(-0.5f), 0);
  EXPECT_EQ(ToByte(2.0f), 255);
  EXPECT_EQ(ToByte(0.5f), 128);
}

TEST(Shapes, CoverageMatchesTheShapesArea) {
  Canvas canvas(64, 64, Colour{0, 0, 0, 0});
  FillDisc(canvas, 32.0f, 32.0f, 20.0f, Colour::Rgb(255, 255, 255));
  EXPECT_NEAR(CoverageSum(canvas), 3.14159f * 400.0f, 12.0f);
  Canvas square(40, 40, Colour{0, 0, 0, 0});
  FillPolygon(square, {{10, 10}, {30, 10}, {30, 30}, {10, 30}}, Colour::Rgb(255, 255, 255));
  EXPECT_NEAR(CoverageSum(square), 400.0f, 1.0f);
  EXPECT_EQ(square.At(9, 20).a, 0.0f);
  EXPECT_EQ(square.At(20, 20).a, 1.0f);
  // A stroke reaches both of its ends and stays within half its width of the line.
  Canvas stroke(50, 20, Colour{0, 0, 0, 0});
  StrokePolyline(stroke, {{5, 10}, {45, 10}}, 4.0f, Colour::Rgb(255, 255, 255));
  EXPECT_EQ(stroke.At(5, 10).a, 1.0f);
  EXPECT_EQ(stroke.At(44, 10).a, 1.0f);
  EXPECT_EQ(stroke.At(25, 14).a, 0.0f);
  const std::vector<Point> curve = QuadraticCurve({0, 0}, {5, 10}, {10, 0}, 10);
  ASSERT_EQ(curve.size(), 11u);
  EXPECT_FLOAT_EQ(curve.back().x, 10.0f);
  EXPECT_FLOAT_EQ(curve[5].y, 5.0f);
}

TEST(Mask, GrowBlurAndBoundsBehave) {
  Mask mask(40, 40);
  for (int y = 18; y < 22; ++y) {
    for (int x = 18; x < 22; ++x) mask.At(x, y) = 1.0f;
  }
  int left, top, right, bottom;
  mask.Bounds(0.5f, left, top, right, bottom);
  EXPECT_EQ(left, 18);
  EXPECT_EQ(right, 22);
  mask.Grown(3.0f).Bounds(0.5f, left, top, right, bottom);
  EXPECT_EQ(left, 15);
  EXPECT_EQ(bottom, 25);
  // A blur spreads the shape without creating or losing ink.
  const Mask blurred = mask.Blurred(2.0f);
  float before = 0.0f, after = 0.0f;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) {
      before += mask.At(x, y);
      after += blurred.At(x, y);
    }
  }
  EXPECT_NEAR(after, before, 0.05f);
  EXPECT_GT(blurred.At(14, 20), 0.0f);
  EXPECT_LT(blurred.At(20, 20), 1.0f);
  Mask empty(5, 5);
  empty.Bounds(0.5f, left, top, right, bottom);
  EXPECT_EQ(right, 0);
}

TEST(Lettering, JapaneseTextBecomesInkAndUnknownCharactersAreSkipped) {
  TextStyle style;
  style.pixelHeight = 32;
  const TextRun run = RenderText("正解", style, 4);
  ASSERT_EQ(run.glyphs.size(), 2u);
  int left, top, right, bottom;
  run.mask.Bounds(0.5f, left, top, right, bottom);
  EXPECT_GT(right - left, 40);
  EXPECT_GT(bottom - top, 20);
  EXPECT_GE(left, 4) << "the margin is kept";
  EXPECT_LT(run.glyphs[0].left, run.glyphs[1].left);
  // An emoji is not in the code page: it is left out, the rest is drawn.
  EXPECT_EQ(RenderText("正😀解", style, 4).glyphs.size(), 2u);
  EXPECT_GT(MeasureText("正解正解", style), MeasureText("正解", style));
  // Oversampling gives the same layout at the same size.
  const TextRun smooth = RenderText("正解", style, 4, 3);
  EXPECT_NEAR(smooth.mask.Width(), run.mask.Width(), 3);
  EXPECT_NEAR(smooth.baseline, run.baseline, 2);
}

TEST(ImageFiles, PngIsAValidZlibStreamOfFilteredRows) {
  Canvas picture(3, 2, Colour{0, 0, 0, 0});
  picture.At(0, 0) = Colour::Rgb(255, 0, 0);
  picture.At(2, 1) = Colour::Rgb(0, 0, 255, 0.5f);
  const Bytes png = EncodePng(picture);
  ASSERT_GT(png.size(), 33u);
  EXPECT_EQ(png[0], 0x89);
  EXPECT_EQ(Be32(png, 8), 13u);  // IHDR length
  EXPECT_EQ(Be32(png, 16), 3u);
  EXPECT_EQ(Be32(png, 20), 2u);
  EXPECT_EQ(png[24], 8);
  EXPECT_EQ(png[25], 6);
  const uLong crc = crc32(0L, png.data() + 12, 17);
  EXPECT_EQ(Be32(png, 29), crc);
  // IDAT follows IHDR; inflate it and find our pixels behind the per-row filter byte.
  const uint32_t idatLength = Be32(png, 33);
  Bytes raw(2 * (1 + 3 * 4));
  uLongf rawSize = raw.size();
  ASSERT_EQ(uncompress(raw.data(), &rawSize, png.data() + 41, idatLength), Z_OK);
  ASSERT_EQ(rawSize, raw.size());
  EXPECT_EQ(raw[0], 0);
  EXPECT_EQ(raw[1], 255);
  EXPECT_EQ(raw[4], 255);
  EXPECT_EQ(raw[13 + 1 + 8 + 2], 255);
  EXPECT_EQ(raw[13 + 1 + 8 + 3], 128);
}

TEST(ImageFiles, BmpIsBottomUpThirtyTwoBitWithTheLoadersHeaders) {
  Canvas picture(2, 2, Colour::Rgb(0, 0, 0));
  picture.At(0, 0) = Colour::Rgb(10, 20, 30, 0.4f);  // top-left
  const Bytes bmp = EncodeBmp32(picture);
  ASSERT_EQ(bmp.size(), 54u + 16u);
  EXPECT_EQ(Le32(bmp, 2), 70u);
  EXPECT_EQ(Le32(bmp, 10), 54u);
  EXPECT_EQ(Le32(bmp, 14), 40u);
  EXPECT_EQ(Le32(bmp, 22), 2u) << "positive height: bottom row first";
  EXPECT_EQ(bmp[28], 32);
  EXPECT_EQ(Le32(bmp, 34), 16u);
  // The top-left pixel is the first of the second stored row: blue, green, red, alpha.
  EXPECT_EQ(bmp[54 + 8], 30);
  EXPECT_EQ(bmp[54 + 9], 20);
  EXPECT_EQ(bmp[54 + 10], 10);
  EXPECT_EQ(bmp[54 + 11], 102);
}

TEST(ImageFiles, JpegDecodesWithTheGamesDecoderCloseToThePicture) {
  Canvas picture(64, 48, Colour::Rgb(0, 0, 0));
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) picture.At(x, y) = Colour::Rgb(x * 4, y * 5, 100);
  }
  const Bytes jpeg = EncodeJpeg(picture, 90);
  EXPECT_EQ(jpeg, EncodeJpeg(picture, 90)) << "same bytes every time";
  const auto bitmap = DecodeJPEG(jpeg);
  ASSERT_TRUE(bitmap);
  ASSERT_EQ(bitmap->Width(), 64);
  ASSERT_EQ(bitmap->Height(), 48);
  for (int y = 4; y < 48; y += 11) {
    for (int x = 4; x < 64; x += 13) {
      const uint32_t rgb = bitmap->Pixel(x, y);
      EXPECT_NEAR(static_cast<int>((rgb >> 16) & 0xFF), x * 4, 8);
      EXPECT_NEAR(static_cast<int>((rgb >> 8) & 0xFF), y * 5, 8);
      EXPECT_NEAR(static_cast<int>(rgb & 0xFF), 100, 8);
    }
  }
}

TEST(Keying, SoftEdgesFadeIntoTheBackdropAtTheCutOff) {
  Canvas layer(3, 1, Colour{0, 0, 0, 0});
  layer.At(0, 0) = Colour::Rgb(255, 255, 255, 0.5f);   // exactly at the threshold
  layer.At(1, 0) = Colour::Rgb(255, 255, 255, 0.75f);  // half-way to opaque
  layer.At(2, 0) = Colour::Rgb(255, 255, 255, 0.49f);
  const Colour backdrop = Colour::Rgb(20, 40, 60);
  const Canvas flat = FlattenForColourKey(layer, Colour::Rgb(0, 0, 0), backdrop, 0.5f);
  EXPECT_EQ(ToByte(flat.At(0, 0).b), 60) << "the backdrop itself at the cut-off: no step";
  EXPECT_EQ(ToByte(flat.At(1, 0).r), (20 + 255 + 1) / 2);
  EXPECT_TRUE(MatchesKey(flat.At(2, 0), Colour::Rgb(0, 0, 0)));
  EXPECT_EQ(flat.At(0, 0).a, 1.0f);
}
