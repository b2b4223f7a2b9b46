// The keys: the window previews every key-down, so Enter, Ctrl, F1 and F2 act wherever the
// focus is; everything else goes to the answer field, which never takes a carriage return.
#include "game/game.h"
#include "game/game_owned.h"
#include "platform/clock/clock.h"
#include "platform/codepage/codepage.h"

namespace game {

void TGame::FormKeyDown(int virtualKey) {
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
        S.Message1 = codepage::Utf8ToSjis("一時停止中...F2キーで再開します。");
      } else {
        S.Saved = 0;
        Window.SetMenuEnabled(TMenuItem::Save1, true);
        Window.SetAnswerReadOnly(false);
        Window.FocusAnswer();
        S.Paused = 0;
        S.PauseTotal += static_cast<std::int32_t>(timeGetTime() - S.PauseStart);
        S.Message1.clear();
      }
      MakeTextTexture(S.Message1Texture, nullptr, S.Message1, S.LabelWriter);
      break;
    default:
      break;
  }
}

bool TGame::EditKaitoRanKeyPress(char16_t character) { return character != u'\r'; }

}  // namespace game
