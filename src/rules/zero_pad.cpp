#include "rules/zero_pad.h"

std::string ZeroPad(std::int32_t n) {
  if (n >= 10000) return std::string();
  if (n < 0) n = 0;
  std::string text = std::to_string(n);
  return std::string(4 - text.size(), '0') + text;
}
