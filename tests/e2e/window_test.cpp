// The real game window, driven in process on Qt's offscreen platform: caption, client size,
// menus, the title prompt, saving on close and resuming at the next start.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "app/form1.h"
#include "app/form2.h"
#include "app/translations.h"
#include "game/game_owned.h"
#include "graphics/device/dg_texture.h"
#include "platform/base/files.h"
#include "platform/shell/shell.h"
#include "support/event_loop.h"
#include "support/shown_frame.h"

namespace fs = std::filesystem;
using game::MenuItemInfo;
using game::TMenuItem;

namespace {

using e2e::RunFor;
using e2e::RunUntil;

// The one application of the test program; main() owns it (a static one would outlive Qt).
QApplication* application = nullptr;
QApplication& App() { return *application; }

// Takes what the window hands to the desktop instead of starting a program.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  std::vector<QUrl> Opened;
 public slots:
  void Open(const QUrl& url) { Opened.push_back(url); }
};

class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    App();
    documents_ =
        fs::temp_directory_path() / ("nightwisp-e2e-" + std::to_string(::getpid()) + "-" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(documents_);
    fs::create_directories(documents_);
    paths_.AppDir = files::ExecutableFolder();
    paths_.DocumentsDir = documents_;
  }
  void TearDown() override { fs::remove_all(documents_); }

  // Answers the next modal box with the given button, whenever it appears.
  static void AnswerBoxes(QMessageBox::StandardButton button, int* answered) {
    auto* poller = new QTimer(QApplication::instance());
    QObject::connect(poller, &QTimer::timeout, [poller, button, answered] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        if (QAbstractButton* b = box->button(button)) {
          ++*answered;
          b->click();
          poller->deleteLater();
        }
      }
    });
    poller->start(20);
  }

  // A key pressed and released (a Ctrl tap asks a new question on its release).
  static void Press(app::TForm1& form, int key) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &form;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
  }

  fs::path documents_;
  game::TGamePaths paths_;
};

TEST_F(WindowTest, OnlyAFileThatExistsIsHandedToTheDesktop) {
  app::TForm1 form(paths_);
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler("file", &catcher, "Open");
  const fs::path there = documents_ / "追加問題.txt";
  std::ofstream(there) << "text";
  const bool opened = form.ShellOpen(there.string());
  const bool missingOpened = form.ShellOpen((documents_ / "missing.txt").string());
  QDesktopServices::unsetUrlHandler("file");
  EXPECT_TRUE(opened);
  EXPECT_FALSE(missingOpened);
  ASSERT_EQ(catcher.Opened.size(), 1u);
  EXPECT_EQ(catcher.Opened[0].toLocalFile(), QString::fromStdString(there.string()));
}

TEST_F(WindowTest, CaptionClientSizeAndMenusAtStartAndAtTheTitlePrompt) {
  app::TForm1 form(paths_);
  form.show();
  form.Start();
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Nightwisp"));
  EXPECT_EQ(form.centralWidget()->size(), QSize(688, 528));
  EXPECT_EQ(form.AnswerField().geometry(), QRect(40, 415, 641, 41));

  // Every top-level menu with its caption, disabled until the title prompt but for the display
  // menu: the window's size is the player's at any time.
  const QList<QAction*> menus = form.menuBar()->actions();
  ASSERT_EQ(menus.size(), 5);
  EXPECT_EQ(menus[0]->text(), QStringLiteral("ゲーム(&G)"));
  EXPECT_EQ(menus[1]->text(), QStringLiteral("設定(&S)"));
  EXPECT_EQ(menus[2]->text(), QStringLiteral("BGM(&B)"));
  EXPECT_EQ(menus[3]->text(), QStringLiteral("表示(&V)"));
  EXPECT_EQ(menus[4]->text(), QStringLiteral("ヘルプ(&H)"));
  for (TMenuItem name :
       {TMenuItem::G1, TMenuItem::S1, TMenuItem::BGM1, TMenuItem::Help1, TMenuItem::Save1}) {
    EXPECT_FALSE(form.MenuEnabled(name)) << MenuItemInfo(name).Name;
  }
  EXPECT_TRUE(form.MenuEnabled(TMenuItem::View1));
  EXPECT_TRUE(form.MenuChecked(TMenuItem::Size1));
  EXPECT_TRUE(form.MenuChecked(TMenuItem::Seisu1));
  EXPECT_FALSE(form.MenuChecked(TMenuItem::Full1));
  EXPECT_TRUE(form.MenuChecked(TMenuItem::Kanji));
  EXPECT_FALSE(form.MenuChecked(TMenuItem::Hira));
  EXPECT_TRUE(form.MenuChecked(TMenuItem::ON1));
  EXPECT_TRUE(form.MenuChecked(TMenuItem::S2));
  const QList<QAction*> gameItems = menus[0]->menu()->actions();
  ASSERT_EQ(gameItems.size(), 9);
  EXPECT_EQ(gameItems[0]->text(), QStringLiteral("漢字混じりで解答(&K)"));
  EXPECT_EQ(gameItems[1]->text(), QStringLiteral("ひらがなだけで解答(&H)"));
  EXPECT_TRUE(gameItems[2]->isSeparator());
  EXPECT_EQ(gameItems[3]->text(), QStringLiteral("復習(&F)"));
  EXPECT_EQ(gameItems[4]->text(), QStringLiteral("成績(&R)"));
  EXPECT_TRUE(gameItems[5]->isSeparator());
  EXPECT_EQ(gameItems[6]->text(), QStringLiteral("保存(&S)"));
  EXPECT_TRUE(gameItems[7]->isSeparator());
  EXPECT_EQ(gameItems[8]->text(), QStringLiteral("終了(&E)"));
  const QList<QAction*> setteiItems = menus[1]->menu()->actions();
  ASSERT_GE(setteiItems.size(), 4);
  EXPECT_EQ(setteiItems[3]->text(), QStringLiteral("意味を表示(&M)"));
  EXPECT_TRUE(setteiItems[3]->isCheckable());
  EXPECT_TRUE(form.MenuChecked(TMenuItem::Imi1));

  // Seven seconds after start-up the prompt appears and the menus open.
  ASSERT_TRUE(RunUntil([&] { return form.Game().State().Ready == 1; }, 12000));
  ASSERT_TRUE(RunUntil([&] { return form.MenuEnabled(TMenuItem::G1); }, 2000));
  for (TMenuItem name : {TMenuItem::G1, TMenuItem::S1, TMenuItem::BGM1, TMenuItem::Help1})
    EXPECT_TRUE(form.MenuEnabled(name));
  EXPECT_GT(form.PresentedFrames(),
            100);  // frames all along (40 a second when the machine is idle)
}

TEST_F(WindowTest, CloseWithSaveAnsweredYesThenResumeAtTheNextStart) {
  int answered = 0;
  int mondaiNo = 0;
  {
    app::TForm1 form(paths_);
    form.show();
    form.Start();
    ASSERT_TRUE(RunUntil([&] { return form.Game().State().Ready == 1; }, 12000));
    Press(form, Qt::Key_Control);
    // The question clock has ticked at least once.
    ASSERT_TRUE(RunUntil([&] { return form.Game().State().TimeLeft > 50000; }, 2000));
    mondaiNo = form.Game().State().MondaiNo;
    AnswerBoxes(QMessageBox::Yes, &answered);
    form.close();
    ASSERT_TRUE(RunUntil([&] { return !form.isVisible(); }, 5000));
  }
  EXPECT_EQ(answered, 1);
  const fs::path userDir = documents_ / "Amaneya" / "NightwispData";
  ASSERT_TRUE(fs::exists(userDir / "record1.dat"));
  EXPECT_EQ(fs::file_size(userDir / "record1.dat"), 1052u);
  EXPECT_TRUE(fs::exists(userDir / "Settei.ini"));
  ASSERT_TRUE(fs::exists(userDir / "Font.dat"));
  EXPECT_EQ(fs::file_size(userDir / "Font.dat"), 1u);

  // The next start offers the saved game; Yes resumes the same running question.
  answered = 0;
  app::TForm1 form(paths_);
  form.show();
  form.Start();
  AnswerBoxes(QMessageBox::Yes, &answered);
  const bool resumed = RunUntil([&] { return form.Game().State().Playing == 1; }, 12000);
  ASSERT_TRUE(resumed) << "answered " << answered << ", Ready " << int(form.Game().State().Ready)
                       << ", TitleMode " << int(form.Game().State().TitleMode) << ", saved Playing "
                       << int(form.Game().State().SaveData.Playing) << ", Paused "
                       << int(form.Game().State().Paused);
  EXPECT_EQ(answered, 1);
  EXPECT_EQ(form.Game().State().MondaiNo, mondaiNo);
  EXPECT_EQ(form.Game().State().TitleMode, 0);
}

TEST_F(WindowTest, TheQuestionScreenShowsBackgroundFirefliesAndTheAnswerField) {
  app::TForm1 form(paths_);
  form.Surface().SetKeepFrames(true);
  form.show();
  form.Start();
  ASSERT_TRUE(RunUntil([&] { return form.Game().State().Ready == 1; }, 12000));
  Press(form, Qt::Key_Control);
  const long framesAtStart = form.PresentedFrames();
  // Characters brighten and dim: wait for a frame in which one shines.
  auto oneShines = [&] {
    const TGameState& s = form.Game().State();
    for (int k = 0; k < s.MojiCount; ++k) {
      if (k != s.KakushiNo && s.Akarusa[k] >= 200) return true;
    }
    return false;
  };
  ASSERT_TRUE(
      RunUntil([&] { return form.PresentedFrames() > framesAtStart + 10 && oneShines(); }, 6000));

  // The presented frame and the state it was drawn from (no tick runs in between).
  const QImage frame = form.Surface().LastFrame();
  const TGameState& s = form.Game().State();
  const auto& o = form.Game().Objects();
  ASSERT_EQ(frame.size(), QSize(688, 528));
  ASSERT_EQ(s.Playing, 1);
  ASSERT_EQ(s.SeikaiCount, 0);  // stage 1: the characters are lined up

  // The background shows at 40 % over black: most of the picture is neither black nor bright.
  int lit = 0, total = 0;
  for (int y = 120; y < 400; y += 7) {
    for (int x = 0; x < 688; x += 7) {
      const QRgb p = frame.pixel(x, y);
      ++total;
      if (qRed(p) + qGreen(p) + qBlue(p) > 15) ++lit;
    }
  }
  EXPECT_GT(lit, total / 2);

  // Each bright character glows: its light shows yellow-green to the right of the letter, at
  // the place the lined-up layout gives (the light centred on the character).
  const int lightW = o.HikariTexture->Width();
  int checked = 0;
  for (int k = 0; k < s.MojiCount; ++k) {
    if (k == s.KakushiNo || s.Akarusa[k] < 200) continue;
    const int centreX = s.Moji[k].X + o.MojiTextures[k]->Width() / 2;
    const int centreY = s.Moji[k].Y + o.MojiTextures[k]->Height() / 2;
    const QRgb p = frame.pixel(centreX + lightW / 2 - 6, centreY);
    EXPECT_GT(qGreen(p), 90) << "character " << k;
    EXPECT_GT(qGreen(p), qBlue(p) + 30) << "character " << k;
    ++checked;
  }
  EXPECT_GT(checked, 0);

  // The window shows the frame itself, and the answer field sits at (40, 415) under the menu
  // bar, green in the kanji mode.
  const QImage window = form.grab().toImage();
  const QPoint sky = form.centralWidget()->mapTo(&form, QPoint(300, 100));
  EXPECT_EQ(window.pixel(sky), frame.pixel(300, 100));
  const QPoint field = form.centralWidget()->mapTo(&form, QPoint(40 + 600, 415 + 20));
  const QRgb p = window.pixel(field);
  EXPECT_EQ(QColor(p), QColor(0, 128, 0));
}

// The window is handed only the part of each frame that changed: what it shows (its backing
// store) must still be the device's whole frame, while fireflies fly and after the window was
// hidden and shown again. The answer field covers its own rectangle.
TEST_F(WindowTest, TheWindowShowsTheWholeFrameThoughOnlyChangesAreHandedOver) {
  app::TForm1 form(paths_);
  // Every presented frame whole, as the device hands it over.
  QImage presented(688, 528, QImage::Format_RGB32);
  form.SetPresenter(e2e::KeepingPresented(presented, form.Presenter()));
  form.show();
  form.Start();
  ASSERT_TRUE(RunUntil([&] { return form.Game().State().Ready == 1; }, 12000));
  Press(form, Qt::Key_Control);
  auto shownEqualsFrame = [&](const char* when) {
    SCOPED_TRACE(when);
    const long frames = form.PresentedFrames();
    ASSERT_TRUE(RunUntil([&] { return form.PresentedFrames() > frames + 20; }, 3000));
    // The window's backing store (no tick runs in between).
    const QImage shown = form.screen()->grabWindow(form.winId()).toImage();
    const QPoint origin = form.Surface().mapTo(&form, QPoint(0, 0));
    const QRect field = form.AnswerField().geometry().translated(-form.Surface().pos());
    EXPECT_EQ(e2e::DifferingPixels(shown, origin, presented, field), 0);
  };
  shownEqualsFrame("a question running");
  form.hide();
  RunFor(100);
  form.show();
  shownEqualsFrame("hidden and shown again");
}

// Behind a fatal error's box the window is plain: no frame comes again to paint what the box
// uncovers, so the surface paints black instead of whatever the window held.
TEST_F(WindowTest, BehindAFatalBoxTheScreenIsPlain) {
  app::TForm1 form(paths_);
  form.show();
  form.Start();
  ASSERT_TRUE(RunUntil([&] { return form.PresentedFrames() > 10; }, 5000));
  form.StopForFatalError();
  form.hide();
  RunFor(100);
  form.show();
  RunFor(300);
  const QImage shown = form.screen()->grabWindow(form.winId()).toImage();
  const QPoint origin = form.Surface().mapTo(&form, QPoint(0, 0));
  int lit = 0;
  for (int y = 0; y < 528; ++y) {
    for (int x = 0; x < 688; ++x) lit += (shown.pixel(origin + QPoint(x, y)) & 0xFFFFFF) != 0;
  }
  EXPECT_EQ(lit, 0);
}

// The desktop side of the window: Qt's standard buttons speak Japanese like the game, the window
// carries the game's icon, and the about box's version fits its label in the installed
// Japanese face that stands in for "ＭＳ Ｐゴシック".
TEST_F(WindowTest, JapaneseButtonsTheWindowIconAndTheAboutBoxFace) {
  ASSERT_TRUE(app::InstallJapaneseTranslations(App()));
  QMessageBox box(QMessageBox::Question, QStringLiteral("Nightwisp"), QStringLiteral("?"),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  for (QMessageBox::StandardButton button :
       {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}) {
    const QString text = box.button(button)->text();
    EXPECT_TRUE(std::any_of(text.begin(), text.end(), [](QChar c) {
      return c.unicode() >= 0x3040;
    })) << text.toStdString();
  }

  app::TForm1 form(paths_);
  const QList<QSize> sizes = form.windowIcon().availableSizes();
  EXPECT_TRUE(sizes.contains(QSize(64, 64)) && sizes.contains(QSize(256, 256)));

  app::TForm2 about(QImage(), QImage(), &form);
  for (const char* name : {"Label1", "LblURL"}) {
    const auto* label = about.findChild<QLabel*>(name);
    ASSERT_NE(label, nullptr) << name;
    EXPECT_EQ(QFontInfo(label->font()).family(), QStringLiteral("IPAPGothic")) << name;
  }
  // The version is not clipped: its characters fit the label (the trailing blank may not).
  const auto* version = about.findChild<QLabel*>("Label1");
  EXPECT_LE(version->fontMetrics().horizontalAdvance(version->text().trimmed()), version->width());
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  application = &app;
  return RUN_ALL_TESTS();
}

#include "window_test.moc"
