// What the widget tests share: the one application object of the test
// program and controls found by number.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "app_widget_tests";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

template <typename T = QAbstractButton>
T* Control(QWidget* dialog, int id) {
  T* control = dialog ? dialog->findChild<T*>(QString::number(id)) : nullptr;
  EXPECT_NE(control, nullptr) << id;
  return control;
}
