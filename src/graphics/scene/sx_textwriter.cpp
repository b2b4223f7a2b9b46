#include "graphics/scene/sx_textwriter.h"

bool ClipSpan(std::int32_t& pos, std::int32_t& len, std::int32_t size, std::int32_t& sourceOffset) {
  if (pos >= size || 0 >= static_cast<std::int64_t>(pos) + len) return false;
  if (pos < 0) {
    sourceOffset = -pos;
    len += pos;
    pos = 0;
  }
  if (static_cast<std::int64_t>(pos) + len > size) len = size - pos;
  return len > 0;
}

TSXTextWriter::TSXTextWriter(TDGCarad* carad, D3DFORMAT format, std::int32_t cacheDepth)
    : Carad(carad), Format(format) {
  Cache = std::make_unique<TSXFontCache>(this, cacheDepth);
  Bitmap = std::make_unique<gdi::TBitmap>();
  gdi::TCanvas& canvas = Bitmap->Canvas();
  canvas.Font().SetColor(0xFFFFFF);
  canvas.Brush().Color = 0x000000;
  canvas.Brush().Style = gdi::TBrushStyle::bsSolid;
  Bitmap->SetPixelFormat(gdi::TPixelFormat::pf24bit);
  Bitmap->SetWidth(4);
  Bitmap->SetHeight(4);
}

TSXTextWriter::~TSXTextWriter() {
  Bitmap.reset();
  Cache.reset();
}

void TSXTextWriter::SetFont(const gdi::TFont& value) { Font().Assign(value); }

std::int32_t TSXTextWriter::TextWidth(const std::string& text) {
  return Bitmap->Canvas().TextWidth(text);
}

std::int32_t TSXTextWriter::TextHeight(const std::string& text) {
  return Bitmap->Canvas().TextHeight(text);
}

std::int32_t TSXTextWriter::TextWidth(const std::u16string& text) {
  SIZE size{};
  gdi::GetTextExtentPoint32W(DeviceContext(), text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

std::int32_t TSXTextWriter::TextHeight(const std::u16string& text) {
  SIZE size{};
  gdi::GetTextExtentPoint32W(DeviceContext(), text.data(), static_cast<int>(text.size()), &size);
  return size.cy;
}
