// The viewer's window: menu 101 as its menu bar with the Ctrl shortcuts, the
// OpenGL view that captures mouse and keys, the idle-turn frame loop, the
// full-screen toggle, dropped files, and the ways out.
#pragma once

#include <QMainWindow>
#include <QOpenGLWidget>
#include <QTimer>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>

#include "app/Commands.h"
#include "app/FootballerEditor.h"
#include "app/QtSound.h"
#include "app/HmdToolRunner.h"
#include "app/Viewer.h"

class QAction;
class QProgressDialog;

namespace render {
class GlDevice;
}
class MainWindow;
class FootballerWindow;

// Virtual-key codes of the keys the viewer tracks (letters and digits are
// their ASCII capitals); 0 for a key it does not know.
int VirtualKeyOf(int qtKey);

struct KeyTable {
  uint8_t down[256] = {};
  uint32_t repeats[256] = {};
};

class ViewerWidget : public QOpenGLWidget {
 public:
  explicit ViewerWidget(MainWindow& window);
  // The device of the current display, or null once the display dropped it.
  std::shared_ptr<render::GlDevice> glDevice() const { return glDevice_.lock(); }
  bool initialised() const { return initialised_; }
  // Makes the device for the display (the context must be current).
  rm::DevicePtr MakeDevice(uint32_t width, uint32_t height);

 protected:
  void initializeGL() override;
  void resizeGL(int w, int h) override;
  void paintGL() override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Buttons(QMouseEvent* event);
  MainWindow& window_;
  // The viewer owns the device and replaces it when the display is remade, so
  // the widget only watches it.
  std::weak_ptr<render::GlDevice> glDevice_;
  bool initialised_ = false;
};

class MainWindow : public QMainWindow {
 public:
  static constexpr const char* kTitle = "LightWave Conversion Suite";

  MainWindow(Viewer& viewer);
  ~MainWindow() override;

  Viewer& viewer() { return viewer_; }
  Commands& commands() { return commands_; }
  ViewerWidget& view() { return *view_; }
  KeyTable& keys() { return keys_; }
  bool fullScreen() const { return fullScreen_; }

  // Starts the frame loop: one frame on each idle turn while the program is
  // the active application and no menu is open.
  void StartFrameLoop();
  // The frame step before drawing: first-frame placement, render options,
  // mouse control, grid and, unless told otherwise, the scene's animation by
  // the time since the last step. Then the view is asked to draw.
  void StepFrame(bool advanceAnimation = true);
  // Start-up work that needs the OpenGL context: the display and the scene.
  // False is fatal.
  bool StartDisplay();
  // The client size changed (windowed) or Esc toggled full screen.
  void ResizeDisplay(int width, int height);
  void ToggleFullScreen();
  // Choose device: the device dialogs, then the display made again with the
  // chosen device (unchanged after Cancel).
  void ChooseDeviceCommand();
  const std::optional<rm::DeviceGuid>& chosenDevice() const { return chosenDevice_; }
  // Clean-up at the end of the run, with the allocation report.
  void CleanUp();
  // Renders one frame off-screen and saves it as PNG; false on failure. The
  // animation stays at the time it was posed at.
  bool SaveScreenshot(const QString& path);
  // The version of the OpenGL context the view draws with ("" before it has one).
  std::string OpenGlVersion();
  // The HMD tools of an export run in the background; these see them.
  HmdToolRunner& toolRunner() { return tools_; }
  // Shows each menu command enabled when it can run now.
  void UpdateCommandStates();
  // The BSP build's progress, drawn from inside the build.
  void ShowBspProgress(const BspCounters& counters);
  // OpenFootballerEditor: the editor's window the first time, later it is
  // only brought to the front.
  void OpenFootballEditor();
  FootballerEditor* footballEditor() { return footballEditor_.get(); }
  FootballerWindow* footballWindow() { return footballWindow_; }
  FootballerConfig& footballer() { return footballer_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildMenu();
  void IdleTurn();
  Commands::Hooks MakeHooks();
  void RunHmdTools(HmdExportPlan plan);

  Viewer& viewer_;
  Commands commands_;
  ViewerWidget* view_;
  KeyTable keys_;
  QTimer idle_;
  int32_t clientWidth_ = 100, clientHeight_ = 100;
  bool fullScreen_ = false;
  bool placementPending_ = true;
  bool displayStarted_ = false;
  bool cleanedUp_ = false;
  std::optional<rm::DeviceGuid> chosenDevice_;
  std::map<int, QAction*> actions_;
  HmdToolRunner tools_;
  QProgressDialog* bspProgress_ = nullptr;
  FootballerConfig footballer_;
  QtSound sound_;
  std::unique_ptr<FootballerEditor> footballEditor_;
  FootballerWindow* footballWindow_ = nullptr;
};

// "Program has shut down due to an error" with the caption "QUIT", then the
// process ends at once with status 1.
[[noreturn]] void QuitWithError();
