#include "pictures/banners.h"

#include "pictures/glow_text.h"

namespace {

struct BannerDesign {
  const char* entryName;
  const char* text;
  int width;
  int height;
  const char* face;
  GlowLook look;
  int sparkles;  // how many sparkles dance around the lettering
};

GlowLook Look(Colour top, Colour bottom, Colour outline, Colour glow, float glowStrength = 1.1f) {
  GlowLook look;
  look.fillTop = top;
  look.fillBottom = bottom;
  look.outline = outline;
  look.outlineWidth = 3.0f;
  look.glow = glow;
  look.glowSigma = 7.0f;
  look.glowStrength = glowStrength;
  look.shadow = Colour::Rgb(0, 0, 10, 0.6f);
  return look;
}

Canvas DrawBanner(const BannerDesign& design) {
  TextStyle style;
  style.face = design.face;
  style.bold = true;
  const int margin = 24;
  const TextRun run = FitText(design.text, style, design.width - 2 * 18, design.height - 2 * 20,
                              design.height, margin, 3);
  const Canvas layer = PaintGlowText(run, design.look);
  Canvas picture = CentreInk(layer, run, design.width, design.height);
  if (design.sparkles > 0) {
    AddSparkles(picture, design.sparkles, static_cast<unsigned>(design.width * 31 + design.height),
                Colour::Rgb(255, 250, 200));
  }
  return picture;
}

}  // namespace

std::vector<Banner> DrawBanners() {
  const Colour deepOutline = Colour::Rgb(24, 18, 48);
  const std::vector<BannerDesign> designs = {
      {"seikai.bmp", "正解!", 360, 110, "IPAPGothic",
       Look(Colour::Rgb(255, 255, 210), Colour::Rgb(255, 190, 40), deepOutline,
            Colour::Rgb(200, 255, 90)),
       0},
      {"renzokuseikai.bmp", "連続正解!", 360, 110, "IPAPGothic",
       Look(Colour::Rgb(255, 250, 220), Colour::Rgb(255, 140, 40), deepOutline,
            Colour::Rgb(255, 220, 90)),
       6},
      {"fuseikai.bmp", "不正解…", 360, 110, "IPAPGothic",
       Look(Colour::Rgb(220, 236, 255), Colour::Rgb(110, 130, 230), Colour::Rgb(16, 14, 40),
            Colour::Rgb(90, 110, 255), 0.9f),
       0},
      {"10toppa.bmp", "ステージ1 突破!", 420, 110, "IPAPGothic",
       Look(Colour::Rgb(245, 255, 220), Colour::Rgb(120, 220, 60), deepOutline,
            Colour::Rgb(170, 255, 90)),
       5},
      {"20toppa.bmp", "ステージ2 突破!", 420, 110, "IPAPGothic",
       Look(Colour::Rgb(245, 255, 220), Colour::Rgb(60, 210, 170), deepOutline,
            Colour::Rgb(120, 255, 200)),
       5},
      {"Bonus.bmp", "ボーナス問題!", 420, 110, "IPAPGothic",
       Look(Colour::Rgb(255, 245, 250), Colour::Rgb(255, 110, 170), deepOutline,
            Colour::Rgb(255, 160, 210)),
       7},
      {"GameOver.bmp", "GAME OVER", 480, 140, "IPAPMincho",
       Look(Colour::Rgb(255, 200, 210), Colour::Rgb(170, 20, 50), Colour::Rgb(20, 6, 16),
            Colour::Rgb(200, 30, 90), 0.9f),
       0},
      {"GameClear.bmp", "GAME CLEAR", 480, 140, "IPAPMincho",
       Look(Colour::Rgb(255, 255, 225), Colour::Rgb(240, 170, 30), deepOutline,
            Colour::Rgb(255, 230, 110)),
       10},
  };
  std::vector<Banner> banners;
  for (const BannerDesign& design : designs)
    banners.push_back({design.entryName, DrawBanner(design)});
  return banners;
}
