// Whole games driven through the keys: the title prompt, Ctrl, typed answers. RulesFixture
// plays the rules alone (no device, fonts or Data/); TPlayHelpers gives the same helpers to a
// fixture with the real TGame where a test needs its textures.
#pragma once

#include "platform/codepage/codepage.h"
#include "rules/save_data.h"
#include "rules/zero_pad.h"
#include "support/game_fixture_base.h"
#include "support/rules_game.h"

namespace game::testing {

class RulesGameFixture : public TGameFixtureBase<TRulesGame> {
 protected:
  // The rules read nothing from the program's folder but the additional questions, which
  // are optional: an empty folder of their own.
  void SetUp() override {
    TGameFixtureBase::SetUp();
    Paths.AppDir = Root / "app";
    std::filesystem::create_directories(Paths.AppDir);
  }

  std::unique_ptr<TRulesGame> MakeGame() override {
    return std::make_unique<TRulesGame>(this->Window, this->Paths);
  }
};

template <class TFixture>
class TPlayHelpers : public TFixture {
 protected:
  // Start-up, then the title prompt (7 s later), where Ctrl is accepted.
  void StartToPrompt() {
    this->StartGame();
    RunToPrompt();
    ASSERT_EQ(this->S().Ready, 1);
  }
  // Lets `ms` pass at once and runs the tick that is then due.
  void Jump(DWORD ms) {
    this->Clock.Advance(ms);
    this->RunTicks(1);
  }
  // The music start (100 ms) and the title prompt (7000 ms), one tick each.
  void RunToPrompt() {
    Jump(150);
    Jump(7000);
  }
  void Key(int virtualKey) { this->Game->FormKeyDown(virtualKey); }
  void Ctrl() { Key(VK_CONTROL); }
  void Answer(const std::u16string& text) {
    this->Window.Answer = text;
    Key(VK_RETURN);
  }
  void AnswerRight() { Answer(this->S().Seikai(this->S().MondaiNo)); }
  void AnswerWrong() { Answer(u"ちがう"); }
  // The question clock read at a tick after `elapsed` ms of the question.
  void TickAt(DWORD elapsed) {
    this->Clock.Set(this->S().StartTime + elapsed + static_cast<DWORD>(this->S().PauseTotal));
    this->S().TickTime = this->Clock.Now() - 25;
    this->Game->ApplicationEvents1Idle();
  }
  static std::string Sjis(const char* utf8) { return codepage::Utf8ToSjis(utf8); }
  // A valid saved question 1 between questions in stage 1, before start-up.
  static TSaveData SavedQuestionOne() {
    TCatalogue catalogue;
    BuildMondaiTable(catalogue);
    TSaveData d;
    d.MondaiNo = 1;
    d.Shutsudai[0] = 1;
    d.ShutsudaiCount = 1;
    d.MojiCount = static_cast<std::int32_t>(catalogue.Reading(1).size());
    d.SeikaiCount = 3;
    d.TimeLeft = 30000;
    d.Tokuten = 120;
    d.SaikoTokuten = 2500;
    return d;
  }
};

using RulesFixture = TPlayHelpers<RulesGameFixture>;

}  // namespace game::testing
