#include "cli/Command.h"
#include "cli/MeshInput.h"
#include "lwlib/model/Mesh.h"

namespace cli {
namespace {

int RunToMsh(const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  MeshInputOptions options;
  std::string error;
  if (!ParseMeshInputOptions(args, options, false, error)) return UsageError("to-msh", error);
  if (args.size() != 2) return UsageError("to-msh", "takes FILE and OUT.msh");
  LoadedMesh loaded;
  if (!LoadMeshInput(args[0], options, loaded, error)) return Fail(error);
  // A .msh input is written from the model it was read into, so the colours
  // and powers it stores survive; other inputs go through a snapshot.
  MeshModel captured;
  const MeshModel* model = &loaded.model;
  if (!loaded.fromMsh) {
    if (!CaptureMeshModel(&captured, loaded.mesh)) return Fail(args[0] + ": the mesh has no groups to write");
    model = &captured;
  }
  if (!SaveMeshModel(model, args[1].c_str())) return Fail(args[1] + ": could not write the .msh file");
  return kSuccess;
}

const CommandRegistration registration(
    {"to-msh", "to-msh [--flat] [--no-surfaces] [--texture-dir DIR]... FILE OUT.msh",
     "  Writes the mesh of FILE (.lwo, .msh or .x) as a binary .msh mesh file.\n", RunToMsh});

}  // namespace
}  // namespace cli
