#include "app/Viewer.h"

#include <cstdio>

#include "diag/Dbug.h"
#include "diag/TrackedBuffer.h"

rm::FramePtr CreateNamedFrame(const rm::EnginePtr& engine, const rm::FramePtr& parent, const char* name) {
  rm::FramePtr frame = engine->CreateFrame(parent);
  if (frame && name && *name) frame->SetName(name);
  return frame;
}

void AttachObject(const rm::FramePtr& frame, const rm::ObjectPtr& object) {
  if (!frame || !object) return;
  if (auto visual = std::dynamic_pointer_cast<rm::Visual>(object)) frame->AddVisual(visual);
  else if (auto light = std::dynamic_pointer_cast<rm::Light>(object)) frame->AddLight(light);
}

void DetachObject(const rm::FramePtr& frame, const rm::ObjectPtr& object) {
  if (!frame || !object) return;
  if (auto visual = std::dynamic_pointer_cast<rm::Visual>(object)) frame->DeleteVisual(visual);
  else if (auto light = std::dynamic_pointer_cast<rm::Light>(object)) frame->DeleteLight(light);
}

void PlaceFrame(const rm::FramePtr& frame, const rm::Vector* position, const rm::Vector* direction,
                const rm::Vector* up, const rm::FramePtr& reference) {
  if (!frame) return;
  if (position) frame->SetPosition(reference, position->x, position->y, position->z);
  if (direction) {
    const rm::Vector u = up ? *up : rm::Vector{0, 1, 0};
    frame->SetOrientation(reference, direction->x, direction->y, direction->z, u.x, u.y, u.z);
  }
}

bool CreateGrid(Grid& grid, const rm::EnginePtr& engine, const rm::FramePtr& frame, float spacingX, float spacingZ,
                uint32_t n, uint32_t m) {
  FreeGrid(grid);
  if (!engine || !frame || n == 0 || m == 0 || n > 10000 || m > 10000) return false;
  const uint32_t columns = 2 * n + 1, rows = 2 * m + 1;
  const uint32_t faces = 4 * n * m;
  TrackedBuffer<rm::Vertex> vertices;
  TrackedBuffer<uint32_t> faceData;
  if (!vertices.Allocate(static_cast<size_t>(columns) * rows) || !faceData.Allocate(static_cast<size_t>(faces) * 4))
    return false;
  for (uint32_t j = 0; j < rows; ++j)
    for (uint32_t i = 0; i < columns; ++i) {
      rm::Vertex& v = vertices[j * columns + i];
      v.position = {(static_cast<float>(i) - static_cast<float>(n)) * spacingX, 0,
                    (static_cast<float>(j) - static_cast<float>(m)) * spacingZ};
      v.normal = {0, 1, 0};
      v.color = 0xFF000000u;
    }
  uint32_t* f = faceData.data();
  for (uint32_t j = 0; j < 2 * m; ++j)
    for (uint32_t i = 0; i < 2 * n; ++i) {
      *f++ = j * columns + i;
      *f++ = (j + 1) * columns + i;
      *f++ = (j + 1) * columns + i + 1;
      *f++ = j * columns + i + 1;
    }
  rm::MeshPtr mesh = engine->CreateMesh();
  if (!mesh) return false;
  const int32_t group = mesh->AddGroup(static_cast<uint32_t>(vertices.size()), faces, 4, faceData.span());
  if (group < 0 || !mesh->SetVertices(static_cast<uint32_t>(group), 0, static_cast<uint32_t>(vertices.size()),
                                      vertices.data()))
    return false;
  mesh->SetGroupColorRGB(static_cast<uint32_t>(group), 1, 1, 1);
  mesh->SetGroupQuality(static_cast<uint32_t>(group), rm::RENDER_WIREFRAME);
  char name[128];
  std::snprintf(name, sizeof name, "%i x %i Grid @ %f x %f resolution", static_cast<int>(2 * n),
                static_cast<int>(2 * m), static_cast<double>(spacingX), static_cast<double>(spacingZ));
  mesh->SetName(name);
  frame->AddVisual(mesh);
  grid = {spacingX, spacingZ, n, m, std::move(mesh), frame};
  return true;
}

void FreeGrid(Grid& grid) {
  if (grid.frame && grid.mesh) grid.frame->DeleteVisual(grid.mesh);
  grid = {};
}

Viewer::Viewer(ViewOptions& view, RenderOptions& render)
    : view_(view), render_(render), engine_(rm::Engine::Create()) {
  deviceFactory_ = [this](uint32_t width, uint32_t height, const rm::DeviceGuid*) {
    return engine_->CreateNullDevice(width, height);
  };
}

bool Viewer::CreateDevice(uint32_t width, uint32_t height, const rm::DeviceGuid* device) {
  device_ = deviceFactory_ ? deviceFactory_(width, height, device) : nullptr;
  if (!device_) return false;
  if (!scene_) scene_ = CreateNamedFrame(engine_, nullptr, "Scene");
  if (!offScene_) offScene_ = CreateNamedFrame(engine_, nullptr, "Off-scene");
  if (!camera_) camera_ = CreateNamedFrame(engine_, scene_, "Camera");
  viewport_ = engine_->CreateViewport(device_, camera_, 0, 0, width, height);
  if (!viewport_) {
    device_.reset();
    return false;
  }
  device_->SetBufferCount(2);
  return true;
}

bool Viewer::CreateDisplay(int32_t& width, int32_t& height, bool& fullScreen, const rm::DeviceGuid* device) {
  const bool sameDevice = device ? (lastDevice_ && *lastDevice_ == *device) : !lastDevice_;
  if (haveDisplay_ && width == lastWidth_ && height == lastHeight_ && fullScreen == lastFullScreen_ && sameDevice)
    return true;
  ReleaseDisplay();
  if (width < 1) width = 1;
  if (height < 1) height = 1;
  if (fullScreen) {
    const DisplaySize mode = ChooseFullScreenMode(width, height);
    width = mode.width;
    height = mode.height;
  }
  if (screenModeHook_ && !screenModeHook_(fullScreen, width, height)) {
    // A full screen that cannot be had falls back to a window once.
    fullScreen = false;
    if (!screenModeHook_(false, width, height)) return false;
  }
  const auto w = static_cast<uint32_t>(width), h = static_cast<uint32_t>(height);
  if (!CreateDevice(w, h, device)) {
    viewport_.reset();
    device_.reset();
    if (!device || !CreateDevice(w, h, nullptr)) {
      ReportWarning("No 3D device could be created for the display");
      return false;
    }
  }
  haveDisplay_ = true;
  lastWidth_ = width;
  lastHeight_ = height;
  lastFullScreen_ = fullScreen;
  lastDevice_ = device ? std::optional<rm::DeviceGuid>(*device) : std::nullopt;
  ++displaysCreated_;
  deviceFresh_ = true;
  if (displayHook_) displayHook_();
  return true;
}

void Viewer::ReleaseDisplay() {
  viewport_.reset();
  device_.reset();
  haveDisplay_ = false;
}

void Viewer::ReleaseScene() {
  if (camera_) {
    if (auto parent = camera_->GetParent()) parent->DeleteChild(camera_);
  }
  camera_.reset();
  meshFrame_.reset();
  cameraDummy_.reset();
  lightFrame_.reset();
  ambient_.reset();
  directional_.reset();
  offScene_.reset();
  scene_.reset();
  ReleaseDisplay();
}

bool Viewer::SetUpViewerScene() {
  if (device_) device_->SetQuality(render_.flatShading ? rm::RENDER_FLAT : rm::RENDER_GOURAUD);
  if (!scene_) return false;
  scene_->SetSceneBackgroundRGB(0.3f, 0.3f, 0.3f);
  meshFrame_ = CreateNamedFrame(engine_, scene_, "Mesh");
  ambient_ = engine_->CreateLightRGB(rm::LIGHT_AMBIENT, 0.3f, 0.3f, 0.3f);
  AttachObject(scene_, ambient_);
  // The directional light hangs in a frame of its own so its direction stays
  // put while the object and camera turn.
  lightFrame_ = CreateNamedFrame(engine_, scene_, "Directional Light");
  directional_ = engine_->CreateLightRGB(rm::LIGHT_DIRECTIONAL, kDirectionalColour[0], kDirectionalColour[1],
                                         kDirectionalColour[2]);
  AttachObject(lightFrame_, directional_);
  PlaceFrame(lightFrame_, nullptr, &kDirectionalDirection, nullptr, nullptr);
  cameraDummy_ = CreateNamedFrame(engine_, scene_, "Camera Dummy");
  cameraDummy_->AddChild(camera_);
  PlaceCamera();
  return true;
}

void Viewer::PlaceCamera() {
  const rm::Vector position{view_.cameraPosition.x, view_.cameraPosition.y, view_.cameraPosition.z};
  const rm::Vector direction{view_.cameraDirection.x, view_.cameraDirection.y, view_.cameraDirection.z};
  const rm::Vector up{view_.cameraUp.x, view_.cameraUp.y, view_.cameraUp.z};
  PlaceFrame(camera_, &position, &direction, &up, nullptr);
}

bool Viewer::RenderScene() {
  if (!viewport_ || !scene_ || !device_) return false;
  viewport_->ForceUpdate(0, 0, static_cast<int32_t>(viewport_->GetWidth()),
                         static_cast<int32_t>(viewport_->GetHeight()));
  scene_->Move(1.0f);
  if (!viewport_->Clear()) return false;
  if (!viewport_->Render(*scene_)) return false;
  return device_->Update();
}

void Viewer::ApplyRenderOptions() {
  if (!viewport_ || !device_) return;
  const rm::MeshPtr& mesh = current.mesh;
  // The viewport and device are new after every re-creation (a resize, full
  // screen, another device) and start from their own defaults; the meshes'
  // group settings stay with the meshes.
  const bool fresh = deviceFresh_;
  deviceFresh_ = false;
  if (fresh || render_.backClippingPlane != applied_.backClippingPlane) {
    viewport_->SetBack(render_.backClippingPlane);
    applied_.backClippingPlane = render_.backClippingPlane;
  }
  if (fresh || render_.fieldOfView != applied_.fieldOfView) {
    viewport_->SetField(render_.fieldOfView);
    applied_.fieldOfView = render_.fieldOfView;
  }
  if (fresh || render_.flatShading != applied_.flatShading) {
    const rm::RenderQuality q = render_.flatShading ? rm::RENDER_FLAT : rm::RENDER_GOURAUD;
    device_->SetQuality(q);
    if (mesh && render_.flatShading != applied_.flatShading)
      for (uint32_t g = 0; g < mesh->GetGroupCount(); ++g) mesh->SetGroupQuality(g, q);
    applied_.flatShading = render_.flatShading;
  }
  if (fresh || render_.dithering != applied_.dithering) {
    device_->SetDither(render_.dithering != 0);
    applied_.dithering = render_.dithering;
  }
  if (fresh || render_.bilinearFiltering != applied_.bilinearFiltering) {
    device_->SetTextureQuality(render_.bilinearFiltering ? rm::TEXTURE_LINEAR : rm::TEXTURE_NEAREST);
    applied_.bilinearFiltering = render_.bilinearFiltering;
  }
  if (render_.perspectiveCorrection != applied_.perspectiveCorrection) {
    if (mesh)
      for (uint32_t g = 0; g < mesh->GetGroupCount(); ++g)
        mesh->SetGroupMapping(g, render_.perspectiveCorrection ? rm::MAP_PERSPCORRECT : 0);
    applied_.perspectiveCorrection = render_.perspectiveCorrection;
  }
}

void Viewer::AdvanceAnimation(uint32_t now) {
  if (!frameTimeSet_) {
    lastFrameTime_ = now;
    frameTimeSet_ = true;
  }
  const uint32_t elapsed = now - lastFrameTime_;  // the clock wraps; the difference does not
  lastFrameTime_ = now;
  if (!current.animation || !current.scene) return;
  const float rate = static_cast<float>(GetScenePlaybackRate(*current.scene));
  animationTime += static_cast<float>(elapsed) / (1000.0f / rate);
  PoseAnimation();
}

void Viewer::PoseAnimation() {
  if (!current.animation) return;
  if (current.kind == OBJECT_LWS_SCENE)
    SetAnimationTime(*current.animation, animationTime, camera_, ANIMATE_CAMERA | ANIMATE_OBJECTS | ANIMATE_LIGHTS);
  else if (current.kind == OBJECT_LWS_ANIMATION)
    SetAnimationTime(*current.animation, animationTime, nullptr, 0);
}

void Viewer::ControlObjectAndCamera() {
  if (!current.loaded || !meshFrame_ || !cameraDummy_) return;
  static constexpr rm::Vector kOrigin{0, 0, 0}, kForward{0, 0, 1}, kUp{0, 1, 0};
  if (view_.reset && view_.moveCamera) {
    PlaceFrame(cameraDummy_, &kOrigin, &kForward, &kUp, nullptr);
    view_.reset = 0;
  }
  if (view_.reset && view_.moveObject) {
    PlaceFrame(meshFrame_, &kOrigin, &kForward, &kUp, nullptr);
    view_.reset = 0;
  }
  const float dx = static_cast<float>(mouse.dx), dy = static_cast<float>(mouse.dy);
  if (mouse.left) {
    if (view_.moveObject) {
      meshFrame_->AddRotation(rm::COMBINE_AFTER, 0, 1, 0, -dx / 100);
      meshFrame_->AddRotation(rm::COMBINE_AFTER, 1, 0, 0, -dy / 100);
    }
    if (view_.moveCamera) {
      cameraDummy_->AddRotation(rm::COMBINE_BEFORE, 0, 1, 0, dx / 100);
      cameraDummy_->AddRotation(rm::COMBINE_BEFORE, 1, 0, 0, dy / 100);
    }
  }
  auto scaleTwice = [](const rm::FramePtr& frame, float s) {
    frame->AddScale(rm::COMBINE_BEFORE, s, s, s);
    frame->AddScale(rm::COMBINE_BEFORE, s, s, s);
  };
  if (view_.objectLarger || view_.objectSmaller) {
    const float k = view_.objectSmaller ? -1.0f : 1.0f;
    scaleTwice(meshFrame_, 1 + k / 20);
  }
  if (view_.cameraNearer || view_.cameraFarther) {
    const float k = view_.cameraFarther ? -1.0f : 1.0f;
    scaleTwice(cameraDummy_, 1 - k / 50);
  }
  if (mouse.right && view_.moveObject) {
    float s = 1 + dy / 100;
    if (s == 0) s = 0.1f;
    scaleTwice(meshFrame_, s);
  }
  view_.objectLarger = view_.objectSmaller = view_.cameraNearer = view_.cameraFarther = 0;
  mouse.dx = mouse.dy = 0;
}

void Viewer::UpdateGrid() {
  if (!scene_) return;
  auto build = [this] {
    const uint32_t cells = view_.gridCells > 0 ? static_cast<uint32_t>(view_.gridCells) : 0;
    CreateGrid(grid_, engine_, scene_, view_.gridSpacing, view_.gridSpacing, cells, cells);
  };
  if (!gridUsedRecorded_) {
    gridCellsUsed_ = view_.gridCells;
    gridSpacingUsed_ = view_.gridSpacing;
    gridUsedRecorded_ = true;
  }
  bool built = false;
  if (view_.gridOn != gridOnUsed_) {
    if (view_.gridOn) {
      build();
      built = true;
    } else {
      FreeGrid();
    }
    gridOnUsed_ = view_.gridOn;
  }
  if (view_.gridCells != gridCellsUsed_ || view_.gridSpacing != gridSpacingUsed_) {
    if (view_.gridOn && !built) build();
    gridCellsUsed_ = view_.gridCells;
    gridSpacingUsed_ = view_.gridSpacing;
  }
}
