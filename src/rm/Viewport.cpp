#include "rm/Viewport.h"

#include <algorithm>

#include "rm/Device.h"
#include "rm/Frame.h"
#include "rm/ImmediateDevice.h"

namespace rm {

Viewport::Viewport(DevicePtr device, FramePtr camera, int32_t x, int32_t y, uint32_t width, uint32_t height)
    : device_(std::move(device)), camera_(std::move(camera)), x_(x), y_(y), width_(width), height_(height) {}

bool Viewport::SetFront(float front) {
  if (!(front > 0) || !(front < back_)) return false;
  front_ = front;
  return true;
}

bool Viewport::SetBack(float back) {
  if (!(back > front_)) return false;
  back_ = back;
  return true;
}

bool Viewport::SetField(float field) {
  if (!(field > 0)) return false;
  field_ = field;
  return true;
}

Matrix4 Viewport::GetViewTransform() const {
  Matrix4 view;
  if (camera_) camera_->GetWorldTransform().InverseAffine(&view);
  return view;
}

bool Viewport::Transform(Vector world, Vector* screen) const {
  if (!camera_) return false;
  const Vector c = GetViewTransform().TransformPoint(world);
  if (!(c.z > 0)) return false;
  const float k = static_cast<float>(std::max(width_, height_)) / (2 * field_);
  screen->x = static_cast<float>(x_) + static_cast<float>(width_) / 2 + c.x / c.z * k;
  screen->y = static_cast<float>(y_) + static_cast<float>(height_) / 2 - c.y / c.z * k;
  screen->z = c.z;
  return true;
}

bool Viewport::Clear() { return device_ && camera_ && device_->Clear(*this); }
bool Viewport::Render(Frame& root) { return device_ && camera_ && device_->Render(*this, root); }

std::shared_ptr<ImViewport> Viewport::GetDirect3DViewport() {
  const std::shared_ptr<ImDevice> device = device_ ? device_->GetDirect3DDevice() : nullptr;
  if (!device) return nullptr;
  if (immediate_ && immediateDevice_.lock() == device) return immediate_;
  Direct3DPtr d3d;
  ImViewportPtr made;
  if (device->GetDirect3D(&d3d) != DD_OK || d3d->CreateViewport(&made) != DD_OK) return nullptr;
  ViewportData data;
  data.x = static_cast<uint32_t>(std::max(x_, 0));
  data.y = static_cast<uint32_t>(std::max(y_, 0));
  data.width = std::max(width_, 1u), data.height = std::max(height_, 1u);
  data.clipX = -1, data.clipY = 1, data.clipWidth = 2, data.clipHeight = 2;
  made->SetViewport2(data);
  immediate_ = made;
  immediateDevice_ = device;
  return immediate_;
}

}  // namespace rm
