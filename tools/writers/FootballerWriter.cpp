#include "writers/FootballerWriter.h"

#include <filesystem>
#include <functional>

#include "writers/BmpWriter.h"
#include "writers/LwobWriter.h"
#include "writers/LwsWriter.h"
#include "writers/ByteWriter.h"

namespace writers {

const std::vector<std::string>& FootballerPartNames() {
  static const std::vector<std::string> names = {"body",  "lthigh", "rthigh", "lfoot", "rfoot", "luarm", "ruarm",
                                                 "llarm", "rlarm",  "head",   "hair",  "lhand", "rhand"};
  return names;
}

namespace {

const char* const kKeywords[] = {"Body",         "LeftThigh",     "RightThigh", "LeftFoot", "RightFoot",
                                 "LeftUpperArm", "RightUpperArm", "LeftLowerArm", "RightLowerArm",
                                 "Head",         "Hair",          "LeftHand",   "RightHand"};

std::string N(int i) { return std::to_string(i); }

// A cube whose faces are spread over `surfaces` surfaces.
bool WritePart(const std::string& path, int surfaces) {
  std::vector<std::string> names;
  for (int s = 0; s < surfaces; ++s) names.push_back(std::string("S").append(N(s)));
  std::vector<LwobPolygon> faces = CubeFaces();
  for (size_t f = 0; f < faces.size(); ++f) faces[f].surface = static_cast<int16_t>(f % surfaces + 1);
  LwobWriter w;
  w.Points(CubePoints()).SurfaceNames(names).Polygons(faces);
  for (const std::string& n : names) w.Surface(LwobSurface(n).Colour(128, 128, 128));
  return w.Save(path);
}

bool WriteTexture(const std::string& path) {
  const uint32_t c = FootballerTextureColour(std::filesystem::path(path).filename().string());
  BmpDesc desc;
  desc.width = desc.height = 2;
  desc.pixelData = PackBmpRows(2, 2, 24, {c, c, c, c});
  return SaveBytes(path, MakeBmp(desc));
}

std::string Scene(const FootballerDesc& desc, bool animation) {
  LwsWriter w;
  w.Header(0, 60, 1, LwsNumber(desc.framesPerSecond));
  for (const std::string& part : FootballerPartNames()) {
    bool skip = false;
    for (const std::string& m : desc.missingFromAnimation) skip |= animation && m == part;
    if (skip) continue;
    w.Line("LoadObject C:\\Football\\" + part + ".lwo");
    w.Motion("ObjectMotion", {{.frame = 0}, {.y = animation ? 1.0f : 0.0f, .frame = 30}});
  }
  w.Line("AddLight").Line("LightName Light").Line("LightColor 255 255 255").Line("LightType 0");
  w.Motion("LightMotion", {{.frame = 0}});
  w.Motion("CameraMotion", {{.z = -10, .frame = 0}});
  return w.text();
}

}  // namespace

uint32_t FootballerTextureColour(const std::string& fileName) {
  return static_cast<uint32_t>(std::hash<std::string>{}(fileName) & 0xFFFFFFu);
}

std::string FootballerConfigText(const FootballerDesc& desc) {
  std::string t = "Mirl Football Config File:\n\nAnim:\nPreview Scene - football\\preview.lws\n"
                  "Animation Scene - football\\anim.lws\n\nObjects:\n";
  for (size_t i = 0; i < 13; ++i) {
    const std::string name =
        i < desc.objectNames.size() && !desc.objectNames[i].empty() ? desc.objectNames[i] : FootballerPartNames()[i];
    t += std::string(kKeywords[i]) + " " + name + "\n\n";
  }
  t += "\nTop:\nNumTops - " + N(desc.tops) + "\nFront -\n";
  for (int i = 0; i < desc.tops; ++i) t += "football/top" + N(i) + "_f.bmp " + N(10 * i) + " 0 255\n";
  t += "Back -\n";
  for (int i = 0; i < desc.tops; ++i) t += "football/top" + N(i) + "_b.bmp\n";
  t += "\nShorts:\nNumShorts - " + N(desc.shorts) + "\n";
  for (int i = 0; i < desc.shorts; ++i) t += N(i) + " 255 0\n";
  t += "\nHair:\nNumHairs - " + N(desc.hairs) + "\n";
  for (int h = 0; h < desc.hairs; ++h) {
    t += "Object:\nfootball/hair" + N(h) + ".lwo 255 255 255\nNumTextures - " + N(desc.hairTextures) + "\nFront:\n";
    for (int x = 0; x < desc.hairTextures; ++x) t += "hair" + N(h) + "_" + N(x) + "_f.bmp\n";
    t += "Back:\n";
    for (int x = 0; x < desc.hairTextures; ++x) t += "hair" + N(h) + "_" + N(x) + "_b.bmp\n";
  }
  t += "\nFace:\nNumFaces - " + N(desc.faces) + "\n";
  for (int i = 0; i < desc.faces; ++i) t += "football/face" + N(i) + ".bmp 255 255 255\n";
  return t;
}

std::string WriteFootballer(const std::string& folder, const FootballerDesc& desc) {
  const std::filesystem::path dir = std::filesystem::path(folder) / "football";
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  bool ok = !error;
  auto file = [&](const std::string& name) { return (dir / name).string(); };
  auto text = [&](const std::string& name, const std::string& t) {
    ok &= SaveBytes(file(name), std::vector<uint8_t>(t.begin(), t.end()));
  };
  for (const std::string& part : FootballerPartNames())
    ok &= WritePart(file(part + ".lwo"), part == "body" ? 3 : part == "head" ? 2 : 1);
  text("preview.lws", Scene(desc, false));
  text("anim.lws", Scene(desc, true));
  for (int i = 0; i < desc.tops; ++i) {
    ok &= WriteTexture(file("top" + N(i) + "_f.bmp"));
    ok &= WriteTexture(file("top" + N(i) + "_b.bmp"));
  }
  for (int h = 0; h < desc.hairs; ++h) {
    ok &= WritePart(file("hair" + N(h) + ".lwo"), 3);
    for (int x = 0; x < desc.hairTextures; ++x) {
      ok &= WriteTexture(file("hair" + N(h) + "_" + N(x) + "_f.bmp"));
      ok &= WriteTexture(file("hair" + N(h) + "_" + N(x) + "_b.bmp"));
    }
  }
  for (int i = 0; i < desc.faces; ++i) ok &= WriteTexture(file("face" + N(i) + ".bmp"));
  text("Button.wav", "click");
  text("football.wav", "loop");
  text("mirl_football.ftb", FootballerConfigText(desc));
  return ok ? file("mirl_football.ftb") : std::string();
}

}  // namespace writers
