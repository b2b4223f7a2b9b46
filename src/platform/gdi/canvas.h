// The drawing surface of a memory bitmap, reduced to what text needs: a device context, its
// font (realised and selected whenever the context is asked for) and its brush.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gdi/font.h"
#include "platform/gdi/gdi.h"

namespace gdi {

enum class TBrushStyle : std::uint8_t { bsSolid, bsClear };

struct TBrush {
  std::uint32_t Color = 0xFFFFFF;  // 0x00BBGGRR
  TBrushStyle Style = TBrushStyle::bsSolid;
};

class TCanvas {
 public:
  TCanvas();
  ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }
  TBrush& Brush() { return brush_; }

  // The device context with the current font selected.
  HDC Handle();
  // Selects bitmap (null: the context's own) and returns the previous one; null on failure.
  HGDIOBJ SelectBitmap(HBITMAP bitmap);

  // Extent of Shift-JIS text in the current font; (0, 0) when the font cannot be realised.
  SIZE TextExtent(const std::string& text);
  int TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int TextHeight(const std::string& text) { return TextExtent(text).cy; }

 private:
  void DeselectFont();

  UniqueDc dc_;
  TFont font_;
  TBrush brush_;
  HGDIOBJ originalFont_ = nullptr;
  HGDIOBJ originalBitmap_ = nullptr;
  HFONT selectedFont_ = nullptr;
};

}  // namespace gdi
