// Font and bitmap objects, memory device contexts and the glyph, metrics and extent queries.
#include "platform/gdi/gdi.h"

#include <algorithm>
#include <cstring>

#include "platform/codepage/codepage.h"
#include "platform/gdi/font_face.h"
#include "platform/gdi/font_resolver.h"

namespace gdi {

// A memory device context: the selected font and bitmap, and its own default objects, which
// it owns and which cannot be selected into any other context.
struct DeviceContext {
  std::unique_ptr<FontObject> DefaultFont;
  std::unique_ptr<BitmapObject> DefaultBitmap;
  FontObject* Font = nullptr;
  BitmapObject* Bitmap = nullptr;
};

namespace {

LOGFONTA SystemFontLog() {
  LOGFONTA log;
  log.lfHeight = -16;
  log.lfWeight = FW_NORMAL;
  log.lfCharSet = SHIFTJIS_CHARSET;
  return log;
}

bool IsDefaultOf(const DeviceContext& dc, const GdiObject* object) {
  return object == dc.DefaultFont.get() || object == dc.DefaultBitmap.get();
}

// Bytes per row of a bitmap returned by GetGlyphOutlineA: whole 32-bit words.
DWORD PaddedRow(DWORD bytes) { return (bytes + 3u) & ~3u; }

}  // namespace

FontObject::FontObject(const LOGFONTA& log) : Log(log) {
  Log.lfFaceName[LF_FACESIZE - 1] = '\0';  // a face name always ends inside the record
}

FontObject::~FontObject() = default;

FontFace* FontObject::Face() {
  if (!realised_) {
    face_ = FontFace::Create(Log);
    realised_ = true;
  }
  return face_.get();
}

BitmapObject::BitmapObject(LONG width, LONG height, UINT bitsPerPixel)
    : Width(width), Height(height), BitsPerPixel(bitsPerPixel) {
  const size_t rowBytes = ((static_cast<size_t>(width) * bitsPerPixel + 15) / 16) * 2;
  Bits.assign(rowBytes * static_cast<size_t>(height), 0);
}

HFONT CreateFontIndirectA(const LOGFONTA* log) {
  if (log == nullptr) return nullptr;
  return new FontObject(*log);
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  // Sizes are capped so a bad request fails instead of exhausting memory.
  constexpr int kMaxSide = 16384;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || planes != 1) {
    return nullptr;
  }
  if (bitsPerPixel != 1 && bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 &&
      bitsPerPixel != 32) {
    return nullptr;
  }
  auto* bitmap = new BitmapObject(width, height, bitsPerPixel);
  if (bits != nullptr) {
    std::memcpy(bitmap->Bits.data(), bits, bitmap->Bits.size());
  }
  return bitmap;
}

HDC CreateCompatibleDC(HDC /*reference*/) {
  auto* dc = new DeviceContext();
  dc->DefaultFont = std::make_unique<FontObject>(SystemFontLog());
  dc->DefaultFont->Stock = true;
  dc->DefaultBitmap = std::make_unique<BitmapObject>(1, 1, 1);
  dc->DefaultBitmap->Stock = true;
  dc->Font = dc->DefaultFont.get();
  dc->Bitmap = dc->DefaultBitmap.get();
  dc->Font->SelectedCount = 1;
  dc->Bitmap->SelectedCount = 1;
  return dc;
}

BOOL DeleteDC(HDC dc) {
  if (dc == nullptr) return 0;
  --dc->Font->SelectedCount;
  --dc->Bitmap->SelectedCount;
  delete dc;
  return 1;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  if (dc == nullptr || object == nullptr) return nullptr;
  // Another context's default objects belong to that context alone.
  if (object->Stock && !IsDefaultOf(*dc, object)) return nullptr;
  if (auto* font = dynamic_cast<FontObject*>(object)) {
    FontObject* previous = dc->Font;
    if (previous == font) return previous;
    --previous->SelectedCount;
    ++font->SelectedCount;
    dc->Font = font;
    return previous;
  }
  if (auto* bitmap = dynamic_cast<BitmapObject*>(object)) {
    BitmapObject* previous = dc->Bitmap;
    if (previous == bitmap) return previous;
    if (bitmap->SelectedCount > 0) return nullptr;  // one context at a time, as in GDI
    --previous->SelectedCount;
    ++bitmap->SelectedCount;
    dc->Bitmap = bitmap;
    return previous;
  }
  return nullptr;
}

BOOL DeleteObject(HGDIOBJ object) {
  if (object == nullptr) return 0;
  if (object->Stock) return 1;  // default objects go with their context
  if (object->SelectedCount > 0) return 0;
  delete object;
  return 1;
}

int GetObjectA(HGDIOBJ object, int size, void* out) {
  auto* font = dynamic_cast<FontObject*>(object);
  if (font == nullptr) return 0;
  if (out == nullptr) return static_cast<int>(sizeof(LOGFONTA));
  if (size < static_cast<int>(sizeof(LOGFONTA))) return 0;
  std::memcpy(out, &font->Log, sizeof(LOGFONTA));
  return static_cast<int>(sizeof(LOGFONTA));
}

namespace {

// Both glyph requests: code is Shift-JIS (wide false) or a Unicode code point (wide true),
// unless GGO_GLYPH_INDEX makes it a glyph index.
DWORD GlyphOutline(HDC dc, UINT code, bool wide, UINT format, GLYPHMETRICS* metrics,
                   DWORD bufferSize, void* buffer, const MAT2* matrix) {
  if (dc == nullptr || metrics == nullptr || matrix == nullptr) return GDI_ERROR;
  bool byIndex = (format & GGO_GLYPH_INDEX) != 0;
  const UINT kind = format & ~(GGO_GLYPH_INDEX | GGO_UNHINTED);
  int levels = 0;
  switch (kind) {
    case GGO_METRICS:
    case GGO_BITMAP:
      break;
    case GGO_GRAY2_BITMAP:
      levels = 4;
      break;
    case GGO_GRAY4_BITMAP:
      levels = 16;
      break;
    case GGO_GRAY8_BITMAP:
      levels = 64;
      break;
    default:
      return GDI_ERROR;  // outlines (GGO_NATIVE, GGO_BEZIER) are not offered
  }
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  if (!byIndex && (wide ? code > 0x10FFFF || surrogate : code > 0xFFFF)) return GDI_ERROR;
  FontFace* face = dc->Font->Face();
  if (face == nullptr) return GDI_ERROR;
  if (!byIndex && wide) {
    const FontFace::FaceGlyph found = face->GlyphOfCodePoint(code);
    face = found.Face;
    code = found.Index;
    byIndex = true;
  }
  FontFace::Glyph glyph;
  if (!face->Render(code, byIndex, *matrix, glyph)) return GDI_ERROR;
  *metrics = glyph.Metrics;
  if (kind == GGO_METRICS) return 0;

  const DWORD width = static_cast<DWORD>(glyph.Width);
  const DWORD rows = static_cast<DWORD>(glyph.Rows);
  const DWORD pitch = kind == GGO_BITMAP ? PaddedRow((width + 7) / 8) : PaddedRow(width);
  const DWORD size = pitch * rows;
  if (buffer == nullptr || bufferSize == 0) return size;
  if (bufferSize < size) return GDI_ERROR;
  auto* out = static_cast<BYTE*>(buffer);
  std::memset(out, 0, size);
  for (DWORD y = 0; y < rows; ++y) {
    const std::uint8_t* src = glyph.Coverage.data() + static_cast<size_t>(y) * width;
    BYTE* dst = out + static_cast<size_t>(y) * pitch;
    for (DWORD x = 0; x < width; ++x) {
      if (kind == GGO_BITMAP) {
        if (src[x] >= 128) dst[x / 8] |= static_cast<BYTE>(0x80u >> (x % 8));
      } else {
        dst[x] = static_cast<BYTE>((src[x] * levels + 127) / 255);
      }
    }
  }
  return size;
}

}  // namespace

DWORD GetGlyphOutlineA(HDC dc, UINT code, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize,
                       void* buffer, const MAT2* matrix) {
  return GlyphOutline(dc, code, false, format, metrics, bufferSize, buffer, matrix);
}

DWORD GetGlyphOutlineW(HDC dc, UINT code, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize,
                       void* buffer, const MAT2* matrix) {
  return GlyphOutline(dc, code, true, format, metrics, bufferSize, buffer, matrix);
}

BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics) {
  if (dc == nullptr || metrics == nullptr) return 0;
  FontFace* face = dc->Font->Face();
  if (face == nullptr) return 0;
  *metrics = face->TextMetrics();
  return 1;
}

namespace {

// The extent of count units of text: the sum of its characters' advances (which sumAdvances
// finds in the selected face), plus the overhang, by the font's height.
template <class Char, class SumAdvances>
BOOL TextExtent(HDC dc, const Char* text, int count, SIZE* size, SumAdvances sumAdvances) {
  if (dc == nullptr || size == nullptr || count < 0 || (text == nullptr && count > 0)) return 0;
  FontFace* face = dc->Font->Face();
  if (face == nullptr) return 0;
  size->cx = sumAdvances(*face) + (count > 0 ? face->TextMetrics().tmOverhang : 0);
  size->cy = face->TextMetrics().tmHeight;
  return 1;
}

}  // namespace

BOOL GetTextExtentPoint32A(HDC dc, const char* text, int count, SIZE* size) {
  return TextExtent(dc, text, count, size, [&](FontFace& face) {
    LONG width = 0;
    for (int i = 0; i < count;) {
      const auto lead = static_cast<unsigned char>(text[i]);
      UINT code = lead;
      if (codepage::IsSjisLeadByte(lead) && i + 1 < count) {
        code = lead << 8 | static_cast<unsigned char>(text[i + 1]);
        i += 2;
      } else {
        i += 1;
      }
      width += face.Advance(code);
    }
    return width;
  });
}

BOOL GetTextExtentPoint32W(HDC dc, const char16_t* text, int count, SIZE* size) {
  return TextExtent(dc, text, count, size, [&](FontFace& face) {
    LONG width = 0;
    // A surrogate pair is one character; a lone surrogate gets the default glyph.
    const std::u16string_view units(text, static_cast<size_t>(count));
    for (size_t i = 0; i < units.size();) {
      const FontFace::FaceGlyph found = face.GlyphOfCodePoint(codepage::NextCodePoint(units, i));
      width += found.Face->AdvanceOfGlyph(found.Index);
    }
    return width;
  });
}

int GetTextFaceA(HDC dc, int count, char* faceName) {
  if (dc == nullptr) return 0;
  FontFace* face = dc->Font->Face();
  const std::string name =
      face != nullptr ? codepage::Utf8ToSjis(face->FaceName()) : FaceName(dc->Font->Log);
  if (faceName == nullptr) return static_cast<int>(name.size()) + 1;
  if (count <= 0) return 0;
  const size_t n = std::min(name.size(), static_cast<size_t>(count - 1));
  std::memcpy(faceName, name.data(), n);
  faceName[n] = '\0';
  return static_cast<int>(n);
}

BOOL SystemParametersInfoA(UINT action, UINT param, void* out, UINT /*winIni*/) {
  if (action != SPI_GETICONTITLELOGFONT || out == nullptr || param < sizeof(LOGFONTA)) return 0;
  LOGFONTA log;
  log.lfHeight = -12;  // 9 points at 96 dpi
  log.lfWeight = FW_NORMAL;
  log.lfCharSet = SHIFTJIS_CHARSET;
  log.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  SetFaceName(log, codepage::Utf8ToSjis(JapaneseSansFamily()));
  std::memcpy(out, &log, sizeof(LOGFONTA));
  return 1;
}

std::vector<std::string> InstalledFontFamilies() {
  std::vector<std::string> names;
  for (const auto& utf8 : ListFamilyNames()) {
    // A name Shift-JIS cannot hold could never be asked for again by the ANSI functions.
    const std::string sjis = codepage::Utf8ToSjis(utf8);
    if (sjis.empty() || sjis.size() >= LF_FACESIZE || codepage::SjisToUtf8(sjis) != utf8) continue;
    names.push_back(sjis);
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

void SetFaceName(LOGFONTA& log, const std::string& faceName) {
  size_t n = 0;
  while (n < faceName.size()) {
    const size_t step = codepage::IsSjisLeadByte(static_cast<unsigned char>(faceName[n])) ? 2 : 1;
    if (n + step > static_cast<size_t>(LF_FACESIZE - 1) || n + step > faceName.size()) break;
    n += step;
  }
  std::memset(log.lfFaceName, 0, sizeof(log.lfFaceName));
  std::memcpy(log.lfFaceName, faceName.data(), n);
}

std::string FaceName(const LOGFONTA& log) {
  return std::string(log.lfFaceName, strnlen(log.lfFaceName, LF_FACESIZE));
}

}  // namespace gdi
