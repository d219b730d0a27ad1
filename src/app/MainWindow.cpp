#include "app/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <cstdlib>
#include <map>
#include <string>

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QProgressDialog>
#include <QStatusBar>

#include "app/CommandDialogs.h"
#include "app/FootballerWindow.h"
#include "app/QtDeviceDialogs.h"
#include "app/QtDialogs.h"
#include "app/QtTreeView.h"
#include "diag/Dbug.h"
#include "lwlib/object/TextureSearch.h"
#include "lwlib/scene/Parse.h"
#include "platform/Clock.h"
#include "platform/Ui.h"
#include "render/GlDevice.h"
#include "render/GlDeviceInfo.h"

void QuitWithError() {
  QMessageBox::critical(QApplication::activeWindow(), "QUIT", "Program has shut down due to an error", QMessageBox::Ok);
  std::exit(1);
}

int VirtualKeyOf(int key) {
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) return key;
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab: return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: return 0x12;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    default: return 0;
  }
}

ViewerWidget::ViewerWidget(MainWindow& window) : QOpenGLWidget(&window), window_(window) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
}

rm::DevicePtr ViewerWidget::MakeDevice(uint32_t width, uint32_t height) {
  std::shared_ptr<render::GlDevice> device = render::GlDevice::Create(width, height);
  glDevice_ = device;
  if (device) device->SetTargetSize(static_cast<uint32_t>(std::max(1, this->width())),
                                    static_cast<uint32_t>(std::max(1, this->height())));
  return device;
}

void ViewerWidget::initializeGL() {
  initialised_ = true;
  if (!window_.StartDisplay()) QuitWithError();
}

void ViewerWidget::resizeGL(int w, int h) {
  if (auto device = glDevice_.lock())
    device->SetTargetSize(static_cast<uint32_t>(std::max(1, w)), static_cast<uint32_t>(std::max(1, h)));
  window_.ResizeDisplay(w, h);
}

void ViewerWidget::paintGL() {
  if (auto device = glDevice_.lock()) {
    const qreal ratio = devicePixelRatioF();
    device->SetTargetSize(static_cast<uint32_t>(std::max(1.0, width() * ratio)),
                             static_cast<uint32_t>(std::max(1.0, height() * ratio)));
  }
  // A display made since the last step (a resize) has not had the options yet.
  window_.viewer().ApplyRenderOptions();
  window_.viewer().RenderScene();
  window_.viewer().PresentFrame();
}

void ViewerWidget::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) return;  // Esc acts when released
  const int vk = VirtualKeyOf(event->key());
  if (vk <= 0 || vk > 255) return;  // keys the viewer does not track are left alone
  KeyTable& keys = window_.keys();
  keys.down[vk] = 1;
  keys.repeats[vk] += 1;
}

void ViewerWidget::keyReleaseEvent(QKeyEvent* event) {
  if (event->isAutoRepeat()) return;
  if (event->key() == Qt::Key_Escape) {
    window_.ToggleFullScreen();
    return;
  }
  const int vk = VirtualKeyOf(event->key());
  if (vk <= 0 || vk > 255) return;
  window_.keys().down[vk] = 0;
  window_.keys().repeats[vk] = 0;
}

void ViewerWidget::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  window_.viewer().mouse.Move(p.x(), p.y());
}

void ViewerWidget::Buttons(QMouseEvent* event) {
  window_.viewer().mouse.left = (event->buttons() & Qt::LeftButton) != 0;
  window_.viewer().mouse.right = (event->buttons() & Qt::RightButton) != 0;
}

void ViewerWidget::mousePressEvent(QMouseEvent* event) { Buttons(event); }
void ViewerWidget::mouseReleaseEvent(QMouseEvent* event) { Buttons(event); }

Commands::Hooks MainWindow::MakeHooks() {
  Commands::Hooks hooks;
  hooks.quit = [] { QApplication::quit(); };
  hooks.openViewOptions = [this] { OpenViewOptions(viewer_.viewOptions(), this); };
  hooks.openRenderOptions = [this] { OpenRenderOptions(viewer_.renderOptions(), this); };
  hooks.refreshTreeView = [] { RefreshTreeView(); };
  hooks.openTreeView = [this] {
    OpenTreeView(
        viewer_.scene(),
        [this](const rm::Frame& frame) -> const SceneObject* {
          const AnimationPtr& animation = viewer_.current.animation;
          return animation ? AnimationObjectOf(*animation, frame) : nullptr;
        },
        this);
  };
  hooks.chooseDevice = [this] { ChooseDeviceCommand(); };
  hooks.about = [this] { RunAboutDialog(AboutLines(qVersion(), OpenGlVersion()), this); };
  hooks.animationSettings = [this](AnimationSettingsController& c) { RunAnimationSettingsDialog(c, this); };
  hooks.hmdOptions = [this](HmdOptionsController& c) { return RunHmdOptionsDialog(c, this); };
  hooks.runHmdTools = [this](HmdExportPlan plan) { RunHmdTools(std::move(plan)); };
  hooks.bspProgress = [](const BspCounters& counters, void* window) {
    static_cast<MainWindow*>(window)->ShowBspProgress(counters);
  };
  hooks.bspProgressData = this;
  hooks.footballEditor = [this] { OpenFootballEditor(); };
  hooks.bspResult = [this](const std::string& text) {
    delete bspProgress_;
    bspProgress_ = nullptr;
    GetUi().MessageBox(text, "Generate BSP Tree", UiButtons::Ok, UiIcon::Information);
  };
  return hooks;
}

MainWindow::MainWindow(Viewer& viewer) : viewer_(viewer), commands_(viewer, MakeHooks()) {
  setWindowTitle(kTitle);
  setAcceptDrops(true);
  view_ = new ViewerWidget(*this);
  setCentralWidget(view_);
  BuildMenu();
  viewer_.SetDeviceFactory([this](uint32_t width, uint32_t height, const rm::DeviceGuid* guid) -> rm::DevicePtr {
    // There is one OpenGL device; a chosen device that is not it cannot be
    // made, and CreateDisplay falls back to the default.
    rm::DevicePtr device = view_->MakeDevice(width, height);
    if (device && guid && device->GetGuid() != *guid) return nullptr;
    return device;
  });
  viewer_.SetScreenModeHook([this](bool full, int32_t width, int32_t height) {
    if (full) {
      if (!isFullScreen()) showFullScreen();
    } else {
      if (isFullScreen()) showNormal();
      const QSize client = view_->size();
      if (client.width() != width || client.height() != height)
        resize(size() + QSize(width - client.width(), height - client.height()));
    }
    return true;
  });
  idle_.setInterval(0);
  QObject::connect(&idle_, &QTimer::timeout, this, [this] { IdleTurn(); });
  QObject::connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
    if (state == Qt::ApplicationActive && displayStarted_) idle_.start();
  });
  resize(clientWidth_, clientHeight_ + menuBar()->sizeHint().height());
}

MainWindow::~MainWindow() { CleanUp(); }

void MainWindow::BuildMenu() {
  std::map<std::string, QMenu*> menus;
  std::function<QMenu*(const std::string&)> menuFor = [&](const std::string& path) -> QMenu* {
    if (auto it = menus.find(path); it != menus.end()) return it->second;
    const size_t slash = path.rfind('/');
    const std::string title = slash == std::string::npos ? path : path.substr(slash + 1);
    QMenu* menu = slash == std::string::npos ? menuBar()->addMenu(QString::fromStdString(title))
                                             : menuFor(path.substr(0, slash))->addMenu(QString::fromStdString(title));
    // Closing a menu lets the frame loop run again.
    QObject::connect(menu, &QMenu::aboutToHide, this, [this] {
      if (displayStarted_) idle_.start();
    });
    menus[path] = menu;
    return menu;
  };
  for (const MenuEntry& entry : MainMenu()) {
    QAction* action = menuFor(entry.menu)->addAction(entry.text);
    action->setObjectName(QString::number(entry.command));
    if (entry.shortcut) action->setShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(entry.shortcut)));
    action->setShortcutContext(Qt::ApplicationShortcut);
    const int command = entry.command;
    QObject::connect(action, &QAction::triggered, this, [this, command] { commands_.DispatchCommand(command); });
    actions_[command] = action;
  }
  UpdateCommandStates();
}

void MainWindow::UpdateCommandStates() {
  const bool busy = commands_.toolsRunning();
  for (auto& [command, action] : actions_)
    action->setEnabled(Commands::HasAction(command) && !(busy && Commands::BlockedWhileToolsRun(command)));
}

void MainWindow::RunHmdTools(HmdExportPlan plan) {
  // The tools run while the window goes on drawing; what would change the
  // object or start another export waits for them.
  UpdateCommandStates();
  QApplication::setOverrideCursor(Qt::BusyCursor);
  statusBar()->showMessage("Running the HMD tools...");
  tools_.Start(std::move(plan), [this](bool) {
    commands_.ToolsFinished();
    UpdateCommandStates();
    QApplication::restoreOverrideCursor();
    statusBar()->clearMessage();
  });
  if (!tools_.running()) return;  // it ended already (a tool that cannot start)
  statusBar()->showMessage(QString::fromStdString("Running " + tools_.step() + "..."));
}

void MainWindow::ShowBspProgress(const BspCounters& counters) {
  if (!bspProgress_) {
    bspProgress_ = new QProgressDialog("Generating the BSP tree...", QString(), 0, 0, this);
    bspProgress_->setWindowTitle("Generate BSP Tree");
    bspProgress_->setWindowModality(Qt::WindowModal);
    bspProgress_->setMinimumDuration(500);
  }
  // Every triangle, and every piece a split makes, becomes one node.
  const int total = std::max(counters.trianglesIn + counters.splits, counters.nodes);
  bspProgress_->setMaximum(total);
  bspProgress_->setValue(counters.nodes);
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

std::string MainWindow::OpenGlVersion() {
  if (!view_->initialised() || !view_->context()) return {};
  view_->makeCurrent();
  const auto* text = reinterpret_cast<const char*>(view_->context()->functions()->glGetString(GL_VERSION));
  return text ? text : "";
}

bool MainWindow::StartDisplay() {
  if (displayStarted_) return true;
  const qreal ratio = devicePixelRatioF();
  clientWidth_ = static_cast<int32_t>(view_->width() * ratio);
  clientHeight_ = static_cast<int32_t>(view_->height() * ratio);
  const rm::DeviceGuid* device = chosenDevice_ ? &*chosenDevice_ : nullptr;
  if (!viewer_.CreateDisplay(clientWidth_, clientHeight_, fullScreen_, device)) return false;
  if (!viewer_.SetUpViewerScene()) return false;
  displayStarted_ = true;
  return true;
}

void MainWindow::ResizeDisplay(int width, int height) {
  if (!displayStarted_ || fullScreen_) return;  // full screen keeps its mode's size
  clientWidth_ = width;
  clientHeight_ = height;
  view_->makeCurrent();
  const rm::DeviceGuid* device = chosenDevice_ ? &*chosenDevice_ : nullptr;
  viewer_.CreateDisplay(clientWidth_, clientHeight_, fullScreen_, device);
}

void MainWindow::ToggleFullScreen() {
  if (!displayStarted_) return;
  fullScreen_ = !fullScreen_;
  view_->makeCurrent();
  const rm::DeviceGuid* device = chosenDevice_ ? &*chosenDevice_ : nullptr;
  viewer_.CreateDisplay(clientWidth_, clientHeight_, fullScreen_, device);
}

void MainWindow::ChooseDeviceCommand() {
  if (!displayStarted_) return;
  // The listing describes the view's own context.
  view_->makeCurrent();
  render::GlDeviceEnumerator devices;
  QtDeviceDialogs dialogs(this);
  ChooseDevice(devices, dialogs, chosenDevice_);
  view_->makeCurrent();
  const rm::DeviceGuid* device = chosenDevice_ ? &*chosenDevice_ : nullptr;
  viewer_.CreateDisplay(clientWidth_, clientHeight_, fullScreen_, device);
}

void MainWindow::StartFrameLoop() { idle_.start(); }

void MainWindow::StepFrame(bool advanceAnimation) {
  if (placementPending_) {
    placementPending_ = false;
    move(10, 10);
    resize(400, 362);
  }
  viewer_.ApplyRenderOptions();
  viewer_.ControlObjectAndCamera();
  viewer_.UpdateGrid();
  if (advanceAnimation) viewer_.AdvanceAnimation(GetMilliseconds());
  if (footballEditor_) footballEditor_->Update(GetMilliseconds());
}

void MainWindow::OpenFootballEditor() {
  if (!displayStarted_) return;  // the footballer needs the viewer's scene
  if (!footballEditor_)
    footballEditor_ = std::make_unique<FootballerEditor>(
        footballer_, FootballerStage{viewer_.engine(), viewer_.meshFrame(), viewer_.offScene(), viewer_.camera()},
        sound_);
  if (footballEditor_->Open()) {
    footballWindow_ = new FootballerWindow(*footballEditor_, this, [] { QApplication::quit(); });
    footballWindow_->show();
  } else if (footballWindow_) {
    footballWindow_->show();
    footballWindow_->raise();
    footballWindow_->activateWindow();
  }
}

void MainWindow::IdleTurn() {
  // While another application is active or a menu is open the loop sleeps;
  // it is started again when that ends.
  if (QGuiApplication::applicationState() != Qt::ApplicationActive || QApplication::activePopupWidget()) {
    idle_.stop();
    return;
  }
  StepFrame();
  view_->update();
}

bool MainWindow::SaveScreenshot(const QString& path) {
  if (!displayStarted_) return false;
  StepFrame(false);
  QCoreApplication::processEvents();  // let the first-frame placement take effect
  const QImage image = view_->grabFramebuffer();
  return !image.isNull() && image.save(path, "PNG");
}

void MainWindow::CleanUp() {
  if (cleanedUp_) return;
  cleanedUp_ = true;
  idle_.stop();
  // Quitting stops the tools and takes away what they had begun to write.
  if (tools_.running()) {
    tools_.Abort();
    commands_.ToolsFinished();
    QApplication::restoreOverrideCursor();
  }
  commands_.UnloadObject();
  viewer_.FreeGrid();
  if (view_->initialised()) {
    view_->makeCurrent();
    if (auto device = view_->glDevice()) device->ReleaseResources();
  }
  chosenDevice_.reset();
  sound_.StopAll();
  ClearFootballerConfig(footballer_);
  ClearTextureSearch();
  RemoveDelimiter(0);  // the scene reader's token delimiters live for the run
  viewer_.ReleaseScene();
  if (view_->initialised()) view_->doneCurrent();
  if (const int32_t left = ReportUnfreedMemory(); left != 0)
    OutputDebugText(DebugFormat("%i allocations left active\n", static_cast<int>(left)));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (tools_.running()) {
    tools_.Abort();
    commands_.ToolsFinished();
    QApplication::restoreOverrideCursor();
  }
  event->accept();
  QApplication::quit();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) commands_.OpenFile(url.toLocalFile().toStdString());
  event->acceptProposedAction();
}
