// The composer: writes the two tunes of the game from a seed. Melodies walk a Japanese
// pentatonic scale in two-bar phrases that answer one another and come home at their ends.
#pragma once

#include <cstdint>
#include <vector>

#include "sounds/score.h"

// A pentatonic scale as pitch classes above its tonic.
struct Scale {
  int tonic;               // MIDI note of the tonic in the middle octave
  std::vector<int> steps;  // five pitch classes, ascending, starting at 0

  // The MIDI note `degree` scale steps above the tonic (negative goes down).
  int Note(int degree) const;
  // The degree of the scale note nearest to `midi`.
  int DegreeOf(int midi) const;
};

Scale InScale(int tonic);  // miyako-bushi: 1, ♭2, 4, 5, ♭6
Scale YoScale(int tonic);  // 1, 2, 4, 5, 6

// "Tamsu": a calm night by the stream, about 100 seconds, in the in scale on D.
Score ComposeNightMusic(uint64_t seed);
// "Tam-y": a bright festival tune for the game clear, about 37 seconds, in the yo scale on D.
Score ComposeFestivalMusic(uint64_t seed);
