#include "app/form2.h"

#include <QMessageBox>
#include <QMouseEvent>

#include "app/face_names.h"
#include "platform/shell/shell.h"

namespace app {
namespace {

const QString kBoxFace = QStringLiteral("ＭＳ Ｐゴシック");

QFont BoxFont(int pixelSize, bool boldItalic) {
  QFont font(InstalledFace(kBoxFace));
  font.setPixelSize(pixelSize);
  font.setBold(boldItalic);
  font.setItalic(boldItalic);
  return font;
}

// A picture stretched proportionally into its place, centred, on the box's black.
QLabel* PictureLabel(const QImage& picture, const QRect& place, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setGeometry(place);
  label->setAlignment(Qt::AlignCenter);
  if (!picture.isNull()) {
    label->setPixmap(QPixmap::fromImage(
        picture.scaled(place.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
  }
  return label;
}

}  // namespace

TLinkLabel::TLinkLabel(const QString& address, QWidget* parent) : QLabel(address, parent) {
  setObjectName("LblURL");
  setMouseTracking(true);
  setCursor(Qt::PointingHandCursor);
  SetHover(false);
}

void TLinkLabel::SetHover(bool hover) {
  QFont font = BoxFont(19, true);
  font.setUnderline(hover);
  setFont(font);
  setStyleSheet(hover ? "color: rgb(166, 202, 240);" : "color: rgb(255, 255, 0);");
}

void TLinkLabel::enterEvent(QEnterEvent* /*event*/) { SetHover(true); }
void TLinkLabel::leaveEvent(QEvent* /*event*/) { SetHover(false); }

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  if (!shell::ShellOpen(text().toStdString())) {
    QMessageBox::information(window(), QStringLiteral("Nightwisp"),
                             QStringLiteral("作者サイトへの接続に失敗しました。"));
  }
}

TForm2::TForm2(const QImage& titlePicture, const QImage& logoPicture, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName("Form2");
  setWindowTitle(QStringLiteral("Nightwispのバージョン情報"));
  setFixedSize(475, 225);
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::black);
  setPalette(palette);
  setFont(BoxFont(12, false));

  PictureLabel(titlePicture, QRect(32, 16, 417, 73), this)->setObjectName("Image1");
  PictureLabel(logoPicture, QRect(210, 145, 247, 41), this)->setObjectName("Image2");

  auto* version = new QLabel(QStringLiteral("Ver " NIGHTWISP_VERSION " "), this);
  version->setObjectName("Label1");
  version->setGeometry(264, 96, 151, 37);
  version->setFont(BoxFont(37, true));
  version->setStyleSheet("color: white;");

  auto* link = new TLinkLabel(QString::fromLatin1(kAddress), this);
  link->setGeometry(56, 192, 401, 19);
}

void TForm2::ShowModalCentred() {
  if (QWidget* owner = parentWidget()) {
    const QRect area = owner->frameGeometry();
    move(area.center() - rect().center());
  }
  exec();
}

}  // namespace app
