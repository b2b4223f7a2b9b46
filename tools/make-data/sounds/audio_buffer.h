// Stereo sample buffers in floating point (full scale ±1), the working form of every sound.
#pragma once

#include <cstddef>
#include <vector>

constexpr int kSampleRate = 44100;

using Mono = std::vector<float>;

struct Stereo {
  std::vector<float> left;
  std::vector<float> right;

  size_t Frames() const { return left.size(); }
  double Seconds() const { return static_cast<double>(left.size()) / kSampleRate; }
  void Resize(size_t frames) {
    left.resize(frames, 0.0f);
    right.resize(frames, 0.0f);
  }
  // Adds `mono` starting at `startFrame`, with `gain` and a constant-power `pan`
  // (-1 left, 0 centre, +1 right). The buffer grows as needed.
  void MixIn(const Mono& mono, size_t startFrame, float gain, float pan);
  // Adds another stereo buffer starting at `startFrame`, growing as needed.
  void MixIn(const Stereo& other, size_t startFrame, float gain);
};

inline size_t FramesOf(double seconds) {
  return seconds <= 0.0 ? 0 : static_cast<size_t>(seconds * kSampleRate + 0.5);
}
