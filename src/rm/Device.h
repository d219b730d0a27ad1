// Devices draw a frame tree through a viewport. The OpenGL renderer
// implements this interface; the null device draws nothing and serves
// headless runs and tests. What a device can do, its identity and the
// listing of devices are in DeviceDescription.h.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "rm/DeviceDescription.h"
#include "rm/Object.h"

namespace rm {

class ImDevice;

class Device : public Object {
 public:
  Device(uint32_t width, uint32_t height) : width_(width), height_(height) {}
  const char* GetClassName() const override { return "Device"; }

  uint32_t GetWidth() const { return width_; }
  uint32_t GetHeight() const { return height_; }
  // The identity of the device this one was made as; none for a device that
  // no listing offers (the null device).
  const std::optional<DeviceGuid>& GetGuid() const { return guid_; }
  void SetGuid(const DeviceGuid& guid) { guid_ = guid; }

  // Settings. Implementations that need to act on a change override the
  // setters and call these.
  virtual void SetQuality(RenderQuality quality) { quality_ = quality; }
  RenderQuality GetQuality() const { return quality_; }
  virtual void SetDither(bool dither) { dither_ = dither; }
  bool GetDither() const { return dither_; }
  virtual void SetTextureQuality(TextureQuality quality) { textureQuality_ = quality; }
  TextureQuality GetTextureQuality() const { return textureQuality_; }
  virtual void SetBufferCount(uint32_t count) { bufferCount_ = count; }
  uint32_t GetBufferCount() const { return bufferCount_; }

  // Clears the viewport's rectangle to the background of the scene it shows.
  virtual bool Clear(Viewport& viewport) = 0;
  // Draws the tree below `root` (root included) as seen through the viewport.
  virtual bool Render(Viewport& viewport, Frame& root) = 0;
  // Finishes the frame (shows what was drawn).
  virtual bool Update() = 0;
  // The immediate-mode device user visuals draw with while this device
  // renders; null when there is none.
  virtual std::shared_ptr<ImDevice> GetDirect3DDevice() { return nullptr; }

 protected:
  uint32_t width_, height_;

 private:
  RenderQuality quality_ = RENDER_FLAT;
  bool dither_ = false;
  TextureQuality textureQuality_ = TEXTURE_NEAREST;
  uint32_t bufferCount_ = 1;
  std::optional<DeviceGuid> guid_;
};

// Draws nothing; counts the calls so tests can see the render loop ran. Its
// user visuals are asked as a drawing device would ask them, with an
// immediate-mode device that keeps everything in memory.
class NullDevice : public Device {
 public:
  using Device::Device;
  bool Clear(Viewport&) override { ++clears; return true; }
  bool Render(Viewport& viewport, Frame& root) override;
  bool Update() override { ++updates; return true; }
  std::shared_ptr<ImDevice> GetDirect3DDevice() override;
  uint32_t clears = 0, renders = 0, updates = 0;

 private:
  std::shared_ptr<ImDevice> immediate_;
};

}  // namespace rm
