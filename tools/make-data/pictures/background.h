// The background picture: a summer night by a stream. The game shows it at 40 % over black,
// so it is painted with strong values.
#pragma once

#include "pictures/canvas.h"

constexpr int kBackgroundWidth = 688;
constexpr int kBackgroundHeight = 528;

Canvas DrawBackground();
