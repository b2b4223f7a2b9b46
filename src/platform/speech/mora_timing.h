// Where each mora sounds in synthesised speech, from espeak-ng's events: the marks that start
// each word and the phonemes inside it. A mora's sound is its vowel (or its ん); っ and ー have
// none of their own and are left without a span.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/speech/pitch_plan.h"

namespace speechstandin {

struct TSpeechEvent {
  bool IsMark = false;  // a word's <mark>, otherwise a phoneme
  int Ms = 0;           // where it starts in the sound
  std::string Phoneme;  // espeak-ng's phoneme name
};

struct TMoraSound {
  std::u16string Kana;
  bool High = false;
  double Start = 0;  // seconds; End <= Start when the mora has no sound of its own
  double End = 0;
};

// words: the plan's morae of each marked word, in order (TSpeechMarkup::Words).
std::vector<TMoraSound> TimeMorae(const std::vector<TMora>& plan,
                                  const std::vector<std::vector<std::size_t>>& words,
                                  const std::vector<TSpeechEvent>& events, double seconds);

}  // namespace speechstandin
