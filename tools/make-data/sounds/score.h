// A score: the notes a composer writes and the synthesiser plays.
#pragma once

#include <vector>

enum class Instrument { Koto, BassKoto, Flute, Chime, WindChime, Taiko, Shime, Gong };

struct NoteEvent {
  double time = 0;      // seconds from the start
  double duration = 0;  // seconds the note is held (a plucked note rings on past it)
  double pitch = 60;    // MIDI note number
  float velocity = 1;   // 0..1
  float pan = 0;        // -1 left .. +1 right
  Instrument instrument = Instrument::Koto;
};

struct PadChord {
  double time = 0;
  double duration = 0;
  std::vector<double> pitches;  // MIDI note numbers
};

struct Score {
  std::vector<NoteEvent> notes;
  std::vector<PadChord> pads;
  double length = 0;  // seconds; the music ends in silence here and loops back to the start
  float reverb = 0.3f;
};
