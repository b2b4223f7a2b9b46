// How the window shows the game's fixed-size frame: the window's size as a whole multiple of the
// frame, full screen or not, and whether the frame is scaled by whole multiples (each pixel a
// block, black around) or fitted to the window smoothly.
#pragma once

#include <cstdint>

namespace game {

inline constexpr std::int32_t kLargestWindowSize = 4;

struct TDisplaySettings {
  std::int32_t Size = 1;  // 1 to kLargestWindowSize
  bool FullScreen = false;
  bool Fit = false;

  bool operator==(const TDisplaySettings&) const = default;
};

}  // namespace game
