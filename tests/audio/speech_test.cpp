#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>

#include "audio/speech.h"
#include "platform/codepage/codepage.h"
#include "platform/speech/aquestalk.h"
#include "support/mix_capture.h"
#include "support/wave_builder.h"

using speechstandin::Speech;

namespace {

std::string Sjis(const char* utf8) { return codepage::Utf8ToSjis(utf8); }

Speech Say(const char* utf8, int speed = 100) {
  Speech speech;
  EXPECT_EQ(speechstandin::Synthesize(Sjis(utf8).c_str(), speed, speech), AQTK_OK) << utf8;
  return speech;
}

double Rms(const Speech& speech) {
  double sum = 0;
  for (std::int16_t s : speech.samples) {
    sum += static_cast<double>(s) * s;
  }
  return speech.samples.empty() ? 0.0 : std::sqrt(sum / speech.samples.size()) / 32768.0;
}

// Longest run of near-silence, in seconds: the pauses between phrases.
double LongestPause(const Speech& speech) {
  std::size_t run = 0;
  std::size_t longest = 0;
  // Skip the lead-in and the tail: only pauses inside the speech count.
  std::size_t first = 0;
  std::size_t last = speech.samples.size();
  while (first < last && std::abs(speech.samples[first]) < 300) ++first;
  while (last > first && std::abs(speech.samples[last - 1]) < 300) --last;
  for (std::size_t i = first; i < last; ++i) {
    run = std::abs(speech.samples[i]) < 300 ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  return static_cast<double>(longest) / speech.sampleRate;
}

}  // namespace

TEST(Speech, ProsodyMarksBecomeBreaksNeverWords) {
  EXPECT_EQ(speechstandin::ToSynthesisText(u"おに'に/かな'ぼう"), "おにに かなぼう");
  EXPECT_EQ(speechstandin::ToSynthesisText(u"たび'わみちずれ、よ'わなさけ"),
            "たびわみちずれ, よわなさけ");
  EXPECT_EQ(speechstandin::ToSynthesisText(u"かべにみみ'あり。しょうじにめ'あり"),
            "かべにみみあり. しょうじにめあり");

  // Spoken, the marked string takes about as long as the bare kana: no "slash", no
  // "apostrophe" read out.
  const Speech marked = Say("かえ'るの/こ'わ/かえ'る");
  const Speech bare = Say("かえるのこわかえる");
  ASSERT_GT(bare.Seconds(), 0.5);
  EXPECT_LT(marked.Seconds(), bare.Seconds() * 1.35);
  EXPECT_GT(marked.Seconds(), bare.Seconds() * 0.8);

  // 、 and 。 are pauses: longer silences than the phrase break alone gives.
  const Speech paused = Say("ももくり/さんねん、かきはち'ねん");
  const Speech unpaused = Say("ももくり/さんねん/かきはち'ねん");
  EXPECT_GT(LongestPause(paused), LongestPause(unpaused) + 0.05);
}

TEST(Speech, AProverbIsJapaneseSpeechOfPlausibleLengthAndLevel) {
  testwave::TempDir dir;
  const Speech speech = Say("たび'わみちずれ、よ'わなさけ");
  ASSERT_GT(speech.sampleRate, 0);
  // Twelve morae and a pause at the normal rate: between one and four seconds.
  EXPECT_GT(speech.Seconds(), 1.0);
  EXPECT_LT(speech.Seconds(), 4.0);
  EXPECT_GT(Rms(speech), 0.03);
  EXPECT_LT(Rms(speech), 0.7);
  ASSERT_TRUE(speechstandin::WriteWave(dir / "proverb.wav", speech));
  EXPECT_EQ(std::filesystem::file_size(dir / "proverb.wav"), 44 + speech.samples.size() * 2);

  // Speed scales the rate: twice as fast, clearly shorter.
  const Speech fast = Say("たび'わみちずれ、よ'わなさけ", 200);
  EXPECT_LT(fast.Seconds(), speech.Seconds() * 0.75);

  Speech none;
  EXPECT_EQ(speechstandin::Synthesize("", 100, none), AQTK_ERR_EMPTY);
  const std::string tooLong(AQTK_TEXT_MAX + 1, 'a');
  EXPECT_EQ(speechstandin::Synthesize(tooLong.c_str(), 100, none), AQTK_ERR_TOO_LONG);
}

TEST(Speech, PlaySyncReturnsWhenTheSpeechHasBeenHeard) {
  speechstandin::SetPlaybackOnDummyDriver(true);
  H_AQTKDA handle = AquesTalkDa_Create();
  ASSERT_NE(handle, nullptr);
  const std::string text = Sjis("おに'に/かな'ぼう");
  Speech speech;
  ASSERT_EQ(speechstandin::Synthesize(text.c_str(), 100, speech), AQTK_OK);

  testwave::MixCapture capture;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(AquesTalkDa_PlaySync(text.c_str(), 100), AQTK_OK);
  const double took =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GE(took, speech.Seconds() * 0.95);  // blocked for the whole speech
  EXPECT_LT(took, speech.Seconds() + 2.0);
  EXPECT_GT(capture.Peak(), 3000);  // and it went through the device
  AquesTalkDa_Release(handle);

  // The game's call: an empty speech string says nothing.
  capture.Clear();
  EXPECT_FALSE(SpeakSpeechString(u""));
  EXPECT_TRUE(SpeakSpeechString(u"たなからぼたもち"));
  EXPECT_GT(capture.Peak(), 3000);

  // On the dummy driver nobody hears it: the call returns at once.
  speechstandin::SetPlaybackOnDummyDriver(false);
  const auto quietStart = std::chrono::steady_clock::now();
  EXPECT_EQ(AquesTalkDa_PlaySync(text.c_str(), 100), AQTK_OK);
  EXPECT_LT(std::chrono::steady_clock::now() - quietStart, std::chrono::milliseconds(300));
}

TEST(Speech, QuietWithoutADeviceOrWhenSwitchedOff) {
  const std::string text = Sjis("いしのうえにも/さんねん");
  speechstandin::SetPlaybackEnabled(false);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(AquesTalkDa_PlaySync(text.c_str(), 100), AQTK_OK);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
  speechstandin::SetPlaybackEnabled(true);

  const char* previous = std::getenv("SDL_AUDIODRIVER");
  const std::string saved = previous != nullptr ? previous : "";
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(AquesTalkDa_PlaySync(text.c_str(), 100), AQTK_OK);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  if (previous != nullptr) {
    setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
  } else {
    unsetenv("SDL_AUDIODRIVER");
  }
}
