// Qt's own Japanese translations, so that the standard dialogs and the box buttons speak the
// game's language whatever the desktop's language is.
#pragma once

class QCoreApplication;

namespace app {

// Installs Qt's Japanese translations into the application; false when they are not installed.
bool InstallJapaneseTranslations(QCoreApplication& application);

}  // namespace app
