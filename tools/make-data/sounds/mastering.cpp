#include "sounds/mastering.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>

namespace {

double ToDb(double amplitude) {
  return amplitude > 0.0 ? 20.0 * std::log10(amplitude) : -std::numeric_limits<double>::infinity();
}

// Sliding minimum over [i - radius, i + radius] (monotonic deque).
std::vector<float> SlidingMinimum(const std::vector<float>& values, size_t radius) {
  std::vector<float> out(values.size());
  std::deque<size_t> window;
  const size_t n = values.size();
  size_t next = 0;
  for (size_t i = 0; i < n; ++i) {
    const size_t high = std::min(n - 1, i + radius);
    while (next <= high) {
      while (!window.empty() && values[window.back()] >= values[next]) window.pop_back();
      window.push_back(next);
      ++next;
    }
    const size_t low = i >= radius ? i - radius : 0;
    while (window.front() < low) window.pop_front();
    out[i] = values[window.front()];
  }
  return out;
}

}  // namespace

double LoudestWindowDb(const Stereo& audio, double windowSeconds) {
  const size_t window = std::max<size_t>(1, FramesOf(windowSeconds));
  const size_t frames = audio.Frames();
  if (frames == 0) return ToDb(0.0);
  std::vector<double> energy(frames);
  for (size_t i = 0; i < frames; ++i) {
    energy[i] = 0.5 * (static_cast<double>(audio.left[i]) * audio.left[i] +
                       static_cast<double>(audio.right[i]) * audio.right[i]);
  }
  const size_t span = std::min(window, frames);
  double sum = 0.0;
  for (size_t i = 0; i < span; ++i) sum += energy[i];
  double best = sum;
  for (size_t i = span; i < frames; ++i) {
    sum += energy[i] - energy[i - span];
    best = std::max(best, sum);
  }
  return ToDb(std::sqrt(std::max(0.0, best) / static_cast<double>(span)));
}

double PeakDb(const Stereo& audio) {
  float peak = 0.0f;
  for (size_t i = 0; i < audio.Frames(); ++i) {
    peak = std::max(peak, std::max(std::abs(audio.left[i]), std::abs(audio.right[i])));
  }
  return ToDb(peak);
}

void LimitPeaks(Stereo& audio, double ceilingDb, double lookAheadSeconds) {
  const float ceiling = static_cast<float>(std::pow(10.0, ceilingDb / 20.0));
  const size_t frames = audio.Frames();
  std::vector<float> needed(frames);
  for (size_t i = 0; i < frames; ++i) {
    const float level = std::max(std::abs(audio.left[i]), std::abs(audio.right[i]));
    needed[i] = level > ceiling ? ceiling / level : 1.0f;
  }
  const size_t radius = std::max<size_t>(1, FramesOf(lookAheadSeconds));
  const std::vector<float> minimum = SlidingMinimum(needed, radius);
  // Averaging the minimum over the same radius keeps every gain at or below what its own
  // sample needs (each average only takes minima of windows that contain that sample).
  double sum = 0.0;
  size_t count = 0;
  size_t low = 0, high = 0;  // the window [low, high) of minimum values in the sum
  for (size_t i = 0; i < frames; ++i) {
    const size_t wantHigh = std::min(frames, i + radius + 1);
    const size_t wantLow = i >= radius ? i - radius : 0;
    while (high < wantHigh) {
      sum += minimum[high++];
      ++count;
    }
    while (low < wantLow) {
      sum -= minimum[low++];
      --count;
    }
    const float gain = std::min(needed[i], static_cast<float>(sum / static_cast<double>(count)));
    audio.left[i] *= gain;
    audio.right[i] *= gain;
  }
}

void MasterTo(Stereo& audio, double loudnessDb, double ceilingDb) {
  for (int pass = 0; pass < 4; ++pass) {
    const double current = LoudestWindowDb(audio);
    if (!std::isfinite(current)) return;
    const float gain = static_cast<float>(std::pow(10.0, (loudnessDb - current) / 20.0));
    for (size_t i = 0; i < audio.Frames(); ++i) {
      audio.left[i] *= gain;
      audio.right[i] *= gain;
    }
    LimitPeaks(audio, ceilingDb);
    if (std::abs(LoudestWindowDb(audio) - loudnessDb) < 0.2) break;
  }
}

void FadeIn(Stereo& audio, double seconds) {
  const size_t frames = std::min(audio.Frames(), FramesOf(seconds));
  for (size_t i = 0; i < frames; ++i) {
    const float level = static_cast<float>(i) / static_cast<float>(frames);
    audio.left[i] *= level;
    audio.right[i] *= level;
  }
}

void FadeOut(Stereo& audio, double seconds) {
  const size_t frames = std::min(audio.Frames(), FramesOf(seconds));
  const size_t total = audio.Frames();
  for (size_t i = 0; i < frames; ++i) {
    const float level = static_cast<float>(i) / static_cast<float>(frames);
    audio.left[total - 1 - i] *= level;
    audio.right[total - 1 - i] *= level;
  }
}

void RemoveDc(Stereo& audio) {
  // A gentle one-pole high-pass at about 20 Hz.
  const float r = 1.0f - 2.0f * 3.14159265f * 20.0f / kSampleRate;
  for (std::vector<float>* channel : {&audio.left, &audio.right}) {
    float previousIn = 0.0f, previousOut = 0.0f;
    for (float& sample : *channel) {
      const float out = sample - previousIn + r * previousOut;
      previousIn = sample;
      previousOut = out;
      sample = out;
    }
  }
}

void TrimSilence(Stereo& audio, double floorDb, double keepSeconds) {
  const float floor = static_cast<float>(std::pow(10.0, floorDb / 20.0));
  size_t last = 0;
  for (size_t i = 0; i < audio.Frames(); ++i) {
    if (std::abs(audio.left[i]) > floor || std::abs(audio.right[i]) > floor) last = i;
  }
  const size_t keep = std::min(audio.Frames(), last + 1 + FramesOf(keepSeconds));
  audio.Resize(keep);
}
