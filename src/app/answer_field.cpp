#include "app/answer_field.h"

#include <QKeyEvent>

namespace app {

TAnswerField::TAnswerField(QWidget* parent) : QLineEdit(parent) {
  setObjectName("EditKaitoRan");
  setAttribute(Qt::WA_InputMethodEnabled, true);
  setFrame(true);
}

void TAnswerField::keyPressEvent(QKeyEvent* event) {
  // The field's filter: a carriage return is discarded, every other character passes.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
      event->text() == QStringLiteral("\r")) {
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

}  // namespace app
