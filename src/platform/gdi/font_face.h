// A realised font: the mapped face file opened with FreeType at the LOGFONTA's size, with bold
// and italic synthesised where the file has no such face. Only the gdi stand-in uses this.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gdi/font_resolver.h"
#include "platform/gdi/gdi.h"

namespace gdi {

class FontFace {
 public:
  // Null when no face can be found or loaded, or the size is beyond what can be rendered.
  static std::unique_ptr<FontFace> Create(const LOGFONTA& log);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  const TEXTMETRICA& TextMetrics() const { return metrics_; }
  const std::string& FaceName() const { return faceName_; }  // UTF-8

  struct Glyph {
    GLYPHMETRICS Metrics;
    int Width = 0;  // of the coverage map; 0 for a glyph without ink
    int Rows = 0;
    std::vector<std::uint8_t> Coverage;  // Width x Rows, 0..255, no row padding
  };
  // The glyph of a Shift-JIS code (or a glyph index) under matrix. A code the face does not
  // cover gives the face's default glyph, as GDI does. False when FreeType fails.
  bool Render(UINT code, bool byGlyphIndex, const MAT2& matrix, Glyph& out);
  // Cell increment x of a code with the identity matrix (what text extents add up).
  LONG Advance(UINT code);
  // The face's glyph of a Unicode code point: 0, the default glyph, where the face has none.
  FT_UInt GlyphIndexOfCodePoint(char32_t codePoint);
  // The face and glyph that draw a Unicode code point: this face where it has the character;
  // else the installed face fontconfig offers for it (a Korean face, an emoji face), realised
  // at the same size and style; else this face's default glyph.
  struct FaceGlyph {
    FontFace* Face;
    FT_UInt Index;
  };
  FaceGlyph GlyphOfCodePoint(char32_t codePoint);
  // Cell increment x of a glyph index with the identity matrix.
  LONG AdvanceOfGlyph(FT_UInt glyphIndex);

 private:
  FontFace() = default;
  static std::unique_ptr<FontFace> Create(const LOGFONTA& log, const ResolvedFont& resolved);
  FT_UInt GlyphIndexOf(UINT code);
  bool LoadOutline(FT_UInt glyphIndex, FT_Pos& advance);

  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  std::string faceName_;
  TEXTMETRICA metrics_;
  FT_Pos emboldenStrength_ = 0;  // 26.6 pixels added to the width; 0 when not synthesised
  bool oblique_ = false;
  LOGFONTA log_{};
  std::string file_;  // with index_, the face's file, so that a fallback is realised once
  int index_ = 0;
  std::unordered_map<char32_t, FontFace*> fallbackFaces_;  // by code point; nullptr = none
  std::vector<std::unique_ptr<FontFace>> fallbacks_;
  std::unordered_map<UINT, FT_UInt> glyphIndices_;
  std::unordered_map<FT_UInt, LONG> advances_;  // by glyph index
  // The last rendering, since GetGlyphOutlineA is asked twice per glyph (size, then bits).
  bool lastValid_ = false;
  UINT lastCode_ = 0;
  bool lastByIndex_ = false;
  FT_Matrix lastMatrix_{};
  Glyph last_;
};

}  // namespace gdi
