#include "platform/gdi/canvas.h"

namespace gdi {

TCanvas::TCanvas() : dc_(CreateCompatibleDC(nullptr)) {
  font_.OnChange = [this] { DeselectFont(); };
}

TCanvas::~TCanvas() {
  font_.OnChange = nullptr;
  DeselectFont();
  SelectBitmap(nullptr);
}

void TCanvas::DeselectFont() {
  if (selectedFont_ != nullptr) {
    SelectObject(dc_.get(), originalFont_);
    selectedFont_ = nullptr;
  }
}

HDC TCanvas::Handle() {
  HFONT font = font_.Handle();
  if (font != nullptr && font != selectedFont_) {
    HGDIOBJ previous = SelectObject(dc_.get(), font);
    if (previous != nullptr) {
      if (selectedFont_ == nullptr) originalFont_ = previous;
      selectedFont_ = font;
    }
  }
  return dc_.get();
}

HGDIOBJ TCanvas::SelectBitmap(HBITMAP bitmap) {
  if (bitmap == nullptr) {
    if (originalBitmap_ == nullptr) return nullptr;
    HGDIOBJ previous = SelectObject(dc_.get(), originalBitmap_);
    originalBitmap_ = nullptr;
    return previous;
  }
  HGDIOBJ previous = SelectObject(dc_.get(), bitmap);
  if (previous != nullptr && originalBitmap_ == nullptr) originalBitmap_ = previous;
  return previous;
}

SIZE TCanvas::TextExtent(const std::string& text) {
  SIZE size;
  if (GetTextExtentPoint32A(Handle(), text.data(), static_cast<int>(text.size()), &size) == 0) {
    return SIZE{};
  }
  return size;
}

}  // namespace gdi
