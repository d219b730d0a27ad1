#include "app/OptionControllers.h"

#include <cstdio>

#include "lwlib/object/Bitmap.h"
#include "rm/Surface.h"

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

bool TextureLoaderController::Browse(const std::string& path) {
  const rm::SurfacePtr surface = LoadBitmapSurface(path.c_str(), 0, 0);
  if (!surface) return false;
  char text[64];
  std::snprintf(text, sizeof text, "%i x %i", static_cast<int>(surface->GetWidth()),
                static_cast<int>(surface->GetHeight()));
  sizeField_ = text;
  std::snprintf(text, sizeof text, "%i", static_cast<int>(surface->GetPixelFormat().bitsPerPixel));
  depthField_ = text;
  nameField_ = chosenPath_ = path;
  chosen_ = true;
  return true;
}

bool TextureLoaderController::Click(int control) {
  switch (control) {
    case IDC_TEXTURE_OK: return accepted_ = chosen_;
    case IDC_TEXTURE_BROWSE: {
      std::string path;
      if (AskForTextureFile(path)) Browse(path);
      return false;
    }
    case IDC_TEXTURE_SKIP: chosen_ = accepted_ = false; return true;
    case IDC_TEXTURE_SEARCH_FIRST:
      if (chosen_) searchFirst_ = !searchFirst_;
      return false;
    default: return false;
  }
}

bool TextureLoaderController::Result(TextureLoaderChoice& choice) const {
  if (!accepted_ || !chosen_) return false;
  choice.path = chosenPath_;
  choice.searchDirectoryFirst = searchFirst_;
  return true;
}
