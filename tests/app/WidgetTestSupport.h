// What the widget tests share: the one application object of the test
// program, a shown main window and controls found by number.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>

#include "app/MainWindow.h"

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

// A main window on a viewer of its own, shown, its display made.
struct ShownWindow {
  ShownWindow() : viewer(view, render), window(viewer) {
    window.show();
    for (int i = 0; i < 200 && !window.view().initialised(); ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(window.view().initialised());
  }
  QApplication& app = App();
  ViewOptions view;
  RenderOptions render;
  Viewer viewer;
  MainWindow window;
};
