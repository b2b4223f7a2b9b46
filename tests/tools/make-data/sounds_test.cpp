// The seven effects and the two tunes: lengths, loudness, peaks, seams and determinism.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "sounds/composer.h"
#include "sounds/effects.h"
#include "sounds/mastering.h"
#include "sounds/music.h"
#include "sounds/wav_file.h"

namespace {

double EdgeRmsDb(const Stereo& audio, bool atEnd, double seconds) {
  const size_t frames = std::min(audio.Frames(), FramesOf(seconds));
  const size_t start = atEnd ? audio.Frames() - frames : 0;
  double sum = 0.0;
  for (size_t i = start; i < start + frames; ++i)
    sum += audio.left[i] * audio.left[i] + audio.right[i] * audio.right[i];
  const double rms = std::sqrt(sum / (2.0 * static_cast<double>(frames)));
  return rms > 0 ? 20.0 * std::log10(rms) : -200.0;
}

}  // namespace

TEST(Effects, LengthsLoudnessAndPeaksAreWithinTheirBounds) {
  const std::vector<SoundEffect> effects = MakeAllEffects();
  ASSERT_EQ(effects.size(), 7u);
  const char* names[] = {"seikai.wav",   "renzokuseikai.wav", "fuseikai.wav",  "gameclear.wav",
                         "gameover.wav", "bonus.wav",         "stageclear.wav"};
  const double lengths[] = {0.6, 1.0, 0.7, 3.0, 2.0, 1.0, 2.0};
  for (size_t i = 0; i < effects.size(); ++i) {
    const SoundEffect& effect = effects[i];
    SCOPED_TRACE(effect.fileName);
    EXPECT_EQ(effect.fileName, names[i]) << "channel order";
    EXPECT_NEAR(effect.audio.Seconds(), lengths[i], lengths[i] * 0.15);
    EXPECT_NEAR(LoudestWindowDb(effect.audio), kEffectLoudnessDb, 1.0);
    const double peak = PeakDb(effect.audio);
    EXPECT_LE(peak, kEffectCeilingDb + 1e-3);
    EXPECT_GE(peak, -9.0);
    // No click at either end: the sound starts from and returns to silence.
    EXPECT_LT(std::abs(effect.audio.left.front()), 1e-3f);
    EXPECT_LT(std::abs(effect.audio.left.back()), 1e-3f);
    for (size_t f = 0; f < effect.audio.Frames(); ++f) {
      ASSERT_TRUE(std::isfinite(effect.audio.left[f]) && std::isfinite(effect.audio.right[f]));
    }
  }
}

TEST(Effects, SameSamplesOnEveryRun) {
  EXPECT_EQ(EncodeWav16(MakeCorrectChime()), EncodeWav16(MakeCorrectChime()));
  EXPECT_EQ(EncodeWav16(MakeBonusSparkle()), EncodeWav16(MakeBonusSparkle()));
}

TEST(Composer, NotesStayInTheirScaleAndInsideTheTune) {
  struct Case {
    Score score;
    Scale scale;
  };
  const Case cases[] = {{ComposeNightMusic(1), InScale(62)},
                        {ComposeFestivalMusic(2), YoScale(62)}};
  for (const Case& c : cases) {
    std::set<int> classes;
    for (int step : c.scale.steps) classes.insert((c.scale.tonic + step) % 12);
    int pitched = 0;
    for (const NoteEvent& note : c.score.notes) {
      EXPECT_GE(note.time, -0.1);
      EXPECT_LE(note.time + note.duration, c.score.length);
      if (note.instrument == Instrument::Koto || note.instrument == Instrument::BassKoto ||
          note.instrument == Instrument::Flute) {
        EXPECT_EQ(classes.count(static_cast<int>(note.pitch) % 12), 1u) << "pitch " << note.pitch;
        ++pitched;
      }
    }
    EXPECT_GT(pitched, 40);
  }
  // The same seed writes the same tune; another seed another one.
  const Score a = ComposeNightMusic(7), b = ComposeNightMusic(7), c = ComposeNightMusic(8);
  ASSERT_EQ(a.notes.size(), b.notes.size());
  for (size_t i = 0; i < a.notes.size(); ++i) EXPECT_EQ(a.notes[i].pitch, b.notes[i].pitch);
  bool differs = a.notes.size() != c.notes.size();
  for (size_t i = 0; !differs && i < a.notes.size(); ++i)
    differs = a.notes[i].pitch != c.notes[i].pitch;
  EXPECT_TRUE(differs);
}

TEST(Scale, DegreesWrapAcrossOctaves) {
  const Scale in = InScale(62);
  EXPECT_EQ(in.Note(0), 62);
  EXPECT_EQ(in.Note(1), 63);   // E♭
  EXPECT_EQ(in.Note(5), 74);   // D an octave up
  EXPECT_EQ(in.Note(-1), 58);  // B♭ below
  EXPECT_EQ(in.Note(-5), 50);
  EXPECT_EQ(in.DegreeOf(67), 2);
}

TEST(Music, TunesLoopFromSilenceToSilence) {
  struct Case {
    Stereo audio;
    double shortest, longest;
  };
  const Case cases[] = {{MakeNightMusic(), 90.0, 120.0}, {MakeFestivalMusic(), 30.0, 45.0}};
  for (const Case& c : cases) {
    EXPECT_GE(c.audio.Seconds(), c.shortest);
    EXPECT_LE(c.audio.Seconds(), c.longest);
    // The seam: both edges are exactly silent at the very sample and quiet around it.
    EXPECT_EQ(c.audio.left.front(), 0.0f);
    EXPECT_EQ(c.audio.right.front(), 0.0f);
    EXPECT_EQ(c.audio.left.back(), 0.0f);
    EXPECT_EQ(c.audio.right.back(), 0.0f);
    EXPECT_LT(EdgeRmsDb(c.audio, false, 0.005), -40.0);
    EXPECT_LT(EdgeRmsDb(c.audio, true, 0.05), -40.0);
    EXPECT_LE(PeakDb(c.audio), kMusicCeilingDb + 1e-3);
    EXPECT_NEAR(LoudestWindowDb(c.audio), kMusicLoudnessDb, 1.0);
  }
}
