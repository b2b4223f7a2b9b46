#include "rules/random.h"

#include "platform/clock/clock.h"

namespace {

// The generator's whole state. Only the window's thread draws numbers.
std::uint32_t seed = 0;

}  // namespace

std::int32_t Random(std::int32_t n) {
  seed = seed * 134775813u + 1u;
  if (n <= 0) return 0;
  const std::uint64_t product = static_cast<std::uint64_t>(seed) * static_cast<std::uint32_t>(n);
  return static_cast<std::int32_t>(product >> 32);
}

void Randomize() {
  const std::uint64_t counter = clockstandin::HighResolutionCounter();
  // Fold the high half in so that a counter with coarse low bits still varies the seed.
  seed = static_cast<std::uint32_t>(counter) ^ static_cast<std::uint32_t>(counter >> 32);
}

std::uint32_t RandSeed() { return seed; }

void SetRandSeed(std::uint32_t value) { seed = value; }
