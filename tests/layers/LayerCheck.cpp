#include "LayerCheck.h"

#include <algorithm>
#include <fstream>
#include <regex>

namespace {

struct Layer {
  const char* name;                  // folder below src/ or tools/ (the longest match wins)
  std::vector<const char*> uses;     // layers it may include; a layer also covers its sub-folders
  bool mayUseQt = false;             // Qt and OpenGL headers
};

// The layering, top to bottom. Keep src/<layer>/CMakeLists.txt and the README's
// layout section in step with it.
const std::vector<Layer>& Layers() {
  static const std::vector<Layer> layers = {
      {"src/diag", {}},
      {"src/platform", {"diag"}},
      {"src/rm", {"diag", "platform"}},
      // The LightWave library: objects first; the mesh model and scenes build on them.
      {"src/lwlib/object", {"diag", "platform", "rm"}},
      {"src/lwlib/model", {"diag", "platform", "rm", "lwlib/object"}},
      {"src/lwlib/scene", {"diag", "platform", "rm", "lwlib/object"}},
      {"src/psx", {"diag", "platform", "rm", "lwlib"}},
      {"src/football", {"diag", "platform", "rm", "lwlib"}},
      {"src/immediate", {"diag", "platform", "rm", "lwlib"}},
      {"src/render", {"diag", "platform", "rm"}, true},
      {"src/app", {"diag", "platform", "rm", "lwlib", "psx", "football", "immediate", "render"}, true},
      {"src/cli", {"diag", "platform", "rm", "lwlib", "psx", "football", "immediate"}},
      {"tools/dbmon", {"diag", "platform"}},
      {"tools/labp", {}},
      {"tools/football", {"diag", "platform", "rm", "lwlib", "football"}},
      // File writers shared by the footballer generator and the tests: standard library only.
      {"tools/writers", {}},
  };
  return layers;
}

// "rm" for src/rm, "tools/labp" for a tool.
std::string ShortName(const Layer& layer) {
  std::string name = layer.name;
  return name.rfind("src/", 0) == 0 ? name.substr(4) : name;
}

bool Under(const std::string& path, const std::string& folder) {
  return path == folder || path.rfind(folder + "/", 0) == 0;
}

const Layer* LayerOf(const std::string& path) {
  const Layer* best = nullptr;
  for (const Layer& layer : Layers())
    if (Under(path, layer.name) && (!best || std::string(layer.name).size() > std::string(best->name).size()))
      best = &layer;
  return best;
}

// The layer an include names ("lwlib/object/Iff.h" -> "lwlib/object"), or
// empty for headers of the folder itself or of other projects.
std::string IncludedLayer(const std::string& header) {
  const Layer* layer = LayerOf("src/" + header);
  return layer ? ShortName(*layer) : std::string();
}

bool Allowed(const Layer& from, const std::string& target) {
  if (Under(target, ShortName(from))) return true;
  return std::any_of(from.uses.begin(), from.uses.end(),
                     [&](const char* use) { return Under(target, use); });
}

}  // namespace

std::vector<std::string> CheckLayers(const std::filesystem::path& root) {
  static const std::regex quoted(R"(^\s*#\s*include\s*"([^"]+)\")");
  static const std::regex qtOrGl(R"(^\s*#\s*include\s*<(Q[A-Za-z]*|Qt[A-Za-z]*/[^>]*|GL/[^>]*|EGL/[^>]*)>)");
  std::vector<std::string> problems;
  for (const char* top : {"src", "tools"}) {
    if (!std::filesystem::is_directory(root / top)) continue;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root / top)) {
      const std::string ext = entry.path().extension().string();
      if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
      const std::string rel = entry.path().lexically_relative(root).generic_string();
      const Layer* layer = LayerOf(rel);
      if (!layer) {
        problems.push_back(rel + ": in no layer of the table");
        continue;
      }
      std::ifstream in(entry.path());
      std::string line;
      for (int number = 1; std::getline(in, line); ++number) {
        std::smatch m;
        const std::string where = rel + ":" + std::to_string(number) + ": ";
        if (std::regex_search(line, m, quoted)) {
          const std::string target = IncludedLayer(m[1]);
          if (!target.empty() && !Allowed(*layer, target))
            problems.push_back(where + ShortName(*layer) + " may not include " + m[1].str());
        } else if (!layer->mayUseQt && std::regex_search(line, m, qtOrGl)) {
          problems.push_back(where + "no Qt or OpenGL below the renderer: " + m[1].str());
        }
      }
    }
  }
  std::sort(problems.begin(), problems.end());
  return problems;
}
