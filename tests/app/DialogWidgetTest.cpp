// The option dialogs as widgets, found by their controls' numbers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QImage>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <cmath>
#include <vector>

#include "app/MainWindow.h"
#include "app/QtDialogs.h"

namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "app_widget_tests";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

template <typename T>
T* Control(QDialog* dialog, int id) {
  T* control = dialog->findChild<T*>(QString::number(id));
  EXPECT_NE(control, nullptr) << id;
  return control;
}

}  // namespace

TEST(OptionDialogs, RenderOptionsControlsEditTheRecord) {
  App();
  RenderOptions options;
  OpenRenderOptions(options, nullptr);
  QDialog* dialog = RenderOptionsDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowTitle(), "Render options...");
  OpenRenderOptions(options, nullptr);  // a second request while open does nothing
  EXPECT_EQ(RenderOptionsDialog(), dialog);

  QSlider* field = Control<QSlider>(dialog, 1023);
  EXPECT_EQ(field->value(), 15);
  field->setValue(50);
  EXPECT_FLOAT_EQ(options.fieldOfView, static_cast<float>(M_PI / 2));
  Control<QSlider>(dialog, 1022)->setValue(321);
  EXPECT_FLOAT_EQ(options.backClippingPlane, 321);

  QCheckBox* flat = Control<QCheckBox>(dialog, 1077);
  QCheckBox* gouraud = Control<QCheckBox>(dialog, 1076);
  EXPECT_TRUE(gouraud->isChecked());
  flat->click();
  EXPECT_EQ(options.flatShading, 1);
  EXPECT_TRUE(flat->isChecked());
  EXPECT_FALSE(gouraud->isChecked());
  flat->click();  // clicking the checked one turns it off again
  EXPECT_EQ(options.flatShading, 0);
  EXPECT_TRUE(gouraud->isChecked());
  Control<QCheckBox>(dialog, 1026)->click();
  EXPECT_EQ(options.dithering, 1);

  Control<QPushButton>(dialog, 1067)->click();
  QApplication::processEvents();
  EXPECT_EQ(RenderOptionsDialog(), nullptr);
}

TEST(OptionDialogs, ViewOptionsControlsEditTheRecord) {
  App();
  ViewOptions options;
  OpenViewOptions(options, nullptr);
  QDialog* dialog = ViewOptionsDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(Control<QCheckBox>(dialog, 1012)->isChecked());
  Control<QCheckBox>(dialog, 1005)->click();
  EXPECT_EQ(options.moveCamera, 1);
  EXPECT_FALSE(Control<QCheckBox>(dialog, 1012)->isChecked());
  Control<QCheckBox>(dialog, 1012)->click();
  EXPECT_EQ(options.moveCamera, 0);
  EXPECT_TRUE(Control<QCheckBox>(dialog, 1012)->isChecked());
  EXPECT_FALSE(Control<QCheckBox>(dialog, 1005)->isChecked());

  Control<QSlider>(dialog, 1068)->setValue(25);
  EXPECT_FLOAT_EQ(options.gridSpacing, 2.5f);
  Control<QSlider>(dialog, 1069)->setValue(4);
  EXPECT_EQ(options.gridCells, 4);
  Control<QCheckBox>(dialog, 1070)->click();
  EXPECT_EQ(options.gridOn, 1);
  Control<QPushButton>(dialog, 1008)->click();
  EXPECT_EQ(options.objectLarger, 1);
  Control<QPushButton>(dialog, 1006)->click();
  QApplication::processEvents();
  EXPECT_EQ(ViewOptionsDialog(), nullptr);
}

TEST(MainWindowWidget, MenuCarriesTheCommandsAndTheViewDrawsTheObject) {
  App();
  ViewOptions view;
  RenderOptions render;
  Viewer viewer(view, render);
  MainWindow window(viewer);
  EXPECT_EQ(window.windowTitle(), MainWindow::kTitle);
  QAction* load = window.findChild<QAction*>("40002");
  ASSERT_NE(load, nullptr);
  EXPECT_EQ(load->text(), "Retained Mode .LWO file...");
  EXPECT_EQ(load->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
  QAction* exit = window.findChild<QAction*>("40001");
  ASSERT_NE(exit, nullptr);
  EXPECT_EQ(exit->text(), "E&xit");
  EXPECT_EQ(exit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
  for (const MenuEntry& entry : MainMenu()) EXPECT_NE(window.findChild<QAction*>(QString::number(entry.command)), nullptr);

  window.show();
  for (int i = 0; i < 200 && !window.view().initialised(); ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
  ASSERT_TRUE(window.view().initialised());
  ASSERT_TRUE(viewer.device());

  // An object in front of the camera: its pixels differ from the background,
  // the corners keep it.
  rm::MeshPtr mesh = viewer.engine()->CreateMesh();
  const uint32_t faces[] = {0, 1, 2, 3};
  ASSERT_EQ(mesh->AddGroup(4, 1, 4, faces), 0);
  rm::Vertex v[4];
  const float xy[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
  for (int i = 0; i < 4; ++i) v[i].position = {xy[i][0], xy[i][1], 0}, v[i].normal = {0, 0, -1};
  mesh->SetVertices(0, 0, 4, v);
  viewer.current = {true, OBJECT_MSH, mesh};
  viewer.meshFrame()->AddVisual(mesh);
  viewer.meshFrame()->AddScale(rm::COMBINE_REPLACE, 5, 5, 5);
  window.StepFrame();
  QApplication::processEvents();
  const QImage image = window.view().grabFramebuffer();
  ASSERT_FALSE(image.isNull());
  const QRgb background = qRgb(77, 77, 77);  // 0.3 grey
  EXPECT_EQ(image.pixel(1, 1) & 0xFFFFFF, background & 0xFFFFFF);
  EXPECT_EQ(image.pixel(image.width() - 2, image.height() - 2) & 0xFFFFFF, background & 0xFFFFFF);
  EXPECT_NE(image.pixel(image.width() / 2, image.height() / 2) & 0xFFFFFF, background & 0xFFFFFF);

  // Esc released: full screen at the smallest mode that holds the client;
  // again: a window of the mode's size.
  window.ToggleFullScreen();
  QApplication::processEvents();
  EXPECT_TRUE(window.fullScreen());
  EXPECT_EQ(viewer.viewport()->GetWidth(), 640u);
  EXPECT_EQ(viewer.viewport()->GetHeight(), 480u);
  window.ToggleFullScreen();
  for (int i = 0; i < 20; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_FALSE(window.fullScreen());
  EXPECT_EQ(viewer.viewport()->GetWidth(), 640u);
  window.CleanUp();
}

// Clicks the controls of the modal dialog that opens next, by number.
void ClickInNextDialog(std::vector<int> controls) {
  QTimer::singleShot(0, [controls] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    for (int id : controls) {
      auto* button = dialog->findChild<QAbstractButton*>(QString::number(id));
      ASSERT_NE(button, nullptr) << id;
      button->click();
    }
  });
}

TEST(OptionDialogs, LoadOptionsAndPlanarWrapDialogs) {
  App();
  uint32_t options = 1;
  bool flips[3][4] = {};
  // "Texture..." opens the wrap options, whose boxes toggle their flips.
  ClickInNextDialog({1079, 1096, 1085});
  QTimer::singleShot(50, [] {
    QWidget* wrap = QApplication::activeModalWidget();
    ASSERT_NE(wrap, nullptr);
    EXPECT_EQ(wrap->windowTitle(), "Planar Texture Wrap options");
    wrap->findChild<QAbstractButton*>("1090")->click();
    wrap->findChild<QAbstractButton*>("1083")->click();
    QTimer::singleShot(50, [] {
      QWidget* load = QApplication::activeModalWidget();
      ASSERT_NE(load, nullptr);
      EXPECT_EQ(load->windowTitle(), "File Load Options...");
      load->findChild<QAbstractButton*>("1001")->click();
    });
  });
  RunLoadOptionsDialog(options, flips, nullptr);
  EXPECT_EQ(options, 7u);
  EXPECT_TRUE(flips[1][2]);  // Y axis, u scale
}
