// The one QApplication a test program of widgets needs, made by whichever test asks first.
#pragma once

#include <QApplication>

namespace qt_test {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "nightwisp-test";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

}  // namespace qt_test
