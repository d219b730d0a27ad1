// The option dialogs and the main window as widgets, controls found by number.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QRegularExpression>
#include <QSlider>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "writers/LwobWriter.h"
#include "writers/LwsWriter.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"
#include "app/MainWindow.h"
#include "app/QtDialogs.h"
#include "platform/Process.h"
#include "platform/Ui.h"
#include "platform/Version.h"

namespace {

// Clicks controls of the modal dialog that opens `delay` ms from now, by number.
void ClickInModal(int delay, const char* title, std::vector<int> controls) {
  QTimer::singleShot(delay, [title, controls] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr) << title;
    EXPECT_EQ(dialog->windowTitle(), title);
    for (int id : controls) Control(dialog, id)->click();
  });
}

}  // namespace

// Wiring only: the controllers carry the behaviour.
TEST(OptionDialogs, RenderAndViewOptionsControlsEditTheRecord) {
  App();
  RenderOptions render;
  OpenRenderOptions(render, nullptr);
  QDialog* dialog = RenderOptionsDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowTitle(), "Render options...");
  OpenRenderOptions(render, nullptr);  // a second request while open does nothing
  EXPECT_EQ(RenderOptionsDialog(), dialog);
  Control<QSlider>(dialog, 1023)->setValue(50);
  EXPECT_FLOAT_EQ(render.fieldOfView, static_cast<float>(M_PI / 2));
  Control(dialog, 1077)->click();  // the boxes follow the record
  EXPECT_FALSE(Control(dialog, 1076)->isChecked());
  Control(dialog, 1067)->click();
  QApplication::processEvents();
  EXPECT_EQ(RenderOptionsDialog(), nullptr);

  ViewOptions view;
  OpenViewOptions(view, nullptr);
  dialog = ViewOptionsDialog();
  ASSERT_NE(dialog, nullptr);
  Control<QSlider>(dialog, 1068)->setValue(25);
  EXPECT_FLOAT_EQ(view.gridSpacing, 2.5f);
  for (int id : {1070, 1006}) Control(dialog, id)->click();
  EXPECT_EQ(view.gridOn, 1);
  QApplication::processEvents();
  EXPECT_EQ(ViewOptionsDialog(), nullptr);
}

TEST(OptionDialogs, LoadOptionsOpensThePlanarWrapDialog) {
  App();
  uint32_t options = 1;
  bool flips[3][4] = {};
  ClickInModal(0, "File Load Options...", {1079, 1096, 1085});
  ClickInModal(50, "Planar Texture Wrap options", {1090, 1083});
  ClickInModal(100, "File Load Options...", {1001});
  RunLoadOptionsDialog(options, flips, nullptr);
  EXPECT_EQ(options, 7u);
  EXPECT_TRUE(flips[1][2]);  // Y axis, u scale
}

TEST(MainWindowWidget, MenuCarriesTheCommandsAndEscTogglesFullScreen) {
  ShownWindow shown;
  MainWindow& window = shown.window;
  EXPECT_EQ(window.windowTitle(), MainWindow::kTitle);
  QAction* load = window.findChild<QAction*>("40002");
  ASSERT_NE(load, nullptr);
  EXPECT_EQ(load->text(), "Retained Mode .LWO file...");
  EXPECT_EQ(load->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
  for (const MenuEntry& entry : MainMenu()) EXPECT_NE(window.findChild<QAction*>(QString::number(entry.command)), nullptr);
  ASSERT_TRUE(shown.viewer.device());
  window.StepFrame();  // the first frame sizes the display
  QApplication::processEvents();

  // Esc released: full screen at the smallest mode that holds the client;
  // again: a window of the mode's size.
  window.ToggleFullScreen();
  QApplication::processEvents();
  EXPECT_TRUE(window.fullScreen());
  EXPECT_EQ(shown.viewer.viewport()->GetWidth(), 640u);
  EXPECT_EQ(shown.viewer.viewport()->GetHeight(), 480u);
  window.ToggleFullScreen();
  for (int i = 0; i < 20; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_FALSE(window.fullScreen());
  EXPECT_EQ(shown.viewer.viewport()->GetWidth(), 640u);
  window.CleanUp();
}

namespace {

// A sphere of radius 1 with shared, smooth normals: 24 slices, 12 stacks.
rm::MeshPtr Sphere(const rm::EnginePtr& engine) {
  constexpr uint32_t slices = 24, stacks = 12;
  std::vector<rm::Vertex> v;
  for (uint32_t j = 0; j <= stacks; ++j)
    for (uint32_t i = 0; i <= slices; ++i) {
      const float theta = 3.14159265f * j / stacks, phi = 2 * 3.14159265f * i / slices;
      rm::Vertex& vertex = v.emplace_back();
      vertex.normal = vertex.position = {std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)};
    }
  std::vector<uint32_t> faces;
  for (uint32_t j = 0; j < stacks; ++j)
    for (uint32_t i = 0, a = j * (slices + 1); i < slices; ++i, ++a) faces.insert(faces.end(), {a, a + 1, a + slices + 2, a + slices + 1});
  rm::MeshPtr mesh = engine->CreateMesh();
  EXPECT_EQ(mesh->AddGroup(static_cast<uint32_t>(v.size()), slices * stacks, 4, faces), 0);
  mesh->SetVertices(0, 0, static_cast<uint32_t>(v.size()), v.data());
  mesh->SetGroupColorRGB(0, 1, 1, 1);
  return mesh;
}

// The largest step in brightness between horizontal neighbours well inside
// the object (pixels next to the background are left out).
int LargestStep(const QImage& image, QRgb background) {
  int largest = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 1; x + 2 < image.width(); ++x) {
      bool inside = true;
      for (int k = -1; k <= 2; ++k) inside = inside && (image.pixel(x + k, y) & 0xFFFFFF) != background;
      if (inside) largest = std::max(largest, std::abs(qGray(image.pixel(x + 1, y)) - qGray(image.pixel(x, y))));
    }
  return largest;
}

}  // namespace

TEST(MainWindowWidget, ASphereIsSmoothWithTheDefaultOptionsAndAboutNamesTheVersions) {
  ShownWindow shown;
  MainWindow& window = shown.window;
  Viewer& viewer = shown.viewer;
  rm::MeshPtr mesh = Sphere(viewer.engine());
  viewer.current = {true, OBJECT_MSH, mesh, nullptr, nullptr};
  viewer.meshFrame()->AddVisual(mesh);
  viewer.meshFrame()->AddScale(rm::COMBINE_REPLACE, 6, 6, 6);
  const QRgb background = qRgb(77, 77, 77) & 0xFFFFFF;
  // The first frame resizes the window, so the display is made again.
  for (int i = 0; i < 3; ++i) {
    window.StepFrame(false);
    for (int k = 0; k < 10; ++k) QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  const QImage smooth = window.view().grabFramebuffer();
  ASSERT_NE(smooth.pixel(smooth.width() / 2, smooth.height() / 2) & 0xFFFFFF, background);
  EXPECT_EQ(smooth.pixel(1, 1) & 0xFFFFFF, background);
  shown.render.flatShading = 1;
  window.StepFrame(false);
  const QImage flat = window.view().grabFramebuffer();
  const int smoothStep = LargestStep(smooth, background), flatStep = LargestStep(flat, background);
  EXPECT_GT(flatStep, 8);
  EXPECT_LT(smoothStep * 3, flatStep);

  QTimer::singleShot(100, [] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "About...");
    QStringList texts;
    for (QLabel* label : dialog->findChildren<QLabel*>()) texts << label->text();
    EXPECT_TRUE(texts.contains("LightWave Conversion Suite"));
    EXPECT_TRUE(texts.contains(QString("Version ") + kSuiteVersion));
    EXPECT_TRUE(texts.contains(QString("Qt ") + qVersion()));
    EXPECT_TRUE(texts.filter(QRegularExpression("^OpenGL [0-9]")).size() == 1) << texts.join("|").toStdString();
    Control(dialog, 1)->click();
  });
  window.commands().DispatchCommand(CMD_ABOUT);
  window.CleanUp();
}

// The tools of an export run while the window goes on: loads and exports are
// disabled meanwhile, a tool's failure is shown, and closing the window stops
// the tools and removes what they had begun.
TEST(MainWindowWidget, HmdToolsRunInTheBackgroundAndStopWithTheWindow) {
  namespace fs = std::filesystem;
  App();
  testsupport::TempDir dir;
  // A labp that takes its time, and one that fails.
  const fs::path slow = dir.path() / "slow", failing = dir.path() / "failing";
  for (const auto& [folder, body] : {std::pair{slow, "cat > /dev/null; sleep 20"},
                                     std::pair{failing, "echo 'labp: line 3: bad word' >&2; exit 3"}}) {
    fs::create_directories(folder);
    testsupport::WriteText((folder / "labp").string(), std::string("#!/bin/sh\n") + body + "\n");
    fs::permissions(folder / "labp", fs::perms::owner_all);
    fs::copy_file(fs::path(LABP_DIR) / "hmd\\hmd.def", folder / "hmd\\hmd.def");
  }
  ScriptedUi ui;
  SetUi(&ui);
  auto shown = std::make_unique<ShownWindow>();
  MainWindow* window = &shown->window;
  const std::string object = dir.File("cube.lwo");
  testsupport::LwobWriter().Points(testsupport::CubePoints()).SurfaceNames({"Box"}).Polygons(testsupport::CubeFaces()).Save(object);
  ASSERT_TRUE(window->commands().OpenFile(object));

  QAction* load = window->findChild<QAction*>("40002");
  QAction* about = window->findChild<QAction*>("40003");
  window->commands().SetStartupDirectory(failing.string());
  ui.QueueSaveFile(dir.File("bad.hmd"));
  ClickInModal(100, "HMD Conversion options", {IDC_HMD_OK});
  window->commands().DispatchCommand(CMD_SAVE_BINARY_HMD);
  QElapsedTimer waited;
  waited.start();
  while (window->commands().toolsRunning() && waited.elapsed() < 20000) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(5);
  }
  ASSERT_FALSE(window->commands().toolsRunning());
  ASSERT_FALSE(ui.asked().empty());
  EXPECT_EQ(ui.asked().back().caption, "HMD Error");
  EXPECT_EQ(ui.asked().back().text, "labp failed: exit status 3\nlabp: line 3: bad word");
  EXPECT_FALSE(fs::exists(dir.File("bad.hmd")) || fs::exists(dir.File("bad.lab")));
  EXPECT_TRUE(load->isEnabled());

  window->commands().SetStartupDirectory(slow.string());
  ui.QueueSaveFile(dir.File("slow.hmd"));
  ClickInModal(100, "HMD Conversion options", {IDC_HMD_OK});
  window->commands().DispatchCommand(CMD_SAVE_BINARY_HMD);
  // The command has returned while the tool runs; what changes the object waits.
  ASSERT_TRUE(window->commands().toolsRunning());
  EXPECT_FALSE(load->isEnabled());
  EXPECT_TRUE(about->isEnabled());
  EXPECT_TRUE(fs::exists(dir.File("slow.lab")));
  window->close();
  EXPECT_FALSE(window->commands().toolsRunning());
  EXPECT_FALSE(fs::exists(dir.File("slow.hmd")) || fs::exists(dir.File("slow.lab")));
  window->CleanUp();
  shown.reset();
  SetUi(nullptr);
}

// A scene and its object read the same under a comma-decimal locale as under
// "C": the viewer keeps numbers out of the user's locale after Qt starts.
TEST(Viewer, NumbersReadTheSameUnderACommaLocale) {
  namespace fs = std::filesystem;
  testsupport::TempDir dir;
  if (!RunProgram({"localedef", "-i", "de_DE", "-f", "UTF-8", dir.File("de_DE.UTF-8")}, {}, "/dev/null", "/dev/null")
           .Succeeded())
    GTEST_SKIP() << "no de_DE locale can be made here";
  testsupport::LwobWriter().Points(testsupport::CubePoints()).SurfaceNames({"Box"}).Polygons(testsupport::CubeFaces()).Save(dir.File("box.lwo"));
  testsupport::LwsWriter w;
  w.Header().Line("LoadObject box.lwo").Motion("ObjectMotion", {{.x = 2.5f, .y = -1.25f, .h = 30.5f, .frame = 0}});
  w.Motion("CameraMotion", {{.z = -12.5f, .frame = 0}});
  testsupport::WriteText(dir.File("s.lws"), w.text());
  auto shot = [&](const char* name) {
    const ProcessResult r = RunProgram({LWVIEW_PATH, "--screenshot", dir.File(name), dir.File("s.lws")});
    EXPECT_TRUE(r.Succeeded()) << r.Describe();
    return testsupport::ReadFile(dir.File(name));
  };
  const std::vector<uint8_t> plain = shot("c.png");
  setenv("LOCPATH", dir.path().c_str(), 1);
  setenv("LC_ALL", "de_DE.UTF-8", 1);
  const std::vector<uint8_t> comma = shot("de.png");
  unsetenv("LC_ALL");
  unsetenv("LOCPATH");
  EXPECT_FALSE(plain.empty());
  EXPECT_TRUE(plain == comma);
}
