#include "app/CommandControllers.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "lwlib/scene/Parse.h"
#include "platform/Version.h"

bool AnimationSettingsController::IsChecked(int control) const {
  if (control == IDC_ANIM_ZXY_OPTIMISED) return settings_.zxyOptimised != 0;
  if (control == IDC_ANIM_SPLINE) return settings_.splineInterpolation != 0;
  const int32_t order = settings_.rotationOrder;
  return order >= 0 && order < 6 && kOrderButtons[order] == control;
}

bool AnimationSettingsController::Click(int control) {
  if (control == IDC_ANIM_OK) return true;
  if (control == IDC_ANIM_ZXY_OPTIMISED) settings_.zxyOptimised = settings_.zxyOptimised ? 0 : 1;
  if (control == IDC_ANIM_SPLINE) settings_.splineInterpolation = settings_.splineInterpolation ? 0 : 1;
  for (int32_t order = 0; order < 6; ++order)
    if (kOrderButtons[order] == control) settings_.rotationOrder = order;
  return false;
}

uint32_t& GetHmdConversionFlags() {
  static uint32_t flags = HMD_OPT_DEFAULT;
  return flags;
}

namespace {

// A number as the dialog accepts it: the characters IsFloat allows, and the
// whole text read as one number.
bool ReadScale(const std::string& text, float& value) {
  if (text.empty() || !IsFloat(text.c_str())) return false;
  float v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return false;
  value = v;
  return true;
}

std::string Format(const char* format, float value) {
  char text[64];
  std::snprintf(text, sizeof text, format, static_cast<double>(value));
  return text;
}

}  // namespace

HmdOptionsController::HmdOptionsController(uint32_t& flags, float scale, const HmdBox& box)
    : flags_(flags), box_(box), scales_{scale, scale, scale} {
  for (std::string& field : fields_) field = Format("%f", scale);
  scaledBox_ = BoxText(": (%.2f %.2f %.2f) -> (%.2f %.2f %.2f)", true);
}

uint32_t HmdOptionsController::FlagOf(int control) {
  switch (control) {
    case IDC_HMD_FLAT_SHADED: return HMD_OPT_FLAT_SHADED;
    case IDC_HMD_WRITE_TEXTURES: return HMD_OPT_WRITE_TEXTURES;
    case IDC_HMD_WRAPPED_POLYS: return HMD_OPT_WRAPPED_POLYS;
    case IDC_HMD_INVERT_X: return HMD_OPT_INVERT_X;
    case IDC_HMD_INVERT_Y: return HMD_OPT_INVERT_Y;
    case IDC_HMD_INVERT_Z: return HMD_OPT_INVERT_Z;
    case IDC_HMD_INVERT_WINDING: return HMD_OPT_INVERT_WINDING;
    default: return 0;
  }
}

int HmdOptionsController::AxisOf(int control) {
  for (int axis = 0; axis < 3; ++axis)
    if (kFields[axis] == control) return axis;
  return -1;
}

std::string HmdOptionsController::BoxText(const char* format, bool scaled) const {
  const float sx = scaled ? scales_[0] : 1, sy = scaled ? scales_[1] : 1, sz = scaled ? scales_[2] : 1;
  char text[256];
  std::snprintf(text, sizeof text, format, static_cast<double>(box_.minX * sx), static_cast<double>(box_.minY * sy),
                static_cast<double>(box_.minZ * sz), static_cast<double>(box_.maxX * sx),
                static_cast<double>(box_.maxY * sy), static_cast<double>(box_.maxZ * sz));
  return text;
}

bool HmdOptionsController::IsChecked(int control) const { return (flags_ & FlagOf(control)) != 0; }

std::string HmdOptionsController::FieldText(int control) const {
  const int axis = AxisOf(control);
  return axis < 0 ? std::string() : fields_[axis];
}

std::string HmdOptionsController::Text(int control) const {
  if (control == IDC_HMD_BOX) return BoxText(": (%.2f %.2f %.2f) -> (%.2f %.2f %.2f)", false);
  if (control == IDC_HMD_SCALED_BOX) return scaledBox_;
  return {};
}

void HmdOptionsController::Edited(int control, const std::string& text) {
  const int axis = AxisOf(control);
  if (axis < 0) return;
  fields_[axis] = text;
  ReadScale(text, scales_[axis]);
  scaledBox_ = BoxText("(%.3f %.3f %.3f) -> (%.3f %.3f %.3f)", true);
}

bool HmdOptionsController::Click(int control) {
  if (control == IDC_HMD_OK) {
    float read[3];
    for (int axis = 0; axis < 3; ++axis)
      if (!ReadScale(fields_[axis], read[axis])) return false;
    for (int axis = 0; axis < 3; ++axis) scales_[axis] = read[axis];
    return true;
  }
  flags_ ^= FlagOf(control);
  return false;
}

std::vector<std::string> AboutLines(const std::string& qtVersion, const std::string& openGlVersion) {
  return {kSuiteName, std::string("Version ") + kSuiteVersion, "Qt " + qtVersion,
          "OpenGL " + (openGlVersion.empty() ? std::string("(no context)") : openGlVersion)};
}
