// The game's speech call: reading a proverb aloud when its answer is revealed.
#pragma once

#include <string>

// Speed the game always speaks at.
inline constexpr int kSpeechSpeed = 100;

// Speaks the speech string (SpeechList[MondaiNo]) synchronously: nothing when it is empty,
// otherwise it is converted to Shift-JIS, prosody marks and all, and given to
// AquesTalkDa_PlaySync at speed 100. Returns whether the engine was called.
bool SpeakSpeechString(const std::u16string& speech);
