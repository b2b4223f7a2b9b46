#include "sounds/music.h"

#include <algorithm>
#include <cmath>

#include "sounds/composer.h"
#include "sounds/mastering.h"
#include "sounds/reverb.h"
#include "sounds/synth.h"

namespace {

constexpr uint64_t kNightSeed = 0x7A3508;
constexpr uint64_t kFestivalSeed = 0x7A1702;
// A breath of silence before the first note, so the loop runs silence-to-silence.
constexpr double kLeadIn = 0.3;

Mono Voice(const NoteEvent& note, uint64_t seed) {
  const double f = MidiToHz(note.pitch);
  switch (note.instrument) {
    case Instrument::Koto: {
      PluckTone tone;
      tone.decay = 2.2 * std::clamp(440.0 / f, 0.6, 1.6);
      tone.brightness = 0.55 + 0.25 * note.velocity;
      tone.pluckPosition = 0.12;
      return Pluck(f, std::max(note.duration + 0.6, 1.6), tone, seed);
    }
    case Instrument::BassKoto: {
      PluckTone tone;
      tone.decay = 3.0;
      tone.brightness = 0.35;
      tone.pluckPosition = 0.18;
      return Pluck(f, std::max(note.duration + 1.0, 2.5), tone, seed);
    }
    case Instrument::Flute: {
      FluteTone tone;
      tone.breath = 0.2;
      tone.attack = std::min(0.08, note.duration * 0.3);
      tone.release = std::min(0.2, note.duration * 0.3);
      return Flute(f, note.duration, tone, seed);
    }
    case Instrument::Chime:
      return Bell(f, std::max(note.duration, 1.5), ChimePartials(0.6f));
    case Instrument::WindChime:
      return Bell(f, note.duration, GlassPartials(0.9f));
    case Instrument::Taiko:
      return Taiko(62.0 + 6.0 * note.velocity, 0.9, seed);
    case Instrument::Shime:
      return Shime(seed);
    case Instrument::Gong:
      return Bell(1180.0, 0.35, GongPartials(0.09f), 0.001);
  }
  return {};
}

float InstrumentLevel(Instrument instrument) {
  switch (instrument) {
    case Instrument::Koto:
      return 0.5f;
    case Instrument::BassKoto:
      return 0.45f;
    case Instrument::Flute:
      return 0.33f;
    case Instrument::Chime:
      return 0.25f;
    case Instrument::WindChime:
      return 0.14f;
    case Instrument::Taiko:
      return 0.6f;
    case Instrument::Shime:
      return 0.16f;
    case Instrument::Gong:
      return 0.12f;
  }
  return 0.0f;
}

}  // namespace

Stereo RenderScore(const Score& score) {
  Stereo mix;
  const double length = score.length + kLeadIn;
  mix.Resize(FramesOf(length));
  uint64_t seed = 1;
  for (const NoteEvent& note : score.notes) {
    const Mono voice = Voice(note, seed++);
    mix.MixIn(voice, FramesOf(std::max(0.0, note.time + kLeadIn)),
              note.velocity * InstrumentLevel(note.instrument), note.pan);
  }
  for (const PadChord& chord : score.pads) {
    std::vector<double> frequencies;
    for (double pitch : chord.pitches) frequencies.push_back(MidiToHz(pitch));
    const Stereo pad = Pad(frequencies, chord.duration, std::min(1.5, chord.duration * 0.4),
                           std::min(1.5, chord.duration * 0.4));
    mix.MixIn(pad, FramesOf(chord.time + kLeadIn), 0.9f);
  }
  ReverbSettings room;
  room.roomSize = 0.86f;
  room.damping = 0.45f;
  room.wet = score.reverb;
  Stereo out = ApplyReverb(mix, room, 0.0);
  // Notes that ring past the end are cut: the score leaves its own silence for the room.
  out.Resize(FramesOf(length));
  RemoveDc(out);
  MasterTo(out, kMusicLoudnessDb, kMusicCeilingDb);
  FadeIn(out, 0.01);
  FadeOut(out, 1.5);
  return out;
}

Stereo MakeNightMusic() { return RenderScore(ComposeNightMusic(kNightSeed)); }
Stereo MakeFestivalMusic() { return RenderScore(ComposeFestivalMusic(kFestivalSeed)); }
