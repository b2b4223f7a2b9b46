#include "sounds/reverb.h"

#include <array>
#include <cmath>
#include <vector>

namespace {

class Comb {
 public:
  explicit Comb(size_t length) : buffer_(length, 0.0f) {}
  float Process(float input, float feedback, float damping) {
    const float output = buffer_[index_];
    filtered_ = output * (1.0f - damping) + filtered_ * damping;
    buffer_[index_] = input + filtered_ * feedback;
    index_ = (index_ + 1) % buffer_.size();
    return output;
  }

 private:
  std::vector<float> buffer_;
  size_t index_ = 0;
  float filtered_ = 0.0f;
};

class AllPass {
 public:
  explicit AllPass(size_t length) : buffer_(length, 0.0f) {}
  float Process(float input) {
    const float delayed = buffer_[index_];
    const float output = delayed - input;
    buffer_[index_] = input + delayed * 0.5f;
    index_ = (index_ + 1) % buffer_.size();
    return output;
  }

 private:
  std::vector<float> buffer_;
  size_t index_ = 0;
};

constexpr std::array<size_t, 8> kCombLengths = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr std::array<size_t, 4> kAllPassLengths = {556, 441, 341, 225};
constexpr size_t kStereoSpread = 23;

void ProcessChannel(const std::vector<float>& mono, std::vector<float>& out, size_t spread,
                    const ReverbSettings& settings) {
  std::vector<Comb> combs;
  for (size_t length : kCombLengths) combs.emplace_back(length + spread);
  std::vector<AllPass> allPasses;
  for (size_t length : kAllPassLengths) allPasses.emplace_back(length + spread);
  const float feedback = 0.7f + 0.28f * settings.roomSize;
  const float damping = settings.damping * 0.4f;
  // Real rooms swallow the highs first: the room hears the input through a gentle low-pass
  // (about 4 kHz), so sharp attacks do not leave a hiss in the tail.
  const float smoothing = std::exp(-2.0f * 3.14159265f * 4000.0f / kSampleRate);
  float heard = 0.0f;
  for (size_t i = 0; i < out.size(); ++i) {
    const float raw = (i < mono.size() ? mono[i] : 0.0f) * 0.015f;
    heard = raw * (1.0f - smoothing) + heard * smoothing;
    const float input = heard;
    float sum = 0.0f;
    for (Comb& comb : combs) sum += comb.Process(input, feedback, damping);
    for (AllPass& pass : allPasses) sum = pass.Process(sum);
    out[i] = sum;
  }
}

}  // namespace

Stereo ApplyReverb(const Stereo& input, const ReverbSettings& settings, double tailSeconds) {
  const size_t frames = input.Frames() + FramesOf(tailSeconds);
  // The room is fed the sum of both channels, as most small rooms are.
  std::vector<float> mono(input.Frames());
  for (size_t i = 0; i < input.Frames(); ++i) mono[i] = input.left[i] + input.right[i];
  Stereo wet;
  wet.Resize(frames);
  ProcessChannel(mono, wet.left, 0, settings);
  ProcessChannel(mono, wet.right, kStereoSpread, settings);
  Stereo out;
  out.Resize(frames);
  for (size_t i = 0; i < frames; ++i) {
    const float dryLeft = i < input.Frames() ? input.left[i] : 0.0f;
    const float dryRight = i < input.Frames() ? input.right[i] : 0.0f;
    out.left[i] = dryLeft * settings.dry + wet.left[i] * settings.wet;
    out.right[i] = dryRight * settings.dry + wet.right[i] * settings.wet;
  }
  return out;
}
