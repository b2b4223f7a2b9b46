// A small stereo room: parallel damped comb filters into series all-pass filters per channel,
// the right channel tuned a little apart from the left for width.
#pragma once

#include "sounds/audio_buffer.h"

struct ReverbSettings {
  float roomSize = 0.82f;  // comb feedback, 0..1
  float damping = 0.3f;    // high-frequency loss in the combs, 0..1
  float wet = 0.25f;
  float dry = 1.0f;
};

// Returns the processed signal, extended by `tailSeconds` so the room can ring out.
Stereo ApplyReverb(const Stereo& input, const ReverbSettings& settings, double tailSeconds);
