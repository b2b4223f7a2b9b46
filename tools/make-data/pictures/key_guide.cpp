#include "pictures/key_guide.h"

#include <algorithm>
#include <string>
#include <vector>

#include "pictures/keying.h"
#include "pictures/lettering.h"
#include "pictures/shapes.h"
#include "pictures/title.h"

namespace {

struct KeyHelp {
  std::string key;
  std::string action;
};

void PaintText(Canvas& canvas, const TextRun& run, int x, int baseline, const Colour& colour) {
  const int top = baseline - run.baseline;
  for (int y = 0; y < run.mask.Height(); ++y) {
    for (int dx = 0; dx < run.mask.Width(); ++dx) {
      canvas.Blend(x + dx, top + y, colour, run.mask.At(dx, y));
    }
  }
}

int InkWidth(const TextRun& run) {
  int left, top, right, bottom;
  run.mask.Bounds(0.05f, left, top, right, bottom);
  return right;
}

}  // namespace

Canvas DrawKeyGuide(bool withHint) {
  const std::vector<KeyHelp> keys = {{"Ctrl", "：問題"},
                                     {"Enter", "：解答"},
                                     {"F1", withHint ? "：ヒント" : "：ギブアップ"},
                                     {"F2", "：一時停止"}};
  TextStyle keyStyle;
  keyStyle.face = "IPAPGothic";
  keyStyle.pixelHeight = 13;
  keyStyle.bold = true;
  TextStyle actionStyle;
  actionStyle.face = "IPAPGothic";
  actionStyle.pixelHeight = 15;
  actionStyle.bold = true;
  const int gap = 22;    // between one key's help and the next ("　" in the text)
  const int capPad = 6;  // room inside a key cap either side of its name
  const int baseline = 18;

  // Lay out once to learn the width, then draw centred in a picture just that wide.
  struct Piece {
    TextRun key, action;
    int capWidth;
  };
  std::vector<Piece> pieces;
  int total = 0;
  for (const KeyHelp& help : keys) {
    Piece piece{RenderText(help.key, keyStyle, 0), RenderText(help.action, actionStyle, 0), 0};
    piece.capWidth = InkWidth(piece.key) + 2 * capPad;
    total += piece.capWidth + InkWidth(piece.action) + 2;
    pieces.push_back(std::move(piece));
  }
  total += gap * static_cast<int>(keys.size() - 1);
  const int width = std::min(kKeyGuideMaxWidth, total + 8);
  Canvas layer(width, kKeyGuideHeight, Colour{0, 0, 0, 0});
  int x = (width - total) / 2;
  for (const Piece& piece : pieces) {
    // A key cap: a rounded box with a lit rim.
    const float left = static_cast<float>(x), right = static_cast<float>(x + piece.capWidth);
    const float top = 3.5f, bottom = 22.5f, radius = 4.0f;
    auto insideCap = [&](float px, float py, float inset) {
      const float l = left + inset, r = right - inset, t = top + inset, b = bottom - inset;
      const float cx = std::clamp(px, l + radius, r - radius);
      const float cy = std::clamp(py, t + radius, b - radius);
      return (px - cx) * (px - cx) + (py - cy) * (py - cy) <= radius * radius;
    };
    FillShape(
        layer, left, top, right, bottom,
        [&](float px, float py) { return insideCap(px, py, 0.0f); }, Colour::Rgb(150, 190, 110));
    FillShape(
        layer, left, top, right, bottom,
        [&](float px, float py) { return insideCap(px, py, 1.2f); }, Colour::Rgb(28, 40, 62));
    PaintText(layer, piece.key, x + capPad, baseline - 1, Colour::Rgb(214, 255, 140));
    x += piece.capWidth + 2;
    PaintText(layer, piece.action, x, baseline, Colour::Rgb(236, 240, 255));
    x += InkWidth(piece.action) + gap;
  }
  return FlattenForColourKey(layer, BlackKey(), Colour::Rgb(8, 14, 16), 0.3f);
}
