// The inputs lwconv's mesh commands read: LightWave objects, .msh and .x
// files, chosen by extension, loaded as the viewer's load commands do.
#pragma once

#include <string>
#include <vector>

#include "lwlib/model/MeshModel.h"
#include "rm/Types.h"

namespace cli {

struct MeshInputOptions {
  uint32_t buildFlags = 0;               // --flat 1, --no-surfaces 2
  std::vector<std::string> textureDirs;  // --texture-dir, searched in the order given
  bool json = false;                     // --json, where the command takes it
  bool noTextureLoader = false;          // objects take their textures straight from the engine
};

// Takes the options above out of args (json only when allowJson); what is
// left are the positional arguments. False with `error` set for an unknown
// option or a --texture-dir without its directory.
bool ParseMeshInputOptions(std::vector<std::string>& args, MeshInputOptions& options, bool allowJson,
                           std::string& error);

struct LoadedMesh {
  rm::EnginePtr engine;
  rm::MeshPtr mesh;
  MeshModel model;       // filled for a .msh input (as read)
  bool fromMsh = false;
};

// Loads path. False with a one-line reason naming the file.
bool LoadMeshInput(const std::string& path, const MeshInputOptions& options, LoadedMesh& loaded,
                   std::string& error);

}  // namespace cli
