#include "app/form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFontDialog>
#include <QIcon>
#include <QKeyEvent>
#include <QLayout>
#include <QMessageBox>
#include <QScreen>

#include <algorithm>
#include <chrono>

#include "app/dialog_filters.h"
#include "app/face_names.h"
#include "app/form2.h"
#include "app/history_window.h"
#include "app/pictures.h"
#include "platform/codepage/codepage.h"
#include "platform/shell/shell.h"

namespace app {
namespace {

QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.c_str()); }
std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }

// The design's boxes break lines with a carriage return.
QString BoxText(const std::string& text) {
  QString result = FromUtf8(text);
  result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  result.replace(QChar('\r'), QChar('\n'));
  return result;
}

QString FaceFromSjis(const std::string& face) {
  return InstalledFace(FromUtf8(codepage::SjisToUtf8(face)));
}

QFont FontFromChoice(const game::TFontChoice& choice, int pixelHeight) {
  QFont font(FaceFromSjis(choice.FaceName));
  font.setPixelSize(pixelHeight);
  font.setBold((choice.Style & 1) != 0);
  font.setItalic((choice.Style & 2) != 0);
  font.setUnderline((choice.Style & 4) != 0);
  font.setStrikeOut((choice.Style & 8) != 0);
  return font;
}

}  // namespace

TForm1::TForm1(game::TGamePaths paths)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                               Qt::WindowCloseButtonHint) {
  setObjectName("Form1");
  setWindowTitle(QStringLiteral("Nightwisp"));
  // The game's icon for the title bar and the taskbar, in the sizes make-data draws.
  QIcon icon;
  for (const char* file : {"nightwisp-64.png", "nightwisp-256.png"}) {
    icon.addFile(QString::fromStdString((paths.AppDir / "Data" / file).string()));
  }
  setWindowIcon(icon);

  menu_ = std::make_unique<TMainMenu>(
      menuBar(),
      [this] {
        display_->Changed();
        if (started_) game_->TopMenuClick();
      },
      [this](game::TMenuItem item) { OnMenuClick(item); });

  // The client area is the frame's size at least; the window is resizable by its frame.
  client_ = new QWidget(this);
  client_->setMinimumSize(kClientWidth, kClientHeight);
  setCentralWidget(client_);
  surface_ = new TRenderSurface(client_);
  surface_->SetFrameSize(QSize(kClientWidth, kClientHeight));
  answer_ = new TAnswerField(client_);
  surface_->SetCoveredBy(answer_);
  display_ = std::make_unique<TWindowDisplay>(
      TWindowDisplay::TParts{*this, *client_, *surface_, *answer_, *menu_},
      [this] { SetAnswerFont(answerFont_); },
      [this](const game::TDisplaySettings& display) {
        // Written with the other settings at close (once start-up has read them).
        if (!started_) return;
        game::TSettings& kept = game_->State().Settings;
        kept.WindowSize = display.Size;
        kept.FullScreen = display.FullScreen;
        kept.FitToWindow = display.Fit;
      });
  answer_->SetReadOnly(true, TAnswerField::TComposed::Discard);

  // The window font: 32 pixels, bold; start-up gives it the desktop's face.
  answerFont_.Style = 1;
  SetAnswerFont(answerFont_);
  SetAnswerColor(0, 128, 0);

  // The device presents each finished frame here.
  SetPresenter([this](UINT width, UINT height, INT pitch, const std::uint32_t* pixels,
                      const TFrameChange& change) {
    surface_->ShowFrame(static_cast<int>(width), static_cast<int>(height), pitch, pixels, change);
    benchLog_.Frame(static_cast<int>(width), static_cast<int>(height), pitch, pixels, change);
    if (presentedFrames_++ == 0) benchLog_.FirstFrame();
  });

  // Key preview: the four game keys act wherever the focus is in this window.
  qApp->installEventFilter(this);

  tickTimer_.setTimerType(Qt::PreciseTimer);
  tickTimer_.setSingleShot(true);
  connect(&tickTimer_, &QTimer::timeout, this, [this] { Tick(); });

  game_ = std::make_unique<game::TGame>(*this, *this, std::move(paths));
  answer_->SetRomajiAnswer([this] { return game_->RomajiAnswer(); });
  keyCount_ = std::make_unique<TKeyCount>(serverKeys_, *this, [this](bool enter) {
    if (started_ && !destroyed_) game_->KeyPressedAtKeyboard(enter);
  });
}

TForm1::~TForm1() {
  qApp->removeEventFilter(this);
  tickTimer_.stop();
  if (game_ && !destroyed_) {
    destroyed_ = true;
    game_->FormDestroy();
  }
}

void TForm1::Start() {
  // Centred on the screen, then the creation handler, then the tick.
  display_->SetWindowSize(Display().Size);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
  }
  game_->FormCreate();
  const game::TSettings& kept = game_->State().Settings;
  ApplyDisplay({kept.WindowSize, kept.FullScreen, kept.FitToWindow});
  started_ = true;
  display_->Changed();
  if (!ticksByHand_) tickTimer_.start(0);
}

void TForm1::StopTicks() {
  ticksStopped_ = true;
  tickTimer_.stop();
}

void TForm1::StopForFatalError() {
  StopTicks();
  surface_->Blank();
  answer_->hide();
}

void TForm1::ResumeTicks() {
  ticksStopped_ = false;
  if (!ticksByHand_) tickTimer_.start(0);
}

void TForm1::Tick() {
  if (ticksStopped_) return;
  // The design's process-messages call never runs the idle handler: no tick inside it.
  if (processMessagesDepth_ > 0) {
    if (!ticksByHand_) tickTimer_.start(1);
    return;
  }
  // Armed before the handler runs, so a modal box opened inside it keeps the ticks coming.
  if (!ticksByHand_) tickTimer_.start(25);
  ++tickDepth_;
  const std::uint32_t tickBefore = game_->State().TickTime;
  const auto startedAt = std::chrono::steady_clock::now();
  const int wait = game_->ApplicationEvents1Idle();
  --tickDepth_;
  if (game_->State().TickTime != tickBefore) benchLog_.Tick(startedAt);
  if (!ticksByHand_) tickTimer_.start(std::max(wait, 0));
}

void TForm1::OnMenuClick(game::TMenuItem item) {
  if (TWindowDisplay::IsDisplayItem(item)) {
    display_->OnItem(item);
    return;
  }
  if (!started_ || ticksStopped_) return;
  game_->MenuClick(item);
}

// --- How the frame is shown (window_display.cpp) -----------------------------------------------

void TForm1::ApplyDisplay(const game::TDisplaySettings& display) { display_->Apply(display); }
const game::TDisplaySettings& TForm1::Display() const { return display_->Settings(); }
int TForm1::LargestWindowSize() const { return display_->LargestWindowSize(); }

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (display_) display_->Event(watched, *event);
  const bool keyEvent = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
  if (!keyEvent) {
    ctrlTap_.Event(*event);  // a mouse button, or the window losing the keyboard
    return QMainWindow::eventFilter(watched, event);
  }
  // Each key event is seen once: where it is first delivered to a widget.
  if (!watched->isWidgetType()) return QMainWindow::eventFilter(watched, event);
  auto* widget = static_cast<QWidget*>(watched);
  const bool firstDelivery = widget == QApplication::focusWidget() ||
                             (QApplication::focusWidget() == nullptr && widget == widget->window());
  if (!firstDelivery) return QMainWindow::eventFilter(watched, event);
  const bool ctrlTap = ctrlTap_.Event(*event);
  if (started_ && !ticksStopped_ && widget->window() == this) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::KeyRelease) {
      if (ctrlTap) game_->FormKeyDown(game::VK_CONTROL);
    } else {
      keyCount_->QtKeyPress(*key);
      switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
          game_->FormKeyDown(game::VK_RETURN);
          break;
        case Qt::Key_F1:
          game_->FormKeyDown(game::VK_F1);
          return true;  // F1 must not open anything else
        case Qt::Key_F2:
          game_->FormKeyDown(game::VK_F2);
          return true;
        case Qt::Key_F11:
          if (!key->isAutoRepeat()) display_->SetFullScreen(!Display().FullScreen);
          return true;
        case Qt::Key_Escape:
          // Escape belongs to the input method while it composes.
          if (Display().FullScreen && answer_->Composing().isEmpty()) {
            display_->SetFullScreen(false);
            return true;
          }
          break;
        default:
          break;
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (!started_ || destroyed_) {
    event->accept();
    return;
  }
  if (!game_->FormCloseQuery()) {
    event->ignore();
    return;
  }
  game_->FormClose();
  tickTimer_.stop();
  event->accept();
}

// --- game::TGameWindow ---------------------------------------------------------------------------

std::u16string TForm1::AnswerText() const {
  const QString text = answer_->text();
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                        static_cast<size_t>(text.size()));
}

void TForm1::SetAnswerText(const std::u16string& text) {
  answer_->SetText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
}

void TForm1::SetAnswerReadOnly(bool readOnly) {
  // A pause keeps what the player was composing; a judgement or a time-out drops it.
  answer_->SetReadOnly(readOnly, game_->State().Paused == 1 ? TAnswerField::TComposed::Keep
                                                            : TAnswerField::TComposed::Discard);
}

void TForm1::SetAnswerColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  QPalette palette = answer_->palette();
  palette.setColor(QPalette::Base, QColor(red, green, blue));
  palette.setColor(QPalette::Text, Qt::black);
  answer_->setPalette(palette);
}

void TForm1::FocusAnswer() { answer_->setFocus(Qt::OtherFocusReason); }

void TForm1::SetAnswerFont(const game::TFontChoice& font) {
  answerFont_ = font;
  // 32 frame pixels, at the frame's scale.
  const double scale = surface_->Placement().Factor() / surface_->devicePixelRatioF();
  answer_->setFont(FontFromChoice(font, std::max(1, qRound(32 * scale))));
}

void TForm1::SetMenuChecked(game::TMenuItem item, bool checked) {
  menu_->SetChecked(item, checked);
}
bool TForm1::MenuChecked(game::TMenuItem item) const { return menu_->Checked(item); }
void TForm1::SetMenuEnabled(game::TMenuItem item, bool enabled) {
  menu_->SetEnabled(item, enabled);
}
bool TForm1::MenuEnabled(game::TMenuItem item) const { return menu_->Enabled(item); }

void TForm1::ShowMessage(const std::string& text) {
  QMessageBox::information(this, QStringLiteral("Nightwisp"), BoxText(text));
  FocusAfterDialog();
}

game::TConfirmAnswer TForm1::Confirm(const std::string& text, bool withCancel) {
  QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
  if (withCancel) buttons |= QMessageBox::Cancel;
  const auto answer =
      QMessageBox::question(this, QStringLiteral("Nightwisp"), BoxText(text), buttons);
  FocusAfterDialog();
  if (answer == QMessageBox::Yes) return game::TConfirmAnswer::Yes;
  if (answer == QMessageBox::No) return game::TConfirmAnswer::No;
  return withCancel ? game::TConfirmAnswer::Cancel : game::TConfirmAnswer::No;
}

std::optional<game::TFontChoice> TForm1::ChooseFont(const game::TFontChoice& preset) {
  bool chosen = false;
  const QFont font = QFontDialog::getFont(&chosen, FontFromChoice(preset, 32), this);
  FocusAfterDialog();
  if (!chosen) return std::nullopt;
  game::TFontChoice result;
  result.FaceName = codepage::Utf8ToSjis(ToUtf8(font.family()));
  result.Charset = preset.Charset;  // Qt fonts carry no character set; keep the one we had
  result.Style = static_cast<std::uint8_t>((font.bold() ? 1 : 0) | (font.italic() ? 2 : 0) |
                                           (font.underline() ? 4 : 0) | (font.strikeOut() ? 8 : 0));
  return result;
}

std::optional<std::string> TForm1::ChooseMusicFile(const std::string& title,
                                                   const std::string& filter) {
  const QString file = QFileDialog::getOpenFileName(this, FromUtf8(title), QString(),
                                                    FromUtf8(QtFileFilter(filter)));
  FocusAfterDialog();
  if (file.isEmpty()) return std::nullopt;
  return ToUtf8(file);
}

std::optional<std::string> TForm1::BrowseFolder(const std::string& prompt) {
  const QString folder = QFileDialog::getExistingDirectory(this, FromUtf8(prompt));
  FocusAfterDialog();
  if (folder.isEmpty()) return std::nullopt;
  return ToUtf8(folder);
}

void TForm1::CloseWindow() { close(); }

void TForm1::ShowAboutBox() {
  const auto& paths = game_->Paths();
  TForm2 about(LoadArchivePicture(paths.AppDir / "Data" / "wisplore.qda", "Title.bmp"),
               LoadPictureFile(paths.AppDir / "Data" / "logo.bmp"), this);
  about.ShowModalCentred();
  FocusAfterDialog();
}

void TForm1::ShowHistory(const std::filesystem::path& file) {
  THistoryWindow window(file, this);
  window.exec();
  FocusAfterDialog();
}

void TForm1::FocusAfterDialog() {
  // Without this a desktop may leave the window inactive once a box closes: typed text still
  // arrives, but Enter would reach no focused control until the player clicks the field.
  activateWindow();
  answer_->setFocus(Qt::ActiveWindowFocusReason);
}

void TForm1::ProcessMessages() {
  ++processMessagesDepth_;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  --processMessagesDepth_;
}

bool TForm1::ShellOpen(const std::string& fileOrUrl) { return shell::ShellOpen(fileOrUrl); }

int TForm1::ClientWidth() const { return kClientWidth; }
int TForm1::ClientHeight() const { return kClientHeight; }
// The outer frame as it stands around a 1× client area: the menu bar and borders are the
// window's, the client area the frame's own size, however large the window shows it.
int TForm1::OuterWidth() const { return kClientWidth + frameGeometry().width() - client_->width(); }
int TForm1::OuterHeight() const {
  return kClientHeight + frameGeometry().height() - client_->height();
}

// --- TOwnerWindow --------------------------------------------------------------------------------

std::uintptr_t TForm1::NativeHandle() const { return static_cast<std::uintptr_t>(winId()); }

RECT TForm1::WindowRect() const {
  const QRect frame = frameGeometry();
  return RECT{frame.left(), frame.top(), frame.right() + 1, frame.bottom() + 1};
}

RECT TForm1::ClientRect() const { return RECT{0, 0, kClientWidth, kClientHeight}; }

bool TForm1::MoveWindow(LONG left, LONG top, LONG /*width*/, LONG /*height*/) {
  // The client area is fixed at 688 × 528; only the place can change.
  move(left, top);
  return true;
}

}  // namespace app
