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
                               Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                               Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
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
        if (started_) game_->TopMenuClick();
      },
      [this](game::TMenuItem item) { OnMenuClick(item); });

  auto* client = new QWidget(this);
  client->setFixedSize(kClientWidth, kClientHeight);
  setCentralWidget(client);
  surface_ = new TRenderSurface(client);
  surface_->setGeometry(0, 0, kClientWidth, kClientHeight);
  answer_ = new TAnswerField(client);
  answer_->setGeometry(game::kAnswerFieldBounds.Left, game::kAnswerFieldBounds.Top,
                       game::kAnswerFieldBounds.Width, game::kAnswerFieldBounds.Height);
  surface_->SetCoveredBy(answer_);
  answer_->setReadOnly(true);
  layout()->setSizeConstraint(QLayout::SetFixedSize);

  // The window font: 32 pixels, bold; start-up gives it the desktop's face.
  answerFont_.Style = 1;
  SetAnswerFont(answerFont_);
  SetAnswerColor(0, 128, 0);

  // The device presents each finished frame here.
  SetPresenter([this](UINT width, UINT height, INT pitch, const std::uint32_t* pixels,
                      const TFrameChange& change) {
    surface_->ShowFrame(static_cast<int>(width), static_cast<int>(height), pitch, pixels, change);
    if (presentedFrames_++ == 0) benchLog_.FirstFrame();
  });

  // Key preview: the four game keys act wherever the focus is in this window.
  qApp->installEventFilter(this);

  tickTimer_.setTimerType(Qt::PreciseTimer);
  tickTimer_.setSingleShot(true);
  connect(&tickTimer_, &QTimer::timeout, this, [this] { Tick(); });

  game_ = std::make_unique<game::TGame>(*this, *this, std::move(paths));
  answer_->SetRomajiAnswer([this] { return game_->RomajiAnswer(); });
  keyCount_ = std::make_unique<TKeyCount>(*this, [this](bool enter) {
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
  adjustSize();
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
  }
  game_->FormCreate();
  started_ = true;
  if (!ticksByHand_) tickTimer_.start(0);
}

void TForm1::StopTicks() {
  ticksStopped_ = true;
  tickTimer_.stop();
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
  if (!started_ || ticksStopped_) return;
  game_->MenuClick(item);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  // A Ctrl tap asks a new question: Ctrl pressed and released with no other key or mouse
  // button in between. A chord (Ctrl+V to paste, Ctrl+Space for the input method) never is.
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
      if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Control) ctrlTapPending_ = false;
      break;
    case QEvent::MouseButtonPress:
    case QEvent::WindowDeactivate:
      ctrlTapPending_ = false;
      break;
    default:
      break;
  }
  const bool keyEvent = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
  if (keyEvent && started_ && !ticksStopped_ && watched->isWidgetType()) {
    auto* widget = static_cast<QWidget*>(watched);
    // Each key press is seen once: where it is first delivered, inside this window.
    const bool firstDelivery = widget == QApplication::focusWidget() ||
                               (QApplication::focusWidget() == nullptr && widget == this);
    if (firstDelivery && widget->window() == this) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (event->type() == QEvent::KeyPress) keyCount_->QtKeyPress(*key);
      if (event->type() == QEvent::KeyRelease) {
        if (key->key() == Qt::Key_Control && !key->isAutoRepeat() && ctrlTapPending_) {
          ctrlTapPending_ = false;
          game_->FormKeyDown(game::VK_CONTROL);
        }
        return QMainWindow::eventFilter(watched, event);
      }
      switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
          game_->FormKeyDown(game::VK_RETURN);
          break;
        case Qt::Key_Control:
          if (!key->isAutoRepeat()) ctrlTapPending_ = true;
          break;
        case Qt::Key_F1:
          game_->FormKeyDown(game::VK_F1);
          return true;  // F1 must not open anything else
        case Qt::Key_F2:
          game_->FormKeyDown(game::VK_F2);
          return true;
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
  answer_->setText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
}

void TForm1::SetAnswerReadOnly(bool readOnly) { answer_->setReadOnly(readOnly); }

void TForm1::SetAnswerColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  QPalette palette = answer_->palette();
  palette.setColor(QPalette::Base, QColor(red, green, blue));
  palette.setColor(QPalette::Text, Qt::black);
  answer_->setPalette(palette);
}

void TForm1::FocusAnswer() { answer_->setFocus(Qt::OtherFocusReason); }

game::TRect TForm1::AnswerBounds() const {
  const QRect place = answer_->geometry();
  return {place.left(), place.top(), place.width(), place.height()};
}

void TForm1::SetAnswerFont(const game::TFontChoice& font) {
  answerFont_ = font;
  answer_->setFont(FontFromChoice(font, 32));
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
int TForm1::OuterWidth() const { return frameGeometry().width(); }
int TForm1::OuterHeight() const { return frameGeometry().height(); }

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
