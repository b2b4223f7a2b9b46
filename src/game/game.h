// TGame: the game window's logic with the objects that draw and play. The rules (TGameRules,
// game_rules.h) decide; TGame owns the device, the scene, the text writers, the textures, the
// sound, the music player and the speech engine (TOwned, game_owned.h), answers the rules'
// hooks with them, turns the rules' marks into textures before each frame and draws the frame.
//
// Each concern lives in its own file: start-up of the objects and destroy (game.cpp,
// game_startup.cpp), the text displays' rows (label_table.h), the refresh of the marked
// textures and the music title (game_labels.cpp), the frame (game_screen.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "rules/game_rules.h"

class TOwnerWindow;
class TDGTexture;
class TSXTextWriter;

namespace game {

enum class TLabelLayer;
struct TLabelFrame;

class TGame : public TGameRules {
 public:
  TGame(TGameWindow& window, TOwnerWindow& ownerWindow, TGamePaths paths);
  ~TGame() override;

  // The objects the game draws and plays with (game_owned.h), owned here and nowhere else.
  struct TOwned;
  TOwned& Objects() { return *Owned; }
  const TOwned& Objects() const { return *Owned; }

  void FormDestroy();  // frees everything in the design's order (also run by ~TGame)

  // --- Screen --------------------------------------------------------------------------------
  // Renders every marked label, picture and character into its texture (the frame driver
  // runs it first; a test may run it to see the textures of the state).
  void RefreshScreen();
  void DrawGameScreen();  // draws the state as it is; changes nothing
  // Draws the labels of one layer (TLabelLayer, label_table.h) that the state shows.
  void DrawLabels(TLabelLayer layer);
  TLabelFrame LabelFrame() const;  // the frame's geometry and every label's size, as drawn
  void DrawTexture(TDGTexture* texture, std::int32_t x, std::int32_t y, std::uint32_t colour);
  void DrawTextureSized(TDGTexture* texture, std::int32_t x, std::int32_t y, std::int32_t w,
                        std::int32_t h, std::uint32_t colour);
  // Every label, message and character reaches its texture as UTF-16.
  void MakeTextTexture(TDGTexture* texture, TDGTexture* panel, const std::u16string& text,
                       TSXTextWriter* writer);
  bool TextFits(std::u16string_view text) const override;
  // The results panel of a game over or a game clear: rendered into its textures once per
  // game (before the frame), drawn beside the banner.
  void RefreshResultsPanel();
  void DrawResultsPanel();
  // The longest form of path (UTF-8) that fits the window, folders giving way to "..." from
  // the front; UTF-8.
  std::string MusicTitle(const std::string& path);

 protected:
  void CreateScreen() override;
  void CreateSoundEffects() override;
  void LoadPictures() override;
  void CreateSpeech() override;
  bool PrepareFrame() override;
  void PresentFrame() override;
  void PlaySoundEffect(int index) override;
  void Speak(const std::u16string& speech) override;
  std::optional<std::string> TryPlayMusic() override;
  void StopMusic() override;
  double MusicDuration() override;
  bool MusicRanOut() override;
  TFontChoice CharacterFont() const override;
  TFontChoice SetCharacterFont(const TFontChoice& chosen) override;

 private:
  TOwnerWindow& OwnerWindow;
  std::unique_ptr<TOwned> Owned;
  std::int32_t ResultsPanelVersion = 0;  // the game whose results the panel's textures hold
};

}  // namespace game
