// lwconv bsp: builds the BSP tree of an object as the viewer's "Generate BSP
// Tree" does (default build, no texture loader) and prints its statistics.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/MeshInput.h"
#include "lwlib/model/Bsp.h"
#include "lwlib/model/Mesh.h"

namespace cli {
namespace {

// Gives the model back however the command ends.
struct ModelRelease {
  MeshModel& model;
  ~ModelRelease() { FreeMeshModel(&model); }
};

int RunBsp(const std::vector<std::string>& args) {
  MeshInputOptions options;
  options.noTextureLoader = true;
  std::string file;
  for (const std::string& a : args) {
    if (a == "--json") {
      options.json = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return UsageError("bsp", "unknown option " + a);
    } else if (file.empty()) {
      file = a;
    } else {
      return UsageError("bsp", "takes one FILE");
    }
  }
  if (file.empty()) return UsageError("bsp", "takes one FILE");

  LoadedMesh loaded;
  const ModelRelease release{loaded.model};
  std::string error;
  if (!LoadMeshInput(file, options, loaded, error)) return Fail(error);
  // A .msh file is read straight into the model; the others are captured.
  if (!loaded.fromMsh && !CaptureMeshModel(&loaded.model, loaded.mesh))
    return Fail(file + ": could not take the mesh model");
  BspTree tree;
  Failure why;
  if (!BuildBspTree(tree, loaded.model, BSP_TREE_SPLIT, &why))
    return Fail(file + ": could not build the BSP tree: " + why.Text());
  const BspCounters c = GetBspCounters();
  if (options.json) {
    std::printf("{\"polys\":%i,\"nodes\":%i,\"splits\":%i,\"depth\":%i}\n", c.trianglesIn, c.nodes, c.splits,
                tree.depth);
  } else {
    std::printf("Model with %i polys generated %i nodes with %i splits in BSP tree\n", c.trianglesIn, c.nodes,
                c.splits);
  }
  return std::fflush(stdout) == 0 ? kSuccess : Fail("could not write the statistics");
}

const CommandRegistration registration(
    {"bsp", "bsp [--json] FILE",
     "  Builds the BSP tree of FILE (.lwo, .msh or .x) from the first three corners\n"
     "  of every face and prints how many triangles went in and how many nodes and\n"
     "  splits the tree took; --json also gives the tree's depth.\n",
     RunBsp});

}  // namespace
}  // namespace cli
