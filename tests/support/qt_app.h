// The one QApplication a test program of widgets needs, made by whichever test asks first. It
// lives to the end of the process: destroyed among the statics at exit, after Qt's own, it
// would crash the program that passed.
#pragma once

#include <QApplication>

namespace qt_test {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "nightwisp-test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

}  // namespace qt_test
