// The synthesiser's voices and processors: tuning, decay, the room, the generator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "rng.h"
#include "sounds/mastering.h"
#include "sounds/reverb.h"
#include "sounds/synth.h"

namespace {

// Frequency by autocorrelation over a steady stretch of the note.
double MeasuredFrequency(const Mono& note, double fromSeconds, double low, double high) {
  const size_t start = FramesOf(fromSeconds);
  const size_t length = FramesOf(0.1);
  const int shortest = static_cast<int>(kSampleRate / high);
  const int longest = static_cast<int>(kSampleRate / low);
  double best = -1e30;
  int bestLag = shortest;
  for (int lag = shortest; lag <= longest; ++lag) {
    double sum = 0.0;
    for (size_t i = start; i < start + length; ++i)
      sum += note[i] * note[i + static_cast<size_t>(lag)];
    if (sum > best) {
      best = sum;
      bestLag = lag;
    }
  }
  // Refine between samples with a parabola through the neighbours.
  auto corr = [&](int lag) {
    double sum = 0.0;
    for (size_t i = start; i < start + length; ++i)
      sum += note[i] * note[i + static_cast<size_t>(lag)];
    return sum;
  };
  const double a = corr(bestLag - 1), b = corr(bestLag), c = corr(bestLag + 1);
  const double shift = 0.5 * (a - c) / (a - 2 * b + c);
  return kSampleRate / (bestLag + shift);
}

double RmsOf(const Mono& note, double from, double to) {
  double sum = 0.0;
  const size_t a = FramesOf(from), b = std::min(note.size(), FramesOf(to));
  for (size_t i = a; i < b; ++i) sum += note[i] * note[i];
  return std::sqrt(sum / static_cast<double>(b - a));
}

}  // namespace

TEST(Synth, PitchesAreInTune) {
  EXPECT_DOUBLE_EQ(MidiToHz(69), 440.0);
  EXPECT_NEAR(MidiToHz(62), 293.665, 1e-3);
  // The plucked string is tuned with a fractional delay: within a few cents across the range.
  for (double midi : {50.0, 62.0, 74.0, 86.0}) {
    const double f = MidiToHz(midi);
    PluckTone tone;
    const Mono note = Pluck(f, 0.6, tone, 3);
    const double measured = MeasuredFrequency(note, 0.2, f * 0.8, f * 1.25);
    EXPECT_NEAR(1200.0 * std::log2(measured / f), 0.0, 8.0) << "midi " << midi;
  }
  const Mono flute = Flute(MidiToHz(74), 0.5, FluteTone{}, 4);
  EXPECT_NEAR(MeasuredFrequency(flute, 0.1, 500, 700) / MidiToHz(74), 1.0, 0.01);
  // A bell's fundamental (its other partials are inharmonic by design).
  const Mono bell = Bell(MidiToHz(81), 0.5, {{1.0f, 1.0f, 0.5f}});
  EXPECT_NEAR(MeasuredFrequency(bell, 0.1, 700, 1100) / MidiToHz(81), 1.0, 0.002);
}

TEST(Synth, NotesDecayAndEndSilently) {
  PluckTone tone;
  tone.decay = 0.5;
  const Mono note = Pluck(MidiToHz(69), 1.5, tone, 9);
  const double early = RmsOf(note, 0.05, 0.15);
  const double late = RmsOf(note, 0.55, 0.65);
  // Fundamental falls 60 dB in 0.5 s: after 0.5 s much quieter (at least 30 dB).
  EXPECT_LT(20.0 * std::log10(late / early), -30.0);
  EXPECT_EQ(note.back(), 0.0f);
  const Mono bell = Bell(1000.0, 0.3, ChimePartials(0.2f));
  EXPECT_EQ(bell.front(), 0.0f);
  EXPECT_EQ(bell.back(), 0.0f);
  // Nothing blows up: every voice stays bounded.
  for (const Mono& voice :
       {note, bell, Brass(220.0, 0.5), Buzz(150, 110, 0.4), Taiko(70, 0.5, 1), Shime(2)}) {
    const float peak = *std::max_element(
        voice.begin(), voice.end(), [](float a, float b) { return std::abs(a) < std::abs(b); });
    EXPECT_LT(std::abs(peak), 4.0f);
    EXPECT_GT(std::abs(peak), 0.01f);
  }
}

TEST(Synth, SameSeedSameNote) {
  PluckTone tone;
  EXPECT_EQ(Pluck(300.0, 0.2, tone, 5), Pluck(300.0, 0.2, tone, 5));
  EXPECT_NE(Pluck(300.0, 0.2, tone, 5), Pluck(300.0, 0.2, tone, 6));
}

TEST(Reverb, TailRingsOnAndDryPathIsKept) {
  Stereo click;
  click.Resize(FramesOf(0.1));
  click.left[0] = 1.0f;
  ReverbSettings settings;
  settings.dry = 1.0f;
  settings.wet = 0.5f;
  const Stereo out = ApplyReverb(click, settings, 1.0);
  ASSERT_EQ(out.Frames(), FramesOf(1.1));
  EXPECT_FLOAT_EQ(out.left[0], 1.0f);
  // Energy arrives later in both channels, and is fading by the end.
  double middle = 0.0, end = 0.0;
  for (size_t i = FramesOf(0.1); i < FramesOf(0.3); ++i)
    middle += out.left[i] * out.left[i] + out.right[i] * out.right[i];
  for (size_t i = FramesOf(0.9); i < FramesOf(1.1); ++i)
    end += out.left[i] * out.left[i] + out.right[i] * out.right[i];
  EXPECT_GT(middle, 0.0);
  EXPECT_LT(end, middle);
  EXPECT_NE(out.left[FramesOf(0.2)], out.right[FramesOf(0.2)]) << "left and right rooms differ";
}

TEST(Mastering, LimiterMatchesABruteForceCeilingOnRandomSignals) {
  Rng rng(99);
  for (int trial = 0; trial < 5; ++trial) {
    Stereo audio;
    audio.Resize(3000);
    for (size_t i = 0; i < audio.Frames(); ++i) {
      audio.left[i] = static_cast<float>(rng.Uniform() * 3.0 - 1.5);
      audio.right[i] = static_cast<float>(rng.Uniform() * 0.4 - 0.2);
    }
    const Stereo before = audio;
    LimitPeaks(audio, -6.0, 0.001);
    const float ceiling = static_cast<float>(std::pow(10.0, -6.0 / 20.0));
    for (size_t i = 0; i < audio.Frames(); ++i) {
      ASSERT_LE(std::abs(audio.left[i]), ceiling * 1.00001f) << i;
      // The gain only ever turns down, and equally on both channels.
      ASSERT_LE(std::abs(audio.left[i]), std::abs(before.left[i]) + 1e-6f);
      if (before.left[i] != 0.0f && before.right[i] != 0.0f) {
        ASSERT_NEAR(audio.left[i] / before.left[i], audio.right[i] / before.right[i], 1e-4);
      }
    }
  }
}

TEST(Mastering, TrimSilenceKeepsTheDecayItIsAskedFor) {
  Stereo audio;
  audio.Resize(FramesOf(2.0));
  for (size_t i = 0; i < FramesOf(0.5); ++i) audio.left[i] = 0.5f;
  TrimSilence(audio, -60.0, 0.25);
  EXPECT_EQ(audio.Frames(), FramesOf(0.5) + FramesOf(0.25));
  EXPECT_EQ(audio.right.size(), audio.left.size());
}

TEST(Rng, DrawsStayInRangeAndRepeatForASeed) {
  Rng a(42), b(42);
  for (int i = 0; i < 1000; ++i) {
    const int n = a.Below(7);
    EXPECT_EQ(n, b.Below(7));
    EXPECT_GE(n, 0);
    EXPECT_LT(n, 7);
    const float u = a.Uniform(2.0f, 3.0f);
    b.Uniform(2.0f, 3.0f);
    EXPECT_GE(u, 2.0f);
    EXPECT_LT(u, 3.0f);
  }
}
