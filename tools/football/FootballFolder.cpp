#include "FootballFolder.h"

#include <cmath>
#include <filesystem>
#include <functional>
#include <numbers>
#include <system_error>

#include "Figure.h"
#include "Pictures.h"
#include "Sounds.h"
#include "writers/ByteWriter.h"
#include "writers/LwsWriter.h"

namespace football {

namespace {

struct Shirt {
  const char* name;
  ShirtDesign design;
};
const std::vector<Shirt>& Shirts() {
  static const std::vector<Shirt> shirts = {
      {"red", {{220, 20, 30}, {255, 255, 255}, {255, 255, 255}, 7, false}},
      {"blue", {{25, 60, 190}, {250, 210, 30}, {255, 255, 255}, 9, false}},
      {"white", {{240, 240, 240}, {20, 30, 80}, {20, 30, 80}, 10, false}},
      {"green", {{20, 140, 60}, {250, 220, 40}, {250, 220, 40}, 11, false}},
      {"stripes", {{250, 250, 250}, {20, 20, 20}, {200, 20, 20}, 4, true}},
  };
  return shirts;
}

const std::vector<Rgb>& ShortsColours() {
  static const std::vector<Rgb> shorts = {{255, 255, 255}, {20, 20, 20}, {25, 40, 150}};
  return shorts;
}

struct Face {
  const char* name;
  FaceDesign design;
};
const std::vector<Face>& Faces() {
  static const std::vector<Face> faces = {
      {"smile", {{255, 204, 0}, {60, 110, 200}, {120, 70, 20}, 0, false}},
      {"grin", {{240, 180, 40}, {90, 60, 30}, {40, 30, 20}, 2, false}},
      {"beard", {{205, 140, 45}, {50, 35, 20}, {45, 30, 20}, 1, true}},
  };
  return faces;
}

struct HairColour {
  const char* name;
  Rgb colour;
};
const std::vector<HairColour>& HairColours() {
  static const std::vector<HairColour> colours = {
      {"brown", {115, 70, 35}}, {"black", {40, 34, 30}}, {"blond", {235, 200, 110}}, {"ginger", {200, 95, 35}}};
  return colours;
}

const Rgb kHeadSkin{255, 204, 0};

std::string Texture(const char* kind, const char* name, const char* side) {
  return std::string(kind) + "_" + name + side + ".bmp";
}

std::string ColourLine(Rgb c) {
  return std::to_string(c.r) + " " + std::to_string(c.g) + " " + std::to_string(c.b) + "\n";
}

FigureLook DefaultLook() {
  FigureLook look;
  const ShirtDesign& shirt = Shirts().front().design;
  look.shirt = {shirt.colour.r, shirt.colour.g, shirt.colour.b};
  look.shirtFront = Texture("shirt", Shirts().front().name, "_f");
  look.shirtBack = Texture("shirt", Shirts().front().name, "_b");
  look.face = Texture("face", Faces().front().name, "");
  look.hairFront = Texture("hair", HairColours().front().name, "_f");
  look.hairBack = Texture("hair", HairColours().front().name, "_b");
  return look;
}

// A pose: per body part, its rotation (heading, pitch, bank in degrees) and
// how far (metres) it is moved from its joint.
struct PartPose {
  float h = 0, p = 0, b = 0;
  Vec3 shift;
};
using Pose = std::array<PartPose, PART_COUNT>;

writers::LwsKey KeyOf(PartId part, const PartPose& pose, int frame) {
  const Vec3 at = Place(Parts()[part].joint + pose.shift);
  writers::LwsKey key;
  key.x = at.x;
  key.y = at.y;
  key.z = at.z;
  key.h = pose.h;
  key.p = pose.p;
  key.b = pose.b;
  key.frame = frame;
  return key;
}

// Arms hang a little away from the body; elbows are slightly bent.
Pose StandingPose() {
  Pose pose{};
  pose[LEFT_UPPER_ARM].b = 5;
  pose[RIGHT_UPPER_ARM].b = -5;
  pose[LEFT_LOWER_ARM].p = 10;
  pose[RIGHT_LOWER_ARM].p = 10;
  return pose;
}

// The running stride at phase a (radians; one stride of both legs per turn).
// A positive pitch swings a hanging limb forwards (to -z) and tips what
// stands above its joint backwards.
Pose RunningPose(float a) {
  const float s = std::sin(a), pi = std::numbers::pi_v<float>;
  Pose pose{};
  pose[BODY] = {6 * s, -10, 0, {0, -0.03f + 0.025f * std::cos(2 * a), 0}};
  pose[HEAD].p = 8;
  pose[LEFT_THIGH].p = 15 + 35 * s;
  pose[RIGHT_THIGH].p = 15 - 35 * s;
  pose[LEFT_FOOT].p = -60 - 45 * std::cos(a + 0.6f);
  pose[RIGHT_FOOT].p = -60 - 45 * std::cos(a + pi + 0.6f);
  pose[LEFT_UPPER_ARM] = {0, 5 - 35 * s, 8, {}};
  pose[RIGHT_UPPER_ARM] = {0, 5 + 35 * s, -8, {}};
  pose[LEFT_LOWER_ARM].p = 80 + 10 * s;
  pose[RIGHT_LOWER_ARM].p = 80 - 10 * s;
  return pose;
}

void AddLightAndCamera(writers::LwsWriter& w, Vec3 camera, float heading, float pitch) {
  w.Line("AmbientColor 255 255 255").Line("AmbIntensity 0.35");
  w.Line("AddLight").Line("LightName Sun").Line("ShowLight 0 7");
  writers::LwsKey sun;
  sun.x = -10;
  sun.y = 15;
  sun.z = -20;
  sun.h = 30;
  sun.p = 35;
  w.Motion("LightMotion", {sun});
  w.Line("LightColor 255 250 240").Line("LgtIntensity 1").Line("LightType 0").Line("");
  w.Line("ShowCamera 1 2");
  const Vec3 at = Place(camera);
  writers::LwsKey key;
  key.x = at.x;
  key.y = at.y;
  key.z = at.z;
  key.h = heading;
  key.p = pitch;
  w.Motion("CameraMotion", {key});
  w.Line("ZoomFactor 3.2").Line("Resolution 1").Line("");
}

// The thirteen parts in the configuration's order, each parented to the part
// it hangs from and turning about its joint, posed by `poseAt` at each key.
std::string SceneText(int lastFrame, int keyStep, const std::function<Pose(int)>& poseAt, Vec3 camera,
                      float heading, float pitch) {
  writers::LwsWriter w;
  w.Header(0, lastFrame, 1, std::to_string(kFramesPerSecond));
  std::array<std::vector<writers::LwsKey>, PART_COUNT> keys;
  for (int frame = 0; frame <= lastFrame; frame += keyStep) {
    const Pose pose = poseAt(frame);
    for (int part = 0; part < PART_COUNT; ++part)
      keys[part].push_back(KeyOf(static_cast<PartId>(part), pose[part], frame));
  }
  for (int part = 0; part < PART_COUNT; ++part) {
    const PartInfo& info = Parts()[part];
    // Parts that keep one pose throughout need a single key.
    bool still = true;
    for (const writers::LwsKey& k : keys[part])
      still = still && k.x == keys[part][0].x && k.y == keys[part][0].y && k.z == keys[part][0].z &&
              k.h == keys[part][0].h && k.p == keys[part][0].p && k.b == keys[part][0].b;
    if (still) keys[part].resize(1);
    w.Line(std::string("LoadObject ") + info.object + ".lwo").Line("ShowObject 6 7");
    w.Motion("ObjectMotion", keys[part], 9, 2);
    if (info.parent >= 0) w.Line("ParentObject " + std::to_string(info.parent + 1));
    const Vec3 pivot = Place(info.joint);
    w.Line("PivotPoint " + writers::LwsNumber(pivot.x) + " " + writers::LwsNumber(pivot.y) + " " +
           writers::LwsNumber(pivot.z))
        .Line("");
  }
  AddLightAndCamera(w, camera, heading, pitch);
  return w.text();
}

}  // namespace

std::string PreviewSceneText() {
  // The figure stands and turns once, slowly; two keys, linear in between,
  // and the last key's heading (360) is the first's, so the turn repeats smoothly.
  return SceneText(kTurnFrames, kTurnFrames,
                   [](int frame) {
                     Pose pose = StandingPose();
                     pose[BODY].h = 360.0f * static_cast<float>(frame) / kTurnFrames;
                     return pose;
                   },
                   {0, 0.95f, -2.5f}, 0, 2);
}

std::string AnimationSceneText() {
  // Three strides in the loop; every value is periodic in the loop's length,
  // so the last key equals the first.
  constexpr int kStride = kRunFrames / 3;
  return SceneText(kRunFrames, 2,
                   [](int frame) {
                     return RunningPose(2 * std::numbers::pi_v<float> * static_cast<float>(frame % kStride) / kStride);
                   },
                   {-1.6f, 1.0f, -1.9f}, 40, 2);
}

std::string ConfigText() {
  const std::string folder = std::string(kFolder) + "/";
  std::string t = "Mirl Football Config File:\n\nAnim:\n";
  t += "Preview Scene - " + folder + kPreviewScene + "\n";
  t += "Animation Scene - " + folder + kAnimationScene + "\n";
  t += "\nObjects:\n";
  for (const PartInfo& part : Parts()) t += std::string(part.keyword) + " " + part.object + "\n\n";
  t += "\nTop:\nNumTops - " + std::to_string(Shirts().size()) + "\nFront -\n";
  for (const Shirt& s : Shirts()) t += Texture("shirt", s.name, "_f") + " " + ColourLine(s.design.colour);
  t += "Back -\n";
  for (const Shirt& s : Shirts()) t += Texture("shirt", s.name, "_b") + "\n";
  t += "\nShorts:\nNumShorts - " + std::to_string(ShortsColours().size()) + "\n";
  for (const Rgb& c : ShortsColours()) t += ColourLine(c);
  t += "\nHair:\nNumHairs - " + std::to_string(HairStyles().size()) + "\n";
  for (const HairStyle& style : HairStyles()) {
    t += "Object:\n" + folder + style.object + ".lwo " + ColourLine({255, 255, 255});
    t += "NumTextures - " + std::to_string(HairColours().size()) + "\nFront:\n";
    for (const HairColour& c : HairColours()) t += Texture("hair", c.name, "_f") + "\n";
    t += "Back:\n";
    for (const HairColour& c : HairColours()) t += Texture("hair", c.name, "_b") + "\n";
  }
  t += "\nFace:\nNumFaces - " + std::to_string(Faces().size()) + "\n";
  for (const Face& f : Faces()) t += Texture("face", f.name, "") + " " + ColourLine({255, 255, 255});
  return t;
}

std::vector<FolderFile> MakeFootballFolder() {
  std::vector<FolderFile> files;
  auto text = [&](std::string name, const std::string& t) {
    files.push_back({std::move(name), std::vector<uint8_t>(t.begin(), t.end())});
  };
  text(kConfigFile, ConfigText());
  text(kPreviewScene, PreviewSceneText());
  text(kAnimationScene, AnimationSceneText());
  const FigureLook look = DefaultLook();
  for (int part = 0; part < PART_COUNT; ++part)
    files.push_back({std::string(Parts()[part].object) + ".lwo", MakePart(static_cast<PartId>(part), look).Lwob()});
  for (const HairStyle& style : HairStyles()) files.push_back({style.object + ".lwo", MakeHair(style, look).Lwob()});
  for (const Shirt& s : Shirts()) {
    files.push_back({Texture("shirt", s.name, "_f"), ShirtFront(s.design).Bmp()});
    files.push_back({Texture("shirt", s.name, "_b"), ShirtBack(s.design).Bmp()});
  }
  for (const Face& f : Faces()) files.push_back({Texture("face", f.name, ""), FacePicture(f.design, kHeadSkin).Bmp()});
  for (const HairColour& c : HairColours()) {
    files.push_back({Texture("hair", c.name, "_f"), HairFront(c.colour).Bmp()});
    files.push_back({Texture("hair", c.name, "_b"), HairBack(c.colour).Bmp()});
  }
  files.push_back({"Button.wav", WaveFile(ClickSound())});
  files.push_back({"football.wav", WaveFile(CrowdLoop())});
  return files;
}

bool WriteFootballFolder(const std::string& directory, std::string* why) {
  std::error_code ec;
  std::filesystem::create_directories(directory, ec);
  if (ec) {
    if (why) *why = "cannot make the folder " + directory + ": " + ec.message();
    return false;
  }
  for (const FolderFile& file : MakeFootballFolder()) {
    const std::string path = (std::filesystem::path(directory) / file.name).string();
    if (!writers::SaveBytes(path, file.bytes)) {
      if (why) *why = "cannot write " + path;
      return false;
    }
  }
  return true;
}

}  // namespace football
