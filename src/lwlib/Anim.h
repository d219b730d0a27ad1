// Key-frame animation: evaluating motion keys at a frame time and turning a
// key into a row-vector transform (v' = v M, translation in the fourth row).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "lwlib/Lws.h"

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
