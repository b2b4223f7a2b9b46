// The font object of a drawing surface: face name, height, style set, character set and
// colour, realised as a GDI font (Handle) when it is used. Callers read and change it directly;
// a change frees the realised font, and the next use creates one with the new properties.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/gdi/gdi.h"

namespace gdi {

// Style set bits, in the order the game stores them in its one-byte style file.
using TFontStyles = std::uint8_t;
inline constexpr TFontStyles fsBold = 0x01;
inline constexpr TFontStyles fsItalic = 0x02;
inline constexpr TFontStyles fsUnderline = 0x04;
inline constexpr TFontStyles fsStrikeOut = 0x08;
inline constexpr TFontStyles kAllFontStyles = fsBold | fsItalic | fsUnderline | fsStrikeOut;

// Screen resolution for points: sizes convert at 96 pixels per inch.
inline constexpr int kPixelsPerInch = 96;

// Windows' MulDiv: a * b / c rounded half away from zero; -1 when c is 0.
int MulDiv(int a, int b, int c);

class TFont {
 public:
  TFont();
  ~TFont();
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  const std::string& Name() const { return name_; }  // Shift-JIS
  void SetName(const std::string& name);
  int Height() const { return height_; }  // pixels; negative: em height, positive: cell height
  void SetHeight(int height);
  int Size() const;  // points, from the height
  void SetSize(int points);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  BYTE Charset() const { return charset_; }
  void SetCharset(BYTE charset);
  std::uint32_t Color() const { return color_; }  // 0x00BBGGRR
  void SetColor(std::uint32_t color);

  // Copies every property of source.
  void Assign(const TFont& source);

  // The LOGFONTA for the current properties.
  LOGFONTA Log() const;
  // The realised font; created on first use after a change, owned by this object.
  HFONT Handle();

  // Called before a change frees the realised font, so that a context can deselect it.
  std::function<void()> OnChange;

 private:
  void Changed();

  std::string name_;
  int height_;
  TFontStyles style_ = 0;
  BYTE charset_ = DEFAULT_CHARSET;
  std::uint32_t color_ = 0;
  UniqueFont handle_;
};

}  // namespace gdi
