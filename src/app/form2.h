// TForm2: the about box — the title picture, the maker's mark, the version and a link.
#pragma once

#include <QDialog>
#include <QImage>
#include <QLabel>

namespace app {

// The link label: yellow bold italic; under the mouse sky-blue and underlined; a click opens it.
class TLinkLabel : public QLabel {
 public:
  TLinkLabel(const QString& address, QWidget* parent);

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void SetHover(bool hover);
};

class TForm2 : public QDialog {
 public:
  // The page behind the link: the project's own address.
  static constexpr const char* kAddress = "https://nightwisp.example.org/";

  TForm2(const QImage& titlePicture, const QImage& logoPicture, QWidget* parent);
  // Shown modally, centred on the game window.
  void ShowModalCentred();
};

}  // namespace app
