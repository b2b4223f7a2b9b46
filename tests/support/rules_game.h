// The rules without a screen, a sound or a media player: TGameRules with hooks that record
// what the rules asked for. Pictures and characters get fixed sizes (the firefly and the light
// as make-data draws them, every character 32 pixels square), so layouts are known exactly.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "rules/game_rules.h"

namespace game::testing {

class TRulesGame : public TGameRules {
 public:
  static constexpr std::int32_t kMojiSize = 32;
  static constexpr TPictureSizes kPictures{48, 40, 48, 48};

  TRulesGame(TGameWindow& window, TGamePaths paths) : TGameRules(window, std::move(paths)) {}

  // What the screen was last asked to show: each label's text (in UTF-8), the centre picture,
  // the key guide; and how many frames were drawn.
  std::array<std::string, kLabelCount> Labels;
  std::string Picture, Sosa;
  int Frames = 0;
  // What the rules played and said.
  std::vector<int> Sounds;
  std::vector<std::u16string> Spoken;
  std::vector<std::string> MusicPlayed;
  int MusicStops = 0;
  double Duration = 0;     // what MusicDuration reports
  bool RanOut = false;     // what MusicRanOut reports
  bool MusicPlays = true;  // false: every music file fails to play, for MusicRefusal
  std::string MusicRefusal = "ファイルが壊れています。";
  TFontChoice Font{"IPAGothic", 128, 1};

  const std::string& Label(TLabel label) const { return Labels[static_cast<std::size_t>(label)]; }

  // The screen's refresh: every mark taken, each marked character rendered at kMojiSize.
  void TakeMarks() {
    TScreenMarks& marks = S.Marks;
    for (std::size_t i = 0; i < kLabelCount; ++i) {
      if (marks.Changed[i]) Labels[i] = codepage::Utf16ToUtf8(marks.Text[i]);
      marks.Changed[i] = false;
    }
    for (std::int32_t k = 0; k < kMojiSlots; ++k) {
      if (!marks.MojiChanged[k]) continue;
      marks.MojiChanged[k] = false;
      CharacterRendered(k, kMojiSize, kMojiSize);
    }
    if (marks.PictureChanged) Picture = marks.Picture;
    if (marks.SosaChanged) Sosa = marks.Sosa;
    marks.PictureChanged = marks.SosaChanged = false;
  }

  // As the real screen does at the design's font: about 32 pixels a character.
  bool TextFits(std::u16string_view text) const override {
    return MojiLength(text) * 32 <= S.ScreenWidth - Window.AnswerBounds().Left;
  }

 protected:
  void CreateScreen() override {}
  void CreateSoundEffects() override {}
  void LoadPictures() override {
    S.Pictures = kPictures;
    Picture = "Title.bmp";  // start-up's centre picture
  }
  void CreateSpeech() override {}
  bool PrepareFrame() override {
    TakeMarks();
    return true;
  }
  void PresentFrame() override { ++Frames; }
  void PlaySoundEffect(int index) override { Sounds.push_back(index); }
  void Speak(const std::u16string& speech) override { Spoken.push_back(speech); }
  std::optional<std::string> TryPlayMusic() override {
    MusicPlayed.push_back(S.MusicName);
    S.MusicStartTime = timeGetTime();
    if (MusicPlays) return std::nullopt;
    return MusicRefusal;
  }
  void StopMusic() override { ++MusicStops; }
  double MusicDuration() override { return Duration; }
  bool MusicRanOut() override { return RanOut; }
  TFontChoice CharacterFont() const override { return Font; }
  TFontChoice SetCharacterFont(const TFontChoice& chosen) override {
    Font = chosen;
    return Font;
  }
};

}  // namespace game::testing
