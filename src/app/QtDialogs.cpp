#include "app/QtDialogs.h"

#include "app/NumberedDialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <functional>
#include <vector>


namespace {

QPointer<NumberedDialog> g_viewDialog;
QPointer<NumberedDialog> g_renderDialog;

}  // namespace

QDialog* ViewOptionsDialog() { return g_viewDialog.data(); }
QDialog* RenderOptionsDialog() { return g_renderDialog.data(); }

void OpenViewOptions(ViewOptions& options, QWidget* owner) {
  if (g_viewDialog) return;
  auto* d = new NumberedDialog(owner, "View options", true);
  auto controller = std::make_shared<ViewOptionsController>(options);
  d->SetBehaviour([controller](int id) { return controller->Click(id); },
                  [controller](int id) { return controller->IsChecked(id); });
  auto* layout = new QVBoxLayout(d);

  auto* input = new QGroupBox("Input", d);
  auto* inputLayout = new QVBoxLayout(input);
  inputLayout->addWidget(d->Check(IDC_VIEW_OBJECT, "Object"));
  inputLayout->addWidget(d->Check(IDC_VIEW_CAMERA, "Camera"));
  inputLayout->addWidget(d->Check(IDC_VIEW_NO_INPUT, "No input"));
  inputLayout->addWidget(d->Button(IDC_VIEW_RESET, "Reset"));
  layout->addWidget(input);

  auto* zoom = new QGroupBox("Zoom", d);
  auto* zoomLayout = new QGridLayout(zoom);
  zoomLayout->addWidget(new QLabel("Object", zoom), 0, 0);
  zoomLayout->addWidget(d->Button(IDC_VIEW_OBJECT_SMALLER, "<"), 0, 1);
  zoomLayout->addWidget(d->Button(IDC_VIEW_OBJECT_LARGER, ">"), 0, 2);
  zoomLayout->addWidget(new QLabel("Camera", zoom), 1, 0);
  zoomLayout->addWidget(d->Button(IDC_VIEW_CAMERA_FARTHER, "<"), 1, 1);
  zoomLayout->addWidget(d->Button(IDC_VIEW_CAMERA_NEARER, ">"), 1, 2);
  layout->addWidget(zoom);

  auto* grid = new QGroupBox("Grid options", d);
  auto* gridLayout = new QGridLayout(grid);
  gridLayout->addWidget(d->Check(IDC_VIEW_GRID_ON, "On/Off"), 0, 0, 1, 2);
  QSlider* resolution = d->Trackbar(IDC_VIEW_GRID_RESOLUTION, ViewOptionsController::kResolutionRange,
                                    controller->ResolutionPosition());
  QSlider* size = d->Trackbar(IDC_VIEW_GRID_SIZE, ViewOptionsController::kSizeRange, controller->SizePosition());
  gridLayout->addWidget(new QLabel("Resolution", grid), 1, 0);
  gridLayout->addWidget(resolution, 1, 1);
  gridLayout->addWidget(new QLabel("Size", grid), 2, 0);
  gridLayout->addWidget(size, 2, 1);
  layout->addWidget(grid);
  auto scroll = [controller, resolution, size] { controller->Scroll(resolution->value(), size->value()); };
  QObject::connect(resolution, &QSlider::valueChanged, d, scroll);
  QObject::connect(size, &QSlider::valueChanged, d, scroll);

  layout->addWidget(d->Button(IDC_VIEW_OK, "OK"));
  d->Refresh();
  g_viewDialog = d;
  d->show();
}

void OpenRenderOptions(RenderOptions& options, QWidget* owner) {
  if (g_renderDialog) return;
  auto* d = new NumberedDialog(owner, "Render options...", true);
  auto controller = std::make_shared<RenderOptionsController>(options);
  d->SetBehaviour([controller](int id) { return controller->Click(id); },
                  [controller](int id) { return controller->IsChecked(id); });
  auto* layout = new QVBoxLayout(d);

  QSlider* back = d->Trackbar(IDC_RENDER_BACK, RenderOptionsController::kBackRange, controller->BackPosition());
  QSlider* field = d->Trackbar(IDC_RENDER_FIELD, RenderOptionsController::kFieldRange, controller->FieldPosition());
  layout->addWidget(new QLabel("Back Clipping Plane", d));
  layout->addWidget(back);
  layout->addWidget(new QLabel("Field of view", d));
  layout->addWidget(field);
  auto scroll = [controller, back, field] { controller->Scroll(back->value(), field->value()); };
  QObject::connect(back, &QSlider::valueChanged, d, scroll);
  QObject::connect(field, &QSlider::valueChanged, d, scroll);

  auto* shade = new QGroupBox("Shade Mode", d);
  auto* shadeLayout = new QHBoxLayout(shade);
  shadeLayout->addWidget(d->Check(IDC_RENDER_GOURAUD, "Gouraud"));
  shadeLayout->addWidget(d->Check(IDC_RENDER_FLAT, "Flat"));
  layout->addWidget(shade);
  layout->addWidget(d->Check(IDC_RENDER_PERSPECTIVE, "Perspective correction"));
  layout->addWidget(d->Check(IDC_RENDER_DITHER, "Dithering"));
  layout->addWidget(d->Check(IDC_RENDER_BILINEAR, "Bilinear Filtering"));
  layout->addWidget(d->Button(IDC_RENDER_OK, "OK"));
  d->Refresh();
  g_renderDialog = d;
  d->show();
}

void RunPlanarWrapDialog(PlanarWrapController::Flips& flips, QWidget* owner) {
  NumberedDialog d(owner, "Planar Texture Wrap options", false);
  PlanarWrapController controller(flips);
  d.SetBehaviour([&](int id) { return controller.Click(id); }, [&](int id) { return controller.IsChecked(id); });
  auto* layout = new QVBoxLayout(&d);
  static constexpr const char* kGroups[3] = {"X Flip...", "Y Flip...", "Z Flip..."};
  static constexpr const char* kTexts[4] = {"Dirn", "Up", "Scale U", "Scale V"};
  auto* groups = new QWidget(&d);
  auto* groupsLayout = new QHBoxLayout(groups);
  for (int axis = 0; axis < 3; ++axis) {
    auto* box = new QGroupBox(kGroups[axis], groups);
    auto* boxLayout = new QVBoxLayout(box);
    for (int param = 0; param < 4; ++param)
      boxLayout->addWidget(d.Check(PlanarWrapController::kControls[axis][param], kTexts[param]));
    groupsLayout->addWidget(box);
  }
  layout->addWidget(groups);
  layout->addWidget(d.Button(IDC_WRAP_OK, "OK"));
  d.Refresh();
  d.exec();
}

void RunLoadOptionsDialog(uint32_t& options, PlanarWrapController::Flips& flips, QWidget* owner) {
  NumberedDialog d(owner, "File Load Options...", false);
  LoadOptionsController controller(options);
  d.SetBehaviour(
      [&](int id) {
        if (id == IDC_LOAD_TEXTURE) {
          RunPlanarWrapDialog(flips, &d);
          return false;
        }
        return controller.Click(id);
      },
      [&](int id) { return controller.IsChecked(id); });
  auto* layout = new QVBoxLayout(&d);
  layout->addWidget(d.Check(IDC_LOAD_MANUAL_SEARCH, "Manually search for textures"));
  layout->addWidget(d.Check(IDC_LOAD_FLAT_NORMALS, "Flat Shaded Normals"));
  layout->addWidget(d.Check(IDC_LOAD_FORCE_SEARCH, "Force texture search"));
  layout->addWidget(Row(&d, {d.Button(IDC_LOAD_TEXTURE, "Texture..."), d.Button(IDC_LOAD_OK, "OK")}));
  d.Refresh();
  d.exec();
}
