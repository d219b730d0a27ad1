// LightWave scene files (.lws, "LWSC"): the frame settings, the objects with
// their motion keys, parents and pivots, the lights and the camera. Whatever
// else a scene says is read past.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "diag/Failure.h"
#include "diag/TrackedBuffer.h"
#include "rm/Types.h"

// One key of a motion, 56 bytes. The field order is not the order of the file
// (which writes position, rotation, scale, frame, linear, tension, continuity,
// bias).
struct MotionKey {
  float position[3];
  float scale[3];
  float heading, pitch, bank;  // degrees
  float tension, continuity, bias;
  int32_t frame;
  int32_t linear;
};
static_assert(sizeof(MotionKey) == 56);

// A motion's keys, shared between the scene that read them and the animations
// built from it, so either may be released first.
struct MotionKeyTable {
  TrackedBuffer<MotionKey> keys;
  // True when the frames never decrease; key lookups then use a binary search.
  bool framesAscending = true;
};
using MotionKeys = std::shared_ptr<const MotionKeyTable>;

inline std::span<const MotionKey> KeySpan(const MotionKeys& keys) {
  return keys ? keys->keys.span() : std::span<const MotionKey>{};
}

struct SceneHeader {
  uint32_t start = 0;  // offset of the header in the text
  int32_t version = 0;
  int32_t firstFrame = 0;
  int32_t lastFrame = 0;
  int32_t frameStep = 0;
  float framesPerSecond = 0;
};

struct SceneObject {
  std::optional<std::string> name;  // the LoadObject path; none for a null object
  int32_t keyCount = 0;
  int32_t channelCount = 0;  // as declared; every key still holds nine values
  MotionKeys keys;
  int32_t sequence = 0;  // 1 for the file's first object, then 2, 3, ...
  int32_t parent = -1;   // 0-based object index, -1 = none
  float pivot[3] = {0, 0, 0};  // the PivotPoint, negated
};

struct SceneLight {
  rm::LightPtr light;  // filled when the animation creates the lights
  rm::FramePtr frame;
  int32_t type = 0;  // rm::LightType: LIGHT_DIRECTIONAL, LIGHT_POINT or LIGHT_SPOT; 0 never set
  float red = 0, green = 0, blue = 0;
  std::optional<std::string> name;
  int32_t keyCount = 0;
  int32_t channelCount = 0;
  MotionKeys keys;
  float coneAngle = 0;  // degrees
  float edgeAngle = 0;  // degrees
  float falloff = 0;
  int32_t parent = -1;
  int32_t target = -1;
};

struct SceneObjects {
  uint32_t start = 0;
  // Newest first: the current object is the front.
  std::deque<SceneObject> list;
};

struct SceneLights {
  uint32_t start = 0;
  float ambientRed = 0, ambientGreen = 0, ambientBlue = 0;
  float ambientIntensity = 0;
  // Newest first. Emptied when an animation takes the lights over.
  std::deque<SceneLight> list;
  int32_t count = 0;
};

struct SceneCamera {
  uint32_t start = 0;
  int32_t parent = -1;
  int32_t target = -1;
  MotionKeys keys;
  int32_t keyCount = 0;
  int32_t channelCount = 0;
};

struct Scene {
  TrackedBuffer<char> text;  // the file followed by TEXT_END
  uint32_t textSize = 0;     // the file's length
  SceneHeader header;
  SceneObjects objects;
  SceneLights lights;
  SceneCamera camera;
};

// Reads a scene file. On false the scene holds what was read before the
// failing block and must still be given to FreeScene; why, when given, says
// what was wrong on which line and names the file.
bool LoadScene(Scene& scene, const char* path, Failure* why = nullptr);
// The same on a scene text already in memory (size bytes, no end marker).
bool LoadSceneFromMemory(Scene& scene, const void* data, size_t size, Failure* why = nullptr);
void FreeScene(Scene& scene);

// Frames per second, truncated toward zero, kept within 1..1000 so the
// playback step (elapsed ms / (1000 / rate)) never divides by zero.
int32_t GetScenePlaybackRate(const Scene& scene);

// Reads keyCount keys of nine values, frame, linear flag, tension, continuity
// and bias each. The channel count is not consulted.
bool ReadMotionKeys(MotionKeys& keys, const char* text, uint32_t& position, int32_t channelCount,
                    int32_t keyCount);
// Reads past an envelope (its channel and key counts and its keys).
bool SkipEnvelope(const char* text, uint32_t& position);
