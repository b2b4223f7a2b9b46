// GDI's font services, as the game's text writer and start-up use them: a font object described
// by a LOGFONTA, a memory device context to select it into, glyph bitmaps (GetGlyphOutlineA),
// text metrics and extents, the installed font families and the icon-title font.
//
// Face names and text are Shift-JIS bytes, as the ANSI ("A") functions take them. Heights follow
// GDI's sign convention: a negative lfHeight is the character (em) height in pixels, a positive
// one the cell height (ascent + descent). A face that is not installed, or one that cannot show
// Japanese when the Shift-JIS character set is asked for, is mapped to an installed Japanese face.
// Bold and italic are synthesised when the family has no such face. Output depends only on the
// installed font files: glyphs are rendered unhinted, so rendering settings cannot change them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/free_with.h"
#include "platform/base/windows_types.h"

namespace gdi {

inline constexpr int LF_FACESIZE = 32;

// Weights.
inline constexpr LONG FW_DONTCARE = 0;
inline constexpr LONG FW_THIN = 100;
inline constexpr LONG FW_EXTRALIGHT = 200;
inline constexpr LONG FW_LIGHT = 300;
inline constexpr LONG FW_NORMAL = 400;
inline constexpr LONG FW_MEDIUM = 500;
inline constexpr LONG FW_SEMIBOLD = 600;
inline constexpr LONG FW_BOLD = 700;
inline constexpr LONG FW_EXTRABOLD = 800;
inline constexpr LONG FW_HEAVY = 900;

// Character sets.
inline constexpr BYTE ANSI_CHARSET = 0;
inline constexpr BYTE DEFAULT_CHARSET = 1;
inline constexpr BYTE SYMBOL_CHARSET = 2;
inline constexpr BYTE SHIFTJIS_CHARSET = 128;

// Precision, quality, pitch and family.
inline constexpr BYTE OUT_DEFAULT_PRECIS = 0;
inline constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
inline constexpr BYTE DEFAULT_QUALITY = 0;
inline constexpr BYTE NONANTIALIASED_QUALITY = 3;
inline constexpr BYTE ANTIALIASED_QUALITY = 4;
inline constexpr BYTE DEFAULT_PITCH = 0;
inline constexpr BYTE FIXED_PITCH = 1;
inline constexpr BYTE VARIABLE_PITCH = 2;
inline constexpr BYTE FF_DONTCARE = 0x00;
inline constexpr BYTE FF_ROMAN = 0x10;
inline constexpr BYTE FF_SWISS = 0x20;
inline constexpr BYTE FF_MODERN = 0x30;
inline constexpr BYTE FF_SCRIPT = 0x40;
inline constexpr BYTE FF_DECORATIVE = 0x50;

// tmPitchAndFamily bits.
inline constexpr BYTE TMPF_FIXED_PITCH = 0x01;  // set for a VARIABLE pitch font, as in GDI
inline constexpr BYTE TMPF_VECTOR = 0x02;
inline constexpr BYTE TMPF_TRUETYPE = 0x04;

// GetGlyphOutlineA formats.
inline constexpr UINT GGO_METRICS = 0;
inline constexpr UINT GGO_BITMAP = 1;
inline constexpr UINT GGO_NATIVE = 2;
inline constexpr UINT GGO_BEZIER = 3;
inline constexpr UINT GGO_GRAY2_BITMAP = 4;
inline constexpr UINT GGO_GRAY4_BITMAP = 5;
inline constexpr UINT GGO_GRAY8_BITMAP = 6;
inline constexpr UINT GGO_GLYPH_INDEX = 0x0080;
inline constexpr UINT GGO_UNHINTED = 0x0100;

inline constexpr DWORD GDI_ERROR = 0xFFFFFFFFu;

// SystemParametersInfoA actions.
inline constexpr UINT SPI_GETICONTITLELOGFONT = 0x001F;

struct LOGFONTA {
  LONG lfHeight = 0;
  LONG lfWidth = 0;
  LONG lfEscapement = 0;
  LONG lfOrientation = 0;
  LONG lfWeight = 0;
  BYTE lfItalic = 0;
  BYTE lfUnderline = 0;
  BYTE lfStrikeOut = 0;
  BYTE lfCharSet = 0;
  BYTE lfOutPrecision = 0;
  BYTE lfClipPrecision = 0;
  BYTE lfQuality = 0;
  BYTE lfPitchAndFamily = 0;
  CHAR lfFaceName[LF_FACESIZE] = {};
};
static_assert(sizeof(LOGFONTA) == 60, "LOGFONTA keeps its published 60-byte layout");

struct TEXTMETRICA {
  LONG tmHeight = 0;
  LONG tmAscent = 0;
  LONG tmDescent = 0;
  LONG tmInternalLeading = 0;
  LONG tmExternalLeading = 0;
  LONG tmAveCharWidth = 0;
  LONG tmMaxCharWidth = 0;
  LONG tmWeight = 0;
  LONG tmOverhang = 0;
  LONG tmDigitizedAspectX = 0;
  LONG tmDigitizedAspectY = 0;
  BYTE tmFirstChar = 0;
  BYTE tmLastChar = 0;
  BYTE tmDefaultChar = 0;
  BYTE tmBreakChar = 0;
  BYTE tmItalic = 0;
  BYTE tmUnderlined = 0;
  BYTE tmStruckOut = 0;
  BYTE tmPitchAndFamily = 0;
  BYTE tmCharSet = 0;
};

struct GLYPHMETRICS {
  UINT gmBlackBoxX = 0;
  UINT gmBlackBoxY = 0;
  POINT gmptGlyphOrigin;  // left of the black box, and its top measured up from the baseline
  SHORT gmCellIncX = 0;
  SHORT gmCellIncY = 0;
};

struct FIXED {
  WORD fract = 0;
  SHORT value = 0;
};

struct MAT2 {
  FIXED eM11;
  FIXED eM12;
  FIXED eM21;
  FIXED eM22;
};

// The identity transformation for GetGlyphOutlineA.
inline constexpr MAT2 IdentityMat2() { return MAT2{{0, 1}, {0, 0}, {0, 0}, {0, 1}}; }

// ---- Objects and handles ----------------------------------------------------------------------

class FontFace;  // the realised face: FreeType outlines and metrics
struct DeviceContext;

// Base of everything SelectObject and DeleteObject accept.
class GdiObject {
 public:
  virtual ~GdiObject() = default;
  int SelectedCount = 0;  // device contexts that have this object selected
  bool Stock = false;     // a context's default object: DeleteObject leaves it alone
};

class FontObject final : public GdiObject {
 public:
  explicit FontObject(const LOGFONTA& log);
  ~FontObject() override;
  LOGFONTA Log;
  // Realised on first use (measuring or rasterising); null when no face could be loaded.
  FontFace* Face();

 private:
  std::unique_ptr<FontFace> face_;
  bool realised_ = false;
};

class BitmapObject final : public GdiObject {
 public:
  BitmapObject(LONG width, LONG height, UINT bitsPerPixel);
  LONG Width;
  LONG Height;
  UINT BitsPerPixel;
  std::vector<BYTE> Bits;  // rows padded to 2 bytes, as device-dependent bitmaps are
};

using HGDIOBJ = GdiObject*;
using HFONT = FontObject*;
using HBITMAP = BitmapObject*;
using HDC = DeviceContext*;

// ---- Functions ---------------------------------------------------------------------------------

HFONT CreateFontIndirectA(const LOGFONTA* log);
// Monochrome or colour device-dependent bitmap; bits may be null (the pixels start at zero).
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);

// A memory device context with the system font and a 1 x 1 monochrome bitmap selected. The
// reference device context is accepted and ignored: every context here is a memory one.
HDC CreateCompatibleDC(HDC reference);
// Frees the context; the objects selected into it are deselected, not deleted.
BOOL DeleteDC(HDC dc);
// Selects a font or bitmap and returns the one it replaces; null on failure (a bitmap already
// selected into another context, a null or unknown object).
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Deletes a font or bitmap. Fails (returns 0) while the object is selected into a context.
BOOL DeleteObject(HGDIOBJ object);
// The LOGFONTA of a font (size must be at least sizeof(LOGFONTA)); bytes written, 0 on failure.
int GetObjectA(HGDIOBJ object, int size, void* out);

// Glyph shape and metrics of a character of the selected font. code: a single byte, or
// lead byte << 8 | trail byte. With a null buffer (or size 0) returns the buffer size; with a
// buffer at least that large fills it and returns the size. GDI_ERROR on failure (no context,
// no matrix or metrics record, an unsupported format, a buffer too small).
// GGO_BITMAP: 1 bit per pixel, most significant first, rows padded to 4 bytes.
// GGO_GRAY2/4/8_BITMAP: one byte per pixel with 5/17/65 levels, rows padded to 4 bytes.
// GGO_METRICS: metrics only, returns 0. A glyph without ink (a space) has buffer size 0.
DWORD GetGlyphOutlineA(HDC dc, UINT code, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize,
                       void* buffer, const MAT2* matrix);
// The same for a Unicode character (any code point up to U+10FFFF; surrogates fail), for text
// that Shift-JIS cannot hold.
DWORD GetGlyphOutlineW(HDC dc, UINT code, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize,
                       void* buffer, const MAT2* matrix);
BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);
// Width (sum of the cell increments) and height (tmHeight) of count bytes of Shift-JIS text.
BOOL GetTextExtentPoint32A(HDC dc, const char* text, int count, SIZE* size);
// The same for count UTF-16 code units.
BOOL GetTextExtentPoint32W(HDC dc, const char16_t* text, int count, SIZE* size);
// The face name of the font actually used (after mapping), Shift-JIS; returns its length
// without the terminator, or with a null buffer the size needed including it.
int GetTextFaceA(HDC dc, int count, char* faceName);

// SPI_GETICONTITLELOGFONT only (param = sizeof(LOGFONTA), out = LOGFONTA*): the icon-title font,
// a 9-point regular font of the desktop's Japanese sans-serif face. Returns 0 for anything else.
BOOL SystemParametersInfoA(UINT action, UINT param, void* out, UINT winIni);

// Every installed screen font family name (localised names included), Shift-JIS, sorted and
// without duplicates. Names that Shift-JIS cannot hold are left out.
std::vector<std::string> InstalledFontFamilies();

// ---- Ownership helpers -------------------------------------------------------------------------

using UniqueDc = std::unique_ptr<DeviceContext, TFreeWith<DeleteDC>>;
using UniqueFont = std::unique_ptr<FontObject, TFreeWith<DeleteObject>>;
using UniqueBitmap = std::unique_ptr<BitmapObject, TFreeWith<DeleteObject>>;

// Copies a Shift-JIS face name into lfFaceName, cut to 31 bytes (never inside a character).
void SetFaceName(LOGFONTA& log, const std::string& faceName);
std::string FaceName(const LOGFONTA& log);

}  // namespace gdi
