#include "rm/Engine.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "diag/Dbug.h"
#include "platform/File.h"

namespace rm {

EnginePtr Engine::Create() { return std::make_shared<Engine>(); }

FramePtr Engine::CreateFrame(const FramePtr& parent) {
  auto frame = std::make_shared<Frame>();
  if (parent) parent->AddChild(frame);
  return frame;
}

MeshPtr Engine::CreateMesh() { return std::make_shared<Mesh>(); }
MeshBuilderPtr Engine::CreateMeshBuilder() { return std::make_shared<MeshBuilder>(shared_from_this()); }
MaterialPtr Engine::CreateMaterial(float power) { return std::make_shared<Material>(power); }

LightPtr Engine::CreateLight(LightType type, Color color) {
  return std::make_shared<Light>(type, ColorRed(color), ColorGreen(color), ColorBlue(color));
}

LightPtr Engine::CreateLightRGB(LightType type, float r, float g, float b) {
  return std::make_shared<Light>(type, r, g, b);
}

WrapPtr Engine::CreateWrap(WrapType type, const FramePtr& reference, float ox, float oy, float oz, float dx,
                           float dy, float dz, float ux, float uy, float uz, float ou, float ov, float su,
                           float sv) {
  WrapParams p;
  p.type = type;
  p.origin = {ox, oy, oz};
  p.direction = {dx, dy, dz};
  p.up = {ux, uy, uz};
  p.ou = ou, p.ov = ov, p.su = su, p.sv = sv;
  auto wrap = std::make_shared<Wrap>(p, reference);
  float u, v;
  if (type == WRAP_FLAT && !wrap->Map({}, &u, &v)) {
    ReportWarning("CreateWrap: the direction is zero or parallel to the up vector");
    return nullptr;
  }
  return wrap;
}

TexturePtr Engine::CreateTextureFromSurface(const SurfacePtr& surface) {
  if (!surface) return nullptr;
  return std::make_shared<Texture>(surface);
}

UserVisualPtr Engine::CreateUserVisual(UserVisual::Callback callback, void* arg) {
  return std::make_shared<UserVisual>(std::move(callback), arg);
}

ViewportPtr Engine::CreateViewport(const DevicePtr& device, const FramePtr& camera, int32_t x, int32_t y,
                                   uint32_t width, uint32_t height) {
  if (!device || !camera) {
    ReportWarning("CreateViewport needs a device and a camera frame");
    return nullptr;
  }
  return std::make_shared<Viewport>(device, camera, x, y, width, height);
}

DevicePtr Engine::CreateNullDevice(uint32_t width, uint32_t height) {
  return std::make_shared<NullDevice>(width, height);
}

std::string FindImageFile(const std::string& name, const std::string& directory) {
  if (name.empty()) return {};
  // Names and folders written on Windows use '\\' and ignore case.
  std::string native = name;
  std::replace(native.begin(), native.end(), '\\', '/');
  std::filesystem::path path = native;
  if (!directory.empty() && path.is_relative()) {
    std::string dir = directory;
    std::replace(dir.begin(), dir.end(), '\\', '/');
    path = std::filesystem::path(dir) / path;
  }
  const std::string found = FindFileAnyCase(path.string());
  std::error_code ec;
  return std::filesystem::is_regular_file(found, ec) ? found : std::string();
}

TexturePtr Engine::LoadTexture(const std::string& name) {
  std::string found = FindImageFile(name, {});
  for (size_t i = 0; found.empty() && i < searchPath_.size(); ++i) found = FindImageFile(name, searchPath_[i]);
  if (found.empty()) {
    ReportWarning(DebugFormat("LoadTexture: %s not found", name.c_str()));
    return nullptr;
  }
  SurfacePtr surface = LoadImageFile(found);
  if (!surface) return nullptr;
  auto texture = std::make_shared<Texture>(surface);
  texture->SetName(name);
  return texture;
}

void Engine::AddSearchPath(const std::string& path) {
  size_t start = 0;
  while (start <= path.size()) {
    const size_t end = std::min(path.find(';', start), path.size());
    if (end > start) searchPath_.push_back(path.substr(start, end - start));
    start = end + 1;
  }
}

void Engine::SetSearchPath(const std::string& path) {
  searchPath_.clear();
  AddSearchPath(path);
}

std::string Engine::GetSearchPath() const {
  std::string joined;
  for (const std::string& dir : searchPath_) {
    if (!joined.empty()) joined += ';';
    joined += dir;
  }
  return joined;
}

}  // namespace rm
