// The seven sound effects of the game, synthesised and mastered to one loudness.
#pragma once

#include <string>
#include <vector>

#include "sounds/audio_buffer.h"

struct SoundEffect {
  std::string fileName;  // under Data/
  Stereo audio;
};

// Loudness target (loudest 0.3 s window, dBFS) and peak ceiling shared by the effects.
constexpr double kEffectLoudnessDb = -14.0;
constexpr double kEffectCeilingDb = -3.0;

Stereo MakeCorrectChime();       // seikai.wav: a bright two-note chime
Stereo MakeRunArpeggio();        // renzokuseikai.wav: a rising arpeggio
Stereo MakeWrongBuzz();          // fuseikai.wav: a soft low buzz
Stereo MakeGameClearFanfare();   // gameclear.wav
Stereo MakeGameOverPhrase();     // gameover.wav: a falling phrase
Stereo MakeBonusSparkle();       // bonus.wav
Stereo MakeStageClearFanfare();  // stageclear.wav

// All seven, in the order of the game's channels 0 to 6.
std::vector<SoundEffect> MakeAllEffects();
