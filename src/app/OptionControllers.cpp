#include "app/OptionControllers.h"

bool ViewOptionsController::IsChecked(int control) const {
  switch (control) {
    case IDC_VIEW_OBJECT: return options_.moveObject != 0;
    case IDC_VIEW_CAMERA: return options_.moveCamera != 0;
    case IDC_VIEW_NO_INPUT: return options_.moveObject == 0 && options_.moveCamera == 0;
    case IDC_VIEW_GRID_ON: return options_.gridOn != 0;
    default: return false;
  }
}

bool ViewOptionsController::Click(int control) {
  switch (control) {
    case IDC_VIEW_OBJECT: options_.moveObject = 1, options_.moveCamera = 0; break;
    case IDC_VIEW_CAMERA: options_.moveCamera = 1, options_.moveObject = 0; break;
    case IDC_VIEW_NO_INPUT: options_.moveObject = 0, options_.moveCamera = 0; break;
    case IDC_VIEW_RESET: options_.reset = 1; break;
    case IDC_VIEW_OBJECT_LARGER: options_.objectLarger = 1; break;
    case IDC_VIEW_OBJECT_SMALLER: options_.objectSmaller = 1; break;
    case IDC_VIEW_CAMERA_FARTHER: options_.cameraFarther = 1; break;
    case IDC_VIEW_CAMERA_NEARER: options_.cameraNearer = 1; break;
    case IDC_VIEW_GRID_ON: options_.gridOn = options_.gridOn ? 0 : 1; break;
    case IDC_VIEW_OK: return true;
    default: break;
  }
  return false;
}

void ViewOptionsController::Scroll(int resolutionPosition, int sizePosition) {
  options_.gridSpacing = static_cast<float>(resolutionPosition) / 10;
  options_.gridCells = sizePosition;
}

bool RenderOptionsController::IsChecked(int control) const {
  switch (control) {
    case IDC_RENDER_PERSPECTIVE: return options_.perspectiveCorrection != 0;
    case IDC_RENDER_DITHER: return options_.dithering != 0;
    case IDC_RENDER_BILINEAR: return options_.bilinearFiltering != 0;
    case IDC_RENDER_FLAT: return options_.flatShading != 0;
    case IDC_RENDER_GOURAUD: return options_.flatShading == 0;
    default: return false;
  }
}

bool RenderOptionsController::Click(int control) {
  auto toggle = [](uint8_t& flag) { flag = flag ? 0 : 1; };
  switch (control) {
    case IDC_RENDER_PERSPECTIVE: toggle(options_.perspectiveCorrection); break;
    case IDC_RENDER_DITHER: toggle(options_.dithering); break;
    case IDC_RENDER_BILINEAR: toggle(options_.bilinearFiltering); break;
    // Either shade box flips the mode, so clicking the checked one unchecks it.
    case IDC_RENDER_GOURAUD:
    case IDC_RENDER_FLAT: toggle(options_.flatShading); break;
    case IDC_RENDER_OK: return true;
    default: break;
  }
  return false;
}

void RenderOptionsController::Scroll(int backPosition, int fieldPosition) {
  options_.backClippingPlane = static_cast<float>(backPosition);
  options_.fieldOfView = static_cast<float>(fieldPosition) * kPi / 100;
}

uint32_t LoadOptionsController::BitOf(int control) {
  switch (control) {
    case IDC_LOAD_MANUAL_SEARCH: return 1;
    case IDC_LOAD_FLAT_NORMALS: return 2;
    case IDC_LOAD_FORCE_SEARCH: return 4;
    default: return 0;
  }
}

bool LoadOptionsController::IsChecked(int control) const { return (options_ & BitOf(control)) != 0; }

bool LoadOptionsController::Click(int control) {
  if (control == IDC_LOAD_OK) return true;
  options_ ^= BitOf(control);
  return false;
}

bool* PlanarWrapController::FlagOf(int control) const {
  for (int axis = 0; axis < 3; ++axis)
    for (int param = 0; param < 4; ++param)
      if (kControls[axis][param] == control) return &flips_[axis][param];
  return nullptr;
}

bool PlanarWrapController::IsChecked(int control) const {
  const bool* flag = FlagOf(control);
  return flag && *flag;
}

bool PlanarWrapController::Click(int control) {
  if (control == IDC_WRAP_OK) return true;
  if (bool* flag = FlagOf(control)) *flag = !*flag;
  return false;
}
