// A small seeded generator for everything make-data invents (star fields, melodies, noise).
// The standard library's distributions differ between implementations; this one gives the
// same numbers on every build, so the same seed always draws the same picture and tune.
#pragma once

#include <cstdint>

class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}

  // SplitMix64: tiny, fast and well distributed.
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // Uniform in [0, 1).
  double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
  float Uniform(float low, float high) {
    return low + (high - low) * static_cast<float>(Uniform());
  }
  // Uniform integer in [0, n); n must be positive.
  int Below(int n) { return static_cast<int>(Uniform() * n); }
  bool Chance(double probability) { return Uniform() < probability; }

 private:
  uint64_t state_;
};
