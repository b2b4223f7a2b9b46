#include "platform/gdi/font_face.h"

#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>

#include "platform/codepage/codepage.h"
#include "platform/gdi/font_resolver.h"

namespace gdi {
namespace {

// Beyond this em size a single glyph bitmap would take megabytes; such fonts are not realised.
constexpr double kMaxEmPixels = 2048.0;
// The em size GDI's mapper uses for a height of 0.
constexpr double kDefaultEmPixels = 16.0;
// Unhinted outlines: the result depends on the font files only, never on hinting settings.
constexpr FT_Int32 kLoadFlags = FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP;
// Synthesised italic slants by tan(12 degrees), in 16.16.
constexpr FT_Fixed kObliqueShear = 0x0366A;
// Coverage below this is level 0 even in 65 levels; it does not count towards the black box.
constexpr unsigned char kFaintestInk = 2;

LONG Round26(FT_Pos v) { return static_cast<LONG>(v >= 0 ? (v + 32) >> 6 : -((-v + 32) >> 6)); }

FT_Fixed Fixed(const FIXED& f) {
  return static_cast<FT_Fixed>(static_cast<std::int32_t>(
      static_cast<std::uint32_t>(static_cast<std::uint16_t>(f.value)) << 16 | f.fract));
}

FT_Matrix ToFtMatrix(const MAT2& m) {
  // GDI applies the matrix to row vectors: x' = x eM11 + y eM21, y' = x eM12 + y eM22.
  return FT_Matrix{Fixed(m.eM11), Fixed(m.eM21), Fixed(m.eM12), Fixed(m.eM22)};
}

bool IsIdentity(const FT_Matrix& m) {
  return m.xx == 0x10000 && m.xy == 0 && m.yx == 0 && m.yy == 0x10000;
}

bool SameMatrix(const FT_Matrix& a, const FT_Matrix& b) {
  return a.xx == b.xx && a.xy == b.xy && a.yx == b.yx && a.yy == b.yy;
}

}  // namespace

std::unique_ptr<FontFace> FontFace::Create(const LOGFONTA& log) {
  const auto resolved = ResolveFont(log);
  if (!resolved) return nullptr;
  return Create(log, *resolved);
}

std::unique_ptr<FontFace> FontFace::Create(const LOGFONTA& log, const ResolvedFont& resolved) {
  std::unique_ptr<FontFace> font(new FontFace());
  font->log_ = log;
  font->file_ = resolved.File;
  font->index_ = resolved.Index;
  if (FT_Init_FreeType(&font->library_) != 0) return nullptr;
  if (FT_New_Face(font->library_, resolved.File.c_str(), resolved.Index, &font->face_) != 0) {
    return nullptr;
  }
  FT_Face face = font->face_;
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) return nullptr;
  font->faceName_ = resolved.FaceName;

  // Cell: the Windows ascent and descent of the OS/2 table, else the horizontal header's.
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  double ascentUnits = face->ascender;
  double descentUnits = -face->descender;
  if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    ascentUnits = os2->usWinAscent;
    descentUnits = os2->usWinDescent;
  }
  if (ascentUnits + descentUnits <= 0) {
    ascentUnits = face->bbox.yMax;
    descentUnits = -face->bbox.yMin;
  }
  if (ascentUnits + descentUnits <= 0) return nullptr;
  const double upem = face->units_per_EM;

  double em = kDefaultEmPixels;
  LONG ascent = 0;
  LONG descent = 0;
  if (log.lfHeight > 0) {
    // Cell height: ascent + descent add up to exactly the height asked for.
    const double cell = log.lfHeight;
    em = cell * upem / (ascentUnits + descentUnits);
    ascent = static_cast<LONG>(std::lround(cell * ascentUnits / (ascentUnits + descentUnits)));
    descent = log.lfHeight - ascent;
  } else {
    if (log.lfHeight < 0) em = -static_cast<double>(log.lfHeight);
    ascent = static_cast<LONG>(std::lround(em * ascentUnits / upem));
    descent = static_cast<LONG>(std::lround(em * descentUnits / upem));
  }
  if (em > kMaxEmPixels) return nullptr;
  const FT_F26Dot6 em26 = std::max<FT_F26Dot6>(1, std::lround(em * 64.0));
  if (FT_Set_Char_Size(face, 0, em26, 72, 72) != 0) return nullptr;

  const bool wantBold = log.lfWeight >= FW_SEMIBOLD;
  if (wantBold && !resolved.Bold) {
    // Whole pixels, so advances stay whole: about a 24th of the em, at least one pixel.
    font->emboldenStrength_ = std::max<FT_Pos>(64, ((em26 / 24) + 32) & ~63);
  }
  font->oblique_ = log.lfItalic != 0 && !resolved.Italic;

  TEXTMETRICA& tm = font->metrics_;
  const double scale = em / upem;
  tm.tmAscent = ascent;
  tm.tmDescent = descent;
  tm.tmHeight = ascent + descent;
  tm.tmInternalLeading = std::max<LONG>(0, tm.tmHeight - static_cast<LONG>(std::lround(em)));
  tm.tmExternalLeading = 0;
  const LONG extra = Round26(font->emboldenStrength_);
  const double averageUnits = os2 != nullptr && os2->version != 0xFFFF && os2->xAvgCharWidth > 0
                                  ? os2->xAvgCharWidth
                                  : upem / 2.0;
  tm.tmAveCharWidth = static_cast<LONG>(std::lround(averageUnits * scale)) + extra;
  tm.tmMaxCharWidth = static_cast<LONG>(std::lround(face->max_advance_width * scale)) + extra;
  LONG weight = os2 != nullptr && os2->version != 0xFFFF && os2->usWeightClass > 0
                    ? static_cast<LONG>(os2->usWeightClass)
                    : (resolved.Bold ? FW_BOLD : FW_NORMAL);
  if (font->emboldenStrength_ != 0) weight = FW_BOLD;
  tm.tmWeight = weight;
  tm.tmOverhang = 0;
  tm.tmDigitizedAspectX = 96;
  tm.tmDigitizedAspectY = 96;
  tm.tmFirstChar = 0x20;
  tm.tmLastChar = 0xFC;
  tm.tmDefaultChar = 0x1F;
  tm.tmBreakChar = 0x20;
  tm.tmItalic = log.lfItalic != 0 ? 255 : 0;
  tm.tmUnderlined = log.lfUnderline != 0 ? 255 : 0;
  tm.tmStruckOut = log.lfStrikeOut != 0 ? 255 : 0;
  // TMPF_FIXED_PITCH set means variable pitch (GDI's naming is inverted).
  tm.tmPitchAndFamily = static_cast<BYTE>(TMPF_VECTOR | TMPF_TRUETYPE |
                                          (FT_IS_FIXED_WIDTH(face) ? 0 : TMPF_FIXED_PITCH) |
                                          (resolved.Serif ? FF_ROMAN : FF_SWISS));
  BYTE charset = log.lfCharSet;
  if (charset == DEFAULT_CHARSET) charset = resolved.Japanese ? SHIFTJIS_CHARSET : ANSI_CHARSET;
  tm.tmCharSet = charset;
  return font;
}

FontFace::~FontFace() {
  if (face_ != nullptr) FT_Done_Face(face_);
  if (library_ != nullptr) FT_Done_FreeType(library_);
}

FT_UInt FontFace::GlyphIndexOf(UINT code) {
  if (auto it = glyphIndices_.find(code); it != glyphIndices_.end()) return it->second;
  std::string bytes;
  if (code > 0xFF) bytes.push_back(static_cast<char>(code >> 8));
  bytes.push_back(static_cast<char>(code & 0xFF));
  const std::u16string text = codepage::SjisToUtf16(bytes);
  FT_UInt index = 0;  // the face's default glyph
  if (text.size() == 1 && text[0] != u'\uFFFD' && (text[0] < 0xD800 || text[0] > 0xDFFF)) {
    index = FT_Get_Char_Index(face_, text[0]);
  }
  glyphIndices_.emplace(code, index);
  return index;
}

bool FontFace::LoadOutline(FT_UInt glyphIndex, FT_Pos& advance) {
  if (FT_Load_Glyph(face_, glyphIndex, kLoadFlags) != 0) return false;
  FT_GlyphSlot slot = face_->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return false;
  advance = slot->metrics.horiAdvance;
  if (emboldenStrength_ != 0) {
    // Widen to the right only, as an overstruck GDI bold does.
    FT_Outline_EmboldenXY(&slot->outline, emboldenStrength_, 0);
    FT_Outline_Translate(&slot->outline, emboldenStrength_ / 2, 0);
    advance += emboldenStrength_;
  }
  if (oblique_) {
    FT_Matrix shear{0x10000, kObliqueShear, 0, 0x10000};
    FT_Outline_Transform(&slot->outline, &shear);
  }
  return true;
}

LONG FontFace::Advance(UINT code) { return AdvanceOfGlyph(GlyphIndexOf(code)); }

FT_UInt FontFace::GlyphIndexOfCodePoint(char32_t codePoint) {
  return FT_Get_Char_Index(face_, codePoint);
}

FontFace::FaceGlyph FontFace::GlyphOfCodePoint(char32_t codePoint) {
  if (const FT_UInt own = GlyphIndexOfCodePoint(codePoint); own != 0) return {this, own};
  auto known = fallbackFaces_.find(codePoint);
  if (known == fallbackFaces_.end()) {
    FontFace* chosen = nullptr;
    if (const auto resolved = ResolveFallback(log_, codePoint)) {
      for (const auto& fallback : fallbacks_) {
        if (fallback->file_ == resolved->File && fallback->index_ == resolved->Index) {
          chosen = fallback.get();
        }
      }
      if (chosen == nullptr) {
        if (auto created = Create(log_, *resolved)) {
          chosen = created.get();
          fallbacks_.push_back(std::move(created));
        }
      }
    }
    known = fallbackFaces_.emplace(codePoint, chosen).first;
  }
  if (known->second != nullptr) {
    if (const FT_UInt index = known->second->GlyphIndexOfCodePoint(codePoint); index != 0) {
      return {known->second, index};
    }
  }
  return {this, 0};
}

LONG FontFace::AdvanceOfGlyph(FT_UInt glyphIndex) {
  if (auto it = advances_.find(glyphIndex); it != advances_.end()) return it->second;
  FT_Pos advance = 0;
  if (!LoadOutline(glyphIndex, advance)) advance = 0;
  const LONG result = Round26(advance);
  advances_.emplace(glyphIndex, result);
  return result;
}

bool FontFace::Render(UINT code, bool byGlyphIndex, const MAT2& matrix, Glyph& out) {
  const FT_Matrix m = ToFtMatrix(matrix);
  if (lastValid_ && lastCode_ == code && lastByIndex_ == byGlyphIndex &&
      SameMatrix(lastMatrix_, m)) {
    out = last_;
    return true;
  }
  lastValid_ = false;
  const FT_UInt glyphIndex = byGlyphIndex ? static_cast<FT_UInt>(code) : GlyphIndexOf(code);
  if (byGlyphIndex && glyphIndex >= static_cast<FT_UInt>(face_->num_glyphs)) return false;
  FT_Pos advance = 0;
  if (!LoadOutline(glyphIndex, advance)) return false;
  FT_GlyphSlot slot = face_->glyph;
  FT_Vector cellIncrement{advance, 0};
  if (!IsIdentity(m)) {
    FT_Outline_Transform(&slot->outline, &m);
    FT_Vector_Transform(&cellIncrement, &m);
  }
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return false;

  // The black box is the smallest rectangle holding ink: the renderer's box follows the
  // outline's control points and may have empty rows or columns at its edges.
  const FT_Bitmap& bitmap = slot->bitmap;
  auto coverageAt = [&bitmap](int x, int y) {
    const unsigned char* row =
        bitmap.pitch >= 0
            ? bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch
            : bitmap.buffer + static_cast<std::ptrdiff_t>(bitmap.rows - 1 - y) * -bitmap.pitch;
    return row[x];
  };
  const int fullWidth = static_cast<int>(bitmap.width);
  const int fullRows = static_cast<int>(bitmap.rows);
  int left = fullWidth, right = -1, top = fullRows, bottom = -1;
  for (int y = 0; y < fullRows; ++y) {
    for (int x = 0; x < fullWidth; ++x) {
      if (coverageAt(x, y) < kFaintestInk) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }

  Glyph glyph;
  if (right < 0) {
    // No ink (a space): GDI still reports a one-pixel black box at the pen position.
    glyph.Metrics.gmBlackBoxX = 1;
    glyph.Metrics.gmBlackBoxY = 1;
    glyph.Metrics.gmptGlyphOrigin = POINT{0, 0};
  } else {
    glyph.Width = right - left + 1;
    glyph.Rows = bottom - top + 1;
    glyph.Coverage.resize(static_cast<size_t>(glyph.Width) * glyph.Rows);
    for (int y = 0; y < glyph.Rows; ++y) {
      for (int x = 0; x < glyph.Width; ++x) {
        glyph.Coverage[static_cast<size_t>(y) * glyph.Width + x] = coverageAt(left + x, top + y);
      }
    }
    glyph.Metrics.gmBlackBoxX = static_cast<UINT>(glyph.Width);
    glyph.Metrics.gmBlackBoxY = static_cast<UINT>(glyph.Rows);
    glyph.Metrics.gmptGlyphOrigin = POINT{slot->bitmap_left + left, slot->bitmap_top - top};
  }
  glyph.Metrics.gmCellIncX = static_cast<SHORT>(Round26(cellIncrement.x));
  glyph.Metrics.gmCellIncY = static_cast<SHORT>(Round26(cellIncrement.y));

  last_ = glyph;
  lastCode_ = code;
  lastByIndex_ = byGlyphIndex;
  lastMatrix_ = m;
  lastValid_ = true;
  out = std::move(glyph);
  return true;
}

}  // namespace gdi
