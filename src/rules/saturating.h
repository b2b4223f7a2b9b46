// Additions to the game's 32-bit counters that stop at the type's limits instead of wrapping:
// a counter read from a file may already sit near them.
#pragma once

#include <cstdint>
#include <limits>

inline std::int32_t SaturatingAdd(std::int32_t a, std::int32_t b) {
  std::int32_t sum = 0;
  if (!__builtin_add_overflow(a, b, &sum)) return sum;
  return b > 0 ? std::numeric_limits<std::int32_t>::max()
               : std::numeric_limits<std::int32_t>::min();
}
