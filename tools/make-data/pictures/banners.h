// The big centre pictures of the game: result, stage-clear, bonus, game-over and game-clear
// banners. They carry their own alpha (the game draws them without a colour key).
#pragma once

#include <string>
#include <vector>

#include "pictures/canvas.h"

struct Banner {
  std::string entryName;  // archive entry, e.g. "seikai.bmp"
  Canvas picture;
};

std::vector<Banner> DrawBanners();
