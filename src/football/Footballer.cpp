#include "football/Footballer.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <system_error>

#include "diag/Dbug.h"
#include "lwlib/object/ObjectMesh.h"
#include "platform/File.h"
#include "platform/Process.h"
#include "rm/Engine.h"

namespace {

constexpr FootballerObjectKeyword kKeywords[BODY_PART_COUNT] = {
    {"Body", BODY_BODY},
    {"LeftThigh", BODY_LEFT_THIGH},
    {"RightThigh", BODY_RIGHT_THIGH},
    {"LeftFoot", BODY_LEFT_FOOT},
    {"RightFoot", BODY_RIGHT_FOOT},
    {"LeftUpperArm", BODY_LEFT_UPPER_ARM},
    {"RightUpperArm", BODY_RIGHT_UPPER_ARM},
    {"LeftLowerArm", BODY_LEFT_LOWER_ARM},
    {"RightLowerArm", BODY_RIGHT_LOWER_ARM},
    {"Head", BODY_HEAD},
    {"Hair", BODY_HAIR},
    {"LeftHand", BODY_LEFT_HAND},
    {"RightHand", BODY_RIGHT_HAND},
};

// The least text one entry of each list can be written in, so a count is
// never believed beyond what the rest of the file could hold: "a 0 0 0" for a
// name and colour, "0 0 0" for a colour, two names for a texture pair, and
// for a hair style its keywords, name, colour and texture count.
constexpr size_t kTopBytes = 7 + 1;
constexpr size_t kShortsBytes = 5;
constexpr size_t kHairBytes = 7 + 1 + 6 + 12 + 1 + 6 + 5;
constexpr size_t kTexturePairBytes = 2;
constexpr size_t kFaceBytes = 7;

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

namespace fs = std::filesystem;

bool IsFile(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(path, ec);
}

std::string WithSlash(std::string directory) {
  if (!directory.empty() && directory.back() != '/') directory += '/';
  return directory;
}

// The image a texture name stands for: as named from the folder holding the
// football folder, else in the football folder (any case). Empty when absent.
std::string TexturePath(const TrackedText& name, const FootballerConfig& config) {
  if (name.empty()) return {};
  std::string found = rm::FindImageFile(name.c_str(), config.baseDirectory);
  if (found.empty()) found = rm::FindImageFile(name.c_str(), config.footballDirectory);
  return found;
}

}  // namespace

std::span<const FootballerObjectKeyword, BODY_PART_COUNT> FootballerObjectKeywords() { return kKeywords; }

const char* BodyPartKeyword(BodyPart part) {
  for (const FootballerObjectKeyword& k : kKeywords)
    if (k.part == part) return k.keyword;
  return "";
}

std::string FindFootballFile(const char* name) {
  for (const std::string& directory : {std::string(), ExecutableDirectory()}) {
    const std::string path = WithSlash(directory) + FOOTBALL_FOLDER + "/" + name;
    if (IsFile(path)) return path;
  }
  return {};
}

bool TrackedText::Set(std::string_view text) {
  if (!buffer_.Allocate(text.size() + 1)) return false;
  std::copy(text.begin(), text.end(), buffer_.data());
  return true;
}

FootballerConfig::~FootballerConfig() { ClearFootballerConfig(*this); }

void ClearFootballerConfig(FootballerConfig& config) {
  // The animations take their frames out of the viewer's scene as they go.
  config.previewAnimation.reset();
  config.animation.reset();
  FreeScene(config.previewScene);
  FreeScene(config.animationScene);
  config.previewFrames = {};
  config.animationFrames = {};
  config.previewMeshes = {};
  config.animationMeshes = {};
  config.tops.Clear();
  config.faces.Clear();
  config.shorts.Clear();
  config.hairs.Clear();
  for (TrackedText& name : config.objectNames) name.Clear();
  config.previewSceneName.Clear();
  config.animationSceneName.Clear();
  config.faceCount = config.currentFace = 0;
  config.topCount = config.currentTop = 0;
  config.shortsCount = config.currentShorts = 0;
  config.hairCount = config.currentHair = config.currentHairTexture = 0;
  config.loaded = 0;
  config.playing = 0;
}

// ---------------------------------------------------------------------------
// Formatted input

void FootballerReader::SkipSpace() {
  while (position_ < size_ && IsSpace(text_[position_])) ++position_;
}

int32_t FootballerReader::Line() const {
  int32_t line = 1;
  for (size_t i = 0; i < position_ && i < size_; ++i)
    if (text_[i] == '\n') ++line;
  return line;
}

std::string FootballerReader::Found() const {
  size_t at = position_;
  while (at < size_ && IsSpace(text_[at])) ++at;
  if (at >= size_) return "the end of the file";
  std::string word;
  while (at < size_ && !IsSpace(text_[at]) && word.size() < 24) word += text_[at++];
  for (char& c : word)
    if (!std::isprint(static_cast<unsigned char>(c))) c = '?';
  return "\"" + word + "\"";
}

bool FootballerReader::Fail(const char* format, ...) {
  if (!why_ || !why_->empty()) return false;
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  FailAtLine(why_, Line(), "%s", text);
  why_->chunk = section_;
  return false;
}

bool FootballerReader::Match(const char* pattern) {
  // Every pattern of the file ends in a blank or a line end, so what comes
  // before a keyword is always white space to skip.
  SkipSpace();
  for (const char* p = pattern; *p; ++p) {
    if (IsSpace(*p)) {
      SkipSpace();
      continue;
    }
    if (position_ >= size_ || text_[position_] != *p) {
      std::string expected;
      for (const char* q = pattern; *q; ++q)
        if (!IsSpace(*q) || (!expected.empty() && expected.back() != ' ')) expected += IsSpace(*q) ? ' ' : *q;
      while (!expected.empty() && expected.back() == ' ') expected.pop_back();
      return Fail("expected \"%s\", found %s", expected.c_str(), Found().c_str());
    }
    ++position_;
  }
  return true;
}

bool FootballerReader::ReadName(TrackedText& name, const char* what) {
  SkipSpace();
  const size_t start = position_;
  while (position_ < size_ && !IsSpace(text_[position_])) ++position_;
  if (position_ == start) return Fail("%s: no name before the end of the file", what);
  if (!name.Set(std::string_view(text_ + start, position_ - start)))
    return Fail("%s: no memory for its name", what);
  return true;
}

bool FootballerReader::ReadInt(int32_t& value, const char* what) {
  SkipSpace();
  size_t at = position_;
  bool negative = false;
  if (at < size_ && (text_[at] == '+' || text_[at] == '-')) negative = text_[at++] == '-';
  int base = 10;
  if (at + 1 < size_ && text_[at] == '0' && (text_[at + 1] == 'x' || text_[at + 1] == 'X') && at + 2 < size_ &&
      std::isxdigit(static_cast<unsigned char>(text_[at + 2]))) {
    base = 16;
    at += 2;
  } else if (at < size_ && text_[at] == '0') {
    base = 8;
  }
  const size_t digitsStart = at;
  int64_t magnitude = 0;
  bool tooLarge = false;
  for (; at < size_; ++at) {
    const unsigned char c = static_cast<unsigned char>(text_[at]);
    int digit;
    if (std::isdigit(c)) digit = c - '0';
    else if (std::isxdigit(c)) digit = std::tolower(c) - 'a' + 10;
    else break;
    if (digit >= base) break;
    magnitude = magnitude * base + digit;
    if (magnitude > int64_t{std::numeric_limits<int32_t>::max()} + 1) tooLarge = true, magnitude = int64_t{1} << 32;
  }
  if (at == digitsStart) return Fail("%s: expected a number, found %s", what, Found().c_str());
  const int64_t result = negative ? -magnitude : magnitude;
  if (tooLarge || result > std::numeric_limits<int32_t>::max() || result < std::numeric_limits<int32_t>::min())
    return Fail("%s: the number does not fit in 32 bits", what);
  position_ = at;
  value = static_cast<int32_t>(result);
  return true;
}

bool FootballerReader::ReadCount(int32_t& count, const char* what, size_t minBytes) {
  if (!ReadInt(count, what)) return false;
  if (count < 0) return Fail("%s is %d; a count cannot be negative", what, static_cast<int>(count));
  const size_t left = size_ - position_;
  if (static_cast<size_t>(count) > left / minBytes)
    return Fail("%s is %s, more than the %s bytes left in the file can describe", what,
                Thousands(count).c_str(), Thousands(static_cast<int64_t>(left)).c_str());
  return true;
}

bool ReadColourLine(FootballerReader& file, FootballerColour& colour, const char* what) {
  int32_t rgb[3];
  for (int32_t& c : rgb)
    if (!file.ReadInt(c, what)) return false;
  colour = {static_cast<float>(rgb[0]) / 255.0f, static_cast<float>(rgb[1]) / 255.0f,
            static_cast<float>(rgb[2]) / 255.0f};
  return true;
}

namespace {

std::string Entry(const char* kind, size_t index, const char* detail = nullptr) {
  std::string text = std::string(kind) + " " + std::to_string(index + 1);
  if (detail) text += std::string(", ") + detail;
  return text;
}

bool ParseTops(FootballerReader& in, FootballerConfig& config) {
  in.SetSection("Top");
  int32_t count = 0;
  if (!in.Match("\nTop:\n") || !in.Match("NumTops - ") || !in.ReadCount(count, "NumTops", kTopBytes)) return false;
  if (!config.tops.Resize(static_cast<size_t>(count))) return in.Fail("no memory for %d shirts", count);
  config.topCount = count;
  if (!in.Match("Front -\n")) return false;
  for (size_t i = 0; i < config.tops.size(); ++i) {
    if (!in.ReadName(config.tops[i].frontName, Entry("shirt", i, "front texture").c_str()) ||
        !ReadColourLine(in, config.tops[i].colour, Entry("shirt", i, "colour").c_str()))
      return false;
  }
  if (!in.Match("Back -\n")) return false;
  for (size_t i = 0; i < config.tops.size(); ++i)
    if (!in.ReadName(config.tops[i].backName, Entry("shirt", i, "back texture").c_str())) return false;
  return true;
}

bool ParseShorts(FootballerReader& in, FootballerConfig& config) {
  in.SetSection("Shorts");
  int32_t count = 0;
  if (!in.Match("\nShorts:\n") || !in.Match("NumShorts - ") || !in.ReadCount(count, "NumShorts", kShortsBytes))
    return false;
  if (!config.shorts.Resize(static_cast<size_t>(count))) return in.Fail("no memory for %d shorts colours", count);
  config.shortsCount = count;
  for (size_t i = 0; i < config.shorts.size(); ++i)
    if (!ReadColourLine(in, config.shorts[i].colour, Entry("shorts colour", i).c_str())) return false;
  return true;
}

bool ParseHair(FootballerReader& in, FootballerHair& hair, size_t index) {
  if (!in.Match("Object:\n") || !in.ReadName(hair.objectName, Entry("hair style", index, "object").c_str()) ||
      !ReadColourLine(in, hair.colour, Entry("hair style", index, "colour").c_str()) || !in.Match("NumTextures - "))
    return false;
  int32_t count = 0;
  if (!in.ReadCount(count, Entry("hair style", index, "NumTextures").c_str(), kTexturePairBytes)) return false;
  const size_t n = static_cast<size_t>(count);
  if (!hair.frontTextures.Resize(n) || !hair.backTextures.Resize(n) || !hair.frontNames.Resize(n) ||
      !hair.backNames.Resize(n))
    return in.Fail("%s: no memory for %d textures", Entry("hair style", index).c_str(), count);
  hair.textureCount = count;
  if (!in.Match("Front:\n")) return false;
  for (size_t t = 0; t < n; ++t) {
    const std::string what = Entry("hair style", index) + ", front texture " + std::to_string(t + 1);
    if (!in.ReadName(hair.frontNames[t], what.c_str())) return false;
  }
  if (!in.Match("Back:\n")) return false;
  for (size_t t = 0; t < n; ++t) {
    const std::string what = Entry("hair style", index) + ", back texture " + std::to_string(t + 1);
    if (!in.ReadName(hair.backNames[t], what.c_str())) return false;
  }
  return true;
}

bool ParseHairs(FootballerReader& in, FootballerConfig& config) {
  in.SetSection("Hair");
  int32_t count = 0;
  if (!in.Match("\nHair:\n") || !in.Match("NumHairs - ") || !in.ReadCount(count, "NumHairs", kHairBytes))
    return false;
  if (!config.hairs.Resize(static_cast<size_t>(count))) return in.Fail("no memory for %d hair styles", count);
  config.hairCount = count;
  for (size_t i = 0; i < config.hairs.size(); ++i)
    if (!ParseHair(in, config.hairs[i], i)) return false;
  return true;
}

bool ParseFaces(FootballerReader& in, FootballerConfig& config) {
  in.SetSection("Face");
  int32_t count = 0;
  if (!in.Match("\nFace:\n") || !in.Match("NumFaces - ") || !in.ReadCount(count, "NumFaces", kFaceBytes))
    return false;
  if (!config.faces.Resize(static_cast<size_t>(count))) return in.Fail("no memory for %d faces", count);
  config.faceCount = count;
  for (size_t i = 0; i < config.faces.size(); ++i) {
    if (!in.ReadName(config.faces[i].name, Entry("face", i, "texture").c_str()) ||
        !ReadColourLine(in, config.faces[i].colour, Entry("face", i, "colour").c_str()))
      return false;
  }
  return true;
}

}  // namespace

bool ParseFootballerConfig(const char* text, size_t size, FootballerConfig& config, Failure* why) {
  ClearFootballerConfig(config);
  FootballerReader in(text, size, why);
  // The fixed lines are checked too: a file that does not follow the layout
  // would otherwise be read with every later entry shifted.
  in.SetSection("header");
  if (!in.Match("Mirl Football Config File:\n\n")) return false;
  in.SetSection("Anim");
  if (!in.Match("Anim:\n") || !in.Match("Preview Scene - ") ||
      !in.ReadName(config.previewSceneName, "Preview Scene") || !in.Match("Animation Scene - ") ||
      !in.ReadName(config.animationSceneName, "Animation Scene"))
    return false;
  in.SetSection("Objects");
  if (!in.Match("\nObjects:\n")) return false;
  for (const FootballerObjectKeyword& k : kKeywords)
    if (!in.Match(k.keyword) || !in.ReadName(config.objectNames[k.part], k.keyword)) return false;
  return ParseTops(in, config) && ParseShorts(in, config) && ParseHairs(in, config) && ParseFaces(in, config);
}

// ---------------------------------------------------------------------------
// Loading

std::string FootballerPath(std::string_view name, const std::string& directory) {
  std::string path(name);
  std::replace(path.begin(), path.end(), '\\', '/');
  if (!path.empty() && path[0] != '/') path = directory + path;
  return path;
}

void SetFootballerFolders(FootballerConfig& config, const char* path) {
  const fs::path file = path ? path : "";
  const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
  config.footballDirectory = WithSlash(folder.string());
  config.baseDirectory = folder == "." ? std::string("../")
                         : folder.has_parent_path() ? WithSlash(folder.parent_path().string())
                                                    : std::string();
}

namespace {

bool ReadConfigText(const char* path, TrackedBuffer<char>& text, Failure* why) {
  FILE* file = FileOpen(path, "rb");
  if (!file) return Fail(why, "the file cannot be opened");
  ScopedFile closer(file);
  const int64_t length = FileLength(file);
  if (length < 0) return Fail(why, "the file's length cannot be read");
  if (static_cast<uint64_t>(length) > FOOTBALL_CONFIG_MAX_BYTES)
    return Fail(why, "the file is %s bytes; a configuration holds at most %s", Thousands(length).c_str(),
                Thousands(FOOTBALL_CONFIG_MAX_BYTES).c_str());
  if (!text.Allocate(static_cast<size_t>(length) + 1)) return Fail(why, "no memory for the file's text");
  if (length > 0 && FileRead(text.data(), 1, static_cast<size_t>(length), file) != static_cast<size_t>(length))
    return Fail(why, "the file cannot be read");
  return true;
}

}  // namespace

bool ReadFootballerConfig(const char* path, FootballerConfig& config, Failure* why) {
  SetFootballerFolders(config, path);
  TrackedBuffer<char> text;
  if (ReadConfigText(path, text, why) && ParseFootballerConfig(text.data(), text.size() - 1, config, why))
    return true;
  if (why && why->file.empty()) why->file = path ? path : "";
  return false;
}

namespace {

// One scene with its objects, parked under `parent`, lit and posed at 0.
AnimationPtr LoadFootballerScene(Scene& scene, const TrackedText& name, const char* role, FootballerConfig& config,
                                 const FootballerStage& stage, const rm::FramePtr& parent, Failure* why) {
  const std::string path = FootballerPath(name.view(), config.baseDirectory);
  if (!IsFile(path)) {
    FailAt(why, "Anim", -1, "the %s %s is not there (looked for %s)", role, name.c_str(), path.c_str());
    return nullptr;
  }
  // A scene that does not read (memory running out in it) must not go on as
  // the animation of what was read so far.
  Failure read;
  if (!LoadScene(scene, path.c_str(), &read)) {
    FailAt(why, "Anim", -1, "the %s %s does not load: %s", role, name.c_str(), read.Text().c_str());
    return nullptr;
  }
  AnimationPtr animation = CreateAnimation(scene, stage.engine);
  if (!animation) {
    FailAt(why, "Anim", -1, "the %s %s does not make an animation (its objects are parented in a cycle)", role,
           name.c_str());
    return nullptr;
  }
  LoadObjectVisuals(*animation, stage.engine, BuildObjectPath, config.footballDirectory.c_str(), nullptr, nullptr,
                    LWO_BUILD_NO_SURFACES);
  AttachAnimation(parent, *animation);
  CreateSceneLights(scene, *animation, stage.engine, nullptr);
  CopySceneCamera(scene, *animation);
  SetAnimationTime(*animation, 0, stage.camera, ANIMATE_CAMERA | ANIMATE_OBJECTS | ANIMATE_LIGHTS);
  return animation;
}

bool FindBodyParts(FootballerConfig& config, const Animation& animation, const char* role,
                   std::array<rm::FramePtr, BODY_PART_COUNT>& frames,
                   std::array<rm::MeshPtr, BODY_PART_COUNT>& meshes, Failure* why) {
  for (int32_t part = 0; part < BODY_PART_COUNT; ++part) {
    const TrackedText& name = config.objectNames[static_cast<size_t>(part)];
    if (!FindNamedMesh(name.c_str(), animation.rootFrame, &frames[static_cast<size_t>(part)],
                       &meshes[static_cast<size_t>(part)]))
      return FailAt(why, "Objects", -1, "%s: the %s has no object %s that loads", BodyPartKeyword(BodyPart(part)),
                    role, name.c_str());
  }
  return true;
}

bool Loaded(const TrackedText& name, const FootballerConfig& config, const rm::EnginePtr& engine,
            rm::TexturePtr& texture, const char* section, const std::string& role, Failure* why) {
  const std::string path = TexturePath(name, config);
  texture = path.empty() ? nullptr : engine->LoadTexture(path);
  if (!texture)
    return FailAt(why, section, -1, "%s: %s %s", role.c_str(), name.c_str(),
                  path.empty() ? "is not there" : "does not load");
  return true;
}

}  // namespace

bool LoadFootballerConfig(const char* path, FootballerConfig& config, const FootballerStage& stage, Failure* why) {
  ClearFootballerConfig(config);
  auto failed = [&] {
    if (why && why->file.empty()) why->file = path ? path : "";
    ClearFootballerConfig(config);
    return false;
  };
  if (!stage.engine) return Fail(why, "there is no engine to load into");
  // The configuration sits in the football folder; names in it are relative
  // to the folder above.
  SetFootballerFolders(config, path);

  if (!ReadFootballerConfig(path, config, why)) return failed();

  stage.engine->AddSearchPath(config.footballDirectory);
  config.animation = LoadFootballerScene(config.animationScene, config.animationSceneName, "animation scene", config,
                                         stage, stage.offScene, why);
  if (!config.animation) return failed();
  config.previewAnimation = LoadFootballerScene(config.previewScene, config.previewSceneName, "preview scene",
                                                config, stage, stage.parent, why);
  if (!config.previewAnimation) return failed();
  if (!FindBodyParts(config, *config.previewAnimation, "preview scene", config.previewFrames, config.previewMeshes,
                     why) ||
      !FindBodyParts(config, *config.animation, "animation scene", config.animationFrames, config.animationMeshes,
                     why))
    return failed();
  if (!LoadFootballerTextures(config, stage.engine, why)) return failed();
  config.loaded = 1;
  config.playing = 0;
  return true;
}

bool LoadFootballerTextures(FootballerConfig& config, const rm::EnginePtr& engine, Failure* why) {
  if (!engine) return Fail(why, "there is no engine to load into");
  for (size_t i = 0; i < config.hairs.size(); ++i) {
    FootballerHair& hair = config.hairs[i];
    const std::string objectPath = FootballerPath(hair.objectName.view(), config.baseDirectory);
    hair.object = LoadLightWaveObject(objectPath.c_str(), engine, nullptr, nullptr, LWO_BUILD_NO_SURFACES);
    if (!hair.object)
      return FailAt(why, "Hair", -1, "hair style %zu: the object %s does not load", i + 1, hair.objectName.c_str());
    for (size_t t = 0; t < hair.frontNames.size(); ++t) {
      const std::string role = "hair style " + std::to_string(i + 1) + ", ";
      const std::string pair = " texture " + std::to_string(t + 1);
      if (!Loaded(hair.frontNames[t], config, engine, hair.frontTextures[t], "Hair", role + "front" + pair, why) ||
          !Loaded(hair.backNames[t], config, engine, hair.backTextures[t], "Hair", role + "back" + pair, why))
        return false;
    }
  }
  for (size_t i = 0; i < config.faces.size(); ++i)
    if (!Loaded(config.faces[i].name, config, engine, config.faces[i].texture, "Face",
                "face " + std::to_string(i + 1) + ", texture", why))
      return false;
  for (size_t i = 0; i < config.tops.size(); ++i) {
    const std::string role = "shirt " + std::to_string(i + 1) + ", ";
    FootballerTop& top = config.tops[i];
    if (!Loaded(top.frontName, config, engine, top.frontTexture, "Top", role + "front texture", why) ||
        !Loaded(top.backName, config, engine, top.backTexture, "Top", role + "back texture", why))
      return false;
  }
  return true;
}

bool FindNamedMesh(const char* name, const rm::FramePtr& root, rm::FramePtr* frame, rm::MeshPtr* mesh) {
  if (!root || !name) return false;
  if (root->GetAppData()) {
    for (const rm::VisualPtr& visual : root->GetVisuals()) {
      if (!visual || strcasecmp(visual->GetName().c_str(), name) != 0) continue;
      if (rm::MeshPtr found = std::dynamic_pointer_cast<rm::Mesh>(visual)) {
        if (frame) *frame = root;
        if (mesh) *mesh = found;
        return true;
      }
    }
  }
  for (const rm::FramePtr& child : root->GetChildren())
    if (FindNamedMesh(name, child, frame, mesh)) return true;
  return false;
}

// ---------------------------------------------------------------------------
// Entries added in the editor

bool AddCustomTop(FootballerConfig& config, const rm::TexturePtr& front, const char* frontName,
                  const rm::TexturePtr& back, const char* backName, const FootballerColour& colour) {
  FootballerTop top;
  top.frontTexture = front;
  top.backTexture = back;
  top.colour = colour;
  if ((frontName && !top.frontName.Set(frontName)) || (backName && !top.backName.Set(backName))) return false;
  if (!config.tops.Append(std::move(top))) return false;
  config.topCount = static_cast<int32_t>(config.tops.size());
  config.currentTop = config.topCount - 1;
  return true;
}

bool AddCustomFace(FootballerConfig& config, const rm::TexturePtr& texture, const char* name) {
  FootballerFace face;
  face.texture = texture;
  if (name && !face.name.Set(name)) return false;
  if (!config.faces.Append(std::move(face))) return false;
  config.faceCount = static_cast<int32_t>(config.faces.size());
  config.currentFace = config.faceCount - 1;
  return true;
}

bool AddShortsColour(FootballerConfig& config, const FootballerColour& colour) {
  if (!config.shorts.Append(FootballerShorts{colour})) return false;
  config.shortsCount = static_cast<int32_t>(config.shorts.size());
  config.currentShorts = config.shortsCount - 1;
  return true;
}

bool AddCustomHair(FootballerConfig&) { return false; }

std::vector<FootballerFile> FootballerFiles(const FootballerConfig& config) {
  std::vector<FootballerFile> files;
  auto add = [&](std::string role, std::string path) {
    const bool exists = IsFile(path);
    files.push_back({std::move(role), std::move(path), exists});
  };
  auto addTexture = [&](std::string role, const TrackedText& name) {
    std::string path = TexturePath(name, config);
    if (path.empty()) path = FootballerPath(name.view(), config.footballDirectory);
    add(std::move(role), std::move(path));
  };
  add("preview scene", FootballerPath(config.previewSceneName.view(), config.baseDirectory));
  add("animation scene", FootballerPath(config.animationSceneName.view(), config.baseDirectory));
  for (const auto* animation : {config.previewAnimation.get(), config.animation.get()}) {
    if (!animation) continue;
    const char* scene = animation == config.previewAnimation.get() ? "preview" : "animation";
    for (const SceneObject& object : animation->objects) {
      if (!object.name || object.name->empty()) continue;
      std::string path = ObjectPath(object.name->c_str(), config.footballDirectory.c_str());
      if (!IsFile(path) && IsFile(path + ".lwo")) path += ".lwo";
      add(std::string(scene) + " scene object " + *object.name, std::move(path));
    }
  }
  for (size_t i = 0; i < config.tops.size(); ++i) {
    addTexture("top " + std::to_string(i + 1) + " front texture", config.tops[i].frontName);
    addTexture("top " + std::to_string(i + 1) + " back texture", config.tops[i].backName);
  }
  for (size_t i = 0; i < config.hairs.size(); ++i) {
    const FootballerHair& hair = config.hairs[i];
    const std::string role = "hair " + std::to_string(i + 1);
    add(role + " object", FootballerPath(hair.objectName.view(), config.baseDirectory));
    for (size_t t = 0; t < hair.frontNames.size(); ++t) {
      addTexture(role + " front texture " + std::to_string(t + 1), hair.frontNames[t]);
      addTexture(role + " back texture " + std::to_string(t + 1), hair.backNames[t]);
    }
  }
  for (size_t i = 0; i < config.faces.size(); ++i)
    addTexture("face " + std::to_string(i + 1) + " texture", config.faces[i].name);
  return files;
}
