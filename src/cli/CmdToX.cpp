#include "cli/Command.h"
#include "cli/MeshInput.h"
#include "lwlib/model/Mesh.h"

namespace cli {
namespace {

int RunToX(const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  MeshInputOptions options;
  std::string error;
  if (!ParseMeshInputOptions(args, options, false, error)) return UsageError("to-x", error);
  if (args.size() != 2) return UsageError("to-x", "takes FILE and OUT.x");
  LoadedMesh loaded;
  if (!LoadMeshInput(args[0], options, loaded, error)) return Fail(error);
  if (!SaveMeshAsX(loaded.mesh, loaded.engine, args[1].c_str())) return Fail(args[1] + ": could not write the .x file");
  return kSuccess;
}

const CommandRegistration registration(
    {"to-x", "to-x [--flat] [--no-surfaces] [--texture-dir DIR]... FILE OUT.x",
     "  Writes the mesh of FILE (.lwo, .msh or .x) as a text DirectX file with normals,\n"
     "  texture coordinates, materials and texture names.\n",
     RunToX});

}  // namespace
}  // namespace cli
