// EditKaitoRan: the one-line answer field. It takes Japanese input through the platform's
// input method (Qt's input-method support) and never receives a typed carriage return.
#pragma once

#include <QLineEdit>

namespace app {

class TAnswerField : public QLineEdit {
 public:
  explicit TAnswerField(QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace app
