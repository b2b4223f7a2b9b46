#include "app/answer_field.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

#include "game/romaji.h"

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
  if (TypeRomaji(*event)) {
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void TAnswerField::inputMethodEvent(QInputMethodEvent* event) {
  composing_ = !event->preeditString().isEmpty();
  QLineEdit::inputMethodEvent(event);
}

// A key of the romaji table, typed as it is (no Ctrl, Alt or Meta shortcut), while no input
// method composes and the game wants kana: the letters pending before the cursor and the key
// become what the table makes of them. A selection is replaced, as by any typed key.
bool TAnswerField::TypeRomaji(const QKeyEvent& event) {
  if (isReadOnly() || composing_ || !romajiAnswer_) return false;
  if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  const QString typed = event.text();
  if (typed.size() != 1 || !game::IsRomajiKey(typed[0].unicode())) return false;
  const std::optional<std::u16string> answer = romajiAnswer_();
  if (!answer) return false;

  const char16_t key = typed[0].unicode();
  if (hasSelectedText()) del();
  const QString before = text().left(cursorPosition());
  const game::TRomajiEdit edit =
      game::RomajiKey(std::u16string_view(reinterpret_cast<const char16_t*>(before.utf16()),
                                          static_cast<std::size_t>(before.size())),
                      key, answer->find(key) != std::u16string::npos);
  if (edit.Erase > 0) cursorBackward(true, static_cast<int>(edit.Erase));
  insert(QString::fromUtf16(edit.Insert.data(), static_cast<qsizetype>(edit.Insert.size())));
  return true;
}

}  // namespace app
