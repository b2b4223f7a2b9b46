// TGameRules: everything the design's game window decides — start-up's order, the main loop's
// timed parts, the keys, the rule book, the saved game, the menus, the music's choice and the
// fireflies' animation — on the game state alone. It reaches the window through TGameWindow
// and never draws: what the screen must show anew it marks in the state (screen_marks.h).
// What needs a device, a font, a sound or the media player it asks of its subclass through the
// hooks below: TGame (game.h) answers them with the real objects, rule tests with a recording
// stand-in, so the rules build and run without the device, the fonts or Data/.
//
// The handlers keep the window's event names: FormCreate, FormCloseQuery, FormClose,
// ApplicationEvents1Idle, FormKeyDown, EditKaitoRanKeyPress and the menu items' clicks.
#pragma once

#include <cstdint>
#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "history/fsrs.h"
#include "history/history_store.h"
#include "platform/codepage/codepage.h"
#include "rules/game_state.h"
#include "rules/game_window.h"
#include "rules/save_folder.h"

namespace game {

// Where the game finds its files; the window fills it from the executable's place and the
// documents folder, tests point it at temporary folders.
struct TGamePaths {
  std::filesystem::path AppDir;        // the executable's folder (Data/ and the texts inside)
  std::filesystem::path DocumentsDir;  // the user's documents folder
};

// A text of the game's sources (UTF-8) in Shift-JIS, as the game keeps its message lines
// (S.Message1, S.Message2); a label takes UTF-16 (screen_marks.h).
inline std::string Sjis(const char* utf8) { return codepage::Utf8ToSjis(utf8); }

// The upper message line while a question is paused.
inline constexpr const char* kPauseMessage = "一時停止中...F2キーで再開します。";

// Virtual-key codes the key handler acts on.
constexpr int VK_RETURN = 13;
constexpr int VK_CONTROL = 17;
constexpr int VK_F1 = 112;
constexpr int VK_F2 = 113;

class TGameRules {
 public:
  TGameRules(TGameWindow& window, TGamePaths paths);
  virtual ~TGameRules();
  TGameRules(const TGameRules&) = delete;
  TGameRules& operator=(const TGameRules&) = delete;

  TGameState& State() { return S; }
  const TGameState& State() const { return S; }
  const TGamePaths& Paths() const { return GamePaths; }

  // --- Start-up and close --------------------------------------------------------------------
  void FormCreate();
  bool FormCloseQuery();  // true: the window may close (the save prompt has been answered)
  void FormClose();       // writes Settei.ini and Font.dat, stops the music

  // --- Main loop -----------------------------------------------------------------------------
  // One pass of the idle handler. Returns the milliseconds until the next tick is due, so the
  // window can sleep until then (0: call again at once).
  int ApplicationEvents1Idle();
  // The frame driver: the screen takes the marks and checks its device, the fireflies take
  // their step, the screen draws and presents the frame.
  void DrawFrame();
  void Pause();
  // One frame's step of the fireflies: blinking, movement and bouncing, the hint character's
  // flight and the pulse.
  void AnimateFireflies();

  // --- Keys ----------------------------------------------------------------------------------
  void FormKeyDown(int virtualKey);
  // The answer field's key filter: false means the character is discarded.
  bool EditKaitoRanKeyPress(char16_t character);
  // The current question's accepted answers in the current answer mode when the field turns
  // romaji into kana (the option is on and they hold no ASCII letters); nothing otherwise.
  std::optional<std::u16string> RomajiAnswer() const;

  // A key pressed at the keyboard that reached the window or its input method (lone modifiers
  // aside): counted for the question running; its first starts the answer's typing time.
  void KeyPressedAtKeyboard(bool enter);

  // --- Menus ---------------------------------------------------------------------------------
  void TopMenuClick();  // any top-level menu opened: pause
  void MenuClick(TMenuItem item);

  // --- Rules ---------------------------------------------------------------------------------
  void StartQuestion();
  void NewQuestion();
  void JudgeAnswer();
  void ScoreCorrect();
  void Miss();
  void GiveUp(history::TQuestionResult why = history::TQuestionResult::GiveUp);
  void UseHint();

  // --- Saved game ----------------------------------------------------------------------------
  void SaveGame();
  void ResumeGame();
  void ReadSavedGameAtStartup();
  bool SavedGameResumable() const;

  // --- What the player knows (game_review.cpp) ------------------------------------------------
  // ゲーム → 復習: a game of the proverbs due today, most overdue first, then those missed
  // most recently up to ten. It never saves and never changes the best score.
  void StartReviewGame();
  // The proverbs due today by the history (0 without one); also kept in S.DueCount.
  std::int32_t CountDueToday();
  void ShowDueCount();  // the count into the title's review line

  // --- Music ---------------------------------------------------------------------------------
  void ScanAudioFiles(const std::string& folder);
  void BuildRandomList();
  // Starts MusicName. A file that cannot be played gives one box; in random mode the shuffle
  // moves on to the next track instead, and only a list where nothing plays gives a box.
  void PlayMusic();
  // Music on: the menu checked, the title shown, PlayMusic.
  void StartMusic();
  // The box for music that cannot play; the music then goes off (but for the game-clear tune).
  void MusicFailed(const std::string& message);
  std::string ClearTune() const;  // the game-clear tune's file

  // --- What the frame shows ------------------------------------------------------------------
  std::int32_t DrawnMojiCount() const;                     // characters the frame shows
  bool Pulsing(std::int32_t k, std::int32_t count) const;  // character k grows and shrinks
  // Whether a line of text in the character font fits between the answer field's left edge,
  // where the written form and the reading are drawn, and the window's right edge.
  virtual bool TextFits(std::u16string_view text) const = 0;
  // Why the screen cannot show an additional question; nothing when it can (TextFits).
  std::optional<TTuikaLeftOut> TuikaScreenProblem(std::u16string_view seikai,
                                                  std::u16string_view reading) const;

 protected:
  // --- Hooks: what the rules ask of the screen, the sound and the music ----------------------
  // Start-up, in this order: the device, the scene, the timer resolution, the fonts and the
  // text writers (with the character font of the settings); the seven sound effects; the
  // pictures (recording S.Pictures) and every picture shown later, checked once; the speech.
  virtual void CreateScreen() = 0;
  virtual void CreateSoundEffects() = 0;
  virtual void LoadPictures() = 0;
  virtual void CreateSpeech() = 0;
  // The frame: PrepareFrame renders what the marks name (reporting each character's size
  // through CharacterRendered) and says whether the device can draw; PresentFrame draws.
  virtual bool PrepareFrame() = 0;
  virtual void PresentFrame() = 0;
  virtual void PlaySoundEffect(int index) = 0;           // wave `index` on its channel
  virtual void Speak(const std::u16string& speech) = 0;  // synchronously; nothing when empty
  // Plays MusicName: nothing when it plays, else why it cannot, as a sentence of the player's
  // box (music_reasons.h; the details on stderr).
  virtual std::optional<std::string> TryPlayMusic() = 0;
  virtual void StopMusic() = 0;
  virtual double MusicDuration() = 0;  // seconds of the music playing; 0 when unknown
  // The music played and stopped by itself: a track reached its end, whatever length it
  // claimed, or a looping file gave no sound at all.
  virtual bool MusicRanOut() = 0;
  // The character font as the settings store it; setting it renders the answer mark anew (the
  // characters are marked by the caller) and returns the font as set.
  virtual TFontChoice CharacterFont() const = 0;
  virtual TFontChoice SetCharacterFont(const TFontChoice& chosen) = 0;

  // The screen has rendered character `index` at w × h: its drawn size follows when a pulse
  // waits for it.
  void CharacterRendered(std::int32_t index, std::int32_t w, std::int32_t h);

  TGameWindow& Window;
  TGamePaths GamePaths;
  TGameState S;
  bool Created = false;    // start-up has run (close and destroy have something to do)
  bool Destroyed = false;  // destroy has run

 private:
  // Shared steps of the rules, the saved game and the menus (game_rules.cpp). The Show steps
  // mark a label with its new text; the screen renders it before the next frame.
  void ShowPicture(const std::string& entry);  // an archive picture into PictureTexture
  void LoadSosa(const std::string& file);      // "Sosa1.bmp" or "Sosa2.bmp" of Data/
  // The key guide the state asks for: with F1 as a hint while the next F1 gives one.
  const char* KeyGuide() const;
  void ShowKeyGuide();  // loads KeyGuide() when it is not the guide shown
  void ShowCounter(TLabel label, const char* caption, std::int32_t value);
  void ShowSeikai();                    // "正解:" with the correct answers
  void ShowRenzoku();                   // "連続正解:" with the run
  void ShowFuseikai();                  // "不正解:" with the stage's wrong answers
  void ShowTokuten();                   // the score
  void ShowSaikoTokuten();              // the best score with "(最高得点)"
  void ShowCounters();                  // the four displays above
  void ShowHintsLeft();                 // "HINT:" with the hints left in the stage
  void ShowMessages();                  // Message1 and Message2
  void ShowMessage1();                  // Message1 alone
  void SetAnswerColour();               // by BonusMode and KaitoMode
  void SetKaitoModeColour();            // by KaitoMode alone
  void RenderMoji(std::int32_t index);  // Moji[index].Char into its texture
  void RenderSpelling();                // the written form into its label
  void ShowReading();                   // MondaiText and its meaning into their labels
  void PlaceRandomly(MojiRecord& moji);
  void SetHintMojiDown(std::int32_t index);  // hint character `index` still, above the field
  void DrawPulse(std::int32_t index);        // stage 3 scale and growth flag
  bool AnswerIsCorrect(const std::u16string& answer) const;
  void SettlePendingRomaji();  // Enter: a lone n pending at the end of the field becomes ん
  void SpeakQuestion();
  // The review game and the memory of each proverb (game_review.cpp).
  history::THistoryStore* ReviewHistory();  // the history, opened on first use; or nullptr
  void RecordReview(TFsrsRating rating);    // the question just judged, into the history
  bool TakeReviewQuestion();                // a review game's next question into MondaiNo
  bool ReviewFinished() const;              // every question of the review game asked
  void FinishReviewGame();                  // the closing messages; Ctrl starts a new game
  void ShowMusicTitle();
  void CheckMusicMode(bool random);  // "曲の指定" or "ランダム" checked, and BgmRandomChecked
  void CheckBgmOn(bool on);          // "ON" or "OFF" checked
  // The jobs of the main loop's tick, in their order (game_loop.cpp; the music's in
  // game_music.cpp).
  void StartMusicWhenDue();  // once, 100 ms after start-up
  void ShowTitlePrompt();    // 7000 ms after start-up; the resume question
  void RunQuestionClock();
  void BlinkFuseikai();
  void NextTrackAtTheEnd();  // the random music's next track when one ends
  // The character font and the player's music choice into S.Settings, at close
  // (game_startup.cpp).
  void KeepFontAndMusic();
  // The menu actions with dialogs (game_menus.cpp).
  void ChooseCharacterFont();
  void ChooseMusicFile();
  void ChooseRandomMusicFolder();
  // The next track of the shuffle: one not yet played in this cycle (a new cycle once all
  // have) becomes MusicName; its index is returned.
  std::int32_t PickRandomTrack();

  // The measures and the history (game_history.cpp).
  std::int32_t QuestionClock() const;  // ms since the question clock started, pauses left out
  void StartMeasuring();               // a question is set
  void StartGameMeasures();            // a game begins: no questions yet
  // The question ends as `result`, judged at `clock`: its record joins the game's and the
  // history.
  void QuestionEnded(history::TQuestionResult result, std::int32_t clock);
  void EndGameMeasures();                // game over or game clear: the results panel's figures
  void HintAsked();                      // F1 gave a hint: the wait for it is not typing time
  void EndHintWait(std::int32_t clock);  // a key or the judgement ends that wait
  history::TGameKind GameKind() const;   // a game, or a review
  void OpenHistory();                    // once, when the first question is set or judged
  // A history already there starts opening at start-up, beside the title: the check before its
  // first write reads the whole file, which the first question should not wait for.
  void StartOpeningHistory();
  std::future<history::TOpenedHistory> HistoryOpening;
  std::unique_ptr<history::THistoryStore> History;
  // The per-user folder, held while this game runs (save_folder.h).
  TSaveFolder SaveFolder;
  bool HistoryTried = false;
  std::int64_t HistoryGame = 0;  // the game's row in the history, 0 until its first question

  // Boxes of the game. While one is open during a question the question clock stands still,
  // as it does during a pause: the span is added to PauseTotal when the last box closes.
  void ShowBox(const std::string& text);
  // Opens a text file beside the game in the desktop's editor; a failure gives one box that
  // starts with `failure` and names what the player can do.
  void OpenTextFile(const std::filesystem::path& file, const std::string& failure);
  TConfirmAnswer AskBox(const std::string& text, bool withCancel);
  class TClockHold {
   public:
    explicit TClockHold(TGameRules& game);
    ~TClockHold();
    TClockHold(const TClockHold&) = delete;
    TClockHold& operator=(const TClockHold&) = delete;

   private:
    TGameRules& Game;
  };
  std::int32_t BoxDepth = 0;
  std::uint32_t BoxStart = 0;
  bool BoxHoldsClock = false;
};

}  // namespace game
