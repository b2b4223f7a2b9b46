#include "sounds/effects.h"

#include <cmath>

#include "rng.h"
#include "sounds/mastering.h"
#include "sounds/reverb.h"
#include "sounds/synth.h"

namespace {

void Place(Stereo& mix, const Mono& note, double time, float gain, float pan) {
  mix.MixIn(note, FramesOf(time), gain, pan);
}

Mono Chime(double midi, double seconds, float decay) {
  return Bell(MidiToHz(midi), seconds, ChimePartials(decay));
}

// Room, length, fade and loudness: the same finishing for every effect.
Stereo Finish(const Stereo& dry, double seconds, float wet) {
  ReverbSettings room;
  room.roomSize = 0.7f;
  room.damping = 0.4f;
  room.wet = wet;
  Stereo out = ApplyReverb(dry, room, 1.0);
  out.Resize(FramesOf(seconds));
  RemoveDc(out);
  FadeOut(out, std::min(0.25, seconds * 0.3));
  FadeIn(out, 0.001);
  MasterTo(out, kEffectLoudnessDb, kEffectCeilingDb);
  return out;
}

}  // namespace

Stereo MakeCorrectChime() {
  Stereo mix;
  // E6 then A6, the second a touch louder: an upward "ding-ding".
  Place(mix, Chime(88, 0.6, 0.30f), 0.00, 0.50f, -0.15f);
  Place(mix, Chime(93, 0.55, 0.32f), 0.075, 0.62f, 0.15f);
  // A soft pluck an octave down gives the chime some body.
  PluckTone body;
  body.decay = 0.6;
  body.brightness = 0.5;
  Place(mix, Pluck(MidiToHz(81), 0.55, body, 11), 0.075, 0.25f, 0.0f);
  return Finish(mix, 0.62, 0.22f);
}

Stereo MakeRunArpeggio() {
  Stereo mix;
  const double notes[] = {86, 88, 91, 93, 95, 98};  // D E G A B D: the yo scale rising
  PluckTone koto;
  koto.decay = 0.9;
  koto.brightness = 0.75;
  for (int i = 0; i < 6; ++i) {
    const double t = i * 0.065;
    const float pan = -0.5f + 0.2f * i;
    const double hold = 1.05 - t;
    Place(mix, Chime(notes[i], hold, i == 5 ? 0.45f : 0.22f), t, i == 5 ? 0.55f : 0.40f, pan);
    Place(mix, Pluck(MidiToHz(notes[i] - 12), hold, koto, 20 + i), t, 0.22f, pan);
  }
  // The top note shimmers: a second chime an octave up, softly.
  Place(mix, Chime(110, 0.6, 0.25f), 0.325, 0.12f, 0.3f);
  return Finish(mix, 1.05, 0.25f);
}

Stereo MakeWrongBuzz() {
  Stereo mix;
  Mono first = Buzz(196.0, 184.0, 0.2);
  Mono second = Buzz(147.0, 124.0, 0.44);
  for (Mono* note : {&first, &second}) {
    const size_t frames = note->size();
    const size_t attack = FramesOf(0.02);
    const size_t release = FramesOf(0.08);
    for (size_t i = 0; i < frames; ++i) {
      float level = 1.0f;
      if (i < attack) level = static_cast<float>(i) / attack;
      if (frames - i < release) level = std::min(level, static_cast<float>(frames - i) / release);
      (*note)[i] *= level;
    }
  }
  Place(mix, first, 0.0, 0.45f, -0.05f);
  Place(mix, second, 0.24, 0.5f, 0.05f);
  return Finish(mix, 0.72, 0.12f);
}

Stereo MakeGameClearFanfare() {
  Stereo mix;
  auto brass = [&](double midi, double time, double seconds, float gain, float pan) {
    Place(mix, Brass(MidiToHz(midi), seconds), time, gain, pan);
  };
  // Pick-up: C5 E5 G5, then C6 held over a full chord.
  brass(72, 0.00, 0.14, 0.32f, -0.1f);
  brass(76, 0.15, 0.14, 0.32f, 0.0f);
  brass(79, 0.30, 0.14, 0.32f, 0.1f);
  brass(84, 0.45, 0.95, 0.30f, 0.0f);
  brass(76, 0.45, 0.95, 0.20f, -0.35f);
  brass(79, 0.45, 0.95, 0.20f, 0.35f);
  brass(60, 0.45, 0.95, 0.22f, 0.0f);
  // Answer: A5 B5 over F, then the final C major chord.
  brass(81, 1.50, 0.18, 0.30f, -0.1f);
  brass(83, 1.70, 0.18, 0.30f, 0.1f);
  brass(77, 1.50, 0.38, 0.18f, -0.3f);
  brass(65, 1.50, 0.38, 0.20f, 0.0f);
  brass(84, 1.90, 1.15, 0.32f, 0.0f);
  brass(76, 1.90, 1.15, 0.20f, -0.4f);
  brass(79, 1.90, 1.15, 0.20f, 0.4f);
  brass(72, 1.90, 1.15, 0.20f, 0.0f);
  brass(48, 1.90, 1.15, 0.22f, 0.0f);
  // Drums on the two arrivals, and chimes glittering over the held chords.
  Place(mix, Taiko(70.0, 1.0, 31), 0.45, 0.55f, 0.0f);
  Place(mix, Taiko(64.0, 1.2, 32), 1.90, 0.65f, 0.0f);
  Place(mix, Swish(0.9, 33), 1.80, 0.10f, 0.2f);
  const double sparkle[] = {96, 100, 103, 108, 103, 108, 112};
  for (int i = 0; i < 7; ++i) {
    Place(mix, Chime(sparkle[i], 0.8, 0.25f), 0.55 + i * 0.09, 0.14f, -0.6f + 0.2f * i);
    Place(mix, Chime(sparkle[6 - i], 0.9, 0.3f), 2.0 + i * 0.08, 0.13f, 0.6f - 0.2f * i);
  }
  return Finish(mix, 3.2, 0.28f);
}

Stereo MakeGameOverPhrase() {
  Stereo mix;
  // Down the in scale: B♭4 A4 G4 E♭4, settling on D4.
  const double notes[] = {70, 69, 67, 63, 62};
  const double times[] = {0.0, 0.26, 0.52, 0.80, 1.12};
  PluckTone koto;
  koto.decay = 1.4;
  koto.brightness = 0.45;
  for (int i = 0; i < 5; ++i) {
    const double length = 2.2 - times[i];
    Place(mix, Pluck(MidiToHz(notes[i]), length, koto, 40 + i), times[i], i == 4 ? 0.6f : 0.45f,
          0.2f - 0.1f * i);
  }
  Place(mix, Pluck(MidiToHz(50), 1.1, koto, 46), 1.12, 0.35f, 0.0f);
  // A low, dark pad under the last notes.
  const Stereo pad = Pad({MidiToHz(50), MidiToHz(57), MidiToHz(62)}, 1.4, 0.5, 0.6);
  mix.MixIn(pad, FramesOf(0.7), 0.8f);
  return Finish(mix, 2.05, 0.25f);
}

Stereo MakeBonusSparkle() {
  Stereo mix;
  Rng rng(0xB0B05);
  const int scale[] = {0, 2, 4, 7, 9};  // major pentatonic
  // A rising run of glassy tinkles, a little uneven like real wind chimes.
  for (int i = 0; i < 14; ++i) {
    const int step = i + rng.Below(2);
    const double midi = 84 + 12 * (step / 5) + scale[step % 5];
    const double time = i * 0.036 + rng.Uniform(0.0f, 0.012f);
    Place(mix, Bell(MidiToHz(midi), 0.7, GlassPartials(0.22f)), time, 0.20f,
          rng.Uniform(-0.7f, 0.7f));
  }
  // The "ting" that crowns it.
  Place(mix, Chime(100, 0.6, 0.35f), 0.52, 0.45f, 0.0f);
  Place(mix, Chime(107, 0.5, 0.25f), 0.52, 0.15f, 0.2f);
  Place(mix, Swish(0.6, 51), 0.0, 0.10f, 0.0f);
  return Finish(mix, 1.05, 0.3f);
}

Stereo MakeStageClearFanfare() {
  Stereo mix;
  auto brass = [&](double midi, double time, double seconds, float gain, float pan) {
    Place(mix, Brass(MidiToHz(midi), seconds), time, gain, pan);
  };
  brass(74, 0.00, 0.12, 0.32f, 0.0f);
  brass(74, 0.14, 0.12, 0.32f, 0.0f);
  brass(74, 0.28, 0.12, 0.32f, 0.0f);
  brass(81, 0.42, 0.95, 0.32f, 0.0f);
  brass(78, 0.42, 0.95, 0.20f, -0.35f);
  brass(74, 0.42, 0.95, 0.20f, 0.35f);
  brass(50, 0.42, 0.95, 0.22f, 0.0f);
  Place(mix, Taiko(72.0, 1.0, 61), 0.42, 0.55f, 0.0f);
  // A koto sweep up to the held chord.
  PluckTone koto;
  koto.decay = 1.0;
  koto.brightness = 0.7;
  const double sweep[] = {62, 66, 69, 74, 78, 81, 86};
  for (int i = 0; i < 7; ++i) {
    Place(mix, Pluck(MidiToHz(sweep[i]), 1.4, koto, 70 + i), 0.42 + i * 0.035, 0.22f,
          -0.6f + 0.2f * i);
  }
  Place(mix, Chime(98, 1.0, 0.4f), 0.70, 0.22f, 0.3f);
  return Finish(mix, 2.0, 0.25f);
}

std::vector<SoundEffect> MakeAllEffects() {
  std::vector<SoundEffect> effects;
  effects.push_back({"seikai.wav", MakeCorrectChime()});
  effects.push_back({"renzokuseikai.wav", MakeRunArpeggio()});
  effects.push_back({"fuseikai.wav", MakeWrongBuzz()});
  effects.push_back({"gameclear.wav", MakeGameClearFanfare()});
  effects.push_back({"gameover.wav", MakeGameOverPhrase()});
  effects.push_back({"bonus.wav", MakeBonusSparkle()});
  effects.push_back({"stageclear.wav", MakeStageClearFanfare()});
  return effects;
}
