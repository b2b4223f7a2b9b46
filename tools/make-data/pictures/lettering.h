// Lettering through the game's own font services (the GDI stand-in): text becomes a coverage
// mask that the picture makers turn into fills, outlines and glows.
#pragma once

#include <string>
#include <vector>

#include "pictures/mask.h"

struct TextStyle {
  std::string face = "IPAPGothic";  // family name (UTF-8)
  int pixelHeight = 32;             // character (em) height in pixels
  bool bold = false;
  bool italic = false;
  float letterSpacing = 0.0f;  // extra pixels after every character
};

// Where one character landed in the mask.
struct GlyphPlacement {
  std::u16string character;
  int left = 0, top = 0, width = 0, height = 0;  // the glyph's ink box
};

struct TextRun {
  Mask mask;         // the line, with `margin` pixels of room on every side
  int baseline = 0;  // y of the baseline in the mask
  std::vector<GlyphPlacement> glyphs;
};

// Renders one line of UTF-8 text. With `oversample` > 1 the text is drawn that many times
// larger and reduced, for smoother edges on big lettering. Characters outside Shift-JIS, or
// that the font cannot draw, are skipped. Throws std::runtime_error when no font can be made.
TextRun RenderText(const std::string& utf8, const TextStyle& style, int margin, int oversample = 1);

// The advance width of the text in pixels, as RenderText lays it out.
int MeasureText(const std::string& utf8, const TextStyle& style);
