// The viewer's scene: the display (device and viewport), the fixed frames,
// the viewer's own frames and lights, the per-frame steps (render options,
// mouse control, grid) and the current object. Nothing here knows Qt or
// OpenGL: the device comes from a factory the window installs, so tests run
// the whole scene on the engine's null device.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/ViewerOptions.h"
#include "lwlib/scene/Anim.h"
#include "lwlib/scene/Lws.h"
#include "immediate/ImmediateObject.h"
#include "immediate/UserVisual.h"
#include "rm/Rm.h"

// Loaded object kinds (the load request and what is stored).
enum ObjectKind : int32_t {
  OBJECT_NONE = 0,
  OBJECT_RM_LWO = 1,
  OBJECT_LWS_SCENE = 2,
  OBJECT_IMMEDIATE = 4,
  OBJECT_MSH = 8,
  OBJECT_X = 16,
  OBJECT_COLOURED_MSH = 32,
  OBJECT_LWS_ANIMATION = 64,
};

struct CurrentObject {
  bool loaded = false;
  int32_t kind = OBJECT_NONE;
  rm::MeshPtr mesh;
  // Kinds 2 and 64: the scene and the frames made from it.
  std::unique_ptr<Scene> scene;
  AnimationPtr animation;
  // Kind 4: drawn through the immediate-mode path by a user visual in the
  // "Mesh" frame, from a LightWave object or from a coloured .msh.
  ImmediateObject immediate{};
  bool immediateInUse = false;
  ImmediateObject coloured{};
  bool colouredInUse = false;
  bool colouredSource = false;  // kind 4 from a coloured .msh
  UserVisualRecord* userVisual = nullptr;
};

// The mouse as the window last saw it. The delta is the last move only;
// the control step consumes it.
struct MouseInput {
  int32_t x = 0, y = 0;
  int32_t dx = 0, dy = 0;
  bool left = false, right = false;
  void Move(int32_t newX, int32_t newY) {
    dx = newX - x, dy = newY - y;
    x = newX, y = newY;
  }
};

struct Grid {
  float spacingX = 0, spacingZ = 0;
  uint32_t n = 0, m = 0;
  rm::MeshPtr mesh;
  rm::FramePtr frame;
};

// Builds a grid of 2n x 2m wire-frame cells centred on the origin in the
// y = 0 plane and hangs it in `frame`. False (and nothing kept) on failure.
bool CreateGrid(Grid& grid, const rm::EnginePtr& engine, const rm::FramePtr& frame, float spacingX, float spacingZ,
                uint32_t n, uint32_t m);
void FreeGrid(Grid& grid);

rm::FramePtr CreateNamedFrame(const rm::EnginePtr& engine, const rm::FramePtr& parent, const char* name);
// A visual is added as a visual, a light as a light.
void AttachObject(const rm::FramePtr& frame, const rm::ObjectPtr& object);
void DetachObject(const rm::FramePtr& frame, const rm::ObjectPtr& object);
// Position and orientation relative to `reference` (null = the parent); up
// defaults to (0, 1, 0).
void PlaceFrame(const rm::FramePtr& frame, const rm::Vector* position, const rm::Vector* direction,
                const rm::Vector* up, const rm::FramePtr& reference);

class Viewer {
 public:
  // Makes a device of the given size for a chosen device (null = the
  // default); null when it cannot.
  using DeviceFactory = std::function<rm::DevicePtr(uint32_t width, uint32_t height, const rm::DeviceGuid* device)>;
  // Prepares the window for full screen or windowed drawing at the size;
  // false when that mode cannot be had.
  using ScreenModeHook = std::function<bool(bool fullScreen, int32_t width, int32_t height)>;

  Viewer(ViewOptions& view, RenderOptions& render);
  void SetDeviceFactory(DeviceFactory factory) { deviceFactory_ = std::move(factory); }
  void SetScreenModeHook(ScreenModeHook hook) { screenModeHook_ = std::move(hook); }
  // Told after every display made again (a new device and viewport).
  void SetDisplayHook(std::function<void()> hook) { displayHook_ = std::move(hook); }

  bool CreateDisplay(int32_t& width, int32_t& height, bool& fullScreen, const rm::DeviceGuid* device);
  void ReleaseDisplay();
  void ReleaseScene();
  bool SetUpViewerScene();
  // Puts the camera where the view options say it starts.
  void PlaceCamera();
  bool RenderScene();
  bool PresentFrame() { return true; }  // the window shows what was drawn
  void ApplyRenderOptions();
  void ControlObjectAndCamera();
  void UpdateGrid();
  void FreeGrid() { ::FreeGrid(grid_); }
  // The frame step's animation: the time advances by the milliseconds since
  // the last step at the scene's playback rate, and the scene is posed.
  // `now` is a GetMilliseconds reading; the first call only starts the count.
  void AdvanceAnimation(uint32_t now);
  // Poses the current scene at the animation time (a scene with its lights
  // and camera, an animation alone).
  void PoseAnimation();
  // Frames; starts at 0 and is never reset, so a scene loaded later goes on
  // from the time reached.
  float animationTime = 0;

  const rm::EnginePtr& engine() const { return engine_; }
  const rm::FramePtr& scene() const { return scene_; }
  const rm::FramePtr& offScene() const { return offScene_; }
  const rm::FramePtr& camera() const { return camera_; }
  const rm::FramePtr& meshFrame() const { return meshFrame_; }
  const rm::FramePtr& cameraDummy() const { return cameraDummy_; }
  const rm::LightPtr& ambientLight() const { return ambient_; }
  const rm::LightPtr& directionalLight() const { return directional_; }
  const rm::DevicePtr& device() const { return device_; }
  const rm::ViewportPtr& viewport() const { return viewport_; }
  const Grid& grid() const { return grid_; }
  ViewOptions& viewOptions() { return view_; }
  RenderOptions& renderOptions() { return render_; }
  // How many times a display was made (tests see re-creations).
  uint32_t displaysCreated() const { return displaysCreated_; }

  CurrentObject current;
  MouseInput mouse;

  // The viewer's directional light: a soft white from above, left and in
  // front of the object as the camera first sees it.
  static constexpr float kDirectionalColour[3] = {0.7f, 0.7f, 0.7f};
  static constexpr rm::Vector kDirectionalDirection{0.4f, -0.6f, 1.0f};

 private:
  bool CreateDevice(uint32_t width, uint32_t height, const rm::DeviceGuid* device);

  ViewOptions& view_;
  RenderOptions& render_;
  DeviceFactory deviceFactory_;
  ScreenModeHook screenModeHook_;
  std::function<void()> displayHook_;
  rm::EnginePtr engine_;
  rm::FramePtr scene_, offScene_, camera_;
  rm::FramePtr meshFrame_, cameraDummy_, lightFrame_;
  rm::LightPtr ambient_, directional_;
  rm::DevicePtr device_;
  rm::ViewportPtr viewport_;
  Grid grid_;

  // The last display made.
  bool haveDisplay_ = false;
  int32_t lastWidth_ = -1, lastHeight_ = -1;
  bool lastFullScreen_ = false;
  std::optional<rm::DeviceGuid> lastDevice_;
  uint32_t displaysCreated_ = 0;
  bool frameTimeSet_ = false;
  uint32_t lastFrameTime_ = 0;

  // What the engine was last given. A new device has been told nothing, so
  // everything the device keeps is sent to it again.
  RenderOptions applied_{0, 0, 0, 0, 0, 0};
  bool deviceFresh_ = true;
  // What the grid was last built with.
  uint8_t gridOnUsed_ = 0;
  int32_t gridCellsUsed_ = 0;
  float gridSpacingUsed_ = 0;
  bool gridUsedRecorded_ = false;
};
