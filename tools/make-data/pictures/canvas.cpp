#include "pictures/canvas.h"

#include <algorithm>
#include <cmath>

Colour Mix(const Colour& from, const Colour& to, float t) {
  return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t,
          from.a + (to.a - from.a) * t};
}

Colour Scaled(const Colour& colour, float factor) {
  return {colour.r * factor, colour.g * factor, colour.b * factor, colour.a};
}

uint8_t ToByte(float value) {
  const float scaled = std::round(std::clamp(value, 0.0f, 1.0f) * 255.0f);
  return static_cast<uint8_t>(scaled);
}

Canvas::Canvas(int width, int height, Colour fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

void Canvas::Fill(Colour colour) { std::fill(pixels_.begin(), pixels_.end(), colour); }

void Canvas::Blend(int x, int y, const Colour& colour, float coverage) {
  if (!Contains(x, y)) return;
  const float alpha = std::clamp(colour.a * coverage, 0.0f, 1.0f);
  if (alpha <= 0.0f) return;
  Colour& dst = At(x, y);
  const float outAlpha = alpha + dst.a * (1.0f - alpha);
  if (outAlpha <= 0.0f) {
    dst = {0, 0, 0, 0};
    return;
  }
  const float keep = dst.a * (1.0f - alpha);
  dst.r = (colour.r * alpha + dst.r * keep) / outAlpha;
  dst.g = (colour.g * alpha + dst.g * keep) / outAlpha;
  dst.b = (colour.b * alpha + dst.b * keep) / outAlpha;
  dst.a = outAlpha;
}

void Canvas::Add(int x, int y, const Colour& colour, float amount) {
  if (!Contains(x, y) || amount <= 0.0f) return;
  Colour& dst = At(x, y);
  dst.r += colour.r * amount;
  dst.g += colour.g * amount;
  dst.b += colour.b * amount;
  dst.a = std::min(1.0f, dst.a + amount);
}

void Canvas::Composite(const Canvas& layer, int left, int top, float opacity) {
  for (int y = 0; y < layer.Height(); ++y) {
    for (int x = 0; x < layer.Width(); ++x) {
      Blend(left + x, top + y, layer.At(x, y), opacity);
    }
  }
}

std::vector<uint8_t> Canvas::ToRgba8() const {
  std::vector<uint8_t> bytes;
  bytes.reserve(pixels_.size() * 4);
  for (const Colour& c : pixels_) {
    bytes.push_back(ToByte(c.r));
    bytes.push_back(ToByte(c.g));
    bytes.push_back(ToByte(c.b));
    bytes.push_back(ToByte(c.a));
  }
  return bytes;
}

std::vector<uint8_t> Canvas::ToRgb8() const {
  std::vector<uint8_t> bytes;
  bytes.reserve(pixels_.size() * 3);
  for (const Colour& c : pixels_) {
    bytes.push_back(ToByte(c.r));
    bytes.push_back(ToByte(c.g));
    bytes.push_back(ToByte(c.b));
  }
  return bytes;
}

Canvas Canvas::Downsampled(int factor) const {
  Canvas out(width_ / factor, height_ / factor);
  const float inverse = 1.0f / static_cast<float>(factor * factor);
  for (int y = 0; y < out.Height(); ++y) {
    for (int x = 0; x < out.Width(); ++x) {
      // Colours are averaged weighted by alpha so transparent samples add no colour.
      float r = 0, g = 0, b = 0, a = 0;
      for (int sy = 0; sy < factor; ++sy) {
        for (int sx = 0; sx < factor; ++sx) {
          const Colour& c = At(x * factor + sx, y * factor + sy);
          r += c.r * c.a;
          g += c.g * c.a;
          b += c.b * c.a;
          a += c.a;
        }
      }
      Colour& dst = out.At(x, y);
      dst.a = a * inverse;
      if (a > 0.0f) {
        dst.r = r / a;
        dst.g = g / a;
        dst.b = b / a;
      } else {
        dst = {0, 0, 0, 0};
      }
    }
  }
  return out;
}

Canvas Canvas::Cropped(int left, int top, int width, int height) const {
  Canvas out(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (Contains(left + x, top + y)) out.At(x, y) = At(left + x, top + y);
    }
  }
  return out;
}
