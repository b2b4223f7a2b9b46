// The SSML that espeak-ng reads for a pitch plan. espeak-ng changes pitch only between words,
// so each run of morae at one pitch inside an accent phrase is a word of its own, wrapped in a
// <prosody pitch> of the high or the low level, and preceded by a <mark> naming its place so
// that the sound can be matched to the morae. The voice's own intonation is switched off
// (range 0): the marks alone shape the pitch.
//
// Where the pitch turns next to a special mora the word boundary moves: ー is never the first
// of a word (espeak-ng drops it there) and っ never the last (it turns into a glottal stop), so
// ー keeps the word before it and っ goes with the mora after it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/speech/pitch_plan.h"

namespace speechstandin {

inline constexpr const char* kHighPitch = "+50%";
inline constexpr const char* kLowPitch = "-10%";

struct TSpeechMarkup {
  std::string Ssml;                             // UTF-8
  std::vector<std::vector<std::size_t>> Words;  // the morae (indices into the plan) of each word
};

TSpeechMarkup ToSpeechMarkup(const std::vector<TMora>& plan);

}  // namespace speechstandin
