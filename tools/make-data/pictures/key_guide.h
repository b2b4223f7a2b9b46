// The key guides shown under the answer field, on pure black (keyed out by the game).
#pragma once

#include "pictures/canvas.h"

constexpr int kKeyGuideMaxWidth = 640;
constexpr int kKeyGuideHeight = 26;

// Sosa1: Ctrl question, Enter answer, F1 give up, F2 pause. Sosa2: the same with F1 hint.
Canvas DrawKeyGuide(bool withHint);
