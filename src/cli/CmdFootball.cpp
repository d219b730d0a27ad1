// lwconv football: loads a footballer configuration as the editor does and
// says what it found and which of the files it names are missing.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "football/Footballer.h"
#include "rm/Engine.h"

namespace cli {
namespace {

std::string JsonColour(const FootballerColour& c) {
  return JsonArray({JsonNumber(c.red), JsonNumber(c.green), JsonNumber(c.blue)});
}

// As the file writes it: 0 to 255 per component.
std::string TextColour(const FootballerColour& c) {
  auto byte = [](float v) { return std::to_string(static_cast<long>(std::lround(v * 255.0f))); };
  return byte(c.red) + " " + byte(c.green) + " " + byte(c.blue);
}

std::string SceneObjectCount(const AnimationPtr& animation) {
  return animation ? " (" + std::to_string(animation->objectCount) + " objects)" : "";
}

void PrintText(const FootballerConfig& c, const FootballerConfig& loaded, const std::vector<FootballerFile>& files) {
  std::printf("preview scene: %s%s\n", c.previewSceneName.c_str(), SceneObjectCount(loaded.previewAnimation).c_str());
  std::printf("animation scene: %s%s\n", c.animationSceneName.c_str(), SceneObjectCount(loaded.animation).c_str());
  std::vector<std::string> objects;
  for (const FootballerObjectKeyword& k : FootballerObjectKeywords())
    objects.push_back(std::string(k.keyword) + " " + c.objectNames[k.part].c_str());
  std::printf("objects: %s\n", Join(objects, ", ").c_str());
  std::printf("tops: %d\n", c.topCount);
  for (const FootballerTop& t : c.tops)
    std::printf("  %s / %s, colour %s\n", t.frontName.c_str(), t.backName.c_str(), TextColour(t.colour).c_str());
  std::printf("shorts: %d\n", c.shortsCount);
  for (const FootballerShorts& s : c.shorts) std::printf("  colour %s\n", TextColour(s.colour).c_str());
  std::printf("hairs: %d\n", c.hairCount);
  for (const FootballerHair& h : c.hairs) {
    std::printf("  %s, colour %s, %d textures\n", h.objectName.c_str(), TextColour(h.colour).c_str(), h.textureCount);
    for (size_t t = 0; t < h.frontNames.size(); ++t)
      std::printf("    %s / %s\n", h.frontNames[t].c_str(), h.backNames[t].c_str());
  }
  std::printf("faces: %d\n", c.faceCount);
  for (const FootballerFace& f : c.faces) std::printf("  %s\n", f.name.c_str());
  int missing = 0;
  for (const FootballerFile& f : files)
    if (!f.exists) std::printf("missing: %s %s\n", f.role.c_str(), f.path.c_str()), ++missing;
  if (missing == 0) std::printf("missing: none\n");
}

void PrintJson(const FootballerConfig& c, const FootballerConfig& loaded, const std::vector<FootballerFile>& files,
               const Failure& why) {
  auto scene = [](const TrackedText& name, const AnimationPtr& animation) {
    return "{\"file\":" + JsonString(name.c_str()) +
           ",\"objects\":" + (animation ? std::to_string(animation->objectCount) : "null") + "}";
  };
  std::string out = "{\"loaded\":" + std::string(loaded.loaded ? "true" : "false") +
                    ",\"reason\":" + (why.empty() ? "null" : JsonString(why.FileText())) +
                    ",\"scenes\":{\"preview\":" + scene(c.previewSceneName, loaded.previewAnimation) +
                    ",\"animation\":" + scene(c.animationSceneName, loaded.animation) + "}";
  std::vector<std::string> items;
  for (const FootballerObjectKeyword& k : FootballerObjectKeywords())
    items.push_back(JsonString(k.keyword) + ":" + JsonString(c.objectNames[k.part].c_str()));
  out += ",\"objects\":{" + Join(items) + "}";
  items.clear();
  for (const FootballerTop& t : c.tops)
    items.push_back("{\"front\":" + JsonString(t.frontName.c_str()) + ",\"back\":" + JsonString(t.backName.c_str()) +
                    ",\"colour\":" + JsonColour(t.colour) + "}");
  out += ",\"tops\":[" + Join(items) + "]";
  items.clear();
  for (const FootballerShorts& s : c.shorts) items.push_back(JsonColour(s.colour));
  out += ",\"shorts\":[" + Join(items) + "]";
  items.clear();
  for (const FootballerHair& h : c.hairs) {
    std::vector<std::string> pairs;
    for (size_t t = 0; t < h.frontNames.size(); ++t)
      pairs.push_back("{\"front\":" + JsonString(h.frontNames[t].c_str()) +
                      ",\"back\":" + JsonString(h.backNames[t].c_str()) + "}");
    items.push_back("{\"object\":" + JsonString(h.objectName.c_str()) + ",\"colour\":" + JsonColour(h.colour) +
                    ",\"textures\":[" + Join(pairs) + "]}");
  }
  out += ",\"hairs\":[" + Join(items) + "]";
  items.clear();
  for (const FootballerFace& f : c.faces)
    items.push_back("{\"texture\":" + JsonString(f.name.c_str()) + ",\"colour\":" + JsonColour(f.colour) + "}");
  out += ",\"faces\":[" + Join(items) + "]";
  items.clear();
  for (const FootballerFile& f : files)
    if (!f.exists) items.push_back("{\"role\":" + JsonString(f.role) + ",\"path\":" + JsonString(f.path) + "}");
  out += ",\"missing\":[" + Join(items) + "]}\n";
  std::fputs(out.c_str(), stdout);
}

int RunFootball(const std::vector<std::string>& args) {
  bool json = false;
  std::string file;
  for (const std::string& a : args) {
    if (a == "--json") json = true;
    else if (a.size() > 1 && a[0] == '-') return UsageError("football", "unknown option " + a);
    else if (file.empty()) file = a;
    else return UsageError("football", "takes one configuration file");
  }
  if (file.empty()) return UsageError("football", "needs a configuration file");

  // What the file says, then the load the editor makes, on a scene of its own.
  FootballerConfig parsed;
  Failure why;
  if (!ReadFootballerConfig(file.c_str(), parsed, &why)) return Fail(why.FileText());
  const rm::EnginePtr engine = rm::Engine::Create();
  const FootballerStage stage{engine, engine->CreateFrame(), engine->CreateFrame(), engine->CreateFrame()};
  FootballerConfig loaded;
  Failure loadWhy;
  LoadFootballerConfig(file.c_str(), loaded, stage, &loadWhy);
  // The loaded record also names the scenes' objects; a failed load keeps nothing.
  const std::vector<FootballerFile> files = FootballerFiles(loaded.loaded ? loaded : parsed);
  if (json)
    PrintJson(parsed, loaded, files, loadWhy);
  else
    PrintText(parsed, loaded, files);
  if (!loaded.loaded) return Fail(loadWhy.FileText());
  return kSuccess;
}

const CommandRegistration registration(
    {"football", "football [--json] FILE.ftb",
     "  Loads a footballer configuration (football/mirl_football.ftb) as the viewer's\n"
     "  footballer editor does and prints its scenes, body-part objects, shirts,\n"
     "  shorts colours, hair styles and faces, and which of the files it names are\n"
     "  missing. Names in the file are relative to the folder above the file's own.\n",
     RunFootball});

}  // namespace
}  // namespace cli
