// The pictures: sizes the game's layout relies on, colour keys exactly where keyed, alpha where
// the game draws without a key, files the game's own BMP decoder and archive reader accept.
#include <gtest/gtest.h>

#include <cmath>

#include "archive/memory_stream.h"
#include "archive/qda_writer.h"
#include "archive/qdarc.h"
#include "data_set.h"
#include "graphics/device/bmp.h"
#include "pictures/contact_sheet.h"
#include "pictures/key_guide.h"
#include "pictures/keying.h"
#include "pictures/sprites.h"
#include "pictures/title.h"

namespace {

const PictureSet& Pictures() {
  static const PictureSet pictures = DrawPictures();
  return pictures;
}

int CountKey(const Canvas& picture, const Colour& key) {
  int count = 0;
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) count += MatchesKey(picture.At(x, y), key) ? 1 : 0;
  }
  return count;
}

bool AllOpaque(const Canvas& picture) {
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      if (picture.At(x, y).a < 1.0f) return false;
    }
  }
  return true;
}

// Decodes BMP bytes with the game's decoder into an A8R8G8B8 surface of the picture's size.
std::vector<uint32_t> DecodeWithGame(const Bytes& bmp, int width, int height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0xDEADBEEF);
  TMemoryStream stream(bmp);
  DGCarad9::TDGLockedSurface surface{D3DFMT_A8R8G8B8, width, height, width * 4,
                                     reinterpret_cast<uint8_t*>(pixels.data())};
  DGCarad9::DecodeBMP(stream, surface);
  return pixels;
}

uint32_t Argb(const Colour& c) {
  return (static_cast<uint32_t>(ToByte(c.a)) << 24) | (ToByte(c.r) << 16) | (ToByte(c.g) << 8) |
         ToByte(c.b);
}

}  // namespace

TEST(Pictures, SizesFitTheGameScreen) {
  const PictureSet& p = Pictures();
  EXPECT_EQ(p.background.Width(), 688);
  EXPECT_EQ(p.background.Height(), 528);
  EXPECT_EQ(p.hikari.Width(), 48);
  EXPECT_EQ(p.hikari.Height(), 48);
  EXPECT_EQ(p.hotaru.Width(), 48);
  EXPECT_EQ(p.hotaru.Height(), 40);
  EXPECT_LE(13 * p.hotaru.Width() + 10, 688) << "a stage-1 row of 13 fireflies fits the screen";
  EXPECT_EQ(p.title.Width(), 562);
  EXPECT_EQ(p.title.Height(), 126);
  EXPECT_EQ(p.logo.Width(), 300);
  EXPECT_EQ(p.logo.Height(), 50);
  for (const Canvas* guide : {&p.keyGuide, &p.keyGuideWithHint}) {
    EXPECT_LE(guide->Width(), 640);
    EXPECT_GE(guide->Width(), 300);
    EXPECT_EQ(guide->Height(), 26);
  }
  ASSERT_EQ(p.banners.size(), 8u);
  for (const auto& [name, picture] : p.banners) {
    SCOPED_TRACE(name);
    EXPECT_LE(picture.Width(), 688);
    EXPECT_GE(picture.Width(), 300);
    EXPECT_GE(picture.Height(), 100);
    // Drawn at y 120 or 170, the picture stays clear of the answer field at y 415.
    EXPECT_LE(170 + picture.Height(), 415);
  }
}

TEST(Pictures, KeyedPicturesAreKeyColourOrOpaqueAndNothingBetween) {
  const PictureSet& p = Pictures();
  struct Case {
    const char* name;
    const Canvas* picture;
    Colour key;
  };
  const Case cases[] = {{"Hikari2", &p.hikari, WhiteKey()},
                        {"Hotaru", &p.hotaru, WhiteKey()},
                        {"Title", &p.title, BlackKey()},
                        {"Sosa1", &p.keyGuide, BlackKey()},
                        {"Sosa2", &p.keyGuideWithHint, BlackKey()}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Canvas& picture = *c.picture;
    EXPECT_TRUE(AllOpaque(picture)) << "a keyed picture has no alpha of its own";
    // The corners are background; the middle of the picture is not.
    EXPECT_TRUE(MatchesKey(picture.At(0, 0), c.key));
    EXPECT_TRUE(MatchesKey(picture.At(picture.Width() - 1, picture.Height() - 1), c.key));
    const int keyed = CountKey(picture, c.key);
    EXPECT_GT(keyed, 0);
    EXPECT_LT(keyed, picture.Width() * picture.Height());
  }
}

TEST(Pictures, LightIsAFullDiscShadedFromPaleYellowToYellowGreen) {
  const Canvas& light = Pictures().hikari;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 48; ++x) {
      const float d = std::hypot(x + 0.5f - 24.0f, y + 0.5f - 24.0f);
      if (d < 21.5f) {
        EXPECT_FALSE(MatchesKey(light.At(x, y), WhiteKey())) << x << "," << y;
      }
      if (d > 24.0f) {
        EXPECT_TRUE(MatchesKey(light.At(x, y), WhiteKey())) << x << "," << y;
      }
    }
  }
  const Colour centre = light.At(24, 24);
  const Colour rim = light.At(4, 24);
  EXPECT_GT(centre.r, 0.95f);
  EXPECT_GT(centre.g, 0.95f);
  EXPECT_GT(centre.b, 0.6f) << "pale, not saturated, in the middle";
  EXPECT_GT(rim.g, rim.r) << "yellow-green towards the rim";
  EXPECT_LT(rim.b, 0.3f);
}

TEST(Pictures, BannersAndLogoCarryAlpha) {
  const PictureSet& p = Pictures();
  std::vector<const Canvas*> withAlpha = {&p.logo};
  for (const auto& entry : p.banners) withAlpha.push_back(&entry.second);
  for (const Canvas* picture : withAlpha) {
    EXPECT_EQ(picture->At(0, 0).a, 0.0f);
    int opaque = 0, soft = 0;
    for (int y = 0; y < picture->Height(); ++y) {
      for (int x = 0; x < picture->Width(); ++x) {
        const float a = picture->At(x, y).a;
        opaque += a > 0.99f ? 1 : 0;
        soft += (a > 0.05f && a < 0.95f) ? 1 : 0;
      }
    }
    EXPECT_GT(opaque, 500) << "solid lettering";
    EXPECT_GT(soft, 200) << "a soft glow around it";
  }
}

TEST(Pictures, FlatteningNeverLeavesAnOpaquePixelOnTheKey) {
  Canvas layer(3, 1, Colour{0, 0, 0, 0});
  layer.At(0, 0) = Colour::Rgb(0, 0, 0);          // opaque, exactly the key colour
  layer.At(1, 0) = Colour::Rgb(200, 0, 0, 0.2f);  // below the threshold
  layer.At(2, 0) = Colour::Rgb(200, 100, 0);
  const Canvas flat = FlattenForColourKey(layer, BlackKey(), Colour::Rgb(0, 0, 0), 0.5f);
  EXPECT_FALSE(MatchesKey(flat.At(0, 0), BlackKey()));
  EXPECT_TRUE(MatchesKey(flat.At(1, 0), BlackKey()));
  EXPECT_EQ(ToByte(flat.At(2, 0).r), 200);
  EXPECT_EQ(ToByte(flat.At(2, 0).g), 100);
}

TEST(Pictures, TheGamesDecoderReadsOurBmpsPixelForPixel) {
  const PictureSet& p = Pictures();
  for (const Canvas* picture : {&p.hikari, &p.logo, &p.keyGuide}) {
    const std::vector<uint32_t> decoded =
        DecodeWithGame(EncodeBmp32(*picture), picture->Width(), picture->Height());
    for (int y = 0; y < picture->Height(); ++y) {
      for (int x = 0; x < picture->Width(); ++x) {
        ASSERT_EQ(decoded[static_cast<size_t>(y) * picture->Width() + x], Argb(picture->At(x, y)))
            << x << "," << y;
      }
    }
  }
}

TEST(Pictures, ArchiveHoldsTheTenEntriesPacked) {
  const std::vector<DataFile> files = PictureFiles(Pictures());
  const DataFile* archive = nullptr;
  for (const DataFile& file : files) {
    if (file.name == "wisplore.qda") archive = &file;
  }
  ASSERT_NE(archive, nullptr);
  ASSERT_GE(archive->bytes.size(), 256u);
  EXPECT_EQ(archive->bytes[0], 1) << "PackMethod 1: byte-pair packed";
  TMemoryStream stream(archive->bytes);
  for (const std::string& name : ArchiveEntryNames()) {
    SCOPED_TRACE(name);
    stream.Seek(0, TSeekOrigin::soBeginning);
    const auto entry = FindQDAEntry(stream, name);
    ASSERT_TRUE(entry);
    const auto bytes = entry->Bytes();
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(bytes[28], 32) << "32 bits per pixel";
  }
  // Hotaru.bmp comes back exactly as drawn.
  stream.Seek(0, TSeekOrigin::soBeginning);
  const auto hotaru = FindQDAEntry(stream, "HOTARU.BMP");
  const Bytes expected = EncodeBmp32(Pictures().hotaru);
  ASSERT_EQ(hotaru->ByteSize(), expected.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), hotaru->Bytes().begin()));
}

TEST(Pictures, SameBytesOnEveryRun) {
  const PictureSet again = DrawPictures();
  EXPECT_EQ(EncodeBmp32(again.title), EncodeBmp32(Pictures().title));
  EXPECT_EQ(EncodeBmp32(again.keyGuide), EncodeBmp32(Pictures().keyGuide));
  EXPECT_EQ(EncodeJpeg(again.background, 90), EncodeJpeg(Pictures().background, 90));
}

TEST(ContactSheet, SpritesAreKeyedTintedAndBlendedLikeTheGameDrawsThem) {
  Canvas screen(4, 1, Colour::Rgb(0, 0, 0));
  Canvas picture(2, 1, Colour::Rgb(255, 255, 255));
  picture.At(1, 0) = Colour::Rgb(0, 0, 0);
  const Canvas keyed = KeyedTexture(picture, BlackKey());
  DrawSprite(screen, keyed, 0, 0, 4, 1, 0xBBFF0000);
  // White texel × red at alpha 0xBB over black; the keyed half leaves the screen black.
  EXPECT_NEAR(screen.At(0, 0).r, 0xBB / 255.0f, 1e-4);
  EXPECT_EQ(screen.At(0, 0).g, 0.0f);
  EXPECT_EQ(screen.At(3, 0).r, 0.0f);
}
