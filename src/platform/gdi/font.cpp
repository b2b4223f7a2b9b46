#include "platform/gdi/font.h"

#include <cstdlib>

#include "platform/gdi/property.h"

namespace gdi {

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const long long product = static_cast<long long>(a) * b;
  const long long half = std::llabs(static_cast<long long>(c)) / 2;
  const bool negative = (product < 0) != (c < 0);
  const long long magnitude = (std::llabs(product) + half) / std::llabs(static_cast<long long>(c));
  return static_cast<int>(negative ? -magnitude : magnitude);
}

TFont::TFont() : name_("Tahoma"), height_(-11) {}

TFont::~TFont() = default;

void TFont::Changed() {
  if (OnChange) OnChange();
  handle_.reset();
}

void TFont::SetName(const std::string& name) {
  if (AssignChanged(name_, name)) Changed();
}

void TFont::SetHeight(int height) {
  if (AssignChanged(height_, height)) Changed();
}

int TFont::Size() const { return -MulDiv(height_, 72, kPixelsPerInch); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, kPixelsPerInch, 72)); }

void TFont::SetStyle(TFontStyles style) {
  style &= kAllFontStyles;
  if (AssignChanged(style_, style)) Changed();
}

void TFont::SetCharset(BYTE charset) {
  if (AssignChanged(charset_, charset)) Changed();
}

void TFont::SetColor(std::uint32_t color) {
  // The colour is drawn with, not part of the realised font.
  color_ = color;
}

void TFont::Assign(const TFont& source) {
  if (&source == this) return;
  SetName(source.name_);
  SetHeight(source.height_);
  SetStyle(source.style_);
  SetCharset(source.charset_);
  SetColor(source.color_);
}

LOGFONTA TFont::Log() const {
  LOGFONTA log;
  log.lfHeight = height_;
  log.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
  log.lfItalic = (style_ & fsItalic) ? 1 : 0;
  log.lfUnderline = (style_ & fsUnderline) ? 1 : 0;
  log.lfStrikeOut = (style_ & fsStrikeOut) ? 1 : 0;
  log.lfCharSet = charset_;
  log.lfOutPrecision = OUT_DEFAULT_PRECIS;
  log.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  log.lfQuality = DEFAULT_QUALITY;
  log.lfPitchAndFamily = DEFAULT_PITCH;
  SetFaceName(log, name_);
  return log;
}

HFONT TFont::Handle() {
  if (!handle_) {
    const LOGFONTA log = Log();
    handle_.reset(CreateFontIndirectA(&log));
  }
  return handle_.get();
}

}  // namespace gdi
