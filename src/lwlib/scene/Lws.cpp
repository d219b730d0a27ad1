// Report texts are kept exactly as users have always seen them, misspellings
// included ("Unsupprted", "Disslove", "Filed in objects block"); do not
// correct them.
#include "lwlib/scene/Lws.h"

#include <algorithm>
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

// Each block's keywords in the order its table lists them: a keyword's place
// in the table is the number its block dispatches on.
#define LWS_ENUM(name) name,
#define LWS_TEXT(name) #name,
#define LWS_OBJECT_KEYWORDS(X) \
  X(LoadObject) X(AddNullObject) X(ShowObject) X(ObjectMotion) X(EndBehavior) X(LockedChannels) X(HLimits) \
  X(PLimits) X(BLimits) X(PivotPoint) X(ParentObject) X(GoalObject) X(IKAnchor) X(Metamorph) X(MorphTarget) \
  X(MorphSurfaces) X(DisplacementMap) X(ClipMap) X(ObjDissolve) X(DistanceDissolve) X(MaxDissolveDistance) \
  X(PolygonSize) X(UnaffectedByFog) X(ObjPolygonEdges) X(ObjEdgeColor) X(UnseenByRays) X(ShadowOptions) \
  X(FullTimeIK) X(GoalStrength) X(MatchGoalOrientation) X(TextureImage) X(TextureWrapModes) X(TextureFlags) \
  X(TextureAxis) X(TextureSize) X(TextureAmplitude) X(AddBone) X(BoneName) X(ShowBone) X(BoneActive) \
  X(BoneRestPosition) X(BoneRestDirection) X(BoneRestLength) X(ScaleBoneStrength) X(BoneStrength) \
  X(BoneLimitedRange) X(BoneMinRange) X(BoneMaxRange) X(BoneMotion)
enum class ObjectKey : int32_t { LWS_OBJECT_KEYWORDS(LWS_ENUM) };
const char* const OBJECT_KEYWORDS[] = {LWS_OBJECT_KEYWORDS(LWS_TEXT)};

#define LWS_LIGHT_KEYWORDS(X) \
  X(AmbientColor) X(AmbIntensity) X(GlobalFlareIntensity) X(EnableLensFlare) X(EnableShadowMaps) X(AddLight) \
  X(LightName) X(ShowLight) X(LightMotion) X(EndBehavior) X(LockedChannels) X(ParentObject) X(TargetObject) \
  X(LightColor) X(LgtIntensity) X(LightType) X(Falloff) X(ConeAngle) X(EdgeAngle) X(LensFlare) \
  X(FlareIntensity) X(FlareDissolve) X(LensFlareFade) X(LensFlareOptions) X(FlareRandStreakInt) \
  X(FlareRandStreakDens) X(FlareRandStreakSharp) X(ShadowCasting) X(ShadowMapSize) X(UseConeAngle) \
  X(ShadowMapAngle) X(ShadowFuzziness) X(ShadowType)
enum class LightKey : int32_t { LWS_LIGHT_KEYWORDS(LWS_ENUM) };
const char* const LIGHT_KEYWORDS[] = {LWS_LIGHT_KEYWORDS(LWS_TEXT)};

#define LWS_CAMERA_KEYWORDS(X) \
  X(ShowCamera) X(CameraMotion) X(EndBehavior) X(LockedChannels) X(ParentObject) X(TargetObject) \
  X(ZoomFactor) X(RenderMode) X(RayTraceEffects) X(Resolution) X(CustomSize) X(NTSCWidescreen) \
  X(PixelAspectRatio) X(CustomPixelRatio) X(LimitedRegion) X(RegionLimits) X(SegmentMemory) X(Antialiasing) \
  X(FilterType) X(AdaptiveSampling) X(AdaptiveThreshold) X(FilmSize) X(FieldRendering) X(ReverseFields) \
  X(MotionBlur) X(BlurLength) X(DepthOfField) X(FocalDistance) X(LensFStop)
enum class CameraKey : int32_t { LWS_CAMERA_KEYWORDS(LWS_ENUM) };
const char* const CAMERA_KEYWORDS[] = {LWS_CAMERA_KEYWORDS(LWS_TEXT)};

// Reading state of one block: the text and the running position.
struct Reader {
  const char* text;
  uint32_t& position;
  const char* keyword = nullptr;  // the keyword whose values are being read, for the reason of a failure

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
template <typename Key, size_t N, typename Act>
bool KeywordBlock(Reader& in, const char* const (&table)[N], const Act& act) {
  constexpr int32_t count = N;
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
    in.keyword = table[keyword];
    if (!act(static_cast<Key>(keyword))) return false;
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
  const bool ok = KeywordBlock<ObjectKey>(in, OBJECT_KEYWORDS, [&](ObjectKey key) {
    switch (key) {
      case ObjectKey::LoadObject: {
        std::string word;
        in.Word(word);
        SceneObject& object = list.emplace_front();
        object.name = std::move(word);
        object.sequence = ++sequence;
        return true;
      }
      case ObjectKey::AddNullObject: {
        std::string line;
        in.Line(line);
        list.emplace_front().sequence = ++sequence;
        return true;
      }
      case ObjectKey::ShowObject: return in.Ints(2);
      case ObjectKey::ObjectMotion: {
        SceneObject& object = current("ObjectMotion");
        return in.Motion(object.keys, object.keyCount, object.channelCount);
      }
      case ObjectKey::EndBehavior: in.Ints(1); return true;
      case ObjectKey::LockedChannels: if (!in.Ints(1)) return false; Unsupported("LockedChannels"); return true;
      case ObjectKey::HLimits: if (!in.Ints(2)) return false; Unsupported("HLimits"); return true;
      case ObjectKey::PLimits: if (!in.Ints(2)) return false; Unsupported("PLimits"); return true;
      case ObjectKey::BLimits: if (!in.Ints(2)) return false; Unsupported("BLimits"); return true;
      case ObjectKey::PivotPoint: {
        float pivot[3];
        if (!in.Float(pivot[0]) || !in.Float(pivot[1]) || !in.Float(pivot[2])) return false;
        SceneObject& object = current("PivotPoint");
        for (int i = 0; i < 3; ++i) object.pivot[i] = -pivot[i];
        return true;
      }
      case ObjectKey::ParentObject: {
        int32_t parent;
        if (!in.Int(parent)) return false;
        // Kept as written, minus one; the animation checks what it names.
        current("ParentObject").parent = ParentIndex(parent);
        return true;
      }
      case ObjectKey::GoalObject: if (!in.Ints(1)) return false; Unsupported("GoalObject"); return true;
      case ObjectKey::IKAnchor: if (!in.Ints(1)) return false; Unsupported("IKAnchor"); return true;
      case ObjectKey::Metamorph: Unsupported("Metamorph"); return true;
      case ObjectKey::MorphTarget: case ObjectKey::MorphSurfaces: case ObjectKey::MaxDissolveDistance:
      case ObjectKey::ObjEdgeColor:
        ReportWarning(DebugFormat("Unknown token - %s", OBJECT_KEYWORDS[static_cast<int32_t>(key)]));
        return true;
      case ObjectKey::DisplacementMap: { std::string line; in.Line(line); Unsupported("Disp Map"); return true; }
      case ObjectKey::ClipMap: Unsupported("Clip Map"); return true;
      case ObjectKey::ObjDissolve: Unsupported("Obj Dissolve"); return true;
      case ObjectKey::DistanceDissolve: Unsupported("Distance Disslove"); return true;
      case ObjectKey::PolygonSize: Unsupported("Polygon Size"); return true;
      case ObjectKey::UnaffectedByFog: Unsupported("Unaffected by fog"); return true;
      case ObjectKey::ObjPolygonEdges: Unsupported("Obj Polygons edges"); return true;
      case ObjectKey::UnseenByRays: Unsupported("Unseen by rays"); return true;
      case ObjectKey::ShadowOptions: if (!in.Ints(1)) return false; Unsupported("Shadow options"); return true;
      case ObjectKey::FullTimeIK: if (!in.Ints(1)) return false; Unsupported("FullTimeIK"); return true;
      case ObjectKey::GoalStrength: if (!in.Ints(1)) return false; Unsupported("GoalStrength"); return true;
      case ObjectKey::MatchGoalOrientation: if (!in.Ints(1)) return false; Unsupported("MatchGoalOrientation"); return true;
      case ObjectKey::TextureImage: { std::string line; in.Line(line); Unsupported("TextureImage"); return true; }
      case ObjectKey::TextureWrapModes: if (!in.Ints(2)) return false; Unsupported("TextureWrapModes"); return true;
      case ObjectKey::TextureFlags: if (!in.Ints(1)) return false; Unsupported("TextureFlags"); return true;
      case ObjectKey::TextureAxis: if (!in.Ints(1)) return false; Unsupported("TextureAxis"); return true;
      case ObjectKey::TextureSize: if (!in.Ints(3)) return false; Unsupported("TextureSize"); return true;
      case ObjectKey::TextureAmplitude: if (!in.Floats(1)) return false; Unsupported("TextureAmplitude"); return true;
      case ObjectKey::AddBone: return true;  // bones are not part of the scene
      case ObjectKey::BoneName: { std::string line; in.Line(line); return true; }
      case ObjectKey::ShowBone: case ObjectKey::BoneActive: in.Ints(1); return true;
      case ObjectKey::BoneRestPosition: in.Floats(1); in.Floats(1); in.Floats(1); return true;
      default: return true;  // the other bone keywords
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
  return KeywordBlock<LightKey>(in, LIGHT_KEYWORDS, [&](LightKey key) {
    switch (key) {
      case LightKey::AmbientColor: return colour(lights.ambientRed, lights.ambientGreen, lights.ambientBlue);
      case LightKey::AmbIntensity: return in.ValueOrEnvelope(lights.ambientIntensity, 1.0f);
      case LightKey::GlobalFlareIntensity: return in.DroppedValueOrEnvelope();
      case LightKey::EnableLensFlare: case LightKey::EnableShadowMaps: return in.Ints(1);
      case LightKey::AddLight:
        lights.list.emplace_front();
        ++lights.count;
        return true;
      case LightKey::LightName: {
        std::string line;
        in.Line(line);
        current("LightName").name = std::move(line);
        return true;
      }
      case LightKey::ShowLight: return in.Ints(2);
      case LightKey::LightMotion: {
        SceneLight& light = current("LightMotion");
        return in.Motion(light.keys, light.keyCount, light.channelCount);
      }
      case LightKey::EndBehavior: case LightKey::LockedChannels: return in.Ints(1);
      case LightKey::ParentObject: case LightKey::TargetObject: {
        int32_t number;
        if (!in.Int(number)) return false;
        SceneLight& light = current(LIGHT_KEYWORDS[static_cast<int32_t>(key)]);
        (key == LightKey::ParentObject ? light.parent : light.target) = ParentIndex(number);
        return true;
      }
      case LightKey::LightColor: {
        float r, g, b;
        if (!colour(r, g, b)) return false;
        SceneLight& light = current("LightColor");
        light.red = r;
        light.green = g;
        light.blue = b;
        return true;
      }
      case LightKey::LgtIntensity: return in.DroppedValueOrEnvelope();
      case LightKey::LightType: {
        int32_t type;
        if (!in.Int(type)) return false;
        SceneLight& light = current("LightType");
        if (type == 0) light.type = rm::LIGHT_DIRECTIONAL;
        else if (type == 1) light.type = rm::LIGHT_POINT;
        else if (type == 2) light.type = rm::LIGHT_SPOT;
        return true;
      }
      case LightKey::Falloff: case LightKey::ConeAngle: case LightKey::EdgeAngle: {
        float value;
        if (!in.ValueOrEnvelope(value, 0.0f)) return false;
        SceneLight& light = current(LIGHT_KEYWORDS[static_cast<int32_t>(key)]);
        (key == LightKey::Falloff ? light.falloff : key == LightKey::ConeAngle ? light.coneAngle : light.edgeAngle) =
            value;
        return true;
      }
      case LightKey::LensFlare: return in.Ints(1);
      case LightKey::FlareIntensity: case LightKey::FlareDissolve: return in.DroppedValueOrEnvelope();
      case LightKey::LensFlareFade: case LightKey::LensFlareOptions: return in.Ints(1);
      case LightKey::FlareRandStreakInt: case LightKey::FlareRandStreakDens: case LightKey::FlareRandStreakSharp: return in.Floats(1);
      case LightKey::ShadowCasting: case LightKey::ShadowMapSize: return in.Ints(1);
      case LightKey::UseConeAngle: case LightKey::ShadowMapAngle: case LightKey::ShadowFuzziness: return in.Floats(1);
      default: return in.Ints(1);  // ShadowType
    }
  });
}

bool ParseCamera(Reader& in, SceneCamera& camera) {
  camera.start = in.position;
  camera.parent = -1;
  camera.target = -1;
  return KeywordBlock<CameraKey>(in, CAMERA_KEYWORDS, [&](CameraKey key) {
    switch (key) {
      case CameraKey::ShowCamera: return in.Ints(2);
      case CameraKey::CameraMotion: return in.Motion(camera.keys, camera.keyCount, camera.channelCount);
      case CameraKey::EndBehavior: case CameraKey::LockedChannels: return in.Ints(1);
      case CameraKey::ParentObject: case CameraKey::TargetObject: {
        int32_t number;
        if (!in.Int(number)) return false;
        (key == CameraKey::ParentObject ? camera.parent : camera.target) = ParentIndex(number);
        return true;
      }
      case CameraKey::ZoomFactor: return in.DroppedValueOrEnvelope();
      case CameraKey::RenderMode: case CameraKey::RayTraceEffects: case CameraKey::Resolution: return in.Ints(1);
      case CameraKey::CustomSize: return in.Ints(2);
      case CameraKey::NTSCWidescreen: case CameraKey::PixelAspectRatio: return in.Ints(1);
      case CameraKey::CustomPixelRatio: return in.Floats(1);
      case CameraKey::LimitedRegion: return in.Ints(1);
      case CameraKey::RegionLimits: return in.Floats(4);
      case CameraKey::SegmentMemory: case CameraKey::Antialiasing: case CameraKey::FilterType: case CameraKey::AdaptiveSampling: case CameraKey::AdaptiveThreshold: case CameraKey::FilmSize: case CameraKey::FieldRendering: case CameraKey::ReverseFields: case CameraKey::MotionBlur: return in.Ints(1);
      case CameraKey::BlurLength: return in.DroppedValueOrEnvelope();
      case CameraKey::DepthOfField: return in.Ints(1);
      default: return in.Floats(1);  // FocalDistance, LensFStop
    }
  });
}

// The reason of a failed block: the word last read is the one that would not
// do, unless the text ended first.
bool BlockFailed(const Reader& in, const char* block, Failure* why) {
  const char* what = in.keyword ? in.keyword : block;
  const TokenSpot spot = LastTokenSpot();
  // A text that ends is named by its last line that holds something.
  uint32_t at = spot.start;
  if (spot.ended)
    while (at > 0 && IsDelimiter(in.text[at - 1])) --at;
  const int32_t line = 1 + static_cast<int32_t>(std::count(in.text, in.text + at, '\n'));
  if (spot.ended) return FailAtLine(why, line, "the file ends inside %s", what);
  uint32_t end = spot.start;
  while (in.text[end] != TEXT_END && !IsDelimiter(in.text[end]) && end - spot.start < 64) ++end;
  const std::string word(in.text + spot.start, end - spot.start);
  return FailAtLine(why, line, "%s: cannot use \"%s\"", what, word.c_str());
}

bool ParseScene(Scene& scene, Failure* why) {
  for (char c : {' ', '\t', '\n', '\r'})
    if (!AddDelimiter(c)) return Fail(why, "out of memory");
  uint32_t position = 0;
  Reader in{scene.text.data(), position};
  if (!ParseHeader(in, scene.header)) {
    ReportWarning("Failed in scene block");
    return BlockFailed(in, "the scene header", why);
  }
  if (!ParseObjects(in, scene.objects)) {
    ReportWarning("Filed in objects block");
    return BlockFailed(in, "the objects block", why);
  }
  in.keyword = nullptr;
  if (!ParseLights(in, scene.lights)) {
    ReportWarning("Filed in lights block");
    return BlockFailed(in, "the lights block", why);
  }
  in.keyword = nullptr;
  if (!ParseCamera(in, scene.camera)) {
    ReportWarning("Filed in camera block");
    return BlockFailed(in, "the camera block", why);
  }
  return true;
}

}  // namespace

bool LoadScene(Scene& scene, const char* path, Failure* why) {
  scene = Scene{};
  const auto read = [&] {
    ScopedFile file(FileOpen(path, "rb"));
    if (!file) return Fail(why, "cannot be opened");
    const int64_t length = FileLength(file.get());
    // The text and its end marker must fit the 32-bit sizes the parser counts in.
    if (length < 0 || length >= std::numeric_limits<uint32_t>::max()) return Fail(why, "too long to be read");
    if (!scene.text.Allocate(static_cast<size_t>(length) + 1)) return Fail(why, "out of memory");
    if (FileRead(scene.text.data(), 1, static_cast<size_t>(length), file.get()) != static_cast<size_t>(length)) {
      scene.text.Reset();
      return Fail(why, "cannot be read");
    }
    file.Close();
    scene.textSize = static_cast<uint32_t>(length);
    scene.text[scene.textSize] = TEXT_END;
    return ParseScene(scene, why);
  };
  const bool ok = read();
  if (!ok && why && why->file.empty() && path) why->file = path;
  return ok;
}

bool LoadSceneFromMemory(Scene& scene, const void* data, size_t size, Failure* why) {
  scene = Scene{};
  if (size >= std::numeric_limits<uint32_t>::max()) return Fail(why, "too long to be read");
  if (!scene.text.Allocate(size + 1)) return Fail(why, "out of memory");
  if (size) std::memcpy(scene.text.data(), data, size);
  scene.textSize = static_cast<uint32_t>(size);
  scene.text[scene.textSize] = TEXT_END;
  return ParseScene(scene, why);
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
