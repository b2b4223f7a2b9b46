#include "app/dialog_filters.h"

#include <gtest/gtest.h>

// The music file dialog's filter, as the menu hands it over, in Qt's syntax.
TEST(DialogFilters, TheMusicFilterBecomesTwoQtFilters) {
  EXPECT_EQ(app::QtFileFilter("mp3ファイル;midiファイル;wmaファイル;wavファイル;aifファイル|"
                              "*.mp3;*.mid;*.wma;*.wav;*.aif;*.aifc;*.aiff|すべてのファイル|*.*"),
            "mp3ファイル;midiファイル;wmaファイル;wavファイル;aifファイル "
            "(*.mp3 *.mid *.wma *.wav *.aif *.aifc *.aiff);;すべてのファイル (*)");
}

TEST(DialogFilters, ADanglingDescriptionWithoutPatternsIsDropped) {
  EXPECT_EQ(app::QtFileFilter("Text|*.txt|Orphan"), "Text (*.txt)");
  EXPECT_EQ(app::QtFileFilter(""), "");
}
