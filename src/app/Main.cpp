// lwview: the viewer. `lwview [--as KIND] [FILE...]` opens each file as its
// load command would; `lwview --screenshot OUT.png [--time T] [FILE...]` draws
// one frame of them (a scene at frame time T) into a PNG file and exits;
// `lwview --devices` prints the 3D devices and their capabilities and exits.
// The start-up asks for the 3D device unless `--no-device-dialog` or
// `--screenshot` is given.
#include <QApplication>
#include <QElapsedTimer>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/DeviceChooser.h"
#include "app/MainWindow.h"
#include "app/QtDialogs.h"
#include "app/QtUi.h"
#include "diag/Dbug.h"
#include "lwlib/object/TextureSearch.h"
#include "lwlib/object/Uv.h"
#include "render/FrameHeap.h"
#include "render/GlDeviceInfo.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: lwview [--no-device-dialog] [--as lwo|msh|x|scene|animation|immediate|coloured] [FILE...]\n"
               "       lwview --screenshot OUT.png [--time T] [--as KIND] [FILE...]\n"
               "       lwview --devices\n");
  return 2;
}

// The load kind `--as` names, or -1.
int KindNamed(const char* name) {
  static const struct {
    const char* name;
    int kind;
  } kKinds[] = {{"lwo", OBJECT_RM_LWO},        {"msh", OBJECT_MSH},
                {"x", OBJECT_X},               {"scene", OBJECT_LWS_SCENE},
                {"animation", OBJECT_LWS_ANIMATION}, {"immediate", OBJECT_IMMEDIATE},
                {"coloured", OBJECT_COLOURED_MSH}};
  for (const auto& k : kKinds)
    if (std::strcmp(name, k.name) == 0) return k.kind;
  return -1;
}

bool HaveDisplay() {
  auto set = [](const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
  };
  return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char** argv) {
  // Before anything allocates: the software rasteriser's per-frame memory
  // otherwise goes back to the kernel and is faulted in again every frame.
  render::KeepFrameMemory();
  // The HMD tools are looked for where the program was started.
  std::error_code ec;
  const std::string startupDirectory = std::filesystem::current_path(ec).string();
  std::string screenshot;
  std::vector<std::string> files;
  int kind = OBJECT_NONE;
  bool timed = false;
  float time = 0;
  bool deviceDialog = true, listDevices = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--no-device-dialog") == 0) {
      deviceDialog = false;
    } else if (std::strcmp(argv[i], "--devices") == 0) {
      listDevices = true;
    } else if (std::strcmp(argv[i], "--screenshot") == 0) {
      if (i + 1 >= argc) return Usage();
      screenshot = argv[++i];
    } else if (std::strcmp(argv[i], "--as") == 0) {
      if (i + 1 >= argc || (kind = KindNamed(argv[i + 1])) < 0) return Usage();
      ++i;
    } else if (std::strcmp(argv[i], "--time") == 0) {
      char* end = nullptr;
      if (i + 1 >= argc) return Usage();
      time = std::strtof(argv[++i], &end);
      if (*end != '\0' || end == argv[i] || !std::isfinite(time)) return Usage();
      timed = true;
    } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      Usage();
      return 0;
    } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
      return Usage();
    } else {
      files.emplace_back(argv[i]);
    }
  }
  if (!HaveDisplay()) {
    std::fprintf(stderr, "lwview: no display to open a window on (DISPLAY is not set); run it on a desktop or "
                         "under xvfb-run\n");
    return 1;
  }

  QApplication app(argc, argv);
  // Qt takes the user's locale for everything; numbers in files and dialogs
  // are read and written the one way whatever it says.
  std::setlocale(LC_NUMERIC, "C");
  QSurfaceFormat format;
  format.setDepthBufferSize(24);
  format.setVersion(3, 0);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  QSurfaceFormat::setDefaultFormat(format);
  if (listDevices) {
    render::GlDeviceEnumerator devices;
    std::string text;
    if (!DeviceReportText(devices, text)) {
      std::fprintf(stderr, "lwview: the 3D devices cannot be listed: no OpenGL context can be made\n");
      return 1;
    }
    std::fputs(text.c_str(), stdout);
    return 0;
  }
  {
    QOpenGLContext probe;
    if (!probe.create()) {
      ReportWarning("No OpenGL context can be made");
      QuitWithError();
    }
  }

  QtUi ui;
  const bool interactive = screenshot.empty();
  if (interactive) {
    SetUi(&ui);
    SetDebugAskHook([&ui](const char* text, const char* title) {
      return ui.MessageBox(text, title, UiButtons::YesNo, UiIcon::Question) == UiAnswer::Yes;
    });
  }
  Viewer viewer(GetViewOptions(), GetRenderOptions());
  MainWindow window(viewer);
  window.commands().SetStartupDirectory(startupDirectory.empty() ? "." : startupDirectory);
  ui.SetOwner(&window);
  if (interactive) {
    SetLoadOptionsPresenter(
        [&window](uint32_t& options) { RunLoadOptionsDialog(options, GetPlanarWrapFlags().flip, &window); });
    SetTextureLoaderPresenter([&window](const std::string& name, TextureLoaderChoice& choice) {
      return RunTextureLoaderDialog(name, choice, &window);
    });
  }
  window.show();
  // The display and the scene are made when the view first gets its context.
  QElapsedTimer wait;
  wait.start();
  while (!window.view().initialised() && wait.elapsed() < 10000) QCoreApplication::processEvents();
  if (!window.view().initialised()) QuitWithError();

  // The rest of the start-up: the device choice, then the footballer editor.
  // A file named on the command line is what the user came to see: it is
  // opened instead of the editor.
  if (interactive && deviceDialog) window.commands().DispatchCommand(CMD_CHOOSE_DEVICE);
  if (files.empty()) window.commands().DispatchCommand(CMD_FOOTBALL_EDITOR);

  int status = 0;
  for (const std::string& file : files)
    if (!window.commands().OpenFile(file, kind)) status = 1;
  if (timed) {
    viewer.animationTime = time;
    viewer.PoseAnimation();
  }

  if (!interactive) {
    if (!window.SaveScreenshot(QString::fromStdString(screenshot))) {
      std::fprintf(stderr, "lwview: could not write %s\n", screenshot.c_str());
      status = 1;
    }
  } else {
    window.StartFrameLoop();
    status = QApplication::exec();
  }
  window.CleanUp();
  SetLoadOptionsPresenter(nullptr);
  SetTextureLoaderPresenter(nullptr);
  SetDebugAskHook(nullptr);
  SetUi(nullptr);
  return status;
}
