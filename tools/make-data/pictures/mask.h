// A coverage mask (one float per pixel, 0..1): lettering is rendered into masks, then grown,
// blurred and combined into outlines, glows and fills.
#pragma once

#include <cstddef>
#include <vector>

class Mask {
 public:
  Mask() = default;
  Mask(int width, int height)
      : width_(width), height_(height), values_(static_cast<size_t>(width) * height, 0.0f) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  float& At(int x, int y) { return values_[static_cast<size_t>(y) * width_ + x]; }
  float At(int x, int y) const { return values_[static_cast<size_t>(y) * width_ + x]; }
  // 0 outside the mask.
  float Sample(int x, int y) const {
    return (x < 0 || y < 0 || x >= width_ || y >= height_) ? 0.0f : At(x, y);
  }

  // The mask placed at (left, top) inside a larger (or smaller) frame.
  Mask Placed(int width, int height, int left, int top) const;
  // Average of factor × factor blocks.
  Mask Downsampled(int factor) const;
  // Separable Gaussian blur with the given standard deviation in pixels.
  Mask Blurred(float sigma) const;
  // Grows the shape by `radius` pixels (maximum over a disc), anti-aliased at the rim.
  Mask Grown(float radius) const;
  // The smallest box holding every pixel above `threshold`: left, top, right, bottom
  // (right and bottom exclusive). All zero for an empty mask.
  void Bounds(float threshold, int& left, int& top, int& right, int& bottom) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<float> values_;
};
