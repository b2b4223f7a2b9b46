#include "pictures/contact_sheet.h"

#include <algorithm>
#include <string>
#include <vector>

#include "pictures/keying.h"
#include "pictures/lettering.h"
#include "pictures/sprites.h"
#include "pictures/title.h"
#include "platform/codepage/codepage.h"
#include "rng.h"

namespace {

constexpr int kScreenWidth = 688;
constexpr int kScreenHeight = 528;
constexpr int kFieldLeft = 40, kFieldTop = 415, kFieldWidth = 641, kFieldHeight = 41;

// White text with its coverage in alpha, as the game's text writer fills a texture.
Canvas TextTexture(const std::string& utf8, const TextStyle& style) {
  const TextRun run = RenderText(utf8, style, 0);
  Canvas texture(run.mask.Width(), run.mask.Height(), Colour{1, 1, 1, 0});
  for (int y = 0; y < texture.Height(); ++y) {
    for (int x = 0; x < texture.Width(); ++x) texture.At(x, y).a = run.mask.At(x, y);
  }
  return texture;
}

TextStyle LabelStyle() {
  TextStyle style;
  style.pixelHeight = 24;  // 18 points
  style.bold = true;
  style.italic = true;
  return style;
}

TextStyle CharacterStyle() {
  TextStyle style;
  style.pixelHeight = 32;
  style.bold = true;
  return style;
}

void Draw(Canvas& screen, const Canvas& texture, int x, int y, uint32_t argb) {
  DrawSprite(screen, texture, x, y, texture.Width(), texture.Height(), argb);
}

struct Screen {
  const PictureSet& pictures;
  Canvas hikari, hotaru, title, keyGuide, keyGuideHint;
  Canvas canvas;

  explicit Screen(const PictureSet& set)
      : pictures(set),
        hikari(KeyedTexture(set.hikari, WhiteKey())),
        hotaru(KeyedTexture(set.hotaru, WhiteKey())),
        title(KeyedTexture(set.title, BlackKey())),
        keyGuide(KeyedTexture(set.keyGuide, BlackKey())),
        keyGuideHint(KeyedTexture(set.keyGuideWithHint, BlackKey())) {}

  void Begin(int seikai, int renzoku, int fuseikai, int time, int score, bool hintGuide) {
    canvas = Canvas(kScreenWidth, kScreenHeight, Colour::Rgb(0, 0, 0));
    Draw(canvas, pictures.background, 0, 0, 0x66FFFFFF);
    // The answer field (a window control over the picture), green for kanji answers.
    for (int y = kFieldTop; y < kFieldTop + kFieldHeight; ++y) {
      for (int x = kFieldLeft; x < kFieldLeft + kFieldWidth; ++x) {
        const bool rim = y == kFieldTop || x == kFieldLeft || y == kFieldTop + kFieldHeight - 1 ||
                         x == kFieldLeft + kFieldWidth - 1;
        canvas.At(x, y) = rim ? Colour::Rgb(120, 120, 120) : Colour::Rgb(0, 128, 0);
      }
    }
    const Canvas kotae = TextTexture("答", CharacterStyle());
    Canvas panel(kotae.Width(), kotae.Height(), Colour::Rgb(90, 40, 199, 187 / 255.0f));
    Draw(canvas, panel, kFieldLeft - kotae.Width() - 5, kFieldTop + 3, 0xFFFFFFFF);
    Draw(canvas, kotae, kFieldLeft - kotae.Width() - 5, kFieldTop + 3, 0xFFFF0000);
    auto pad = [](int n) {
      std::string digits = std::to_string(n);
      return std::string(4 - std::min<size_t>(4, digits.size()), '0') + digits;
    };
    const Canvas s = TextTexture("正解:" + pad(seikai), LabelStyle());
    const Canvas r = TextTexture("連続正解:" + pad(renzoku), LabelStyle());
    const Canvas f = TextTexture("不正解:" + pad(fuseikai), LabelStyle());
    const Canvas t = TextTexture("TIME:" + pad(time), LabelStyle());
    const Canvas p = TextTexture(pad(score), LabelStyle());
    const Canvas best = TextTexture(pad(2000) + "(最高得点)", LabelStyle());
    Draw(canvas, s, r.Width() + 5 - s.Width(), 5, 0xBBFFFF00);
    Draw(canvas, r, 5, s.Height() + 5, 0xBBE7FFBB);
    Draw(canvas, f, r.Width() + 5 - f.Width(), 2 * s.Height() + 10, 0xBBFF0000);
    Draw(canvas, t, kScreenWidth - t.Width() - 5, 5, 0xBBFFFFFF);
    if (seikai >= 10) {
      const Canvas h = TextTexture("HINT:0003", LabelStyle());
      Draw(canvas, h, kScreenWidth - h.Width() - 5, t.Height() + 5, 0xBB6E82BE);
    }
    Draw(canvas, p, (kScreenWidth - p.Width()) / 2, 5, 0xBBC0FFC0);
    Draw(canvas, best, (kScreenWidth - p.Width()) / 2, p.Height() + 5, 0xBBFFFFFF);
    const Canvas& guide = hintGuide ? keyGuideHint : keyGuide;
    Draw(canvas, guide, (kScreenWidth - guide.Width()) / 2, kFieldTop + kFieldHeight, 0xBBFFFFFF);
  }

  // One firefly with its character: lined up (scale 1) or wandering and pulsing (scale < 1),
  // placed as the game's frame drawing places them.
  void Firefly(const std::u16string& character, int x, int y, int brightness, float scale = 1.0f) {
    const Canvas m = TextTexture(codepage::Utf16ToUtf8(character), CharacterStyle());
    const uint32_t white = (static_cast<uint32_t>(brightness) << 24) | 0xFFFFFF;
    const uint32_t red = (static_cast<uint32_t>(brightness) << 24) | 0xFF0000;
    if (scale == 1.0f) {
      Draw(canvas, hikari, x + m.Width() / 2 - hikari.Width() / 2,
           y + m.Height() / 2 - hikari.Height() / 2, white);
      Draw(canvas, hotaru, x + m.Width() / 2 - hotaru.Width() / 2 - 5,
           y + m.Height() / 2 - 30 - hotaru.Height() / 2, white);
      Draw(canvas, m, x, y, red);
      return;
    }
    const int hw = static_cast<int>(hotaru.Width() * scale),
              hh = static_cast<int>(hotaru.Height() * scale);
    const int mw = static_cast<int>(m.Width() * scale), mh = static_cast<int>(m.Height() * scale);
    DrawSprite(canvas, hikari, x + mw / 2 - hw / 2, y + mh / 2 - hh / 2, hw, hh, white);
    DrawSprite(canvas, hotaru, x + m.Width() / 2 - hotaru.Width() / 2 - 5, y - hh + 5, hw, hh,
               white);
    DrawSprite(canvas, m, x, y, mw, mh, red);
  }

  void Rows(const std::u16string& reading, int dark, Rng& rng) {
    const int count = static_cast<int>(reading.size());
    for (int k = 0; k < count; ++k) {
      const int row = k / 13;
      const int inRow = std::min(13, count - row * 13);
      const int left = (kScreenWidth - inRow * hotaru.Width()) / 2;
      const int x = left + 10 + (k % 13) * hotaru.Width();
      const int y = row * (hotaru.Height() + 50) + 140;
      Firefly(reading.substr(static_cast<size_t>(k), 1), x, y,
              k == dark ? 0 : 120 + rng.Below(136));
    }
  }

  void Scatter(const std::u16string& reading, Rng& rng, bool pulsing) {
    for (size_t k = 0; k < reading.size(); ++k) {
      const int x = rng.Below(kScreenWidth - hotaru.Width());
      const int y = rng.Below(kFieldTop - hotaru.Height() - hikari.Height() - 40) + 60;
      const float scale = pulsing ? 0.5f + 0.1f * rng.Below(6) : 1.0f;
      Firefly(reading.substr(k, 1), x, y, 110 + rng.Below(146), scale);
    }
  }

  void Picture(const std::string& entry, int y) {
    for (const auto& [name, picture] : pictures.banners) {
      if (name == entry) Draw(canvas, picture, (kScreenWidth - picture.Width()) / 2, y, 0xBBFFFFFF);
    }
  }

  void Message(const std::string& text, int y) {
    const Canvas line = TextTexture(text, LabelStyle());
    Draw(canvas, line, (kScreenWidth - line.Width()) / 2, y, 0xBBFFFFFF);
  }

  void Answer(const std::string& spelling, const std::string& reading) {
    const Canvas spell = TextTexture(spelling, CharacterStyle());
    const Canvas read = TextTexture(reading, CharacterStyle());
    Canvas panel(spell.Width(), spell.Height(), Colour::Rgb(90, 40, 199, 187 / 255.0f));
    Draw(canvas, panel, kFieldLeft, kFieldTop - spell.Height() - 5, 0xBBFFFFFF);
    Draw(canvas, spell, kFieldLeft, kFieldTop - spell.Height() - 5, 0xBB00FF00);
    Draw(canvas, read, kFieldLeft, kFieldTop - spell.Height() - read.Height() - 10, 0xBBFF80FF);
  }
};

}  // namespace

Canvas KeyedTexture(const Canvas& picture, const Colour& key) {
  Canvas texture = picture;
  for (int y = 0; y < texture.Height(); ++y) {
    for (int x = 0; x < texture.Width(); ++x) {
      Colour& c = texture.At(x, y);
      c.a = MatchesKey(c, key) ? 0.0f : 1.0f;
    }
  }
  return texture;
}

void DrawSprite(Canvas& screen, const Canvas& texture, int x, int y, int width, int height,
                uint32_t argb) {
  if (width <= 0 || height <= 0) return;
  const float a = static_cast<float>((argb >> 24) & 0xFF) / 255.0f;
  const float r = static_cast<float>((argb >> 16) & 0xFF) / 255.0f;
  const float g = static_cast<float>((argb >> 8) & 0xFF) / 255.0f;
  const float b = static_cast<float>(argb & 0xFF) / 255.0f;
  for (int dy = 0; dy < height; ++dy) {
    for (int dx = 0; dx < width; ++dx) {
      const int u = std::min(texture.Width() - 1, dx * texture.Width() / width);
      const int v = std::min(texture.Height() - 1, dy * texture.Height() / height);
      const Colour& t = texture.At(u, v);
      screen.Blend(x + dx, y + dy, Colour{t.r * r, t.g * g, t.b * b, 1.0f}, t.a * a);
    }
  }
}

Canvas MakeContactSheet(const PictureSet& pictures) {
  Screen screen(pictures);
  Rng rng(2024);
  std::vector<Canvas> panels;
  const std::u16string titleReading = u"ないとうぃすぷ";
  const std::u16string reading = u"いぬもあるけばぼうにあたる";
  const std::u16string longReading = u"いしのうえにもさんねんすわればあたたまる";

  // 1. The title screen.
  screen.Begin(0, 0, 0, 0, 0, false);
  screen.Scatter(titleReading, rng, true);
  Draw(screen.canvas, screen.title, (kScreenWidth - screen.title.Width()) / 2, 170, 0xBBFFFFFF);
  screen.Message("解答モードの変更は「ゲーム」から設定してください。", 275);
  screen.Message("Ctrlキーを押すとゲームが始まります。", 305);
  Draw(screen.canvas, pictures.logo, 380, 350, 0xBBFFFFFF);
  panels.push_back(screen.canvas);
  // 2. A stage-1 question in rows, one character dark.
  screen.Begin(3, 1, 1, 42, 135, false);
  screen.Rows(longReading, 6, rng);
  panels.push_back(screen.canvas);
  // 3-5. Results.
  screen.Begin(4, 2, 1, 37, 187, false);
  screen.Rows(reading, 3, rng);
  screen.Picture("seikai.bmp", 170);
  screen.Answer("犬も歩けば棒に当たる", "いぬもあるけばぼうにあたる");
  panels.push_back(screen.canvas);
  screen.Begin(6, 3, 0, 30, 420, false);
  screen.Rows(reading, 3, rng);
  screen.Picture("renzokuseikai.bmp", 170);
  screen.Answer("犬も歩けば棒に当たる", "いぬもあるけばぼうにあたる");
  panels.push_back(screen.canvas);
  screen.Begin(6, 0, 2, 0, 410, false);
  screen.Rows(reading, 3, rng);
  screen.Picture("fuseikai.bmp", 170);
  screen.Answer("犬も歩けば棒に当たる", "いぬもあるけばぼうにあたる");
  panels.push_back(screen.canvas);
  // 6-7. Stage clears.
  screen.Begin(10, 0, 0, 51, 800, true);
  screen.Picture("10toppa.bmp", 170);
  panels.push_back(screen.canvas);
  screen.Begin(20, 0, 0, 44, 1500, true);
  screen.Picture("20toppa.bmp", 170);
  panels.push_back(screen.canvas);
  // 8. A bonus question over a scattered stage-2 layout.
  screen.Begin(14, 0, 2, 59, 1010, true);
  screen.Scatter(reading, rng, false);
  screen.Picture("Bonus.bmp", 120);
  panels.push_back(screen.canvas);
  // 9-10. The ends of a game.
  screen.Begin(17, 0, 5, 0, 1200, true);
  screen.Picture("GameOver.bmp", 120);
  screen.Message("お疲れさまでした。", 275);
  screen.Message("Ctrlキーを押すとゲームを再開します。", 305);
  panels.push_back(screen.canvas);
  screen.Begin(30, 5, 0, 12, 2450, false);
  screen.Scatter(longReading, rng, true);
  screen.Picture("GameClear.bmp", 120);
  screen.Message("記録更新!! (2450点) おめでとうございます!! ", 275);
  screen.Message(" Ctrlキーを押すと最初からゲームが始まります。", 305);
  panels.push_back(screen.canvas);

  const int columns = 2;
  const int gap = 8;
  const int rows = static_cast<int>((panels.size() + columns - 1) / columns);
  Canvas sheet(columns * kScreenWidth + (columns + 1) * gap,
               rows * kScreenHeight + (rows + 1) * gap, Colour::Rgb(60, 60, 66));
  for (size_t i = 0; i < panels.size(); ++i) {
    const int column = static_cast<int>(i) % columns;
    const int row = static_cast<int>(i) / columns;
    sheet.Composite(panels[i], gap + column * (kScreenWidth + gap),
                    gap + row * (kScreenHeight + gap));
  }
  return sheet;
}
