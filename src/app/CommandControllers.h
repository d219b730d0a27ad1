// What the command dialogs do, free of widgets: "Animation rotation
// ordering/params" (dialog 117), "HMD Conversion options" and the texts of
// "About..." (dialog 102). The dialogs forward clicks and edits here by control
// number, so tests drive them without a window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lwlib/scene/Anim.h"
#include "psx/Hmd.h"

enum : int {
  IDC_ANIM_OK = 1,
  IDC_ANIM_XYZ = 1098,
  IDC_ANIM_YZX = 1099,
  IDC_ANIM_XZY = 1100,
  IDC_ANIM_ZXY = 1101,
  IDC_ANIM_YXZ = 1102,
  IDC_ANIM_ZYX = 1103,
  IDC_ANIM_ZXY_OPTIMISED = 1105,
  IDC_ANIM_SPLINE = 1106,

  IDC_HMD_FLAT_SHADED = 1080,
  IDC_HMD_WRITE_TEXTURES = 1081,
  IDC_HMD_OK = 1082,
  IDC_HMD_WRAPPED_POLYS = 1091,
  IDC_HMD_INVERT_X = 1092,
  IDC_HMD_INVERT_Y = 1093,
  IDC_HMD_INVERT_Z = 1094,
  IDC_HMD_INVERT_WINDING = 1095,
  IDC_HMD_X_SCALE = 1099,
  IDC_HMD_Z_SCALE = 1100,
  IDC_HMD_Y_SCALE = 1101,
  IDC_HMD_SCALED_BOX = 1103,
  IDC_HMD_BOX = 1104,
};

// Dialog 117 on the process-wide animation settings: six radio buttons for the
// rotation order, two switches; every click takes effect at once.
class AnimationSettingsController {
 public:
  explicit AnimationSettingsController(AnimationSettings& settings) : settings_(settings) {}
  // The button of each RotationOrder value.
  static constexpr int kOrderButtons[6] = {IDC_ANIM_XYZ, IDC_ANIM_XZY, IDC_ANIM_YXZ,
                                           IDC_ANIM_YZX, IDC_ANIM_ZXY, IDC_ANIM_ZYX};
  bool IsChecked(int control) const;
  // True when the dialog should close (OK).
  bool Click(int control);

 private:
  AnimationSettings& settings_;
};

// The conversion flags the dialog keeps for the run (all on but "Flat shaded"
// at start).
uint32_t& GetHmdConversionFlags();

// "HMD Conversion options": seven switches, three scales and the box they
// give. A scale takes an edited text only when it is a number.
class HmdOptionsController {
 public:
  HmdOptionsController(uint32_t& flags, float scale, const HmdBox& box);
  static constexpr int kChecks[7] = {IDC_HMD_FLAT_SHADED,  IDC_HMD_WRITE_TEXTURES, IDC_HMD_WRAPPED_POLYS,
                                     IDC_HMD_INVERT_X,     IDC_HMD_INVERT_Y,       IDC_HMD_INVERT_Z,
                                     IDC_HMD_INVERT_WINDING};
  static constexpr int kFields[3] = {IDC_HMD_X_SCALE, IDC_HMD_Y_SCALE, IDC_HMD_Z_SCALE};

  bool IsChecked(int control) const;
  // The three fields as they were filled, and the box texts as they stand.
  std::string FieldText(int control) const;
  std::string Text(int control) const;
  // A field's text changed.
  void Edited(int control, const std::string& text);
  // A check box toggles; OK closes (true) only when all three fields hold
  // numbers, which then become the scales.
  bool Click(int control);

  float xScale() const { return scales_[0]; }
  float yScale() const { return scales_[1]; }
  float zScale() const { return scales_[2]; }
  uint32_t flags() const { return flags_; }

 private:
  static uint32_t FlagOf(int control);
  static int AxisOf(int control);
  std::string BoxText(const char* format, bool scaled) const;

  uint32_t& flags_;
  HmdBox box_;
  float scales_[3];
  std::string fields_[3];
  std::string scaledBox_;
};

// The lines of "About...": the product, its version as lwconv prints it, and
// the Qt and OpenGL versions in use.
std::vector<std::string> AboutLines(const std::string& qtVersion, const std::string& openGlVersion);
