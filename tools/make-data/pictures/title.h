// The title lettering and the maker's mark.
#pragma once

#include "pictures/canvas.h"

constexpr int kTitleWidth = 562;
constexpr int kTitleHeight = 126;
constexpr int kLogoWidth = 300;
constexpr int kLogoHeight = 50;

Colour BlackKey();

// "Nightwisp" in glowing lettering, the dots of its i's two fireflies' lights; on pure black,
// which the game keys out.
Canvas DrawTitle();
// "Amaneya", the maker's mark: a moon-and-firefly emblem and the name, with alpha.
Canvas DrawLogo();
