// lwview: the viewer. `lwview [FILE...]` opens each file as its load command
// would; `lwview --screenshot OUT.png [FILE...]` draws one frame of them into
// a PNG file and exits.
#include <QApplication>
#include <QElapsedTimer>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "app/QtDialogs.h"
#include "app/QtUi.h"
#include "diag/Dbug.h"
#include "lwlib/object/TextureSearch.h"
#include "lwlib/object/Uv.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: lwview [FILE...]\n       lwview --screenshot OUT.png [FILE...]\n");
  return 2;
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
  std::string screenshot;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--screenshot") == 0) {
      if (i + 1 >= argc) return Usage();
      screenshot = argv[++i];
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
  QSurfaceFormat format;
  format.setDepthBufferSize(24);
  format.setVersion(3, 0);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  QSurfaceFormat::setDefaultFormat(format);
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
  ui.SetOwner(&window);
  if (interactive) {
    SetLoadOptionsPresenter(
        [&window](uint32_t& options) { RunLoadOptionsDialog(options, GetPlanarWrapFlags().flip, &window); });
    SetTextureLoaderPresenter([&window](TextureLoaderDialog& dialog) { RunTextureLoaderDialog(dialog, &window); });
  }
  window.show();
  // The display and the scene are made when the view first gets its context.
  QElapsedTimer wait;
  wait.start();
  while (!window.view().initialised() && wait.elapsed() < 10000) QCoreApplication::processEvents();
  if (!window.view().initialised()) QuitWithError();

  int status = 0;
  for (const std::string& file : files)
    if (!window.commands().OpenFile(file)) status = 1;

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
