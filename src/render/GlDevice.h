// The OpenGL device: draws an engine frame tree through a viewport into the
// framebuffer of the current OpenGL context. Geometry and textures go to the
// GPU when they are first seen or have changed, and stay there while their
// engine objects live; drawing a frame allocates nothing.
#pragma once

#include <cstdint>
#include <memory>

#include "rm/Rm.h"

namespace render {

class GlResources;

class GlDevice : public rm::Device {
 public:
  // Lights other than ambient ones drawn at once; more are left out.
  static constexpr uint32_t kMaxLights = 8;

  // Needs a current OpenGL context of version 3.0 or later (compatibility or
  // core with GLSL 1.30). Null, reported, when there is none or the shaders
  // do not build. Its GUID is the context's (GlDeviceInfo.h). The device
  // draws into a target of width x height pixels unless SetTargetSize says
  // otherwise.
  static std::shared_ptr<GlDevice> Create(uint32_t width, uint32_t height);
  GlDevice(std::shared_ptr<GlResources> resources, uint32_t width, uint32_t height);
  ~GlDevice() override;

  // The pixel size of the framebuffer the device draws into; the device's
  // own size is stretched over it (a full-screen mode on a larger screen).
  void SetTargetSize(uint32_t width, uint32_t height) { targetWidth_ = width, targetHeight_ = height; }

  bool Clear(rm::Viewport& viewport) override;
  bool Render(rm::Viewport& viewport, rm::Frame& root) override;
  bool Update() override;
  // Made when first asked; its OpenGL objects go with ReleaseResources.
  std::shared_ptr<rm::ImDevice> GetDirect3DDevice() override;

  // A mesh whose vertices or faces were changed in place (its group arrays
  // kept their storage) is sent to the GPU again on the next render.
  void InvalidateMesh(const rm::Mesh& mesh);
  // Frees every GPU buffer and texture; the context must be current.
  void ReleaseResources();
  // How many meshes and textures are on the GPU.
  uint32_t CachedMeshes() const;
  uint32_t CachedTextures() const;
  // Groups are drawn by programs made for what each needs (built when first
  // needed and kept); off, everything goes through the one general program,
  // the reference the specialised ones are compared with.
  void SetSpecialisedPrograms(bool on);
  uint32_t SpecialisedPrograms() const;

 private:
  // True when the viewport covers the whole target.
  bool SetGlViewport(const rm::Viewport& viewport);
  std::shared_ptr<GlResources> resources_;
  uint32_t targetWidth_, targetHeight_;
  std::shared_ptr<rm::ImDevice> immediate_;
};

}  // namespace render
