// The immediate-mode device on OpenGL. The OpenGL device hands it the
// transforms, camera and lights of the frame whose user visual is being
// asked, so what it draws sits in the scene like a mesh of that frame.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "rm/ImmediateDevice.h"
#include "rm/Math.h"

namespace render {

// A light as the shaders take it: w of pos 0 directional, 1 point, 2 spot.
struct GlLight {
  float pos[4];
  float dir[3];
  float color[3];
  float att[4];   // constant, linear, quadratic, range
  float cone[2];  // cosines of the half umbra and half penumbra
};

struct GlFrameState {
  rm::Matrix4 world;
  rm::Matrix4 viewProjection;
  rm::Vector eye;
  const float* ambient = nullptr;  // 3 floats
  const GlLight* lights = nullptr;
  uint32_t lightCount = 0;
};

// Whether this renderer's devices keep textures of their own apart from the
// memory copies (a hardware colour model). The one place that answers it.
uint32_t HardwareColourModel();

class GlImmediateDevice : public rm::ImDevice {
 public:
  // Materials, textures and states are kept in memory; the OpenGL objects
  // are made at the first draw (a shader that does not build is reported
  // once, and nothing is drawn).
  GlImmediateDevice(uint32_t width, uint32_t height);
  ~GlImmediateDevice() override;

  rm::HRESULT GetCaps(rm::DeviceDesc* hardware, rm::DeviceDesc* software) override;
  void SetFrameState(const GlFrameState& state) { state_ = state; }
  // Frees the OpenGL objects; the context must be current.
  void ReleaseGl();

 protected:
  rm::HRESULT Draw(rm::VertexType vertexType, const void* vertices, uint32_t vertexCount, const uint16_t* indices,
                   uint32_t indexCount) override;

 private:
  bool Init();
  uint32_t TextureFor(rm::TextureHandle handle);

  struct Texture {
    uint32_t id = 0;
    const rm::DDSurface* surface = nullptr;
    uint32_t version = 0;
  };
  GlFrameState state_;
  bool initFailed_ = false;
  uint32_t program_ = 0, vertexBuffer_ = 0, indexBuffer_ = 0;
  int uniforms_[20] = {};
  std::vector<Texture> textures_;  // by texture handle - 1
  std::vector<uint8_t> rgba_;      // reused for texture uploads
};

}  // namespace render
