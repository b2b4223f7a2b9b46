// The game's background-music call: PlayMusic.
#pragma once

#include <string>

#include "platform/clock/clock.h"
#include "platform/wmp/wmp.h"

// In this order: controls.stop; URL := musicName; settings.setMode("loop", true when bgmRandom
// is 0, false otherwise); controls.play; musicStartTime := now. When the file cannot be opened
// the player's error propagates after the stop, and musicStartTime keeps its value.
void PlayMusic(TWindowsMediaPlayer& player, const std::u16string& musicName, int bgmRandom,
               DWORD& musicStartTime);
