#include "lwlib/scene/Anim.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "diag/Dbug.h"
#include "lwlib/object/ObjectMesh.h"
#include "platform/Path.h"
#include "rm/Engine.h"

namespace {

AnimationSettings g_settings;

using M4 = float[4][4];

void Identity(M4& m) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) m[r][c] = r == c ? 1.0f : 0.0f;
}

// out = a b (out may be either operand).
void Multiply(M4& out, const M4& a, const M4& b) {
  M4 result;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      float sum = 0;
      for (int k = 0; k < 4; ++k) sum += a[r][k] * b[k][c];
      result[r][c] = sum;
    }
  std::memcpy(out, result, sizeof result);
}

void RotationX(M4& m, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  Identity(m);
  m[1][1] = c, m[1][2] = s;
  m[2][1] = -s, m[2][2] = c;
}

void RotationY(M4& m, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  Identity(m);
  m[0][0] = c, m[0][2] = -s;
  m[2][0] = s, m[2][2] = c;
}

void RotationZ(M4& m, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  Identity(m);
  m[0][0] = c, m[0][1] = s;
  m[1][0] = -s, m[1][1] = c;
}

}  // namespace

AnimationSettings& GetAnimationSettings() { return g_settings; }

float DegreesToRadians(float degrees) { return degrees * 2.0f * 3.1415927f / 360.0f; }

void KeyToMatrix(float out[4][4], const MotionKey& key, int32_t rotationOrder) {
  M4 rx, ry, rz;
  RotationX(rx, DegreesToRadians(key.pitch));
  RotationY(ry, DegreesToRadians(key.heading));
  RotationZ(rz, DegreesToRadians(key.bank));
  const M4* r[3];
  switch (rotationOrder) {
    case ROTATION_XYZ: r[0] = &rx, r[1] = &ry, r[2] = &rz; break;
    case ROTATION_XZY: r[0] = &rx, r[1] = &rz, r[2] = &ry; break;
    case ROTATION_YXZ: r[0] = &ry, r[1] = &rx, r[2] = &rz; break;
    case ROTATION_YZX: r[0] = &ry, r[1] = &rz, r[2] = &rx; break;
    case ROTATION_ZYX: r[0] = &rz, r[1] = &ry, r[2] = &rx; break;
    default: r[0] = &rz, r[1] = &rx, r[2] = &ry; break;
  }
  M4 m;
  Identity(m);
  m[3][0] = key.position[0], m[3][1] = key.position[1], m[3][2] = key.position[2];
  Multiply(m, *r[2], m);
  Multiply(m, *r[1], m);
  Multiply(m, *r[0], m);
  // S from the left scales the rows of the rotation, never the translation.
  for (int row = 0; row < 3; ++row)
    for (int c = 0; c < 4; ++c) m[row][c] *= key.scale[row];
  std::memcpy(out, m, sizeof m);
}

void KeyToMatrixZXY(float out[4][4], const MotionKey& key, const float* pivot) {
  const float p = DegreesToRadians(key.pitch), h = DegreesToRadians(key.heading), b = DegreesToRadians(key.bank);
  const float cp = std::cos(p), sp = std::sin(p);
  const float ch = std::cos(h), sh = std::sin(h);
  const float cb = std::cos(b), sb = std::sin(b);
  const float sx = key.scale[0], sy = key.scale[1], sz = key.scale[2];
  out[0][0] = (sb * sp * sh + cb * ch) * sx;
  out[0][1] = sb * cp * sx;
  out[0][2] = (sb * sp * ch - cb * sh) * sx;
  out[0][3] = 0;
  out[1][0] = (cb * sp * sh - sb * ch) * sy;
  out[1][1] = cb * cp * sy;
  out[1][2] = (cb * sp * ch + sb * sh) * sy;
  out[1][3] = 0;
  out[2][0] = cp * sh * sz;
  out[2][1] = -sp * sz;
  out[2][2] = cp * ch * sz;
  out[2][3] = 0;
  for (int c = 0; c < 3; ++c) {
    float t = key.position[c];
    if (pivot) t += pivot[0] * out[0][c] + pivot[1] * out[1][c] + pivot[2] * out[2][c];
    out[3][c] = t;
  }
  out[3][3] = 1;
}

int32_t FindKey(std::span<const MotionKey> keys, float time, bool framesAscending) {
  if (std::isnan(time)) return -1;  // no key's frame compares as "not before" NaN
  if (framesAscending) {
    const auto it = std::lower_bound(keys.begin(), keys.end(), time, [](const MotionKey& k, float t) {
      return static_cast<float>(k.frame) < t;
    });
    return it == keys.end() ? -1 : static_cast<int32_t>(it - keys.begin());
  }
  for (size_t i = 0; i < keys.size(); ++i)
    if (time <= static_cast<float>(keys[i].frame)) return static_cast<int32_t>(i);
  return -1;
}

MotionKey InterpolateKeys(std::span<const MotionKey> keys, float time, bool framesAscending) {
  const float last = static_cast<float>(keys.back().frame);
  // Playback repeats from frame 0 after the last key. (A last key at frame 0
  // makes this NaN, which finds no key and so gives the first.)
  if (time > last) time = std::fmod(time, last);
  const int32_t i = FindKey(keys, time, framesAscending);
  if (i <= 0) return keys[0];
  const MotionKey& lo = keys[static_cast<size_t>(i) - 1];
  const MotionKey& hi = keys[static_cast<size_t>(i)];
  const float span = static_cast<float>(hi.frame) - static_cast<float>(lo.frame);
  // The first-key rule puts the time after lo and at or before hi, so two keys
  // at the same frame never meet here; the guard keeps it that way.
  if (!(span > 0)) return hi;
  const float s = (time - static_cast<float>(lo.frame)) / span;
  MotionKey k = hi;
  auto lerp = [s](float a, float b) { return (b - a) * s + a; };
  for (int c = 0; c < 3; ++c) {
    k.position[c] = lerp(lo.position[c], hi.position[c]);
    k.scale[c] = lerp(lo.scale[c], hi.scale[c]);
  }
  k.heading = lerp(lo.heading, hi.heading);
  k.pitch = lerp(lo.pitch, hi.pitch);
  k.bank = lerp(lo.bank, hi.bank);
  return k;
}

bool PoseMatrix(float out[4][4], const MotionKeys& keys, float time, const float* pivot) {
  const std::span<const MotionKey> span = KeySpan(keys);
  if (span.empty()) return false;
  const MotionKey key = InterpolateKeys(span, time, keys->framesAscending);
  const AnimationSettings& settings = GetAnimationSettings();
  if (settings.zxyOptimised)
    KeyToMatrixZXY(out, key, pivot);
  else
    KeyToMatrix(out, key, settings.rotationOrder);
  return true;
}

std::string AnimationObjectName(const std::string& path) {
  if (path.empty()) return path;
  PathParts parts = SplitPath(path);
  return parts.name.empty() ? path : parts.name;
}

// ---------------------------------------------------------------------------
// Frame hierarchies

namespace {

// The first object (by table index) on a parent chain that comes back to
// itself, or -1. Each chain is walked once.
int32_t FindParentCycle(const std::vector<SceneObject>& objects) {
  enum : uint8_t { UNSEEN, ON_PATH, DONE };
  std::vector<uint8_t> state(objects.size(), UNSEEN);
  for (size_t start = 0; start < objects.size(); ++start) {
    int32_t i = static_cast<int32_t>(start);
    while (i != -1 && state[static_cast<size_t>(i)] == UNSEEN) {
      state[static_cast<size_t>(i)] = ON_PATH;
      i = objects[static_cast<size_t>(i)].parent;
    }
    if (i != -1 && state[static_cast<size_t>(i)] == ON_PATH) return i;
    for (i = static_cast<int32_t>(start); i != -1 && state[static_cast<size_t>(i)] == ON_PATH;
         i = objects[static_cast<size_t>(i)].parent)
      state[static_cast<size_t>(i)] = DONE;
  }
  return -1;
}

bool ValidParent(int32_t parent, size_t count) { return parent >= 0 && static_cast<size_t>(parent) < count; }

void Pose(const rm::FramePtr& frame, const MotionKeys& keys, float time, const float* pivot) {
  if (!frame) return;
  rm::Matrix4 m;
  if (PoseMatrix(m.m, keys, time, pivot)) frame->AddTransform(rm::COMBINE_REPLACE, m);
}

}  // namespace

Animation::~Animation() {
  if (rootFrame)
    if (rm::FramePtr parent = rootFrame->GetParent()) parent->DeleteChild(rootFrame);
}

AnimationPtr CreateAnimation(const Scene& scene, const rm::EnginePtr& engine, Failure* why) {
  if (!engine) {
    Fail(why, "no engine to build the animation with");
    return nullptr;
  }
  auto animation = std::make_unique<Animation>();
  Animation& a = *animation;
  a.objects.assign(scene.objects.list.begin(), scene.objects.list.end());
  std::stable_sort(a.objects.begin(), a.objects.end(),
                   [](const SceneObject& x, const SceneObject& y) { return x.sequence < y.sequence; });
  const size_t count = a.objects.size();
  a.objectCount = static_cast<int32_t>(count);

  for (size_t i = 0; i < count; ++i) {
    SceneObject& object = a.objects[i];
    if (object.parent == static_cast<int32_t>(i)) {
      ReportWarning("Fatal error - object is parented to itself");
      Fail(why, "object %d is parented to itself", static_cast<int>(i + 1));
      return nullptr;
    }
    if (object.parent != -1 && !ValidParent(object.parent, count)) {
      ReportWarning(DebugFormat("Object %d is parented to object %d, which does not exist - ignored",
                                static_cast<int>(i + 1), static_cast<int>(object.parent) + 1));
      object.parent = -1;
    }
  }
  // A longer cycle has no root to hang from and would make the frames own
  // each other.
  if (const int32_t first = FindParentCycle(a.objects); first != -1) {
    ReportWarning("Fatal error - objects are parented in a cycle");
    Fail(why, "object %d is parented in a cycle", static_cast<int>(first) + 1);
    return nullptr;
  }

  a.objectFrames.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    rm::FramePtr frame = engine->CreateFrame();
    if (!frame) {
      Fail(why, "no memory for the frames");
      return nullptr;
    }
    a.objectFrames.push_back(std::move(frame));
  }
  for (size_t i = 0; i < count; ++i) {
    SceneObject& object = a.objects[i];
    if (object.parent != -1 && !a.objectFrames[static_cast<size_t>(object.parent)]->AddChild(a.objectFrames[i]))
      return nullptr;
    if (object.name && !object.name->empty()) object.name = AnimationObjectName(*object.name);
    a.objectFrames[i]->SetAppData(&object);
  }

  a.rootFrame = engine->CreateFrame();
  if (!a.rootFrame) return nullptr;
  for (size_t i = 0; i < count; ++i) {
    if (a.objects[i].parent != -1) continue;
    if (!a.rootFrame->AddChild(a.objectFrames[i])) return nullptr;
    a.roots.push_back(static_cast<int32_t>(i));
  }
  a.rootCount = static_cast<int32_t>(a.roots.size());
  return animation;
}

void FreeAnimation(AnimationPtr& animation) { animation.reset(); }

AnimationPtr LoadSceneAndAnimation(Scene& scene, const char* path, const rm::EnginePtr& engine) {
  LoadScene(scene, path);
  return CreateAnimation(scene, engine);
}

void LoadObjectVisuals(Animation& animation, const rm::EnginePtr& engine, ObjectLoader loader, const char* directory,
                       TextureCallback textureCallback, void* callbackData, uint32_t flags) {
  if (!loader) return;
  for (size_t i = 0; i < animation.objects.size(); ++i) {
    const SceneObject& object = animation.objects[i];
    if (!object.name || object.name->empty()) continue;
    if (rm::VisualPtr visual = loader(object.name->c_str(), directory, flags, engine, textureCallback, callbackData))
      animation.objectFrames[i]->AddVisual(visual);
  }
}

std::string ObjectPath(const char* name, const char* directory) {
  const PathParts parts = SplitPath(name ? name : "");
  if (!directory) return parts.name + parts.extension;
  std::string dir = directory;
  if (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
  return dir + "/" + parts.name + parts.extension;
}

rm::VisualPtr BuildObjectPath(const char* name, const char* directory, uint32_t flags, const rm::EnginePtr& engine,
                              TextureCallback textureCallback, void* callbackData) {
  // The scene is shown without an object that does not load; the report
  // says which and why.
  Failure why;
  rm::MeshPtr mesh =
      LoadLightWaveObject(ObjectPath(name, directory).c_str(), engine, textureCallback, callbackData, flags, &why);
  if (!mesh) ReportWarning(DebugFormat("Scene object not loaded: %s", why.FileText().c_str()));
  return mesh;
}

bool AttachAnimation(const rm::FramePtr& parent, Animation& animation) {
  return parent && animation.rootFrame && parent->AddChild(animation.rootFrame);
}

bool CreateSceneLights(Scene& scene, Animation& animation, const rm::EnginePtr& engine, const rm::LightPtr& ambient) {
  // The list, not the count: a second call finds the lights already taken.
  if (scene.lights.list.empty() || !engine) return false;
  const SceneLights& source = scene.lights;
  if (ambient)
    ambient->SetColorRGB(source.ambientRed * source.ambientIntensity, source.ambientGreen * source.ambientIntensity,
                         source.ambientBlue * source.ambientIntensity);
  std::vector<SceneLight> table(std::make_move_iterator(scene.lights.list.begin()),
                                std::make_move_iterator(scene.lights.list.end()));
  scene.lights.list.clear();
  animation.ambientRed = source.ambientRed;
  animation.ambientGreen = source.ambientGreen;
  animation.ambientBlue = source.ambientBlue;
  animation.ambientIntensity = source.ambientIntensity;

  bool ok = true;
  for (SceneLight& light : table) {
    const bool underObject = ValidParent(light.parent, animation.objectFrames.size());
    light.frame = engine->CreateFrame(underObject ? animation.objectFrames[static_cast<size_t>(light.parent)]
                                                  : animation.rootFrame);
    light.light = engine->CreateLightRGB(static_cast<rm::LightType>(light.type), light.red, light.green, light.blue);
    if (!light.frame || !light.light || !light.frame->AddLight(light.light)) {
      ok = false;
      break;
    }
    if (light.type != 0) {
      light.light->SetUmbra(DegreesToRadians(light.coneAngle - light.edgeAngle));
      light.light->SetPenumbra(DegreesToRadians(light.coneAngle));
    }
  }
  if (!ok) {
    // No half-lit scene: the lights stay with the animation, unlit.
    for (SceneLight& light : table) {
      if (light.frame)
        if (rm::FramePtr parent = light.frame->GetParent()) parent->DeleteChild(light.frame);
      light.frame.reset();
      light.light.reset();
    }
  }
  animation.lights = std::move(table);
  animation.lightCount = static_cast<int32_t>(animation.lights.size());
  return ok;
}

bool CopySceneCamera(const Scene& scene, Animation& animation) {
  animation.camera = scene.camera;
  return true;
}

void SetAnimationTime(Animation& animation, float time, const rm::FramePtr& cameraFrame, uint32_t flags) {
  if (flags == 0) flags = ANIMATE_OBJECTS;
  if (flags & ANIMATE_OBJECTS)
    for (size_t i = 0; i < animation.objects.size(); ++i)
      Pose(animation.objectFrames[i], animation.objects[i].keys, time, animation.objects[i].pivot);
  if (flags & ANIMATE_LIGHTS)
    for (const SceneLight& light : animation.lights) Pose(light.frame, light.keys, time, nullptr);
  if ((flags & ANIMATE_CAMERA) && cameraFrame) Pose(cameraFrame, animation.camera.keys, time, nullptr);
}
