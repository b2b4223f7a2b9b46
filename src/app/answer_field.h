// EditKaitoRan: the one-line answer field. It takes Japanese input through the platform's
// input method (Qt's input-method support) and never receives a typed carriage return.
// Without an input method, romaji typed into it becomes kana while the game says so.
#pragma once

#include <QLineEdit>

#include <functional>
#include <optional>
#include <string>

namespace app {

class TAnswerField : public QLineEdit {
 public:
  // The current question's answers while romaji should become kana, nothing otherwise.
  using TRomajiAnswer = std::function<std::optional<std::u16string>()>;
  // What becomes of the text being composed when the field stops taking it.
  enum class TComposed { Keep, Discard };

  explicit TAnswerField(QWidget* parent);
  void SetRomajiAnswer(TRomajiAnswer romajiAnswer) { romajiAnswer_ = std::move(romajiAnswer); }
  // Read-only or editable. The input method serves only an editable field: before the field
  // turns read-only, the text being composed becomes typed text or is dropped, once.
  void SetReadOnly(bool readOnly, TComposed composed);
  // New text; the text being composed is dropped.
  void SetText(const QString& text);
  // The input method's text being composed, not yet part of the field's text.
  const QString& Composing() const { return preedit_; }

  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;

 private:
  bool TypeRomaji(const QKeyEvent& event);
  void EndComposing(TComposed composed);

  TRomajiAnswer romajiAnswer_;
  QString preedit_;
  // Composing was ended here: the input method may still send what it had, which the field
  // has already kept or dropped. Cleared by the next key or text being composed.
  bool composingEnded_ = false;
  // The text the input method last emptied without committing it (BackSpace, Escape).
  QString emptied_;
};

}  // namespace app
