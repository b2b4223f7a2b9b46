// The accent heard in the sound itself: every built-in proverb is synthesised and its pitch
// tracked by aubiopitch (aubio-tools), a tracker that is none of ours. Each voiced mora must sit
// on the side of the proverb's middle pitch that its marks give: above it when high, below it
// when low. The middle is halfway (in semitones) between the 10th and the 90th percentile of the
// proverb's voiced frames: a plain median would sit inside the high morae of a proverb that is
// mostly high, as a heiban one is.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/codepage/codepage.h"
#include "platform/speech/aquestalk.h"
#include "platform/speech/speech_markup.h"
#include "rules/catalogue.h"

namespace {

using speechstandin::Speech;
namespace fs = std::filesystem;

struct TFrame {
  double Seconds;
  double Hz;
};

struct TShare {
  int Right = 0;
  int Voiced = 0;
  int NasalRight = 0;  // ん, counted apart
  int NasalVoiced = 0;
  double Fraction() const { return Voiced > 0 ? static_cast<double>(Right) / Voiced : 0.0; }
};

class TTempFolder {
 public:
  TTempFolder()
      : Path(fs::temp_directory_path() / ("nightwisp-accent-" + std::to_string(getpid()))) {
    fs::create_directories(Path);
  }
  ~TTempFolder() { fs::remove_all(Path); }
  const fs::path Path;
};

// The tracker's window and step, in samples. It stamps each estimate with the start of its
// step, while the window it looked at ends a step later: the estimate belongs to the window's
// middle, kWindow / 2 - kStep samples earlier than its stamp.
constexpr int kWindow = 1024;
constexpr int kStep = 128;

// Runs aubiopitch on every WAV file of the folder, two at a time, each into FILE.pitch.
int TrackFolder(const fs::path& folder) {
  const std::string command = "cd '" + folder.string() +
                              "' && ls *.wav | xargs -P 2 -I{} sh -c "
                              "'aubiopitch -i {} -p yin -l 0.2 -B " +
                              std::to_string(kWindow) + " -H " + std::to_string(kStep) +
                              " > {}.pitch' 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<TFrame> ReadFrames(const fs::path& file, int sampleRate) {
  std::vector<TFrame> frames;
  std::ifstream in(file);
  const double delay = (kWindow / 2.0 - kStep) / sampleRate;
  for (TFrame frame; in >> frame.Seconds >> frame.Hz;) {
    frame.Seconds -= delay;
    if (frame.Hz > 60 && frame.Hz < 400) frames.push_back(frame);  // voiced, within a voice
  }
  return frames;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

TShare MeasureShare(const Speech& speech, const std::vector<TFrame>& frames) {
  TShare share;
  if (frames.size() < 10) return share;
  std::vector<double> all;
  for (const TFrame& frame : frames) all.push_back(frame.Hz);
  std::sort(all.begin(), all.end());
  const double middle = std::sqrt(all[all.size() / 10] * all[all.size() * 9 / 10]);
  for (const auto& mora : speech.Morae) {
    // The middle of the mora: its edges glide from and to its neighbours.
    const double edge = (mora.End - mora.Start) / 4;
    std::vector<double> inside;
    for (const TFrame& frame : frames) {
      if (frame.Seconds >= mora.Start + edge && frame.Seconds < mora.End - edge) {
        inside.push_back(frame.Hz);
      }
    }
    if (inside.size() < 2) continue;  // unvoiced (a devoiced vowel, っ)
    const bool right = (Median(inside) > middle) == mora.High;
    // espeak-ng gives pitch to vowels only: a ん keeps the pitch of the vowel before it, so it
    // is counted apart and reported, not held to the marks.
    if (mora.Kana == u"ん") {
      ++share.NasalVoiced;
      share.NasalRight += right;
    } else {
      ++share.Voiced;
      share.Right += right;
    }
  }
  return share;
}

// Today's voice before the marks shaped it: the marks dropped, espeak-ng's own intonation.
Speech FlatVoice(const std::u16string& speech) {
  const auto plan = speechstandin::PlanPitch(speech);
  std::vector<std::vector<std::size_t>> one(1);
  for (std::size_t i = 0; i < plan.size(); ++i) one[0].push_back(i);
  const std::string text = "<speak><mark name=\"0\"/>" + speechstandin::ToSynthesisText(speech) +
                           "<mark name=\"end\"/></speak>";
  Speech out;
  EXPECT_EQ(speechstandin::SynthesizeMarkup(text, 100, plan, one, out), AQTK_OK);
  return out;
}

TEST(AccentSound, EveryProverbIsHeardWithTheAccentOfItsMarks) {
  TCatalogue catalogue;
  BuildMondaiTable(catalogue);
  TTempFolder folder;
  std::vector<std::pair<std::int32_t, Speech>> marked;
  std::vector<std::pair<std::int32_t, Speech>> flat;
  for (std::int32_t n = 1; n <= kBuiltInMondaiCount; ++n) {
    const std::u16string& text = catalogue.Speech(n);
    if (text.empty()) continue;
    Speech speech;
    ASSERT_EQ(speechstandin::Synthesize(codepage::Utf16ToSjis(text).c_str(), 100, speech), AQTK_OK);
    ASSERT_TRUE(speechstandin::WriteWave(folder.Path / (std::to_string(n) + ".wav"), speech));
    marked.emplace_back(n, std::move(speech));
    Speech before = FlatVoice(text);
    ASSERT_TRUE(
        speechstandin::WriteWave(folder.Path / ("flat" + std::to_string(n) + ".wav"), before));
    flat.emplace_back(n, std::move(before));
  }
  ASSERT_EQ(marked.size(), 166u);
  ASSERT_EQ(TrackFolder(folder.Path), 0) << "aubiopitch (aubio-tools) did not run";

  TShare markedTotal;
  TShare flatTotal;
  int flatPassing = 0;  // proverbs the flat voice would pass
  for (std::size_t i = 0; i < marked.size(); ++i) {
    const std::int32_t n = marked[i].first;
    const auto frames =
        ReadFrames(folder.Path / (std::to_string(n) + ".wav.pitch"), marked[i].second.sampleRate);
    const TShare share = MeasureShare(marked[i].second, frames);
    ASSERT_GT(share.Voiced, 0) << "no voiced mora tracked in proverb " << n;
    EXPECT_GE(share.Fraction(), 0.9)
        << "proverb " << n << " " << codepage::Utf16ToUtf8(catalogue.Speech(n)) << ": "
        << share.Right << " of " << share.Voiced << " voiced morae on the side of their marks";
    markedTotal.Right += share.Right;
    markedTotal.Voiced += share.Voiced;
    markedTotal.NasalRight += share.NasalRight;
    markedTotal.NasalVoiced += share.NasalVoiced;
    const TShare before = MeasureShare(
        flat[i].second, ReadFrames(folder.Path / ("flat" + std::to_string(n) + ".wav.pitch"),
                                   flat[i].second.sampleRate));
    flatPassing += before.Fraction() >= 0.9;
    flatTotal.Right += before.Right;
    flatTotal.Voiced += before.Voiced;
    flatTotal.NasalRight += before.NasalRight;
    flatTotal.NasalVoiced += before.NasalVoiced;
  }
  std::printf(
      "voiced morae on the side of their marks: %d of %d (%.1f %%) with the accent, "
      "%d of %d (%.1f %%) in the flat voice\n",
      markedTotal.Right, markedTotal.Voiced, 100 * markedTotal.Fraction(), flatTotal.Right,
      flatTotal.Voiced, 100 * flatTotal.Fraction());
  std::printf("proverbs at 90 %% or more in the flat voice: %d of %zu\n", flatPassing, flat.size());
  std::printf(
      "ん on the side of their marks: %d of %d with the accent, %d of %d in the flat voice\n",
      markedTotal.NasalRight, markedTotal.NasalVoiced, flatTotal.NasalRight, flatTotal.NasalVoiced);
  EXPECT_GE(markedTotal.Fraction(), 0.95);
  // The measure tells a flat voice apart: without the marks it is little better than chance.
  EXPECT_LT(flatTotal.Fraction(), 0.8);
}

}  // namespace
