// TGame: the game window's logic — everything the design's game window does, without the
// window itself. It owns the long-lived objects (device, scene, text writers, textures, sound,
// music player, speech) and the game state, and reaches the window only through TGameWindow.
//
// The handlers keep the window's event names: FormCreate, FormCloseQuery, FormClose,
// FormDestroy, ApplicationEvents1Idle, FormKeyDown, EditKaitoRanKeyPress and the menu items'
// clicks. Each concern lives in its own file (start-up, loop, input, rules, saved game, music,
// screen, menus).
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "game/game_window.h"
#include "platform/codepage/codepage.h"

class TOwnerWindow;
class TDGTexture;
class TSXTextWriter;

namespace game {

// Where the game finds its files; the window fills it from the executable's place and the
// documents folder, tests point it at temporary folders.
struct TGamePaths {
  std::filesystem::path AppDir;        // the executable's folder (Data/ and the texts inside)
  std::filesystem::path DocumentsDir;  // the user's documents folder
};

// A text of the game's sources (UTF-8) in Shift-JIS, as the text writer draws it.
inline std::string Sjis(const char* utf8) { return codepage::Utf8ToSjis(utf8); }

// The upper message line while a question is paused.
inline constexpr const char* kPauseMessage = "一時停止中...F2キーで再開します。";

// Virtual-key codes the key handler acts on.
constexpr int VK_RETURN = 13;
constexpr int VK_CONTROL = 17;
constexpr int VK_F1 = 112;
constexpr int VK_F2 = 113;

class TGame {
 public:
  TGame(TGameWindow& window, TOwnerWindow& ownerWindow, TGamePaths paths);
  ~TGame();
  TGame(const TGame&) = delete;
  TGame& operator=(const TGame&) = delete;

  TGameState& State() { return S; }
  const TGamePaths& Paths() const { return GamePaths; }
  const TGameState& State() const { return S; }
  // The objects the game draws and plays with (game_owned.h), owned here and nowhere else.
  struct TOwned;
  TOwned& Objects() { return *Owned; }
  const TOwned& Objects() const { return *Owned; }

  // --- Start-up, close and destroy -----------------------------------------------------------
  void FormCreate();
  bool FormCloseQuery();  // true: the window may close (the save prompt has been answered)
  void FormClose();       // writes Settei.ini and Font.dat, stops the music
  void FormDestroy();     // frees everything in the design's order (also run by ~TGame)

  // --- Main loop -----------------------------------------------------------------------------
  // One pass of the idle handler. Returns the milliseconds until the next tick is due, so the
  // window can sleep until then (0: call again at once).
  int ApplicationEvents1Idle();
  void DrawFrame();  // the frame driver: device check, DrawGameScreen, Render, Present
  void Pause();

  // --- Keys ----------------------------------------------------------------------------------
  void FormKeyDown(int virtualKey);
  // The answer field's key filter: false means the character is discarded.
  bool EditKaitoRanKeyPress(char16_t character);
  // The current question's accepted answers in the current answer mode when the field turns
  // romaji into kana (the option is on and they hold no ASCII letters); nothing otherwise.
  std::optional<std::u16string> RomajiAnswer() const;

  // --- Menus ---------------------------------------------------------------------------------
  void TopMenuClick();  // any top-level menu opened: pause
  void MenuClick(TMenuItem item);

  // --- Rules ---------------------------------------------------------------------------------
  void StartQuestion();
  void NewQuestion();
  void JudgeAnswer();
  void ScoreCorrect();
  void Miss();
  void GiveUp();
  void UseHint();

  // --- Saved game ----------------------------------------------------------------------------
  void SaveGame();
  void ResumeGame();
  void ReadSavedGameAtStartup();
  bool SavedGameResumable() const;

  // --- Screen --------------------------------------------------------------------------------
  // One frame's step of the fireflies: blinking, movement and bouncing, the hint character's
  // flight and the pulse. The frame driver runs it before drawing.
  void AnimateFireflies();
  void DrawGameScreen();  // draws the state as it is; changes nothing
  void DrawTexture(TDGTexture* texture, std::int32_t x, std::int32_t y, std::uint32_t colour);
  void DrawTextureSized(TDGTexture* texture, std::int32_t x, std::int32_t y, std::int32_t w,
                        std::int32_t h, std::uint32_t colour);
  void MakeTextTexture(TDGTexture* texture, TDGTexture* panel, const std::string& text,
                       TSXTextWriter* writer);
  bool SpellingFits(std::u16string_view seikai) const;  // a written form the device can draw

  // --- Music ---------------------------------------------------------------------------------
  void ScanAudioFiles(const std::string& folder);
  void BuildRandomList();
  // The longest form of path (UTF-8) that fits the window, folders giving way to "..." from
  // the front; UTF-8.
  std::string MusicTitle(const std::string& path);
  // Starts MusicName. A file that cannot be played gives one box; in random mode the shuffle
  // moves on to the next track instead, and only a list where nothing plays gives a box.
  void PlayMusic();

 private:
  TGameWindow& Window;
  TOwnerWindow& OwnerWindow;
  TGamePaths GamePaths;
  TGameState S;
  std::unique_ptr<TOwned> Owned;

  // Shared steps of the rules, the saved game and the menus (game_rules.cpp).
  void PlaySoundEffect(int index);             // wave `index` on its channel
  void ShowPicture(const std::string& entry);  // an archive picture into PictureTexture
  void LoadSosa(const std::string& file);      // "Sosa1.bmp" or "Sosa2.bmp" of Data/
  void ShowCounter(TDGTexture* texture, const char* caption, std::int32_t value);
  void ShowSeikai();                    // "正解:" with the correct answers
  void ShowRenzoku();                   // "連続正解:" with the run
  void ShowFuseikai();                  // "不正解:" with the stage's wrong answers
  void ShowTokuten();                   // the score
  void ShowSaikoTokuten();              // the best score with "(最高得点)"
  void ShowCounters();                  // the four displays above
  void ShowHintsLeft();                 // "HINT:" with the hints left in the stage
  void ShowMessages();                  // Message1 and Message2 into their textures
  void SetAnswerColour();               // by BonusMode and KaitoMode
  void SetKaitoModeColour();            // by KaitoMode alone
  void RenderMoji(std::int32_t index);  // Moji[index].Char into its texture
  void RenderSpelling();                // the written form into SpellingTexture
  void PlaceRandomly(MojiRecord& moji);
  void SetHintMojiDown(std::int32_t index);  // hint character `index` still, above the field
  void DrawPulse(std::int32_t index);        // stage 3 scale and growth flag
  std::int32_t DrawnMojiCount() const;       // characters the frame shows
  bool Pulsing(std::int32_t k, std::int32_t count) const;  // character k grows and shrinks
  bool AnswerIsCorrect(const std::u16string& answer) const;
  void SettlePendingRomaji();  // Enter: a lone n pending at the end of the field becomes ん
  void SpeakQuestion();
  void StopMusic();
  void ShowMusicTitle();             // the title label, written from UTF-16
  void CheckMusicMode(bool random);  // "曲の指定" or "ランダム" checked, and BgmRandomChecked
  void CheckBgmOn(bool on);          // "ON" or "OFF" checked
  // The menu actions with dialogs (game_menus.cpp).
  void ChooseCharacterFont();
  void ChooseMusicFile();
  void ChooseRandomMusicFolder();
  bool TryPlayMusic();  // false when MusicName cannot be played (reason on stderr)
  // The next track of the shuffle: one not yet played in this cycle (a new cycle once all
  // have) becomes MusicName; its index is returned.
  std::int32_t PickRandomTrack();

  // Boxes of the game. While one is open during a question the question clock stands still,
  // as it does during a pause: the span is added to PauseTotal when the last box closes.
  void ShowBox(const std::string& text);
  TConfirmAnswer AskBox(const std::string& text, bool withCancel);
  class TClockHold {
   public:
    explicit TClockHold(TGame& game);
    ~TClockHold();
    TClockHold(const TClockHold&) = delete;
    TClockHold& operator=(const TClockHold&) = delete;

   private:
    TGame& Game;
  };
  std::int32_t BoxDepth = 0;
  std::uint32_t BoxStart = 0;
  bool BoxHoldsClock = false;
};

}  // namespace game
