#include "app/answer_field.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include "rules/romaji.h"

namespace app {

TAnswerField::TAnswerField(QWidget* parent) : QLineEdit(parent) {
  setObjectName("EditKaitoRan");
  setAttribute(Qt::WA_InputMethodEnabled, true);
  setFrame(true);
}

void TAnswerField::SetReadOnly(bool readOnly, TComposed composed) {
  if (readOnly) EndComposing(composed);
  if (readOnly == isReadOnly()) return;
  setReadOnly(readOnly);
  // Qt's line edit goes on telling the input method it takes text when read-only; this field
  // does not, so keys reach it (and the window) without composing anything.
  setAttribute(Qt::WA_InputMethodEnabled, !readOnly);
  if (hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImReadOnly);
}

void TAnswerField::SetText(const QString& text) {
  EndComposing(TComposed::Discard);
  setText(text);
}

QVariant TAnswerField::inputMethodQuery(Qt::InputMethodQuery query) const {
  if (query == Qt::ImEnabled) return isEnabled() && !isReadOnly();
  return QLineEdit::inputMethodQuery(query);
}

// The field lets go of the text first (kept as typed, or dropped), then tells the input method
// to forget it. It does so even with nothing composed: ibus keeps a text it was told to empty
// (BackSpace, Escape) and hands it back when Qt asks it to commit, as a field turning read-only
// does.
void TAnswerField::EndComposing(TComposed composed) {
  if (!preedit_.isEmpty()) {
    QInputMethodEvent end;
    if (composed == TComposed::Keep) end.setCommitString(preedit_);
    QLineEdit::inputMethodEvent(&end);
    preedit_.clear();
    composingEnded_ = true;
  }
  emptied_.clear();
  if (hasFocus()) QGuiApplication::inputMethod()->reset();
}

void TAnswerField::keyPressEvent(QKeyEvent* event) {
  composingEnded_ = false;
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
  const QString& preedit = event->preeditString();
  const QString& commit = event->commitString();
  // A read-only field takes no text; nor does it take back a text the player emptied, handed
  // on by an input method that kept it (ibus at a focus change).
  const bool emptiedComesBack =
      preedit_.isEmpty() && preedit.isEmpty() && !emptied_.isEmpty() && commit == emptied_;
  if ((isReadOnly() && !commit.isEmpty()) || emptiedComesBack ||
      (composingEnded_ && preedit.isEmpty())) {
    // Or what the input method still had when the field ended composing: already kept or
    // dropped.
    emptied_.clear();
    event->accept();
    return;
  }
  composingEnded_ = false;
  if (!preedit.isEmpty() || !commit.isEmpty()) {
    emptied_.clear();
  } else if (!preedit_.isEmpty()) {
    emptied_ = preedit_;
  }
  preedit_ = preedit;
  QLineEdit::inputMethodEvent(event);
}

// A key of the romaji table, typed as it is (no Ctrl, Alt or Meta shortcut), while no input
// method composes and the game wants kana: the letters pending before the cursor and the key
// become what the table makes of them. A selection is replaced, as by any typed key.
bool TAnswerField::TypeRomaji(const QKeyEvent& event) {
  if (isReadOnly() || !preedit_.isEmpty() || !romajiAnswer_) return false;
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
