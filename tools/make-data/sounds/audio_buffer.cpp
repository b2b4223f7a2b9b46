#include "sounds/audio_buffer.h"

#include <algorithm>
#include <cmath>

void Stereo::MixIn(const Mono& mono, size_t startFrame, float gain, float pan) {
  if (startFrame + mono.size() > Frames()) Resize(startFrame + mono.size());
  const float angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0f) * 0.25f * 3.14159265f;
  const float leftGain = gain * std::cos(angle) * 1.41421356f;
  const float rightGain = gain * std::sin(angle) * 1.41421356f;
  for (size_t i = 0; i < mono.size(); ++i) {
    left[startFrame + i] += mono[i] * leftGain;
    right[startFrame + i] += mono[i] * rightGain;
  }
}

void Stereo::MixIn(const Stereo& other, size_t startFrame, float gain) {
  if (startFrame + other.Frames() > Frames()) Resize(startFrame + other.Frames());
  for (size_t i = 0; i < other.Frames(); ++i) {
    left[startFrame + i] += other.left[i] * gain;
    right[startFrame + i] += other.right[i] * gain;
  }
}
