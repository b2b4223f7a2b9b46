// The game window served by a real Japanese input method (ibus or fcitx5 with mozc, started by
// ime_session.sh), keys from xdotool: the chords the input method takes are no Ctrl taps, what is
// being composed ends once when the field stops taking it, and a judged field takes no input
// method at all.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMenuBar>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "rules/romaji.h"
#include "support/window_fixture.h"

namespace {

using e2e::RunFor;
using e2e::RunUntil;

const QString kKitsune = QStringLiteral("きつね");

class ImeDesktopTest : public e2e::TWindowTest {
 protected:
  static std::string InputMethod() {
    const char* name = std::getenv("NIGHTWISP_TEST_IM");
    return name ? name : "";
  }
  QString Field() const { return form_->AnswerField().text(); }
  QString Composing() const { return form_->AnswerField().Composing(); }

  // Romaji to mozc; its kana must show as text being composed.
  void Compose(const QString& romaji, const QString& kana) {
    Type(romaji);
    // The first word may wait for mozc's server to start.
    ASSERT_TRUE(RunUntil([&] { return Composing() == kana; }, 10000))
        << "the input method composes " << Composing().toStdString() << ", the field holds "
        << Field().toStdString();
  }
  // No text being composed, mozc switched on again after a case that may have switched it off.
  void Settle() {
    for (int i = 0; i < 3 && !Composing().isEmpty(); ++i) Keys({QStringLiteral("Escape")});
    ASSERT_TRUE(Composing().isEmpty());
    if (InputMethod() == "fcitx5") {
      ASSERT_EQ(QProcess::execute(QStringLiteral("fcitx5-remote"), {QStringLiteral("-o")}), 0);
      RunFor(200);
    }
  }
  // A new question by a Ctrl tap, with a streak of three to watch.
  void Ask() {
    Settle();
    const std::int32_t before = S().MondaiNo;
    Keys({QStringLiteral("ctrl")});
    ASSERT_TRUE(RunUntil([&] { return S().Playing == 1 && S().MondaiNo != before; }, 5000))
        << "a Ctrl tap asked no question";
    S().RenzokuCount = 3;
  }
  // The question and the streak as they were when it was asked.
  testing::AssertionResult SameQuestion(std::int32_t mondaiNo) {
    RunFor(300);  // what the input method hands on late
    if (S().MondaiNo == mondaiNo && S().RenzokuCount == 3 && S().Playing == 1) {
      return testing::AssertionSuccess();
    }
    return testing::AssertionFailure()
           << "question " << S().MondaiNo << " (was " << mondaiNo << "), streak "
           << S().RenzokuCount << ", playing " << int{S().Playing};
  }
  // A chord pressed while mozc composes, whatever the input method makes of it, asks nothing.
  void ChordWhileComposing(const char* chord) {
    ASSERT_NO_FATAL_FAILURE(Ask());
    const std::int32_t asked = S().MondaiNo;
    QApplication::clipboard()->setText(QStringLiteral("456"));
    ASSERT_NO_FATAL_FAILURE(Compose(QStringLiteral("kitsune"), kKitsune));
    Keys({QString::fromLatin1(chord)});
    EXPECT_TRUE(SameQuestion(asked));
  }
  // A real click on a top-level menu's title, as a player opens it.
  void ClickMenu(game::TMenuItem menu) {
    QMenuBar* bar = form_->menuBar();
    const QPoint at = bar->mapToGlobal(bar->actionGeometry(form_->Menu().Item(menu)).center());
    ASSERT_EQ(
        QProcess::execute(QStringLiteral("xdotool"),
                          {QStringLiteral("mousemove"), QString::number(at.x()),
                           QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")}),
        0);
    RunFor(300);
  }
};

struct TCase {
  const char* Name;
  std::function<void()> Run;
};

TEST_F(ImeDesktopTest, ChordsCompositionAndTheJudgedField) {
  ASSERT_FALSE(InputMethod().empty()) << "run through ime_session.sh";
  const TCase cases[] = {
      {"Ctrl+Space with nothing composed",
       [this] {
         ASSERT_NO_FATAL_FAILURE(Ask());
         const std::int32_t asked = S().MondaiNo;
         // fcitx5 switches mozc off and on again; each press is a chord.
         Keys({QStringLiteral("ctrl+space")});
         EXPECT_TRUE(SameQuestion(asked)) << "switching the input method off";
         Keys({QStringLiteral("ctrl+space")});
         EXPECT_TRUE(SameQuestion(asked)) << "switching it on";
       }},
      {"Ctrl+Space while composing", [this] { ChordWhileComposing("ctrl+space"); }},
      {"Ctrl+V while composing", [this] { ChordWhileComposing("ctrl+v"); }},
      {"Ctrl+I while composing", [this] { ChordWhileComposing("ctrl+i"); }},
      {"a menu click while composing keeps the text once",
       [this] {
         ASSERT_NO_FATAL_FAILURE(Ask());
         Compose(QStringLiteral("kitsune"), kKitsune);
         ClickMenu(game::TMenuItem::G1);
         EXPECT_TRUE(RunUntil([&] { return S().Paused == 1; }, 5000));
         Keys({QStringLiteral("Escape")});  // the menu closes; the pause stays
         RunFor(500);
         EXPECT_EQ(Field(), kKitsune) << "paused";
         Keys({QStringLiteral("F2")});
         EXPECT_TRUE(RunUntil([&] { return S().Paused == 0; }, 3000)) << "F2 did not resume";
         RunFor(500);
         EXPECT_EQ(Field(), kKitsune) << "resumed";
         EXPECT_TRUE(Composing().isEmpty());
       }},
      {"a time-out while composing discards the text",
       [this] {
         ASSERT_NO_FATAL_FAILURE(Ask());
         Compose(QStringLiteral("kitsune"), kKitsune);
         S().StartTime -= static_cast<std::uint32_t>(S().TimeLimit);
         ASSERT_TRUE(RunUntil([&] { return S().Playing == 0; }, 5000)) << "no time-out";
         RunFor(500);
         EXPECT_TRUE(Field().isEmpty()) << "timed out: " << Field().toStdString();
         EXPECT_TRUE(Composing().isEmpty());
         // The next question starts empty: nothing composed comes back into it.
         Keys({QStringLiteral("ctrl")});
         ASSERT_TRUE(RunUntil([&] { return S().Playing == 1; }, 5000))
             << "a Ctrl tap after the time-out asked nothing";
         RunFor(500);
         EXPECT_TRUE(Field().isEmpty()) << "next question: " << Field().toStdString();
         EXPECT_TRUE(Composing().isEmpty());
       }},
      {"typing after a judgement changes nothing, and Ctrl asks the next question",
       [this] {
         ASSERT_NO_FATAL_FAILURE(Ask());
         Compose(QStringLiteral("kitsune"), kKitsune);
         Keys({QStringLiteral("Return")});  // commits
         ASSERT_TRUE(RunUntil([&] { return Field() == kKitsune; }, 5000));
         ASSERT_EQ(S().Playing, 1) << "the committing Enter judged";
         Keys({QStringLiteral("Return")});
         ASSERT_TRUE(RunUntil([&] { return S().Playing == 0; }, 3000)) << "Enter did not judge";
         Type(QStringLiteral("inu"));
         Keys({QStringLiteral("Return")});
         EXPECT_EQ(Field(), kKitsune);
         EXPECT_TRUE(Composing().isEmpty()) << "the judged field composes";
         const std::int32_t judged = S().MondaiNo;
         Keys({QStringLiteral("ctrl")});
         EXPECT_TRUE(RunUntil([&] { return S().Playing == 1 && S().MondaiNo != judged; }, 5000))
             << "a Ctrl tap after typing into the judged field asked nothing";
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Name) + " (" + InputMethod() + ")");
    c.Run();
    if (HasFatalFailure()) return;
  }
}

// Text emptied while being composed (BackSpace, Escape) stays gone: whatever ends the question
// (Enter, a time-out, a menu click, a Ctrl tap for the next one), the field holds exactly what was
// committed, and the next question's field is empty.
TEST_F(ImeDesktopTest, EmptiedCompositionStaysGone) {
  ASSERT_FALSE(InputMethod().empty()) << "run through ime_session.sh";
  enum class TEnd { Enter, TimeOut, MenuClick, BoxWhilePaused, Ctrl };
  const struct {
    const char* Name;
    const char* Emptying;
    TEnd End;
  } cases[] = {
      {"BackSpace, then Enter", "BackSpace", TEnd::Enter},
      {"Escape, then Enter", "Escape", TEnd::Enter},
      {"BackSpace, then a time-out", "BackSpace", TEnd::TimeOut},
      {"Escape, then a time-out", "Escape", TEnd::TimeOut},
      {"BackSpace, then a menu click", "BackSpace", TEnd::MenuClick},
      {"Escape, then a menu click", "Escape", TEnd::MenuClick},
      {"BackSpace, then a box while paused", "BackSpace", TEnd::BoxWhilePaused},
      {"Escape, then a box while paused", "Escape", TEnd::BoxWhilePaused},
      {"BackSpace, then Ctrl", "BackSpace", TEnd::Ctrl},
      {"Escape, then Ctrl", "Escape", TEnd::Ctrl},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Name) + " (" + InputMethod() + ")");
    ASSERT_NO_FATAL_FAILURE(Ask());
    S().TimeLimit = 600000;  // the time-out comes only when the case makes it
    const std::int32_t asked = S().MondaiNo;
    ASSERT_NO_FATAL_FAILURE(Compose(QStringLiteral("kitsune"), kKitsune));
    Keys({QStringLiteral("Return")});  // commits
    ASSERT_TRUE(RunUntil([&] { return Field() == kKitsune && Composing().isEmpty(); }, 5000));
    if (c.End == TEnd::BoxWhilePaused) {
      Keys({QStringLiteral("F2")});  // the field stays editable
      ASSERT_TRUE(RunUntil([&] { return S().Paused == 1; }, 3000)) << "F2 did not pause";
    }
    ASSERT_NO_FATAL_FAILURE(Compose(QStringLiteral("a"), QStringLiteral("あ")));
    Keys({QString::fromLatin1(c.Emptying)});
    ASSERT_TRUE(RunUntil([&] { return Composing().isEmpty(); }, 3000)) << "still composing";
    ASSERT_EQ(Field().toStdString(), kKitsune.toStdString()) << "emptied";
    switch (c.End) {
      case TEnd::Enter:
        Keys({QStringLiteral("Return")});
        EXPECT_TRUE(RunUntil([&] { return S().Playing == 0; }, 3000)) << "Enter did not judge";
        break;
      case TEnd::TimeOut:
        S().StartTime -= static_cast<std::uint32_t>(S().TimeLimit);
        EXPECT_TRUE(RunUntil([&] { return S().Playing == 0; }, 5000)) << "no time-out";
        break;
      case TEnd::MenuClick:
        ASSERT_NO_FATAL_FAILURE(ClickMenu(game::TMenuItem::G1));
        EXPECT_TRUE(RunUntil([&] { return S().Paused == 1; }, 5000));
        Keys({QStringLiteral("Escape")});  // the menu closes; the pause stays
        RunFor(300);
        EXPECT_EQ(Field().toStdString(), kKitsune.toStdString()) << "paused";
        Keys({QStringLiteral("F2")});
        EXPECT_TRUE(RunUntil([&] { return S().Paused == 0; }, 3000)) << "F2 did not resume";
        break;
      case TEnd::BoxWhilePaused:
        // The box takes the focus from the field, and gives it back when it closes.
        QTimer::singleShot(1000, [] {
          if (QWidget* box = QApplication::activeModalWidget()) box->close();
        });
        form_->ShowMessage("box");
        RunFor(300);
        EXPECT_EQ(Field().toStdString(), kKitsune.toStdString()) << "after the box";
        Keys({QStringLiteral("F2")});
        EXPECT_TRUE(RunUntil([&] { return S().Paused == 0; }, 3000)) << "F2 did not resume";
        break;
      case TEnd::Ctrl:
        break;
    }
    if (c.End != TEnd::Ctrl) {
      RunFor(500);
      EXPECT_EQ(Field().toStdString(), kKitsune.toStdString()) << "judged or kept";
    }
    Keys({QStringLiteral("ctrl")});
    ASSERT_TRUE(RunUntil([&] { return S().Playing == 1 && S().MondaiNo != asked; }, 5000))
        << "Ctrl asked no question";
    RunFor(500);
    EXPECT_TRUE(Field().isEmpty()) << "next question: " << Field().toStdString();
    EXPECT_TRUE(Composing().isEmpty());
    if (HasFatalFailure()) return;
  }
}

// The rectangle the input method itself was last given for its candidate window, read from its
// D-Bus traffic: fcitx5 on the session bus, ibus on its own bus.
class TCursorWatch {
 public:
  explicit TCursorWatch(const std::string& inputMethod) {
    QStringList arguments;
    if (inputMethod == "ibus") {
      QProcess address;
      address.start(QStringLiteral("ibus"), {QStringLiteral("address")});
      address.waitForFinished(5000);
      arguments << QStringLiteral("--address")
                << QString::fromUtf8(address.readAllStandardOutput()).trimmed()
                << QStringLiteral("type='method_call',member='SetCursorLocation'");
    } else {
      arguments << QStringLiteral("--session")
                << QStringLiteral("type='method_call',interface='org.fcitx.Fcitx.InputContext1'");
    }
    monitor_.start(QStringLiteral("dbus-monitor"), arguments);
    started_ = monitor_.waitForStarted(5000);
    RunFor(500);
  }
  ~TCursorWatch() {
    monitor_.kill();
    monitor_.waitForFinished(3000);
  }
  bool Started() const { return started_ && monitor_.state() == QProcess::Running; }
  // The last rectangle seen so far, in the screen's pixels.
  std::optional<QRect> Last() {
    log_ += QString::fromUtf8(monitor_.readAllStandardOutput());
    const qsizetype call = std::max(log_.lastIndexOf(QStringLiteral("member=SetCursorLocation")),
                                    log_.lastIndexOf(QStringLiteral("member=SetCursorRect")));
    if (call < 0) return std::nullopt;
    int values[4];
    qsizetype at = call;
    for (int& value : values) {
      at = log_.indexOf(QStringLiteral("int32 "), at);
      if (at < 0) return std::nullopt;
      at += 6;
      const qsizetype end = log_.indexOf(QChar('\n'), at);
      if (end < 0) return std::nullopt;
      value = log_.mid(at, end - at).toInt();
    }
    return QRect(values[0], values[1], values[2], values[3]);
  }

 private:
  QProcess monitor_;
  bool started_ = false;
  QString log_;
};

// The rectangle given to the input method lies in the answer field on the screen.
testing::AssertionResult AtTheField(const std::optional<QRect>& cursor, const QWidget& field) {
  if (!cursor) return testing::AssertionFailure() << "the input method was given no rectangle";
  const QRect shown(field.mapToGlobal(QPoint(0, 0)), field.size());
  if (shown.contains(cursor->center())) return testing::AssertionSuccess();
  return testing::AssertionFailure()
         << "candidates open at " << cursor->x() << "," << cursor->y() << " " << cursor->width()
         << "x" << cursor->height() << ", the field is at " << shown.x() << "," << shown.y() << " "
         << shown.width() << "x" << shown.height();
}

// At every size the 表示 menu gives, the candidate window opens at the field as drawn: the
// rectangle the input method is given lies in the field on the screen.
TEST_F(ImeDesktopTest, CandidatesOpenAtTheFieldAtEverySize) {
  ASSERT_FALSE(InputMethod().empty()) << "run through ime_session.sh";
  TCursorWatch watch(InputMethod());
  ASSERT_TRUE(watch.Started()) << "dbus-monitor did not start";
  ASSERT_NO_FATAL_FAILURE(Ask());
  S().TimeLimit = 600000;
  for (const game::TMenuItem item :
       {game::TMenuItem::Size2, game::TMenuItem::Full1, game::TMenuItem::Full1,
        game::TMenuItem::Fit1, game::TMenuItem::Size1, game::TMenuItem::Seisu1}) {
    SCOPED_TRACE(game::MenuItemInfo(item).Name);
    form_->Menu().Item(item)->trigger();
    RunFor(500);
    // Where the first key's candidates open, and where they go as the text grows.
    EXPECT_TRUE(AtTheField(watch.Last(), form_->AnswerField())) << "before typing";
    ASSERT_NO_FATAL_FAILURE(Compose(QStringLiteral("a"), QStringLiteral("あ")));
    RunFor(300);
    EXPECT_TRUE(AtTheField(watch.Last(), form_->AnswerField())) << "while composing";
    ASSERT_NO_FATAL_FAILURE(Settle());
  }
}

// The X key name of a character of a romaji spelling.
QString KeyName(char c) {
  switch (c) {
    case '-':
      return QStringLiteral("minus");
    case ',':
      return QStringLiteral("comma");
    case '.':
      return QStringLiteral("period");
    case '[':
      return QStringLiteral("bracketleft");
    case ']':
      return QStringLiteral("bracketright");
    case '!':
      return QStringLiteral("exclam");
    case '?':
      return QStringLiteral("question");
    case '\'':
      return QStringLiteral("apostrophe");
    default:
      return QString(QChar::fromLatin1(c));
  }
}

// mozc shows the letters that make no kana full-width; the converter leaves them as typed.
QString Ascii(QString text) {
  for (QChar& c : text) {
    if (c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E && !QStringLiteral("！？").contains(c)) {
      c = QChar(c.unicode() - 0xFF01 + 0x21);
    }
  }
  return text;
}

// Romaji as mozc takes it and as the game's own converter does, for players without an input
// method: every spelling of the converter's table and the other spellings input methods accept,
// typed through mozc (committed with Enter) and through the converter, agree.
TEST_F(ImeDesktopTest, TheRomajiConverterAgreesWithMozc) {
  ASSERT_FALSE(InputMethod().empty()) << "run through ime_session.sh";
  std::vector<std::string> spellings;
  for (const std::string_view spelling : game::RomajiSpellings()) {
    // A lone n is ん before a consonant (at Enter the game settles it, where mozc keeps the
    // letter); a doubled consonant alone is no syllable: it types っ before one.
    if (spelling == "n") {
      spellings.emplace_back("nta");
      continue;
    }
    spellings.emplace_back(spelling.size() >= 2 && spelling[0] == spelling[1] && spelling[0] != 'n'
                               ? std::string(spelling) + "a"
                               : std::string(spelling));
  }
  for (const char* head :
       {"hw", "shy", "chy", "cy",  "wh", "kw", "qw", "gw", "sw", "zw", "tw", "dw",
        "fw", "ts",  "dh",  "th",  "ty", "dy", "jy", "zy", "sy", "xy", "ly", "fy",
        "vy", "qy",  "wy",  "tsy", "q",  "c",  "x",  "l",  "v",  "j",  "f"}) {
    for (const char* vowel : {"a", "i", "u", "e", "o"})
      spellings.push_back(std::string(head) + vowel);
  }
  for (const char* other :
       {"xn",   "nn",   "n'",   "xtsu", "ltsu", "xka", "xke", "xwa", "wyi", "wye", "kka",
        "ttsu", "tcha", "sshi", "nka",  "ye",   "yi",  "wu",  "nyk", "nw",  "kyk"}) {
    spellings.emplace_back(other);
  }
  ASSERT_NO_FATAL_FAILURE(Ask());
  S().TimeLimit = 6000000;
  // mozc's server started before the first batch.
  ASSERT_NO_FATAL_FAILURE(Compose(QStringLiteral("a"), QStringLiteral("あ")));
  ASSERT_NO_FATAL_FAILURE(Settle());
  std::vector<std::string> differing;
  constexpr std::size_t kBatch = 20;
  for (std::size_t first = 0; first < spellings.size(); first += kBatch) {
    // A batch in one go, each spelling committed by Enter: the field holds what mozc made of
    // them, one after the other.
    form_->AnswerField().SetText(QString());
    QStringList keys{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("25")};
    QString expected;
    const std::size_t end = std::min(spellings.size(), first + kBatch);
    for (std::size_t i = first; i < end; ++i) {
      for (const char c : spellings[i]) keys << KeyName(c);
      keys << QStringLiteral("Return");
      const std::u16string typed =
          game::RomajiTyped(std::u16string(spellings[i].begin(), spellings[i].end()));
      expected += QString::fromStdU16String(typed);
    }
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), keys), 0);
    RunUntil([&] { return Ascii(Field()) == expected; }, 2000);
    ASSERT_TRUE(RunUntil([&] { return Composing().isEmpty(); }, 3000))
        << "composing " << Composing().toStdString() << " after " << Field().toStdString();
    if (Ascii(Field()) == expected) continue;
    // One by one, to name the spellings that differ.
    for (std::size_t i = first; i < end; ++i) {
      form_->AnswerField().SetText(QString());
      Type(QString::fromStdString(spellings[i]));
      Keys({QStringLiteral("Return")});
      RunUntil([&] { return Composing().isEmpty() && !Field().isEmpty(); }, 2000);
      const QString mozc = Ascii(Field());
      const std::u16string typed =
          game::RomajiTyped(std::u16string(spellings[i].begin(), spellings[i].end()));
      if (mozc != QString::fromStdU16String(typed)) {
        differing.push_back(spellings[i] + ": mozc " + mozc.toStdString() + ", converter " +
                            QString::fromStdU16String(typed).toStdString());
      }
      ASSERT_NO_FATAL_FAILURE(Settle());
    }
  }
  std::string report;
  for (const std::string& line : differing) report += line + "\n";
  EXPECT_TRUE(differing.empty()) << differing.size() << " of " << spellings.size()
                                 << " spellings differ:\n"
                                 << report;
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
