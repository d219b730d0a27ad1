#include "lwlib/scene/Lws.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "diag/Dbug.h"
#include "platform/File.h"
#include "lwlib/scene/Parse.h"

namespace {

// Thirteen numbers of at least one character, each with its delimiter: no key
// is written in fewer bytes.
constexpr uint32_t MIN_KEY_BYTES = 2 * 14;

const char* const OBJECT_KEYWORDS[] = {
    "LoadObject",        "AddNullObject",     "ShowObject",           "ObjectMotion",
    "EndBehavior",       "LockedChannels",    "HLimits",              "PLimits",
    "BLimits",           "PivotPoint",        "ParentObject",         "GoalObject",
    "IKAnchor",          "Metamorph",         "MorphTarget",          "MorphSurfaces",
    "DisplacementMap",   "ClipMap",           "ObjDissolve",          "DistanceDissolve",
    "MaxDissolveDistance", "PolygonSize",     "UnaffectedByFog",      "ObjPolygonEdges",
    "ObjEdgeColor",      "UnseenByRays",      "ShadowOptions",        "FullTimeIK",
    "GoalStrength",      "MatchGoalOrientation", "TextureImage",      "TextureWrapModes",
    "TextureFlags",      "TextureAxis",       "TextureSize",          "TextureAmplitude",
    "AddBone",           "BoneName",          "ShowBone",             "BoneActive",
    "BoneRestPosition",  "BoneRestDirection", "BoneRestLength",       "ScaleBoneStrength",
    "BoneStrength",      "BoneLimitedRange",  "BoneMinRange",         "BoneMaxRange",
    "BoneMotion",
};
static_assert(std::size(OBJECT_KEYWORDS) == 49);

const char* const LIGHT_KEYWORDS[] = {
    "AmbientColor",       "AmbIntensity",        "GlobalFlareIntensity", "EnableLensFlare",
    "EnableShadowMaps",   "AddLight",            "LightName",            "ShowLight",
    "LightMotion",        "EndBehavior",         "LockedChannels",       "ParentObject",
    "TargetObject",       "LightColor",          "LgtIntensity",         "LightType",
    "Falloff",            "ConeAngle",           "EdgeAngle",            "LensFlare",
    "FlareIntensity",     "FlareDissolve",       "LensFlareFade",        "LensFlareOptions",
    "FlareRandStreakInt", "FlareRandStreakDens", "FlareRandStreakSharp", "ShadowCasting",
    "ShadowMapSize",      "UseConeAngle",        "ShadowMapAngle",       "ShadowFuzziness",
    "ShadowType",
};
static_assert(std::size(LIGHT_KEYWORDS) == 33);

const char* const CAMERA_KEYWORDS[] = {
    "ShowCamera",       "CameraMotion",     "EndBehavior",     "LockedChannels",   "ParentObject",
    "TargetObject",     "ZoomFactor",       "RenderMode",      "RayTraceEffects",  "Resolution",
    "CustomSize",       "NTSCWidescreen",   "PixelAspectRatio", "CustomPixelRatio", "LimitedRegion",
    "RegionLimits",     "SegmentMemory",    "Antialiasing",    "FilterType",       "AdaptiveSampling",
    "AdaptiveThreshold", "FilmSize",        "FieldRendering",  "ReverseFields",    "MotionBlur",
    "BlurLength",       "DepthOfField",     "FocalDistance",   "LensFStop",
};
static_assert(std::size(CAMERA_KEYWORDS) == 29);

// Reading state of one block: the text and the running position.
struct Reader {
  const char* text;
  uint32_t& position;

  bool Int(int32_t& v) { return GetInt(v, text, position); }
  bool Float(float& v) { return GetFloat(v, text, position); }
  bool Ints(int n) {
    int32_t dropped;
    for (int i = 0; i < n; ++i)
      if (!Int(dropped)) return false;
    return true;
  }
  bool Floats(int n) {
    float dropped;
    for (int i = 0; i < n; ++i)
      if (!Float(dropped)) return false;
    return true;
  }
  // Reads a word; false when the text ends first, with the word as far as it
  // was read, as cut-off numbers are taken as read.
  bool Word(std::string& word) {
    char token[TOKEN_BUFFER_SIZE];
    const bool ended = !GetToken(token, text, position);
    word = token;
    return !ended;
  }
  bool Line(std::string& line) {
    char buffer[TOKEN_BUFFER_SIZE];
    const bool ok = GetLine(buffer, text, position);
    line = ok ? buffer : "";
    return ok;
  }
  // A value that may be given as an envelope instead; an envelope is read
  // past and stands for `envelopeValue`.
  bool ValueOrEnvelope(float& value, float envelopeValue) {
    uint32_t peek = position;
    if (MatchToken(text, "(envelope)", peek)) {
      position = peek;
      SkipEnvelope(text, position);
      value = envelopeValue;
      return true;
    }
    return Float(value);
  }
  bool DroppedValueOrEnvelope() {
    float dropped;
    return ValueOrEnvelope(dropped, 0);
  }
  // "<name> <channels> <keys> <keys...> EndBehavior <n>".
  bool Motion(MotionKeys& keys, int32_t& keyCount, int32_t& channelCount) {
    char name[TOKEN_BUFFER_SIZE];
    GetToken(name, text, position);
    int32_t channels = 0, count = 0;
    if (!Int(channels) || !Int(count)) return false;
    MotionKeys read;
    if (!ReadMotionKeys(read, text, position, channels, count)) return false;
    if (!MatchToken(text, "EndBehavior", position)) return false;
    int32_t dropped;
    if (!Int(dropped)) return false;
    keys = std::move(read);
    keyCount = count;
    channelCount = channels;
    return true;
  }
};

// The loop the three keyword blocks share: act on keywords of the table until
// a word that is not one, which is left for the next block. `act` returns
// false when a value is malformed, which fails the block.
bool KeywordBlock(Reader& in, const char* const* table, int32_t count, const std::function<bool(int32_t)>& act) {
  // These blocks expect many harmless reports.
  ScopedDebugMode silent(DEBUG_MODE_SILENT);
  for (;;) {
    const uint32_t remembered = in.position;
    char token[TOKEN_BUFFER_SIZE];
    // A word that runs into the end of the text is no word: acting on it would
    // read it again and again, since the position cannot move past it.
    const bool complete = GetToken(token, in.text, in.position);
    const int32_t keyword = complete ? FindKeyword(table, token, count) : count;
    if (keyword == count) {
      in.position = remembered;
      ReportWarning(DebugFormat("Unknown token - %s", token));
      return true;
    }
    if (!act(keyword)) return false;
  }
}

void Unsupported(const char* what) { ReportWarning(DebugFormat("Unsupprted Object function - %s", what)); }

void NoCurrent(const char* what, const char* keyword) {
  ReportWarning(DebugFormat("No current %s for %s - ignored", what, keyword));
}

// The file counts objects from 1; the scene from 0. (The lowest number has no
// predecessor; it names no object either way.)
int32_t ParentIndex(int32_t number) { return number == std::numeric_limits<int32_t>::min() ? number : number - 1; }

bool ParseHeader(Reader& in, SceneHeader& header) {
  header.start = in.position;
  if (!MatchToken(in.text, "LWSC", in.position) || !in.Int(header.version)) return false;
  if (!MatchToken(in.text, "FirstFrame", in.position) || !in.Int(header.firstFrame)) return false;
  if (!MatchToken(in.text, "LastFrame", in.position) || !in.Int(header.lastFrame)) return false;
  if (!MatchToken(in.text, "FrameStep", in.position) || !in.Int(header.frameStep)) return false;
  for (;;) {
    uint32_t peek = in.position;
    char token[TOKEN_BUFFER_SIZE];
    if (!GetToken(token, in.text, peek)) return false;
    if (std::strcmp(token, "FramesPerSecond") == 0) break;
    in.position = peek;
  }
  return MatchToken(in.text, "FramesPerSecond", in.position) && in.Float(header.framesPerSecond);
}

bool ParseObjects(Reader& in, SceneObjects& objects) {
  objects.start = in.position;
  // Objects of a failed block are dropped; the scene only gets a whole list.
  std::deque<SceneObject> list;
  int32_t sequence = 0;
  SceneObject scratch;  // takes the values meant for a current object when there is none
  auto current = [&](const char* keyword) -> SceneObject& {
    if (list.empty()) {
      NoCurrent("object", keyword);
      scratch = SceneObject{};
      return scratch;
    }
    return list.front();
  };
  const bool ok = KeywordBlock(in, OBJECT_KEYWORDS, 49, [&](int32_t keyword) {
    switch (keyword) {
      case 0: {  // LoadObject
        std::string word;
        in.Word(word);
        SceneObject& object = list.emplace_front();
        object.name = std::move(word);
        object.sequence = ++sequence;
        return true;
      }
      case 1: {  // AddNullObject
        std::string line;
        in.Line(line);
        list.emplace_front().sequence = ++sequence;
        return true;
      }
      case 2: return in.Ints(2);
      case 3: {
        SceneObject& object = current("ObjectMotion");
        return in.Motion(object.keys, object.keyCount, object.channelCount);
      }
      case 4: in.Ints(1); return true;
      case 5: if (!in.Ints(1)) return false; Unsupported("LockedChannels"); return true;
      case 6: if (!in.Ints(2)) return false; Unsupported("HLimits"); return true;
      case 7: if (!in.Ints(2)) return false; Unsupported("PLimits"); return true;
      case 8: if (!in.Ints(2)) return false; Unsupported("BLimits"); return true;
      case 9: {
        float pivot[3];
        if (!in.Float(pivot[0]) || !in.Float(pivot[1]) || !in.Float(pivot[2])) return false;
        SceneObject& object = current("PivotPoint");
        for (int i = 0; i < 3; ++i) object.pivot[i] = -pivot[i];
        return true;
      }
      case 10: {
        int32_t parent;
        if (!in.Int(parent)) return false;
        // Kept as written, minus one; the animation checks what it names.
        current("ParentObject").parent = ParentIndex(parent);
        return true;
      }
      case 11: if (!in.Ints(1)) return false; Unsupported("GoalObject"); return true;
      case 12: if (!in.Ints(1)) return false; Unsupported("IKAnchor"); return true;
      case 13: Unsupported("Metamorph"); return true;
      case 14: case 15: case 20: case 24:
        ReportWarning(DebugFormat("Unknown token - %s", OBJECT_KEYWORDS[keyword]));
        return true;
      case 16: { std::string line; in.Line(line); Unsupported("Disp Map"); return true; }
      case 17: Unsupported("Clip Map"); return true;
      case 18: Unsupported("Obj Dissolve"); return true;
      case 19: Unsupported("Distance Disslove"); return true;
      case 21: Unsupported("Polygon Size"); return true;
      case 22: Unsupported("Unaffected by fog"); return true;
      case 23: Unsupported("Obj Polygons edges"); return true;
      case 25: Unsupported("Unseen by rays"); return true;
      case 26: if (!in.Ints(1)) return false; Unsupported("Shadow options"); return true;
      case 27: if (!in.Ints(1)) return false; Unsupported("FullTimeIK"); return true;
      case 28: if (!in.Ints(1)) return false; Unsupported("GoalStrength"); return true;
      case 29: if (!in.Ints(1)) return false; Unsupported("MatchGoalOrientation"); return true;
      case 30: { std::string line; in.Line(line); Unsupported("TextureImage"); return true; }
      case 31: if (!in.Ints(2)) return false; Unsupported("TextureWrapModes"); return true;
      case 32: if (!in.Ints(1)) return false; Unsupported("TextureFlags"); return true;
      case 33: if (!in.Ints(1)) return false; Unsupported("TextureAxis"); return true;
      case 34: if (!in.Ints(3)) return false; Unsupported("TextureSize"); return true;
      case 35: if (!in.Floats(1)) return false; Unsupported("TextureAmplitude"); return true;
      case 36: return true;  // bones are not part of the scene
      case 37: { std::string line; in.Line(line); return true; }
      case 38: case 39: in.Ints(1); return true;
      case 40: in.Floats(1); in.Floats(1); in.Floats(1); return true;
      default: return true;  // 41 to 48
    }
  });
  if (!ok) return false;
  objects.list = std::move(list);
  return true;
}

bool ParseLights(Reader& in, SceneLights& lights) {
  lights.start = in.position;
  lights.count = 0;
  SceneLight scratch;
  auto current = [&](const char* keyword) -> SceneLight& {
    if (lights.list.empty()) {
      NoCurrent("light", keyword);
      scratch = SceneLight{};
      return scratch;
    }
    return lights.list.front();
  };
  auto colour = [&](float& r, float& g, float& b) {
    int32_t c[3];
    if (!in.Int(c[0]) || !in.Int(c[1]) || !in.Int(c[2])) return false;
    r = static_cast<float>(c[0]) / 255.0f;
    g = static_cast<float>(c[1]) / 255.0f;
    b = static_cast<float>(c[2]) / 255.0f;
    return true;
  };
  return KeywordBlock(in, LIGHT_KEYWORDS, 33, [&](int32_t keyword) {
    switch (keyword) {
      case 0: return colour(lights.ambientRed, lights.ambientGreen, lights.ambientBlue);
      case 1: return in.ValueOrEnvelope(lights.ambientIntensity, 1.0f);
      case 2: return in.DroppedValueOrEnvelope();
      case 3: case 4: return in.Ints(1);
      case 5:
        lights.list.emplace_front();
        ++lights.count;
        return true;
      case 6: {
        std::string line;
        in.Line(line);
        current("LightName").name = std::move(line);
        return true;
      }
      case 7: return in.Ints(2);
      case 8: {
        SceneLight& light = current("LightMotion");
        return in.Motion(light.keys, light.keyCount, light.channelCount);
      }
      case 9: case 10: return in.Ints(1);
      case 11: case 12: {
        int32_t number;
        if (!in.Int(number)) return false;
        SceneLight& light = current(LIGHT_KEYWORDS[keyword]);
        (keyword == 11 ? light.parent : light.target) = ParentIndex(number);
        return true;
      }
      case 13: {
        float r, g, b;
        if (!colour(r, g, b)) return false;
        SceneLight& light = current("LightColor");
        light.red = r;
        light.green = g;
        light.blue = b;
        return true;
      }
      case 14: return in.DroppedValueOrEnvelope();
      case 15: {
        int32_t type;
        if (!in.Int(type)) return false;
        SceneLight& light = current("LightType");
        if (type == 0) light.type = 3;
        else if (type == 1) light.type = 1;
        else if (type == 2) light.type = 2;
        return true;
      }
      case 16: case 17: case 18: {
        float value;
        if (!in.ValueOrEnvelope(value, 0.0f)) return false;
        SceneLight& light = current(LIGHT_KEYWORDS[keyword]);
        (keyword == 16 ? light.falloff : keyword == 17 ? light.coneAngle : light.edgeAngle) = value;
        return true;
      }
      case 19: return in.Ints(1);
      case 20: case 21: return in.DroppedValueOrEnvelope();
      case 22: case 23: return in.Ints(1);
      case 24: case 25: case 26: return in.Floats(1);
      case 27: case 28: return in.Ints(1);
      case 29: case 30: case 31: return in.Floats(1);
      default: return in.Ints(1);  // 32 ShadowType
    }
  });
}

bool ParseCamera(Reader& in, SceneCamera& camera) {
  camera.start = in.position;
  camera.parent = -1;
  camera.target = -1;
  return KeywordBlock(in, CAMERA_KEYWORDS, 29, [&](int32_t keyword) {
    switch (keyword) {
      case 0: return in.Ints(2);
      case 1: return in.Motion(camera.keys, camera.keyCount, camera.channelCount);
      case 2: case 3: return in.Ints(1);
      case 4: case 5: {
        int32_t number;
        if (!in.Int(number)) return false;
        (keyword == 4 ? camera.parent : camera.target) = ParentIndex(number);
        return true;
      }
      case 6: return in.DroppedValueOrEnvelope();
      case 7: case 8: case 9: return in.Ints(1);
      case 10: return in.Ints(2);
      case 11: case 12: return in.Ints(1);
      case 13: return in.Floats(1);
      case 14: return in.Ints(1);
      case 15: return in.Floats(4);
      case 16: case 17: case 18: case 19: case 20: case 21: case 22: case 23: case 24: return in.Ints(1);
      case 25: return in.DroppedValueOrEnvelope();
      case 26: return in.Ints(1);
      default: return in.Floats(1);  // 27 FocalDistance, 28 LensFStop
    }
  });
}

bool ParseScene(Scene& scene) {
  for (char c : {' ', '\t', '\n', '\r'})
    if (!AddDelimiter(c)) return false;
  uint32_t position = 0;
  Reader in{scene.text.data(), position};
  if (!ParseHeader(in, scene.header)) {
    ReportWarning("Failed in scene block");
    return false;
  }
  if (!ParseObjects(in, scene.objects)) {
    ReportWarning("Filed in objects block");
    return false;
  }
  if (!ParseLights(in, scene.lights)) {
    ReportWarning("Filed in lights block");
    return false;
  }
  if (!ParseCamera(in, scene.camera)) {
    ReportWarning("Filed in camera block");
    return false;
  }
  return true;
}

}  // namespace

bool LoadScene(Scene& scene, const char* path) {
  scene = Scene{};
  ScopedFile file(FileOpen(path, "rb"));
  if (!file) return false;
  const int64_t length = FileLength(file.get());
  // The text and its end marker must fit the 32-bit sizes the parser counts in.
  if (length < 0 || length >= std::numeric_limits<uint32_t>::max()) return false;
  if (!scene.text.Allocate(static_cast<size_t>(length) + 1)) return false;
  if (FileRead(scene.text.data(), 1, static_cast<size_t>(length), file.get()) != static_cast<size_t>(length)) {
    scene.text.Reset();
    return false;
  }
  file.Close();
  scene.textSize = static_cast<uint32_t>(length);
  scene.text[scene.textSize] = TEXT_END;
  return ParseScene(scene);
}

bool LoadSceneFromMemory(Scene& scene, const void* data, size_t size) {
  scene = Scene{};
  if (size >= std::numeric_limits<uint32_t>::max()) return false;
  if (!scene.text.Allocate(size + 1)) return false;
  if (size) std::memcpy(scene.text.data(), data, size);
  scene.textSize = static_cast<uint32_t>(size);
  scene.text[scene.textSize] = TEXT_END;
  return ParseScene(scene);
}

void FreeScene(Scene& scene) { scene = Scene{}; }

int32_t GetScenePlaybackRate(const Scene& scene) {
  const float fps = scene.header.framesPerSecond;
  // Also catches NaN, which fails every comparison.
  if (!(fps >= 1.0f)) return 1;
  if (fps >= 1000.0f) return 1000;
  return static_cast<int32_t>(fps);
}

bool ReadMotionKeys(MotionKeys& keys, const char* text, uint32_t& position, int32_t /*channelCount*/,
                    int32_t keyCount) {
  keys.reset();
  if (keyCount < 0) return false;
  // A count the rest of the text cannot hold would only read empty tokens at
  // its end; refuse it before allocating for it.
  const uint64_t needed = static_cast<uint64_t>(keyCount) * MIN_KEY_BYTES;
  for (uint64_t i = 0; i < needed; ++i)
    if (text[position + i] == TEXT_END) return false;
  auto table = std::make_shared<MotionKeyTable>();
  if (!table->keys.Allocate(static_cast<size_t>(keyCount))) return false;
  Reader in{text, position};
  for (MotionKey& k : table->keys) {
    if (!in.Float(k.position[0]) || !in.Float(k.position[1]) || !in.Float(k.position[2])) return false;
    if (!in.Float(k.heading) || !in.Float(k.pitch) || !in.Float(k.bank)) return false;
    if (!in.Float(k.scale[0]) || !in.Float(k.scale[1]) || !in.Float(k.scale[2])) return false;
    if (!in.Int(k.frame) || !in.Int(k.linear)) return false;
    if (!in.Float(k.tension) || !in.Float(k.continuity) || !in.Float(k.bias)) return false;
  }
  for (size_t i = 1; i < table->keys.size(); ++i)
    if (table->keys[i].frame < table->keys[i - 1].frame) table->framesAscending = false;
  keys = std::move(table);
  return true;
}

bool SkipEnvelope(const char* text, uint32_t& position) {
  Reader in{text, position};
  int32_t channels = 0, count = 0;
  if (!in.Int(channels) || !in.Int(count)) return false;
  // Each value is checked for progress: past the last token every read
  // validates the same empty token, and the counts may be in the billions.
  auto value = [&](bool whole) {
    const uint32_t before = position;
    int32_t i;
    float f;
    const bool ok = whole ? in.Int(i) : in.Float(f);
    return ok && position != before;
  };
  for (int32_t k = 0; k < count; ++k) {
    for (int32_t c = 0; c < channels; ++c)
      if (!value(false)) return false;
    if (!value(true) || !value(true)) return false;
    for (int c = 0; c < 3; ++c)
      if (!value(false)) return false;
  }
  return true;
}
