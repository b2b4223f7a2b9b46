// What the game needs from its window. The game's logic (src/rules) talks to the window only
// through this interface: the Qt window implements it, tests implement it with a recording fake.
// Texts for boxes and dialogs are UTF-8; font face names are Shift-JIS, as the settings store them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "rules/menu_item.h"

namespace game {

struct TRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

// The window's layout: the client area and the answer field in it, in client pixels.
constexpr int kClientWidth = 688;
constexpr int kClientHeight = 528;
constexpr TRect kAnswerFieldBounds{40, 415, 641, 41};

// The character font's settings as the font dialog and Settei.ini/Font.dat carry them.
struct TFontChoice {
  std::string FaceName;    // Shift-JIS
  int Charset = 128;       // Shift-JIS character set
  std::uint8_t Style = 0;  // bit 0 bold, bit 1 italic, bit 2 underline, bit 3 strike-out
};

enum class TConfirmAnswer { Yes, No, Cancel };

// What every window must do is pure virtual: the answer field's text, the menu items' states
// and the two boxes. The rest has a default for a window without that part (a test's or a
// benchmark's window): it does nothing, a dialog is cancelled, the sizes are the design's.
// A new capability is added here with its default, and only the windows that have it override.
class TGameWindow {
 public:
  virtual ~TGameWindow() = default;

  // The answer field EditKaitoRan.
  virtual std::u16string AnswerText() const = 0;
  virtual void SetAnswerText(const std::u16string& text) = 0;
  virtual void SetAnswerReadOnly(bool /*readOnly*/) {}
  virtual void SetAnswerColor(std::uint8_t /*red*/, std::uint8_t /*green*/, std::uint8_t /*blue*/) {
  }
  virtual void FocusAnswer() {}
  virtual TRect AnswerBounds() const { return kAnswerFieldBounds; }  // in client pixels
  virtual void SetAnswerFont(const TFontChoice& /*font*/) {}

  // Menu items (menu_item.h).
  virtual void SetMenuChecked(TMenuItem item, bool checked) = 0;
  virtual bool MenuChecked(TMenuItem item) const = 0;
  virtual void SetMenuEnabled(TMenuItem item, bool enabled) = 0;
  virtual bool MenuEnabled(TMenuItem item) const = 0;

  // Message box with an OK button; confirmation with Yes/No or Yes/No/Cancel.
  virtual void ShowMessage(const std::string& text) = 0;
  virtual TConfirmAnswer Confirm(const std::string& text, bool withCancel) = 0;

  // Dialogs; nothing when the player cancels.
  virtual std::optional<TFontChoice> ChooseFont(const TFontChoice& /*preset*/) { return {}; }
  virtual std::optional<std::string> ChooseMusicFile(const std::string& /*title*/,
                                                     const std::string& /*filter*/) {
    return {};
  }
  virtual std::optional<std::string> BrowseFolder(const std::string& /*prompt*/) { return {}; }

  // Closes the window the way its close box does (the close query runs first).
  virtual void CloseWindow() {}
  // Shows the about box modally.
  virtual void ShowAboutBox() {}
  // Shows the player's history (the database `file`) modally; a window without one does nothing.
  virtual void ShowHistory(const std::filesystem::path& file) { (void)file; }

  // Lets pending key and menu events run (the design's process-messages call).
  virtual void ProcessMessages() {}
  // Opens a file or web address with the desktop's program for it; false on failure.
  virtual bool ShellOpen(const std::string& /*fileOrUrl*/) { return false; }

  // Sizes of the window: the client area and the outer frame (menu bar and borders included;
  // none by default).
  virtual int ClientWidth() const { return kClientWidth; }
  virtual int ClientHeight() const { return kClientHeight; }
  virtual int OuterWidth() const { return ClientWidth(); }
  virtual int OuterHeight() const { return ClientHeight(); }
};

}  // namespace game
