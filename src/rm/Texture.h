// Textures: an image (a surface) with a name. A texture read from a .X file
// whose image could not be found keeps its name and has no surface; renderers
// treat it as no texture.
#pragma once

#include "rm/Object.h"

namespace rm {

class Texture : public Object {
 public:
  explicit Texture(SurfacePtr surface = nullptr) : surface_(std::move(surface)) {}
  const char* GetClassName() const override { return "Texture"; }

  const SurfacePtr& GetSurface() const { return surface_; }
  void SetSurface(SurfacePtr surface) { surface_ = std::move(surface); }

 private:
  SurfacePtr surface_;
};

}  // namespace rm
