// Viewports: a rectangle of a device that shows a scene through a camera
// frame. The camera looks along its frame's +z axis with +y up.
//
// Projection: a point (x, y, z) in the camera's space with z > 0 lands at
//   screen x = left + width / 2  + (x / z) * k
//   screen y = top  + height / 2 - (y / z) * k,  k = max(width, height) / (2 field)
// so the field is half the extent, at unit distance in front of the camera,
// of what the longer side of the viewport shows (square pixels).
#pragma once

#include <cstdint>

#include "rm/Math.h"
#include "rm/Object.h"

namespace rm {

class ImDevice;
class ImViewport;

class Viewport : public Object {
 public:
  Viewport(DevicePtr device, FramePtr camera, int32_t x, int32_t y, uint32_t width, uint32_t height);
  const char* GetClassName() const override { return "Viewport"; }

  const DevicePtr& GetDevice() const { return device_; }
  const FramePtr& GetCamera() const { return camera_; }
  void SetCamera(FramePtr camera) { camera_ = std::move(camera); }
  int32_t GetX() const { return x_; }
  int32_t GetY() const { return y_; }
  uint32_t GetWidth() const { return width_; }
  uint32_t GetHeight() const { return height_; }

  // Clipping planes are distances along the camera's z axis; field as above.
  // Values that are not positive (or a front not below the back) are refused.
  bool SetFront(float front);
  float GetFront() const { return front_; }
  bool SetBack(float back);
  float GetBack() const { return back_; }
  bool SetField(float field);
  float GetField() const { return field_; }

  // World space to camera space (the inverse of the camera's world transform).
  Matrix4 GetViewTransform() const;
  // Projects a world point; false when it is not in front of the camera (or
  // there is no camera). screen->z is the camera-space depth.
  bool Transform(Vector world, Vector* screen) const;

  // The device's clear and render for this viewport; false without a device
  // or camera.
  bool Clear();
  bool Render(Frame& root);
  // Marks a rectangle for redrawing; with one device that always redraws
  // everything there is nothing to keep, so it only checks its arguments.
  bool ForceUpdate(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const { return x1 <= x2 && y1 <= y2; }

  // The immediate-mode viewport of this one on its device's immediate-mode
  // device (made when first asked); null when the device has none.
  std::shared_ptr<ImViewport> GetDirect3DViewport();

 private:
  DevicePtr device_;
  FramePtr camera_;
  int32_t x_, y_;
  uint32_t width_, height_;
  float front_ = 1.0f;
  float back_ = 100.0f;
  float field_ = 0.5f;
  std::shared_ptr<ImViewport> immediate_;
  std::weak_ptr<ImDevice> immediateDevice_;
};

}  // namespace rm
