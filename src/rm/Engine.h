// The engine object: makes every other engine object and keeps the search
// path that LoadTexture uses.
#pragma once

#include <string>
#include <vector>

#include "rm/Device.h"
#include "rm/Frame.h"
#include "rm/Image.h"
#include "rm/ImmediateDevice.h"
#include "rm/Light.h"
#include "rm/Material.h"
#include "rm/Mesh.h"
#include "rm/MeshBuilder.h"
#include "rm/Surface.h"
#include "rm/Texture.h"
#include "rm/Viewport.h"
#include "rm/Wrap.h"

namespace rm {

// The file `name` names, relative to `directory` when it is relative and a
// directory is given. Names written on Windows are found too: '\\' counts as
// a separator, and when the exact name is not there, a file in that folder
// whose name differs only in case is taken. Empty when there is none.
std::string FindImageFile(const std::string& name, const std::string& directory);

class Engine : public std::enable_shared_from_this<Engine> {
 public:
  static EnginePtr Create();

  // A frame; a child of `parent` when one is given, otherwise a root.
  FramePtr CreateFrame(const FramePtr& parent = nullptr);
  MeshPtr CreateMesh();
  MeshBuilderPtr CreateMeshBuilder();
  MaterialPtr CreateMaterial(float power);
  LightPtr CreateLight(LightType type, Color color);
  LightPtr CreateLightRGB(LightType type, float r, float g, float b);
  // Null (reported) for a zero direction or an up parallel to it.
  WrapPtr CreateWrap(WrapType type, const FramePtr& reference, float ox, float oy, float oz, float dx, float dy,
                     float dz, float ux, float uy, float uz, float ou, float ov, float su, float sv);
  // Null for a null surface.
  TexturePtr CreateTextureFromSurface(const SurfacePtr& surface);
  UserVisualPtr CreateUserVisual(UserVisual::Callback callback, void* arg);
  ViewportPtr CreateViewport(const DevicePtr& device, const FramePtr& camera, int32_t x, int32_t y,
                             uint32_t width, uint32_t height);
  // A device that draws nothing.
  DevicePtr CreateNullDevice(uint32_t width, uint32_t height);

  // Reads an image file (BMP, PPM, PNG, JPEG, TGA) as a texture named `name`.
  // A name that is not found as given is looked for in each directory of the
  // search path, in order (see FindImageFile). Null (reported) when no
  // readable image is found.
  TexturePtr LoadTexture(const std::string& name);
  // Directories are separated by ';' in all three.
  void AddSearchPath(const std::string& path);
  void SetSearchPath(const std::string& path);
  std::string GetSearchPath() const;
  const std::vector<std::string>& SearchDirectories() const { return searchPath_; }

 private:
  std::vector<std::string> searchPath_;
};

}  // namespace rm
