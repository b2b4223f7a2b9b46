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

  explicit TAnswerField(QWidget* parent);
  void SetRomajiAnswer(TRomajiAnswer romajiAnswer) { romajiAnswer_ = std::move(romajiAnswer); }
  // An input method's text is being composed in the field.
  bool Composing() const { return composing_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;

 private:
  bool TypeRomaji(const QKeyEvent& event);

  TRomajiAnswer romajiAnswer_;
  bool composing_ = false;  // an input method's text is being composed
};

}  // namespace app
