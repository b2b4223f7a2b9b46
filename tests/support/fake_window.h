// A recording stand-in for the game window: the answer field, the menu items, the boxes and
// dialogs, all in memory. Tests script the answers of boxes and dialogs and read back what
// the game asked for.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "rules/game_window.h"

namespace game::testing {

class TFakeWindow : public TGameWindow {
  static std::array<bool, kMenuItemCount> InitialMenuStates(bool TMenuItemInfo::*state) {
    std::array<bool, kMenuItemCount> states{};
    for (const TMenuItemInfo& info : kMenuItems) states[MenuIndex(info.Item)] = info.*state;
    return states;
  }

 public:
  // --- Answer field ----------------------------------------------------------------------------
  std::u16string Answer;
  bool AnswerReadOnly = true;
  std::uint8_t AnswerRed = 0, AnswerGreen = 128, AnswerBlue = 0;
  int FocusCount = 0;
  TRect Bounds = kAnswerFieldBounds;
  std::vector<TFontChoice> AnswerFonts;  // every font the game gave the field

  std::u16string AnswerText() const override { return Answer; }
  void SetAnswerText(const std::u16string& text) override { Answer = text; }
  void SetAnswerReadOnly(bool readOnly) override { AnswerReadOnly = readOnly; }
  void SetAnswerColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) override {
    AnswerRed = red;
    AnswerGreen = green;
    AnswerBlue = blue;
  }
  void FocusAnswer() override { ++FocusCount; }
  TRect AnswerBounds() const override { return Bounds; }
  void SetAnswerFont(const TFontChoice& font) override { AnswerFonts.push_back(font); }

  // --- Menus: every item starts as the window makes it (menu_item.h) -------------------------
  std::array<bool, kMenuItemCount> Checked = InitialMenuStates(&TMenuItemInfo::Checked);
  std::array<bool, kMenuItemCount> Enabled = InitialMenuStates(&TMenuItemInfo::Enabled);

  void SetMenuChecked(TMenuItem item, bool checked) override { Checked[MenuIndex(item)] = checked; }
  bool MenuChecked(TMenuItem item) const override { return Checked[MenuIndex(item)]; }
  void SetMenuEnabled(TMenuItem item, bool enabled) override { Enabled[MenuIndex(item)] = enabled; }
  bool MenuEnabled(TMenuItem item) const override { return Enabled[MenuIndex(item)]; }

  // --- Boxes: scripted answers, recorded texts --------------------------------------------------
  std::vector<std::string> Messages;
  std::vector<std::string> Confirmations;
  std::deque<TConfirmAnswer> ConfirmAnswers;  // answered in order; No when empty
  std::function<void()> OnConfirm;            // runs inside the box (its message loop)

  std::function<void()> OnMessage;  // runs inside the box (its message loop)

  void ShowMessage(const std::string& text) override {
    Messages.push_back(text);
    if (OnMessage) OnMessage();
  }
  TConfirmAnswer Confirm(const std::string& text, bool withCancel) override {
    Confirmations.push_back(text);
    ConfirmHadCancel.push_back(withCancel);
    if (OnConfirm) OnConfirm();
    if (ConfirmAnswers.empty()) return TConfirmAnswer::No;
    TConfirmAnswer answer = ConfirmAnswers.front();
    ConfirmAnswers.pop_front();
    return answer;
  }
  std::vector<bool> ConfirmHadCancel;

  // --- Dialogs -----------------------------------------------------------------------------------
  std::optional<TFontChoice> FontChoice;
  std::vector<TFontChoice> FontPresets;
  std::optional<std::string> MusicFileChoice;
  std::vector<std::string> MusicFileTitles, MusicFileFilters;
  std::optional<std::string> FolderChoice;
  std::vector<std::string> FolderPrompts;

  std::optional<TFontChoice> ChooseFont(const TFontChoice& preset) override {
    FontPresets.push_back(preset);
    return FontChoice;
  }
  std::optional<std::string> ChooseMusicFile(const std::string& title,
                                             const std::string& filter) override {
    MusicFileTitles.push_back(title);
    MusicFileFilters.push_back(filter);
    return MusicFileChoice;
  }
  std::optional<std::string> BrowseFolder(const std::string& prompt) override {
    FolderPrompts.push_back(prompt);
    return FolderChoice;
  }

  // --- Window actions -------------------------------------------------------------------------
  int CloseRequests = 0;
  int AboutBoxCount = 0;
  int ProcessMessagesCount = 0;
  std::function<void()> OnProcessMessages;  // pending events a test wants to run there
  std::vector<std::string> Opened;
  bool ShellOpenResult = true;

  void CloseWindow() override { ++CloseRequests; }
  void ShowAboutBox() override { ++AboutBoxCount; }
  void ProcessMessages() override {
    ++ProcessMessagesCount;
    if (OnProcessMessages) {
      auto pending = std::move(OnProcessMessages);
      OnProcessMessages = nullptr;
      pending();
    }
  }
  bool ShellOpen(const std::string& fileOrUrl) override {
    Opened.push_back(fileOrUrl);
    return ShellOpenResult;
  }

  // --- Sizes ----------------------------------------------------------------------------------
  int ClientW = kClientWidth, ClientH = kClientHeight, OuterW = 694, OuterH = 576;
  int ClientWidth() const override { return ClientW; }
  int ClientHeight() const override { return ClientH; }
  int OuterWidth() const override { return OuterW; }
  int OuterHeight() const override { return OuterH; }
};

}  // namespace game::testing
