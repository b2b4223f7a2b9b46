#include "platform/gdi/bitmap.h"

#include "platform/gdi/property.h"

namespace gdi {
namespace {

UINT BitsPerPixel(TPixelFormat format) {
  switch (format) {
    case TPixelFormat::pf1bit:
      return 1;
    case TPixelFormat::pf8bit:
      return 8;
    case TPixelFormat::pf16bit:
      return 16;
    case TPixelFormat::pf24bit:
      return 24;
    case TPixelFormat::pf32bit:
      return 32;
  }
  return 24;
}

}  // namespace

TBitmap::~TBitmap() { canvas_.SelectBitmap(nullptr); }

void TBitmap::SetWidth(int width) {
  if (AssignChanged(width_, width)) Recreate();
}

void TBitmap::SetHeight(int height) {
  if (AssignChanged(height_, height)) Recreate();
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (AssignChanged(format_, format)) Recreate();
}

void TBitmap::Recreate() {
  canvas_.SelectBitmap(nullptr);
  bitmap_.reset();
  if (width_ <= 0 || height_ <= 0) return;
  bitmap_.reset(CreateBitmap(width_, height_, 1, BitsPerPixel(format_), nullptr));
  if (bitmap_) canvas_.SelectBitmap(bitmap_.get());
}

}  // namespace gdi
