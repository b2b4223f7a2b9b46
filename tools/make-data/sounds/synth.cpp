#include "sounds/synth.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "rng.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kNyquistLimit = kSampleRate * 0.45;

struct SineTable {
  static constexpr int kSize = 4096;
  std::array<float, kSize + 1> values{};
  SineTable() {
    for (int i = 0; i <= kSize; ++i) values[i] = static_cast<float>(std::sin(kTwoPi * i / kSize));
  }
};

const SineTable& Table() {
  static const SineTable table;
  return table;
}

// Two-pole resonator used to tune noise to a frequency.
class Resonator {
 public:
  Resonator(double frequency, double bandwidth) {
    const double r = std::exp(-3.14159265358979 * bandwidth / kSampleRate);
    a1_ = 2.0 * r * std::cos(kTwoPi * frequency / kSampleRate);
    a2_ = -r * r;
    gain_ = 1.0 - r;
  }
  float Process(float input) {
    const double y = gain_ * input + a1_ * y1_ + a2_ * y2_;
    y2_ = y1_;
    y1_ = y;
    return static_cast<float>(y);
  }

 private:
  double a1_ = 0, a2_ = 0, gain_ = 0, y1_ = 0, y2_ = 0;
};

float Noise(Rng& rng) { return static_cast<float>(rng.Uniform() * 2.0 - 1.0); }

// Linear attack, then flat, then a linear release ending exactly at the buffer's end.
float Gate(size_t i, size_t frames, double attack, double release) {
  const double t = static_cast<double>(i) / kSampleRate;
  const double remaining = static_cast<double>(frames - i) / kSampleRate;
  double level = 1.0;
  if (attack > 0.0 && t < attack) level = t / attack;
  if (release > 0.0 && remaining < release) level = std::min(level, remaining / release);
  return static_cast<float>(level);
}

}  // namespace

double MidiToHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

float SineCycles(double phase) {
  const double wrapped = phase - std::floor(phase);
  const double position = wrapped * SineTable::kSize;
  const int index = static_cast<int>(position);
  const float fraction = static_cast<float>(position - index);
  const auto& v = Table().values;
  return v[index] + (v[index + 1] - v[index]) * fraction;
}

std::vector<Partial> ChimePartials(float decay) {
  // The modes of a struck bar, with a soft octave below the second mode for warmth.
  return {{1.0f, 1.0f, decay},
          {2.0f, 0.18f, decay * 0.5f},
          {2.756f, 0.32f, decay * 0.35f},
          {5.404f, 0.12f, decay * 0.18f},
          {8.933f, 0.05f, decay * 0.09f}};
}

std::vector<Partial> GlassPartials(float decay) {
  return {{1.0f, 1.0f, decay},
          {2.32f, 0.45f, decay * 0.6f},
          {4.25f, 0.30f, decay * 0.4f},
          {6.63f, 0.16f, decay * 0.25f},
          {9.38f, 0.08f, decay * 0.15f}};
}

std::vector<Partial> GongPartials(float decay) {
  return {{1.0f, 1.0f, decay},         {1.47f, 0.7f, decay * 0.8f},  {2.09f, 0.55f, decay * 0.6f},
          {2.56f, 0.4f, decay * 0.5f}, {3.14f, 0.3f, decay * 0.35f}, {4.22f, 0.2f, decay * 0.25f}};
}

Mono Bell(double frequency, double seconds, const std::vector<Partial>& partials, double attack) {
  const size_t frames = FramesOf(seconds);
  Mono out(frames, 0.0f);
  for (const Partial& partial : partials) {
    const double f = frequency * partial.ratio;
    if (f >= kNyquistLimit) continue;
    const double step = f / kSampleRate;
    const double fall = std::exp(-1.0 / (partial.decay * kSampleRate));
    double level = partial.level;
    double phase = 0.0;
    for (size_t i = 0; i < frames; ++i) {
      out[i] += static_cast<float>(level) * SineCycles(phase);
      phase += step;
      level *= fall;
    }
  }
  const size_t attackFrames = FramesOf(attack);
  for (size_t i = 0; i < std::min(attackFrames, frames); ++i) {
    out[i] *= static_cast<float>(i) / static_cast<float>(attackFrames);
  }
  // A short fade so the note never stops on a step.
  const size_t tail = std::min(frames, FramesOf(0.01));
  for (size_t i = 0; i < tail; ++i) out[frames - 1 - i] *= static_cast<float>(i) / tail;
  return out;
}

Mono Pluck(double frequency, double seconds, const PluckTone& tone, uint64_t seed) {
  Rng rng(seed);
  const size_t frames = FramesOf(seconds);
  Mono out(frames, 0.0f);
  // Loop filter: y = (1 - s) x[n] + s x[n-1]; it delays by s samples and damps the highs.
  const double s = 0.5 - 0.35 * std::clamp(tone.brightness, 0.0, 1.0);
  const double period = kSampleRate / frequency;
  const int length = std::max(2, static_cast<int>(std::floor(period - s - 0.1)));
  const double fraction = period - s - length;  // tuned by a first-order all-pass
  const double allpass = (1.0 - fraction) / (1.0 + fraction);
  const double loopGain = std::pow(10.0, -3.0 / (frequency * tone.decay));

  // Excitation: filtered noise with the pluck-position comb.
  std::vector<float> line(static_cast<size_t>(length), 0.0f);
  const double smooth = 0.3 + 0.65 * (1.0 - tone.brightness);
  float previous = 0.0f;
  for (int i = 0; i < length; ++i) {
    previous = static_cast<float>((1.0 - smooth) * Noise(rng) + smooth * previous);
    line[static_cast<size_t>(i)] = previous;
  }
  const int notch = std::max(1, static_cast<int>(length * tone.pluckPosition));
  std::vector<float> combed(line);
  for (int i = notch; i < length; ++i)
    combed[static_cast<size_t>(i)] -= line[static_cast<size_t>(i - notch)];
  float mean = 0.0f;
  for (float v : combed) mean += v;
  mean /= static_cast<float>(length);
  for (int i = 0; i < length; ++i)
    line[static_cast<size_t>(i)] = combed[static_cast<size_t>(i)] - mean;

  size_t index = 0;
  double lastIn = 0.0, apIn = 0.0, apOut = 0.0;
  for (size_t n = 0; n < frames; ++n) {
    const double x = line[index];
    const double filtered = (1.0 - s) * x + s * lastIn;
    lastIn = x;
    const double tuned = allpass * filtered + apIn - allpass * apOut;
    apIn = filtered;
    apOut = tuned;
    line[index] = static_cast<float>(tuned * loopGain);
    out[n] = static_cast<float>(x);
    index = (index + 1) % line.size();
  }
  // Soft onset (a plectrum, not a click) and a fade at the end of the buffer.
  const size_t onset = std::min(frames, FramesOf(0.003));
  for (size_t i = 0; i < onset; ++i) out[i] *= static_cast<float>(i) / onset;
  const size_t tail = std::min(frames, FramesOf(0.03));
  for (size_t i = 0; i < tail; ++i) out[frames - 1 - i] *= static_cast<float>(i) / tail;
  return out;
}

Mono Flute(double frequency, double seconds, const FluteTone& tone, uint64_t seed) {
  Rng rng(seed);
  const size_t frames = FramesOf(seconds);
  Mono out(frames, 0.0f);
  Resonator breath(frequency, frequency * 0.06);
  Resonator air(frequency * 3.0, frequency * 0.8);
  double phase = 0.0;
  const double vibratoRate = 5.1 + rng.Uniform() * 0.6;
  for (size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double vibratoDepth = tone.vibrato * std::clamp((t - 0.25) / 0.4, 0.0, 1.0);
    const double f = frequency * (1.0 + vibratoDepth * std::sin(kTwoPi * vibratoRate * t));
    phase += f / kSampleRate;
    float sample = SineCycles(phase) + 0.32f * SineCycles(2.0 * phase) +
                   0.11f * SineCycles(3.0 * phase) + 0.04f * SineCycles(4.0 * phase);
    const float noise = Noise(rng);
    // Breath: strongest during the attack ("chiff"), then a steady hiss tuned to the note.
    const double chiff = std::exp(-t / 0.05);
    sample += static_cast<float>(tone.breath *
                                 (6.0 * breath.Process(noise) + 0.5 * chiff * air.Process(noise)));
    out[i] = sample * 0.7f * Gate(i, frames, tone.attack, tone.release);
  }
  return out;
}

Mono Brass(double frequency, double seconds, double attack, double release) {
  const size_t frames = FramesOf(seconds);
  Mono out(frames, 0.0f);
  const int harmonics = std::max(1, static_cast<int>(kNyquistLimit / frequency));
  for (int k = 1; k <= std::min(harmonics, 24); ++k) {
    const double step = frequency * k / kSampleRate;
    double phase = 0.0;
    for (size_t i = 0; i < frames; ++i) {
      const double t = static_cast<double>(i) / kSampleRate;
      // Brightness swells quickly, then settles a little: the "blat" of a brass attack.
      const double bright =
          2.0 + 6.0 * std::min(1.0, t / attack) * (0.75 + 0.25 * std::exp(-t / 0.2));
      const double level = std::exp(-(k - 1) / bright) / k;
      out[i] += static_cast<float>(level) * SineCycles(phase);
      phase += step;
    }
  }
  for (size_t i = 0; i < frames; ++i) out[i] *= 0.6f * Gate(i, frames, attack, release);
  return out;
}

Stereo Pad(const std::vector<double>& frequencies, double seconds, double attack, double release) {
  const size_t frames = FramesOf(seconds);
  Stereo out;
  out.Resize(frames);
  const float voiceLevel = 0.25f / static_cast<float>(std::max<size_t>(1, frequencies.size()));
  for (size_t v = 0; v < frequencies.size(); ++v) {
    for (int side = 0; side < 2; ++side) {
      const double detune = side == 0 ? 0.9976 : 1.0024;  // about ±4 cents
      const double step = frequencies[v] * detune / kSampleRate;
      double phase = 0.13 * static_cast<double>(v) + 0.5 * side;
      std::vector<float>& channel = side == 0 ? out.left : out.right;
      std::vector<float>& other = side == 0 ? out.right : out.left;
      for (size_t i = 0; i < frames; ++i) {
        // A warm, rounded wave: fundamental with a few soft harmonics.
        const float sample = SineCycles(phase) + 0.30f * SineCycles(2.0 * phase) +
                             0.12f * SineCycles(3.0 * phase) + 0.05f * SineCycles(4.0 * phase);
        const float level = voiceLevel * Gate(i, frames, attack, release);
        channel[i] += sample * level * 0.8f;
        other[i] += sample * level * 0.2f;
        phase += step;
      }
    }
  }
  return out;
}

Mono Taiko(double frequency, double seconds, uint64_t seed) {
  Rng rng(seed);
  const size_t frames = FramesOf(seconds);
  Mono out(frames, 0.0f);
  double phase = 0.0, phase2 = 0.0;
  float thump = 0.0f;
  for (size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double f = frequency * (1.0 + 0.5 * std::exp(-t / 0.025));
    phase += f / kSampleRate;
    phase2 += 1.58 * f / kSampleRate;
    const double body =
        std::exp(-t / 0.32) * SineCycles(phase) + 0.3 * std::exp(-t / 0.12) * SineCycles(phase2);
    thump = 0.85f * thump + 0.15f * Noise(rng);  // low-passed stick noise
    out[i] = static_cast<float>(body + 2.0 * thump * std::exp(-t / 0.012));
  }
  const size_t tail = std::min(frames, FramesOf(0.02));
  for (size_t i = 0; i < tail; ++i) out[frames - 1 - i] *= static_cast<float>(i) / tail;
  return out;
}

Mono Shime(uint64_t seed) {
  Rng rng(seed);
  const size_t frames = FramesOf(0.18);
  Mono out(frames, 0.0f);
  Resonator skin(1900.0, 900.0);
  double phase = 0.0;
  for (size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    phase += (380.0 + 60.0 * std::exp(-t / 0.01)) / kSampleRate;
    const double tone = std::exp(-t / 0.05) * SineCycles(phase);
    const double crack = std::exp(-t / 0.012) * 4.0 * skin.Process(Noise(rng));
    out[i] = static_cast<float>(0.8 * tone + crack);
  }
  for (size_t i = 0; i < FramesOf(0.01); ++i)
    out[frames - 1 - i] *= static_cast<float>(i) / FramesOf(0.01);
  return out;
}

Mono Swish(double seconds, uint64_t seed) {
  Rng rng(seed);
  const size_t frames = FramesOf(seconds);
  Mono out(frames, 0.0f);
  Resonator band(6500.0, 5000.0);
  for (size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / seconds / kSampleRate;
    const double shape = std::sin(3.14159265 * std::clamp(t, 0.0, 1.0));
    out[i] = static_cast<float>(shape * shape * 3.0 * band.Process(Noise(rng)));
  }
  return out;
}

Mono Buzz(double fromFrequency, double toFrequency, double seconds) {
  const size_t frames = FramesOf(seconds);
  Mono out(frames, 0.0f);
  for (int voice = 0; voice < 2; ++voice) {
    const double detune = voice == 0 ? 1.0 : 1.012;
    double phase = 0.25 * voice;
    for (size_t i = 0; i < frames; ++i) {
      const double t = static_cast<double>(i) / frames;
      const double f = fromFrequency * std::pow(toFrequency / fromFrequency, t) * detune;
      phase += f / kSampleRate;
      // A rounded sawtooth: harmonics falling faster than 1/k, up to about 2.5 kHz.
      float sample = 0.0f;
      const int harmonics = std::min(16, static_cast<int>(2500.0 / f));
      for (int k = 1; k <= harmonics; ++k) {
        sample += SineCycles(phase * k) / static_cast<float>(std::pow(k, 1.4));
      }
      out[i] += 0.5f * sample;
    }
  }
  return out;
}
