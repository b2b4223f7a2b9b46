#include "pictures/mask.h"

#include <algorithm>
#include <cmath>

Mask Mask::Placed(int width, int height, int left, int top) const {
  Mask out(width, height);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const int tx = x + left;
      const int ty = y + top;
      if (tx >= 0 && ty >= 0 && tx < width && ty < height) out.At(tx, ty) = At(x, y);
    }
  }
  return out;
}

Mask Mask::Downsampled(int factor) const {
  Mask out(width_ / factor, height_ / factor);
  const float inverse = 1.0f / static_cast<float>(factor * factor);
  for (int y = 0; y < out.height_; ++y) {
    for (int x = 0; x < out.width_; ++x) {
      float sum = 0.0f;
      for (int sy = 0; sy < factor; ++sy) {
        for (int sx = 0; sx < factor; ++sx) sum += At(x * factor + sx, y * factor + sy);
      }
      out.At(x, y) = sum * inverse;
    }
  }
  return out;
}

Mask Mask::Blurred(float sigma) const {
  if (sigma <= 0.0f) return *this;
  const int radius = static_cast<int>(std::ceil(sigma * 3.0f));
  std::vector<float> kernel(static_cast<size_t>(2 * radius + 1));
  float total = 0.0f;
  for (int i = -radius; i <= radius; ++i) {
    const float w = std::exp(-0.5f * (i * i) / (sigma * sigma));
    kernel[static_cast<size_t>(i + radius)] = w;
    total += w;
  }
  for (float& w : kernel) w /= total;
  Mask across(width_, height_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      float sum = 0.0f;
      for (int i = -radius; i <= radius; ++i)
        sum += Sample(x + i, y) * kernel[static_cast<size_t>(i + radius)];
      across.At(x, y) = sum;
    }
  }
  Mask out(width_, height_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      float sum = 0.0f;
      for (int i = -radius; i <= radius; ++i)
        sum += across.Sample(x, y + i) * kernel[static_cast<size_t>(i + radius)];
      out.At(x, y) = sum;
    }
  }
  return out;
}

Mask Mask::Grown(float radius) const {
  const int reach = static_cast<int>(std::ceil(radius)) + 1;
  Mask out(width_, height_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      float best = 0.0f;
      for (int dy = -reach; dy <= reach && best < 1.0f; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
          const float value = Sample(x + dx, y + dy);
          if (value <= best) continue;
          // Distances are between pixel centres: a neighbour `radius` away still lies wholly
          // inside the grown edge; the weight fades over the next pixel for a smooth rim.
          const float distance = std::sqrt(static_cast<float>(dx * dx + dy * dy));
          const float weight = std::clamp(radius + 1.0f - distance, 0.0f, 1.0f);
          best = std::max(best, value * weight);
        }
      }
      out.At(x, y) = best;
    }
  }
  return out;
}

void Mask::Bounds(float threshold, int& left, int& top, int& right, int& bottom) const {
  left = width_;
  top = height_;
  right = 0;
  bottom = 0;
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (At(x, y) > threshold) {
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x + 1);
        bottom = std::max(bottom, y + 1);
      }
    }
  }
  if (right == 0) left = top = right = bottom = 0;
}
