// Smooth value noise for clouds, water ripples, grass texture and the like.
#pragma once

#include <cstdint>

class ValueNoise {
 public:
  explicit ValueNoise(uint32_t seed) : seed_(seed) {}

  // Smoothly interpolated lattice noise in [0, 1]; one lattice cell per unit.
  float At(float x, float y) const;
  // Fractal sum of `octaves` layers, each at twice the frequency and `gain` the amplitude,
  // scaled back into [0, 1].
  float Fractal(float x, float y, int octaves, float gain = 0.5f) const;

 private:
  float Lattice(int x, int y) const;
  uint32_t seed_;
};
