// Key-frame animation: evaluating motion keys at a frame time and turning a
// key into a row-vector transform (v' = v M, translation in the fourth row).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "diag/Failure.h"
#include "lwlib/scene/Lws.h"
#include "lwlib/object/TextureLoader.h"
#include "rm/Types.h"

enum RotationOrder : int32_t {
  ROTATION_XYZ = 0,
  ROTATION_XZY = 1,
  ROTATION_YXZ = 2,
  ROTATION_YZX = 3,
  ROTATION_ZXY = 4,
  ROTATION_ZYX = 5,
};

// The letters name the axes in the order their rotations act on a vertex:
// X is pitch, Y heading, Z bank.
struct AnimationSettings {
  int32_t rotationOrder = ROTATION_ZXY;
  uint8_t zxyOptimised = 1;         // every pose uses KeyToMatrixZXY; the order is not consulted
  uint8_t splineInterpolation = 0;  // kept for the settings dialog; poses are linear
};

// The process-wide settings; changes take effect at the next pose.
AnimationSettings& GetAnimationSettings();

// Parts posed by SetAnimationTime; 0 means objects only.
enum : uint32_t {
  ANIMATE_CAMERA = 1,
  ANIMATE_OBJECTS = 2,
  ANIMATE_LIGHTS = 4,
};

// Degrees to radians the way every pose converts them.
float DegreesToRadians(float degrees);

// S R1 R2 R3 T for the given rotation order (an unknown order is taken as ZXY).
void KeyToMatrix(float out[4][4], const MotionKey& key, int32_t rotationOrder);
// The ZXY product written out; `pivot` (may be null) is added to every vertex
// before the key's transform.
void KeyToMatrixZXY(float out[4][4], const MotionKey& key, const float* pivot);

// The first key (in key order) whose frame is not before `time`, or -1. With
// frames in ascending order this is a binary search.
int32_t FindKey(std::span<const MotionKey> keys, float time, bool framesAscending);
// The keys' values at `time`: past the last key the time wraps around; between
// two keys the nine values are interpolated linearly; before the first (and at
// or after it when there is only one) the first key is used. Tension,
// continuity, bias and the linear flag are not interpolated (the upper key's
// are kept). `keys` must not be empty.
MotionKey InterpolateKeys(std::span<const MotionKey> keys, float time, bool framesAscending);

// The transform of a motion at `time` under the current settings; `pivot` is
// only applied on the ZXY-optimised path. False (out untouched) without keys.
bool PoseMatrix(float out[4][4], const MotionKeys& keys, float time, const float* pivot);

// The name an animation gives an object: its LoadObject path reduced to the
// file name without directory and extension ("C:\Objects\ball.lwo" -> "ball").
// A path whose file name is empty is kept as it is.
std::string AnimationObjectName(const std::string& path);

// A scene as a frame hierarchy: one frame per object under a root frame, the
// lights on frames of their own, and the camera's motion.
struct Animation {
  Animation() = default;
  // Takes the root frame out of the frame it was attached to.
  ~Animation();
  Animation(const Animation&) = delete;
  Animation& operator=(const Animation&) = delete;

  std::vector<rm::FramePtr> objectFrames;  // entry i is the frame of objects[i]
  rm::FramePtr rootFrame;
  // The scene's objects by sequence number (entry i is the file's object
  // i + 1), names reduced as AnimationObjectName does. The frames' application
  // data points here. Key arrays are shared with the scene.
  std::vector<SceneObject> objects;
  int32_t objectCount = 0;
  std::vector<int32_t> roots;  // objects without a parent, ascending
  int32_t rootCount = 0;
  SceneCamera camera;
  float ambientRed = 0, ambientGreen = 0, ambientBlue = 0, ambientIntensity = 0;
  std::vector<SceneLight> lights;  // taken over from the scene, newest first
  int32_t lightCount = 0;
};
using AnimationPtr = std::unique_ptr<Animation>;

// Null without an engine, for a self-parented object or a parenting cycle
// (with the reason in *why when given). A parent number that names no object
// is ignored: the object's parent in the animation is -1 (it is a root).
AnimationPtr CreateAnimation(const Scene& scene, const rm::EnginePtr& engine, Failure* why = nullptr);
void FreeAnimation(AnimationPtr& animation);
// LoadScene (its result not consulted: an unreadable file gives an empty
// animation), then CreateAnimation.
AnimationPtr LoadSceneAndAnimation(Scene& scene, const char* path, const rm::EnginePtr& engine);

// Loads an object's visual: (object name, directory, flags, engine, texture
// loader, loader data).
using ObjectLoader = rm::VisualPtr (*)(const char* name, const char* directory, uint32_t flags,
                                       const rm::EnginePtr& engine, TextureCallback textureCallback,
                                       void* callbackData);
// Gives every named object the visual `loader` returns for it.
void LoadObjectVisuals(Animation& animation, const rm::EnginePtr& engine, ObjectLoader loader, const char* directory,
                       TextureCallback textureCallback, void* callbackData, uint32_t flags);
// The usual loader: the object's bare file name in `directory` (null: the
// working directory), read by LoadLightWaveObject, which adds ".lwo".
rm::VisualPtr BuildObjectPath(const char* name, const char* directory, uint32_t flags, const rm::EnginePtr& engine,
                              TextureCallback textureCallback, void* callbackData);
// The path BuildObjectPath loads: either separator may end `directory`.
std::string ObjectPath(const char* name, const char* directory);

// Gives the animation's root frame to `parent`.
bool AttachAnimation(const rm::FramePtr& parent, Animation& animation);
// Takes the scene's lights over into the animation and makes a frame and an
// engine light for each; sets `ambient` (may be null) to the ambient colour
// times its intensity. False when the scene has no lights.
bool CreateSceneLights(Scene& scene, Animation& animation, const rm::EnginePtr& engine, const rm::LightPtr& ambient);
bool CopySceneCamera(const Scene& scene, Animation& animation);
// Poses the parts `flags` names (ANIMATE_*; 0 = objects) at `time`; the camera
// only when a camera frame is given. Parts without keys keep their transform.
void SetAnimationTime(Animation& animation, float time, const rm::FramePtr& cameraFrame, uint32_t flags);
