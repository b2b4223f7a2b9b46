// The instruments of make-data's synthesiser. Each voice renders one note into a mono buffer
// at kSampleRate: additive bells and chimes, a plucked string (Karplus-Strong) standing in for
// the koto, a breathy bamboo flute, a brass-like fanfare tone, drums and a soft buzz.
#pragma once

#include <cstdint>
#include <vector>

#include "sounds/audio_buffer.h"

double MidiToHz(double note);

// Fast sine of a phase given in cycles (a 4096-point table with linear interpolation).
float SineCycles(double phase);

// One partial of a bell-like tone: frequency ratio to the fundamental, level, decay time
// (seconds to fall by 1/e).
struct Partial {
  float ratio;
  float level;
  float decay;
};

// Bright glockenspiel-like chime, glass wind chime, and the small festival gong.
std::vector<Partial> ChimePartials(float decay);
std::vector<Partial> GlassPartials(float decay);
std::vector<Partial> GongPartials(float decay);

// Sum of decaying sine partials with a short attack; partials near Nyquist are left out.
Mono Bell(double frequency, double seconds, const std::vector<Partial>& partials,
          double attack = 0.003);

struct PluckTone {
  double decay = 1.6;           // seconds for the fundamental to fall by 60 dB
  double brightness = 0.6;      // 0 dull .. 1 bright (excitation and loop filter)
  double pluckPosition = 0.13;  // fraction of the string; notches the matching harmonics
};
// A plucked string: a noise burst in a tuned delay loop with a damping filter.
Mono Pluck(double frequency, double seconds, const PluckTone& tone, uint64_t seed);

struct FluteTone {
  double breath = 0.25;    // level of the breath noise
  double vibrato = 0.004;  // depth as a fraction of the frequency
  double attack = 0.06;
  double release = 0.12;
};
// A bamboo flute: a few harmonics, breath noise tuned to the note, delayed vibrato.
Mono Flute(double frequency, double seconds, const FluteTone& tone, uint64_t seed);

// A brass-like tone: band-limited harmonics whose brightness swells on the attack.
Mono Brass(double frequency, double seconds, double attack = 0.03, double release = 0.15);

// A soft pad of several notes, each doubled slightly detuned and spread across the stereo
// field, with slow attack and release.
Stereo Pad(const std::vector<double>& frequencies, double seconds, double attack, double release);

// Drums: a deep taiko stroke, the tight high shime-daiko and a brushed noise swish.
Mono Taiko(double frequency, double seconds, uint64_t seed);
Mono Shime(uint64_t seed);
Mono Swish(double seconds, uint64_t seed);

// A soft buzzing tone gliding from one pitch to another.
Mono Buzz(double fromFrequency, double toFrequency, double seconds);
