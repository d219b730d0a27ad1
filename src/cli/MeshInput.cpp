#include "cli/MeshInput.h"

#include <algorithm>
#include <filesystem>

#include "cli/Command.h"
#include "lwlib/model/Mesh.h"
#include "lwlib/object/ObjectMesh.h"
#include "lwlib/object/TextureSearch.h"
#include "platform/File.h"
#include "platform/Path.h"
#include "rm/Rm.h"

namespace cli {

bool ParseMeshInputOptions(std::vector<std::string>& args, MeshInputOptions& options, bool allowJson,
                           std::string& error) {
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--flat") {
      options.buildFlags |= LWO_BUILD_FLAT;
    } else if (a == "--no-surfaces") {
      options.buildFlags |= LWO_BUILD_NO_SURFACES;
    } else if (a == "--texture-dir") {
      if (i + 1 >= args.size()) {
        error = "--texture-dir needs a directory";
        return false;
      }
      options.textureDirs.push_back(args[++i]);
    } else if (a == "--json" && allowJson) {
      options.json = true;
    } else if (a.size() > 1 && a[0] == '-') {
      error = "unknown option " + a;
      return false;
    } else {
      positional.push_back(a);
    }
  }
  args = positional;
  return true;
}

bool LoadMeshInput(const std::string& path, const MeshInputOptions& options, LoadedMesh& loaded,
                   std::string& error) {
  const std::string extension = PathExtensionLower(path);
  if (extension != ".lwo" && extension != ".msh" && extension != ".x") {
    error = path + ": not a .lwo, .msh or .x file";
    return false;
  }
  // An object name loads the file the object loader makes of it (cube.LWO
  // reads cube.lwo), so that is the file that must exist.
  const std::string file =
      FindFileAnyCase(extension == ".lwo" ? LightWaveFileNames(path.c_str()).objectFile : path);
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) {
    error = file + ": no such file";
    return false;
  }
  if (!std::filesystem::is_regular_file(file, ec)) {
    error = file + ": not a file";
    return false;
  }
  loaded.engine = rm::Engine::Create();
  TextureSearch& search = GetTextureSearch();
  // Directories named first are searched first, ahead of any remembered ones.
  std::vector<std::string> dirs;
  for (const std::string& dir : options.textureDirs) {
    std::string d = dir;
    if (!d.empty() && d.back() != '/' && d.back() != '\\') d += '/';
    dirs.push_back(d);
    loaded.engine->AddSearchPath(dir);
  }
  search.searchDirs.insert(search.searchDirs.begin(), dirs.begin(), dirs.end());

  Failure why;
  if (extension == ".lwo") {
    // The viewer's start-up options: manual texture search, nothing forced.
    search.forceSearch = 0;
    loaded.mesh = options.noTextureLoader
                      ? LoadLightWaveObject(path.c_str(), loaded.engine, nullptr, nullptr, options.buildFlags, &why)
                      : LoadLightWaveObject(path.c_str(), loaded.engine, TextureLoadCallback, &search,
                                            options.buildFlags, &why);
    if (!loaded.mesh) error = FailureText(path, why, "could not load the LightWave object");
  } else if (extension == ".msh") {
    loaded.fromMsh = true;
    if (LoadMeshModel(&loaded.model, path.c_str(), loaded.engine, TextureLoadCallback, &search, &why))
      loaded.mesh = BuildRMMesh(&loaded.model, loaded.engine);
    if (!loaded.mesh) error = FailureText(path, why, "not a readable .msh mesh file");
  } else {
    rm::MeshBuilderPtr builder = loaded.engine->CreateMeshBuilder();
    if (builder && builder->Load(path, &why)) loaded.mesh = builder->CreateMesh();
    if (!loaded.mesh) error = FailureText(path, why, "could not load the .x file");
  }
  return loaded.mesh != nullptr;
}

}  // namespace cli
