// What the option dialogs do, free of widgets: each dialog forwards its
// controls' clicks and trackbar moves here by control number and shows the
// state these report, so tests drive the behaviour without a window.
#pragma once

#include <cstdint>
#include <string>

#include "app/ViewerOptions.h"
#include "lwlib/object/TextureSearch.h"

// Control numbers of the dialogs.
enum : int {
  IDC_VIEW_OBJECT = 1004,
  IDC_VIEW_CAMERA = 1005,
  IDC_VIEW_OK = 1006,
  IDC_VIEW_RESET = 1007,
  IDC_VIEW_OBJECT_LARGER = 1008,
  IDC_VIEW_OBJECT_SMALLER = 1009,
  IDC_VIEW_CAMERA_FARTHER = 1010,
  IDC_VIEW_CAMERA_NEARER = 1011,
  IDC_VIEW_NO_INPUT = 1012,
  IDC_VIEW_GRID_RESOLUTION = 1068,
  IDC_VIEW_GRID_SIZE = 1069,
  IDC_VIEW_GRID_ON = 1070,

  IDC_RENDER_BACK = 1022,
  IDC_RENDER_FIELD = 1023,
  IDC_RENDER_PERSPECTIVE = 1024,
  IDC_RENDER_DITHER = 1026,
  IDC_RENDER_BILINEAR = 1027,
  IDC_RENDER_OK = 1067,
  IDC_RENDER_GOURAUD = 1076,
  IDC_RENDER_FLAT = 1077,

  IDC_LOAD_OK = 1001,
  IDC_LOAD_MANUAL_SEARCH = 1073,
  IDC_LOAD_FLAT_NORMALS = 1079,
  IDC_LOAD_TEXTURE = 1085,
  IDC_LOAD_FORCE_SEARCH = 1096,

  IDC_WRAP_OK = 1083,

  IDC_TEXTURE_OK = 1,
  IDC_TEXTURE_BROWSE = 1086,
  IDC_TEXTURE_SKIP = 1087,
  IDC_TEXTURE_SEARCH_FIRST = 1089,
  IDC_TEXTURE_SIZE = 1093,
  IDC_TEXTURE_DEPTH = 1094,
  IDC_TEXTURE_NAME = 1097,
};

struct TrackbarRange {
  int minimum, maximum;
};

// "View options": what the mouse moves, reset and zoom requests, the grid.
class ViewOptionsController {
 public:
  explicit ViewOptionsController(ViewOptions& options) : options_(options) {}
  static constexpr TrackbarRange kResolutionRange{0, 100};
  static constexpr TrackbarRange kSizeRange{1, 100};

  bool IsChecked(int control) const;
  int ResolutionPosition() const { return static_cast<int>(options_.gridSpacing * 10); }
  int SizePosition() const { return options_.gridCells; }
  // A button or check box clicked; true when the dialog should close.
  bool Click(int control);
  // Either trackbar moved: both positions are read again.
  void Scroll(int resolutionPosition, int sizePosition);

 private:
  ViewOptions& options_;
};

// "Render options...": clipping plane, field of view, shading and the flags.
class RenderOptionsController {
 public:
  explicit RenderOptionsController(RenderOptions& options) : options_(options) {}
  static constexpr TrackbarRange kBackRange{0, 500};
  static constexpr TrackbarRange kFieldRange{0, 100};
  static constexpr float kPi = 3.1415927f;

  bool IsChecked(int control) const;
  int BackPosition() const { return static_cast<int>(options_.backClippingPlane); }
  int FieldPosition() const { return static_cast<int>(options_.fieldOfView * 100 / kPi); }
  bool Click(int control);
  void Scroll(int backPosition, int fieldPosition);

 private:
  RenderOptions& options_;
};

// "File Load Options...": three option bits (1 manual texture search,
// 2 flat-shaded normals, 4 force texture search).
class LoadOptionsController {
 public:
  explicit LoadOptionsController(uint32_t& options) : options_(options) {}
  bool IsChecked(int control) const;
  // 1085 ("Texture...") is the caller's: it opens the planar wrap options.
  bool Click(int control);

 private:
  static uint32_t BitOf(int control);
  uint32_t& options_;
};

// "Planar Texture Wrap options": twelve flips, [axis X Y Z][direction, up,
// u scale, v scale].
class PlanarWrapController {
 public:
  using Flips = bool[3][4];
  explicit PlanarWrapController(Flips& flips) : flips_(flips) {}
  // The control of each flip, in the order of Flips.
  static constexpr int kControls[3][4] = {{1084, 1085, 1087, 1095}, {1088, 1089, 1090, 1094}, {1086, 1092, 1091, 1093}};
  bool IsChecked(int control) const;
  bool Click(int control);

 private:
  bool* FlagOf(int control) const;
  Flips& flips_;
};

// "Texture Loader...": the texture's name, then a picked bitmap's size and
// depth; OK only once a loadable bitmap is chosen.
class TextureLoaderController {
 public:
  explicit TextureLoaderController(std::string name) : nameField_(std::move(name)) {}
  const std::string& nameField() const { return nameField_; }    // IDC_TEXTURE_NAME
  const std::string& sizeField() const { return sizeField_; }    // IDC_TEXTURE_SIZE, "%i x %i"
  const std::string& depthField() const { return depthField_; }  // IDC_TEXTURE_DEPTH, "%i"
  bool IsChecked(int control) const { return control == IDC_TEXTURE_SEARCH_FIRST && searchFirst_; }
  bool chosen() const { return chosen_; }

  // "&Browse" with the file picked: false, and nothing chosen, when it is not
  // a loadable bitmap.
  bool Browse(const std::string& path);
  // A button or check box clicked; true when the dialog should close. Browse
  // asks the Ui for the file; the check box stays off until a file is chosen;
  // OK is ignored while nothing is chosen; Skip closes with nothing chosen.
  bool Click(int control);
  // What the dialog gave: false when it closed without a choice.
  bool Result(TextureLoaderChoice& choice) const;

 private:
  std::string nameField_, sizeField_, depthField_, chosenPath_;
  bool chosen_ = false, searchFirst_ = false, accepted_ = false;
};
