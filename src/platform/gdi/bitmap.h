// A memory bitmap with a drawing surface. Text is measured and rasterised through its canvas;
// the pixels themselves are only kept so that the surface is a real one of the asked size.
#pragma once

#include <cstdint>

#include "platform/gdi/canvas.h"
#include "platform/gdi/gdi.h"

namespace gdi {

enum class TPixelFormat : std::uint8_t { pf1bit, pf8bit, pf16bit, pf24bit, pf32bit };

class TBitmap {
 public:
  TBitmap() = default;
  ~TBitmap();
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  TCanvas& Canvas() { return canvas_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  TPixelFormat PixelFormat() const { return format_; }
  void SetWidth(int width);
  void SetHeight(int height);
  void SetPixelFormat(TPixelFormat format);
  // The bitmap object; null while a side is 0 (or the size was refused).
  HBITMAP Handle() const { return bitmap_.get(); }

 private:
  void Recreate();

  TCanvas canvas_;
  UniqueBitmap bitmap_;
  int width_ = 0;
  int height_ = 0;
  TPixelFormat format_ = TPixelFormat::pf24bit;
};

}  // namespace gdi
