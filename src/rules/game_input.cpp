// The keys: the window previews every key-down, so Enter, Ctrl, F1 and F2 act wherever the
// focus is; everything else goes to the answer field, which never takes a carriage return and,
// while RomajiAnswer says so, turns romaji into kana.
#include "platform/clock/clock.h"
#include "platform/codepage/codepage.h"
#include "rules/game_rules.h"
#include "rules/romaji.h"
#include "rules/saturating.h"

namespace game {

void TGameRules::FormKeyDown(int virtualKey) {
  switch (virtualKey) {
    case VK_RETURN:
      if (S.Playing == 1 && S.Paused == 0) JudgeAnswer();
      break;
    case VK_CONTROL:
      if (S.Paused == 0 && S.Ready == 1) StartQuestion();
      break;
    case VK_F1:
      if (S.Playing == 1 && S.Paused == 0 && S.HintFlight == 0) UseHint();
      break;
    case VK_F2:
      if (S.Playing != 1) break;
      if (S.Paused == 0) {
        // The answer field stays editable during an F2 pause.
        S.Paused = 1;
        S.PauseStart = timeGetTime();
        S.Message1 = Sjis(kPauseMessage);
      } else {
        S.Saved = 0;
        Window.SetMenuEnabled(TMenuItem::Save1, true);
        Window.SetAnswerReadOnly(false);
        Window.FocusAnswer();
        S.Paused = 0;
        S.PauseTotal =
            SaturatingAdd(S.PauseTotal, static_cast<std::int32_t>(timeGetTime() - S.PauseStart));
        S.Message1.clear();
      }
      ShowMessage1();
      break;
    default:
      break;
  }
}

bool TGameRules::EditKaitoRanKeyPress(char16_t character) { return character != u'\r'; }

std::optional<std::u16string> TGameRules::RomajiAnswer() const {
  const std::int32_t n = S.MondaiNo;
  if (!S.Settings.RomajiHenkan || !S.IsMondaiNo(n)) return std::nullopt;
  std::u16string answers;
  if (S.KaitoMode == 0) {
    answers = S.Seikai(n) + S.Seikai2(n);
  } else if (S.KaitoMode == 1) {
    answers = S.Reading(n);
  }
  if (!RomajiFitsAnswer(answers)) return std::nullopt;
  return answers;
}

void TGameRules::SettlePendingRomaji() {
  if (!RomajiAnswer()) return;
  std::u16string text = Window.AnswerText();
  const TRomajiEdit edit = RomajiEnter(text);
  const std::size_t start = text.size() - edit.Erase;
  if (text.compare(start, edit.Erase, edit.Insert) == 0) return;
  text.replace(start, edit.Erase, edit.Insert);
  Window.SetAnswerText(text);
}

}  // namespace game
