// lwconv scene: what a scene file says, and where its parts stand at given
// frame times.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "lwlib/scene/Anim.h"
#include "lwlib/scene/Lws.h"
#include "lwlib/scene/Parse.h"
#include "platform/File.h"
#include "rm/Engine.h"

namespace cli {
namespace {

struct Options {
  bool json = false;
  std::string file;
  std::vector<float> times;
  std::optional<int32_t> rotationOrder;
  bool noZxy = false;
};

// Objects in the order the animation tables them: by sequence number.
std::vector<const SceneObject*> ObjectTable(const Scene& scene) {
  std::vector<const SceneObject*> table;
  for (auto it = scene.objects.list.rbegin(); it != scene.objects.list.rend(); ++it) table.push_back(&*it);
  return table;
}

std::string JsonKeys(const MotionKeys& keys) {
  std::vector<std::string> rows;
  for (const MotionKey& k : KeySpan(keys)) {
    std::vector<std::string> v;
    for (float f : {k.position[0], k.position[1], k.position[2], k.heading, k.pitch, k.bank, k.scale[0],
                    k.scale[1], k.scale[2]})
      v.push_back(JsonNumber(f));
    v.push_back(std::to_string(k.frame));
    v.push_back(std::to_string(k.linear));
    for (float f : {k.tension, k.continuity, k.bias}) v.push_back(JsonNumber(f));
    rows.push_back(JsonArray(v));
  }
  return JsonArray(rows);
}

std::string JsonName(const std::optional<std::string>& name) { return name ? JsonString(*name) : "null"; }

// The matrix row by row, or null for a part without keys.
std::optional<std::vector<float>> Pose(const MotionKeys& keys, float time, const float* pivot) {
  float m[4][4];
  if (!PoseMatrix(m, keys, time, pivot)) return std::nullopt;
  return std::vector<float>(&m[0][0], &m[0][0] + 16);
}

std::string JsonMatrix(const std::optional<std::vector<float>>& m) {
  if (!m) return "null";
  std::vector<std::string> v;
  for (float f : *m) v.push_back(JsonNumber(f));
  return JsonArray(v);
}

std::string TextMatrix(const std::optional<std::vector<float>>& m) {
  if (!m) return "no keys";
  std::string out;
  for (int r = 0; r < 4; ++r) {
    std::vector<std::string> v;
    for (int c = 0; c < 4; ++c) v.push_back(JsonNumber((*m)[static_cast<size_t>(r * 4 + c)]));
    out += (r ? " [" : "[") + Join(v, " ") + "]";
  }
  return out;
}

std::optional<std::string> ObjectName(const SceneObject& object) {
  if (!object.name) return std::nullopt;
  return AnimationObjectName(*object.name);
}

void PrintJson(const Scene& scene, const Options& options) {
  const SceneHeader& h = scene.header;
  std::string out = "{\"header\":{\"version\":" + std::to_string(h.version) +
                    ",\"firstFrame\":" + std::to_string(h.firstFrame) + ",\"lastFrame\":" + std::to_string(h.lastFrame) +
                    ",\"frameStep\":" + std::to_string(h.frameStep) + ",\"fps\":" + JsonNumber(h.framesPerSecond) + "}";
  const std::vector<const SceneObject*> objects = ObjectTable(scene);
  std::vector<std::string> items;
  for (const SceneObject* o : objects)
    items.push_back("{\"name\":" + JsonName(ObjectName(*o)) + ",\"sequence\":" + std::to_string(o->sequence) +
                    ",\"parent\":" + std::to_string(o->parent) + ",\"pivot\":[" + JsonNumber(o->pivot[0]) + "," +
                    JsonNumber(o->pivot[1]) + "," + JsonNumber(o->pivot[2]) + "],\"keys\":" + JsonKeys(o->keys) + "}");
  out += ",\"objects\":[" + Join(items) + "]";
  items.clear();
  for (const SceneLight& l : scene.lights.list)
    items.push_back("{\"name\":" + JsonName(l.name) + ",\"type\":" + std::to_string(l.type) + ",\"colour\":[" +
                    JsonNumber(l.red) + "," + JsonNumber(l.green) + "," + JsonNumber(l.blue) +
                    "],\"parent\":" + std::to_string(l.parent) + ",\"target\":" + std::to_string(l.target) +
                    ",\"cone\":" + JsonNumber(l.coneAngle) + ",\"edge\":" + JsonNumber(l.edgeAngle) +
                    ",\"falloff\":" + JsonNumber(l.falloff) + ",\"keys\":" + JsonKeys(l.keys) + "}");
  out += ",\"lights\":[" + Join(items) + "]";
  const SceneCamera& c = scene.camera;
  out += ",\"camera\":{\"parent\":" + std::to_string(c.parent) + ",\"target\":" + std::to_string(c.target) +
         ",\"keys\":" + JsonKeys(c.keys) + "}";
  items.clear();
  for (float t : options.times) {
    std::vector<std::string> o, l;
    for (const SceneObject* object : objects) o.push_back(JsonMatrix(Pose(object->keys, t, object->pivot)));
    for (const SceneLight& light : scene.lights.list) l.push_back(JsonMatrix(Pose(light.keys, t, nullptr)));
    items.push_back("{\"time\":" + JsonNumber(t) + ",\"objects\":[" + Join(o) + "],\"lights\":[" + Join(l) +
                    "],\"camera\":" + JsonMatrix(Pose(c.keys, t, nullptr)) + "}");
  }
  out += ",\"poses\":[" + Join(items) + "]}\n";
  std::fputs(out.c_str(), stdout);
}

void PrintText(const Scene& scene, const Options& options) {
  const SceneHeader& h = scene.header;
  std::printf("LWSC %d: frames %d to %d step %d at %s fps\n", h.version, h.firstFrame, h.lastFrame, h.frameStep,
              JsonNumber(h.framesPerSecond).c_str());
  const std::vector<const SceneObject*> objects = ObjectTable(scene);
  for (const SceneObject* o : objects)
    std::printf("object %d %s: parent %d, pivot (%s, %s, %s), %d keys\n", o->sequence,
                ObjectName(*o).value_or("(null object)").c_str(), o->parent, JsonNumber(o->pivot[0]).c_str(),
                JsonNumber(o->pivot[1]).c_str(), JsonNumber(o->pivot[2]).c_str(), o->keyCount);
  int n = 0;
  for (const SceneLight& l : scene.lights.list)
    std::printf("light %d %s: type %d, colour (%s, %s, %s), parent %d, target %d, %d keys\n", ++n,
                l.name.value_or("(unnamed)").c_str(), l.type, JsonNumber(l.red).c_str(), JsonNumber(l.green).c_str(),
                JsonNumber(l.blue).c_str(), l.parent, l.target, l.keyCount);
  std::printf("camera: parent %d, target %d, %d keys\n", scene.camera.parent, scene.camera.target,
              scene.camera.keyCount);
  for (float t : options.times) {
    std::printf("time %s:\n", JsonNumber(t).c_str());
    for (const SceneObject* o : objects)
      std::printf("  object %d: %s\n", o->sequence, TextMatrix(Pose(o->keys, t, o->pivot)).c_str());
    n = 0;
    for (const SceneLight& l : scene.lights.list)
      std::printf("  light %d: %s\n", ++n, TextMatrix(Pose(l.keys, t, nullptr)).c_str());
    std::printf("  camera: %s\n", TextMatrix(Pose(scene.camera.keys, t, nullptr)).c_str());
  }
}

// Builds the animation as the viewer does and says on standard error what the
// viewer would make of the parenting. Returns why the viewer would refuse the
// scene, or empty.
std::string ViewerChecks(const Scene& scene, const std::string& file) {
  Failure why;
  const AnimationPtr animation = CreateAnimation(scene, rm::Engine::Create(), &why);
  if (!animation) return file + ": " + why.what + "; the viewer refuses this scene";
  auto unparented = [&](const char* kind, size_t number, int32_t parent) {
    std::fprintf(stderr,
                 "lwconv: %s: %s %zu is parented to object %d, which does not exist; the viewer shows it unparented\n",
                 file.c_str(), kind, number, parent + 1);
  };
  const std::vector<const SceneObject*> objects = ObjectTable(scene);
  for (size_t i = 0; i < objects.size() && i < animation->objects.size(); ++i)
    if (objects[i]->parent != -1 && animation->objects[i].parent == -1) unparented("object", i + 1, objects[i]->parent);
  size_t n = 0;
  for (const SceneLight& light : scene.lights.list) {
    ++n;
    if (light.parent != -1 && (light.parent < 0 || static_cast<size_t>(light.parent) >= objects.size()))
      unparented("light", n, light.parent);
  }
  return {};
}

bool ParseNumber(const std::string& text, float& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtof(text.c_str(), &end);
  return !text.empty() && *end == 0 && errno == 0 && std::isfinite(value);
}

int RunScene(const std::vector<std::string>& args) {
  Options options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--json") {
      options.json = true;
    } else if (a == "--no-zxy") {
      options.noZxy = true;
    } else if (a == "--time") {
      float t;
      if (!hasValue || !ParseNumber(args[++i], t)) return UsageError("scene", "--time needs a frame time");
      options.times.push_back(t);
    } else if (a == "--rotation-order") {
      float order;
      if (!hasValue || !ParseNumber(args[++i], order) || order != static_cast<int32_t>(order) || order < 0 ||
          order > 5)
        return UsageError("scene", "--rotation-order needs an order from 0 to 5");
      options.rotationOrder = static_cast<int32_t>(order);
    } else if (a.size() > 1 && a[0] == '-') {
      return UsageError("scene", "unknown option " + a);
    } else if (options.file.empty()) {
      options.file = a;
    } else {
      return UsageError("scene", "takes one scene file");
    }
  }
  if (options.file.empty()) return UsageError("scene", "needs a scene file");
  options.file = FindFileAnyCase(options.file);

  std::error_code ec;
  if (!std::filesystem::is_regular_file(options.file, ec)) return Fail("cannot read " + options.file);
  if (std::FILE* f = std::fopen(options.file.c_str(), "rb")) {
    std::fclose(f);
  } else {
    return Fail("cannot read " + options.file + ": " + std::strerror(errno));
  }

  AnimationSettings& settings = GetAnimationSettings();
  if (options.rotationOrder) settings.rotationOrder = *options.rotationOrder;
  if (options.noZxy) settings.zxyOptimised = 0;

  Scene scene;
  Failure why;
  const bool loaded = LoadScene(scene, options.file.c_str(), &why);
  if (!loaded) {
    FreeScene(scene);
    RemoveDelimiter(0);
    return Fail(FailureText(options.file, why, "not a LightWave scene that can be read"));
  }
  if (options.json)
    PrintJson(scene, options);
  else
    PrintText(scene, options);
  const std::string refusal = ViewerChecks(scene, options.file);
  FreeScene(scene);
  // The reader's token delimiters live for a run; this command is one.
  RemoveDelimiter(0);
  if (!refusal.empty()) return Fail(refusal);
  return kSuccess;
}

const CommandRegistration registration(
    {"scene", "scene [--json] FILE.lws [--time T]... [--rotation-order N] [--no-zxy]",
     "  Prints a LightWave scene's frame settings, objects, lights and camera with\n"
     "  their motion keys and, for each --time, every part's transform at that\n"
     "  frame time (16 numbers, row by row; null for a part without keys).\n"
     "  --rotation-order N (0 XYZ, 1 XZY, 2 YXZ, 3 YZX, 4 ZXY, 5 ZYX) and --no-zxy\n"
     "  choose how rotations are combined; by default the ZXY matrix with pivots.\n",
     RunScene});

}  // namespace
}  // namespace cli
