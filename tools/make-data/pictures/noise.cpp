#include "pictures/noise.h"

#include <cmath>

namespace {

uint32_t Hash(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7FEB352Du;
  x ^= x >> 15;
  x *= 0x846CA68Bu;
  x ^= x >> 16;
  return x;
}

float Smooth(float t) { return t * t * (3.0f - 2.0f * t); }

}  // namespace

float ValueNoise::Lattice(int x, int y) const {
  const uint32_t h =
      Hash(static_cast<uint32_t>(x) * 0x9E3779B1u ^ Hash(static_cast<uint32_t>(y) + seed_));
  return static_cast<float>(h & 0xFFFFFF) / static_cast<float>(0xFFFFFF);
}

float ValueNoise::At(float x, float y) const {
  const float fx = std::floor(x);
  const float fy = std::floor(y);
  const int ix = static_cast<int>(fx);
  const int iy = static_cast<int>(fy);
  const float tx = Smooth(x - fx);
  const float ty = Smooth(y - fy);
  const float top = Lattice(ix, iy) + (Lattice(ix + 1, iy) - Lattice(ix, iy)) * tx;
  const float bottom = Lattice(ix, iy + 1) + (Lattice(ix + 1, iy + 1) - Lattice(ix, iy + 1)) * tx;
  return top + (bottom - top) * ty;
}

float ValueNoise::Fractal(float x, float y, int octaves, float gain) const {
  float sum = 0.0f;
  float amplitude = 1.0f;
  float total = 0.0f;
  float frequency = 1.0f;
  for (int i = 0; i < octaves; ++i) {
    sum += At(x * frequency + 17.0f * i, y * frequency - 31.0f * i) * amplitude;
    total += amplitude;
    amplitude *= gain;
    frequency *= 2.0f;
  }
  return sum / total;
}
