#include "pictures/lettering.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "platform/codepage/codepage.h"
#include "platform/gdi/gdi.h"

namespace {

// One character of Shift-JIS text as GetGlyphOutlineA takes it: a byte, or lead << 8 | trail.
std::vector<std::pair<UINT, std::u16string>> SplitCodes(const std::string& utf8) {
  std::vector<std::pair<UINT, std::u16string>> codes;
  for (char16_t character : codepage::Utf8ToUtf16(utf8)) {
    const std::string sjis = codepage::Utf16ToSjis(std::u16string(1, character));
    if (sjis == "?" && character != u'?') continue;  // not in the code page
    UINT code = static_cast<unsigned char>(sjis[0]);
    if (sjis.size() == 2) code = (code << 8) | static_cast<unsigned char>(sjis[1]);
    codes.emplace_back(code, std::u16string(1, character));
  }
  return codes;
}

// The context is declared after the font so that it goes first: a font cannot be deleted
// while it is still selected into a context.
struct Font {
  gdi::UniqueFont font;
  gdi::UniqueDc dc;
  gdi::TEXTMETRICA metrics;
};

Font OpenFont(const TextStyle& style, int scale) {
  gdi::LOGFONTA log;
  log.lfHeight = -style.pixelHeight * scale;
  log.lfWeight = style.bold ? gdi::FW_BOLD : gdi::FW_NORMAL;
  log.lfItalic = style.italic ? 1 : 0;
  log.lfCharSet = gdi::SHIFTJIS_CHARSET;
  log.lfQuality = gdi::ANTIALIASED_QUALITY;
  gdi::SetFaceName(log, codepage::Utf8ToSjis(style.face));
  Font font;
  font.dc.reset(gdi::CreateCompatibleDC(nullptr));
  font.font.reset(gdi::CreateFontIndirectA(&log));
  if (!font.dc || !font.font || !gdi::SelectObject(font.dc.get(), font.font.get()) ||
      !gdi::GetTextMetricsA(font.dc.get(), &font.metrics)) {
    throw std::runtime_error("no font for " + style.face);
  }
  return font;
}

}  // namespace

int MeasureText(const std::string& utf8, const TextStyle& style) {
  Font font = OpenFont(style, 1);
  const gdi::MAT2 identity = gdi::IdentityMat2();
  float pen = 0.0f;
  for (const auto& [code, character] : SplitCodes(utf8)) {
    gdi::GLYPHMETRICS metrics;
    if (gdi::GetGlyphOutlineA(font.dc.get(), code, gdi::GGO_METRICS, &metrics, 0, nullptr,
                              &identity) == gdi::GDI_ERROR) {
      continue;
    }
    pen += metrics.gmCellIncX + style.letterSpacing;
  }
  return static_cast<int>(std::ceil(pen));
}

TextRun RenderText(const std::string& utf8, const TextStyle& style, int margin, int oversample) {
  const int scale = std::max(1, oversample);
  Font font = OpenFont(style, scale);
  const gdi::MAT2 identity = gdi::IdentityMat2();
  const auto codes = SplitCodes(utf8);

  // First pass: metrics, to size the mask.
  struct Piece {
    gdi::GLYPHMETRICS metrics;
    std::vector<BYTE> bits;
    float pen;
    std::u16string character;
  };
  std::vector<Piece> pieces;
  float pen = 0.0f;
  int extraRight = 0;
  for (const auto& [code, character] : codes) {
    Piece piece;
    const DWORD size = gdi::GetGlyphOutlineA(font.dc.get(), code, gdi::GGO_GRAY8_BITMAP,
                                                  &piece.metrics, 0, nullptr, &identity);
    if (size == gdi::GDI_ERROR) continue;
    piece.bits.resize(size);
    if (size > 0 &&
        gdi::GetGlyphOutlineA(font.dc.get(), code, gdi::GGO_GRAY8_BITMAP, &piece.metrics, size,
                              piece.bits.data(), &identity) == gdi::GDI_ERROR) {
      continue;
    }
    piece.pen = pen;
    piece.character = character;
    extraRight = std::max(extraRight, static_cast<int>(pen) + piece.metrics.gmptGlyphOrigin.x +
                                          static_cast<int>(piece.metrics.gmBlackBoxX) -
                                          static_cast<int>(pen + piece.metrics.gmCellIncX));
    pen += piece.metrics.gmCellIncX + style.letterSpacing * scale;
    pieces.push_back(std::move(piece));
  }
  const int ascent = font.metrics.tmAscent;
  const int descent = font.metrics.tmDescent;
  const int big = margin * scale;
  // Round the frame up to whole multiples of the oversampling factor.
  auto roundUp = [&](int value) { return (value + scale - 1) / scale * scale; };
  const int width = roundUp(static_cast<int>(std::ceil(pen)) + std::max(0, extraRight) + 2 * big);
  const int height = roundUp(ascent + descent + 2 * big);
  Mask large(width, height);
  TextRun run;
  for (const Piece& piece : pieces) {
    const int pitch = (static_cast<int>(piece.metrics.gmBlackBoxX) + 3) & ~3;
    const int left =
        big + static_cast<int>(std::lround(piece.pen)) + piece.metrics.gmptGlyphOrigin.x;
    const int top = big + ascent - piece.metrics.gmptGlyphOrigin.y;
    if (!piece.bits.empty()) {
      for (int y = 0; y < static_cast<int>(piece.metrics.gmBlackBoxY); ++y) {
        for (int x = 0; x < static_cast<int>(piece.metrics.gmBlackBoxX); ++x) {
          const int tx = left + x;
          const int ty = top + y;
          if (tx < 0 || ty < 0 || tx >= width || ty >= height) continue;
          const float value = piece.bits[static_cast<size_t>(y * pitch + x)] / 64.0f;
          large.At(tx, ty) = std::max(large.At(tx, ty), std::min(1.0f, value));
        }
      }
    }
    GlyphPlacement placement;
    placement.character = piece.character;
    placement.left = left / scale;
    placement.top = top / scale;
    placement.width = static_cast<int>(piece.metrics.gmBlackBoxX) / scale;
    placement.height = static_cast<int>(piece.metrics.gmBlackBoxY) / scale;
    run.glyphs.push_back(placement);
  }
  run.mask = scale > 1 ? large.Downsampled(scale) : large;
  run.baseline = (big + ascent) / scale;
  return run;
}
