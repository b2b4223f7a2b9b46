// Renders a score into audio and finishes it for looping playback.
#pragma once

#include "sounds/audio_buffer.h"
#include "sounds/score.h"

// Every note through its instrument, the pads, the room; then mastered. The result starts and
// ends in silence (exact zeros at both edges), so the music loops without a click.
Stereo RenderScore(const Score& score);

constexpr double kMusicLoudnessDb = -15.0;  // loudest 0.3 s window
constexpr double kMusicCeilingDb = -1.0;

Stereo MakeNightMusic();     // Data/tamsu08-1.mp3
Stereo MakeFestivalMusic();  // Data/tam-y02.mp3
