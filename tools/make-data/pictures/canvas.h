// A floating-point RGBA picture: the working surface of every drawing in make-data.
// Colours are straight (not premultiplied) values in 0..1; "over" blends a layer on top,
// "add" accumulates light (glows and stars).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Colour {
  float r = 0, g = 0, b = 0, a = 1;

  static Colour Rgb(int red, int green, int blue, float alpha = 1.0f) {
    return {red / 255.0f, green / 255.0f, blue / 255.0f, alpha};
  }
};

Colour Mix(const Colour& from, const Colour& to, float t);
Colour Scaled(const Colour& colour, float factor);  // colour channels only

class Canvas {
 public:
  Canvas() = default;
  Canvas(int width, int height, Colour fill = {0, 0, 0, 0});

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  Colour& At(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  const Colour& At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }

  void Fill(Colour colour);
  // Straight-alpha "over": colour with alpha colour.a × coverage onto the pixel.
  void Blend(int x, int y, const Colour& colour, float coverage = 1.0f);
  // Adds light: rgb += colour.rgb × amount. Alpha grows towards 1 by the same amount.
  void Add(int x, int y, const Colour& colour, float amount);
  // Places `layer` with its top-left corner at (left, top), blending with "over".
  void Composite(const Canvas& layer, int left, int top, float opacity = 1.0f);

  // Clamped 8-bit output, row by row from the top.
  std::vector<uint8_t> ToRgba8() const;
  std::vector<uint8_t> ToRgb8() const;

  // Average of factor × factor blocks (supersampled drawing is done large, then reduced).
  Canvas Downsampled(int factor) const;
  // The area (left, top, width, height), clipped to the canvas.
  Canvas Cropped(int left, int top, int width, int height) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<Colour> pixels_;
};

// Quantises a 0..1 channel to 0..255, rounding to nearest and clamping.
uint8_t ToByte(float value);
