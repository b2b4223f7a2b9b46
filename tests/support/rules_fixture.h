// Helpers for whole games driven through the keys: the title prompt, Ctrl, typed answers.
#pragma once

#include "game/zero_pad.h"
#include "platform/codepage/codepage.h"
#include "support/game_fixture.h"

namespace game::testing {

class RulesFixture : public GameFixture {
 protected:
  // Start-up, then the title prompt (7 s later), where Ctrl is accepted.
  void StartToPrompt() {
    StartGame();
    RunToPrompt();
    ASSERT_EQ(S().Ready, 1);
  }
  // Lets `ms` pass at once and runs the tick that is then due.
  void Jump(DWORD ms) {
    Clock.Advance(ms);
    RunTicks(1);
  }
  // The music start (100 ms) and the title prompt (7000 ms), one tick each.
  void RunToPrompt() {
    Jump(150);
    Jump(7000);
  }
  void Key(int virtualKey) { Game->FormKeyDown(virtualKey); }
  void Ctrl() { Key(VK_CONTROL); }
  void Answer(const std::u16string& text) {
    Window.Answer = text;
    Key(VK_RETURN);
  }
  void AnswerRight() { Answer(S().Seikai(S().MondaiNo)); }
  void AnswerWrong() { Answer(u"ちがう"); }
  // The question clock read at a tick after `elapsed` ms of the question.
  void TickAt(DWORD elapsed) {
    Clock.Set(S().StartTime + elapsed + static_cast<DWORD>(S().PauseTotal));
    S().TickTime = Clock.Now() - 25;
    Game->ApplicationEvents1Idle();
  }
  static std::string Sjis(const char* utf8) { return codepage::Utf8ToSjis(utf8); }
};

}  // namespace game::testing
