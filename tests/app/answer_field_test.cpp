// The answer field and an input method's events: what is being composed ends once, kept or
// dropped, before the field turns read-only or takes new text, and what the input method still
// sends for it afterwards changes nothing. A read-only field tells the input method to keep out.
#include "app/answer_field.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>

#include <functional>

namespace {

using app::TAnswerField;

void Preedit(TAnswerField& field, const QString& text) {
  QInputMethodEvent event(text, {});
  QApplication::sendEvent(&field, &event);
}
void Commit(TAnswerField& field, const QString& text) {
  QInputMethodEvent event;
  event.setCommitString(text);
  QApplication::sendEvent(&field, &event);
}

TEST(AnswerField, ComposingEndsOnceBeforeTheFieldTurnsReadOnlyOrIsCleared) {
  struct TCase {
    const char* Name;
    std::function<void(TAnswerField&)> End;
    QString Shown;  // after the end, and after the input method's late commit
  };
  const TCase cases[] = {
      {"a pause keeps it",
       [](TAnswerField& f) { f.SetReadOnly(true, TAnswerField::TComposed::Keep); },
       QStringLiteral("さるきつね")},
      {"a time-out drops it",
       [](TAnswerField& f) { f.SetReadOnly(true, TAnswerField::TComposed::Discard); },
       QStringLiteral("さる")},
      {"a new question drops it",
       [](TAnswerField& f) {
         f.SetText(QString());
         f.SetReadOnly(false, TAnswerField::TComposed::Discard);
       },
       QString()},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TAnswerField field(nullptr);
    field.SetReadOnly(false, TAnswerField::TComposed::Discard);
    Commit(field, QStringLiteral("さる"));
    Preedit(field, QStringLiteral("きつね"));
    ASSERT_EQ(field.Composing(), QStringLiteral("きつね"));
    c.End(field);
    EXPECT_EQ(field.text(), c.Shown);
    EXPECT_TRUE(field.Composing().isEmpty());
    // The input method commits what it had as its composition is reset.
    Commit(field, QStringLiteral("きつね"));
    EXPECT_EQ(field.text(), c.Shown) << "the late commit came in";
  }
}

TEST(AnswerField, ComposingAfterAnEndedOneTakesTextAgain) {
  TAnswerField field(nullptr);
  field.SetReadOnly(false, TAnswerField::TComposed::Discard);
  Preedit(field, QStringLiteral("きつね"));
  field.SetText(QString());
  Preedit(field, QStringLiteral("いぬ"));
  Commit(field, QStringLiteral("犬"));
  EXPECT_EQ(field.text(), QStringLiteral("犬"));
}

TEST(AnswerField, OnlyAnEditableFieldTakesTheInputMethod) {
  TAnswerField field(nullptr);
  for (const bool readOnly : {true, false, true}) {
    field.SetReadOnly(readOnly, TAnswerField::TComposed::Discard);
    EXPECT_EQ(field.inputMethodQuery(Qt::ImEnabled).toBool(), !readOnly);
    EXPECT_EQ(field.testAttribute(Qt::WA_InputMethodEnabled), !readOnly);
  }
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
