// Mesh builders: the engine's way to read and write DirectX .X files.
#pragma once

#include <cstddef>
#include <string>

#include "diag/Failure.h"
#include "rm/Mesh.h"

namespace rm {

class MeshBuilder : public Visual {
 public:
  // `engine` (may be null) finds the textures a loaded file names.
  explicit MeshBuilder(EnginePtr engine = nullptr);
  const char* GetClassName() const override { return "MeshBuilder"; }
  ObjectPtr Clone() const override;

  // Appends copies of every group of `mesh` (materials and textures shared).
  bool AddMesh(const Mesh& mesh);
  // A new mesh holding copies of the builder's groups.
  MeshPtr CreateMesh() const;
  const Mesh& GetMesh() const { return mesh_; }
  Mesh& GetMesh() { return mesh_; }
  void Empty() { mesh_.DeleteGroups(); }

  // Writes the builder's groups as one Mesh of a DirectX file in the text
  // encoding ("xof 0302txt 0032"). Groups are merged into one vertex list;
  // `flags` chooses the normals, texture coordinates, materials (one per
  // group, with its colour, power, specular and emissive colours) and the
  // texture file names inside them. Only XOF_TEXT is written; anything else,
  // or a file that cannot be written, fails with a report.
  bool Save(const std::string& path, XofFormat format, XofSaveFlags flags) const;

  // Replaces the builder's contents with every mesh of a .X file (text,
  // binary or compressed), each placed by the transforms of the frames above
  // it, with one group per material. Fails with a report (contents then
  // empty) when the file cannot be read or holds no mesh.
  // why, when given, says why the file did not load (the reader's own words)
  // and names it.
  bool Load(const std::string& path, Failure* why = nullptr);
  // The same from the bytes of a .X file; `name` only labels reports. Texture
  // names go to the engine's search path, there being no folder to look in.
  bool Load(const void* data, size_t size, const std::string& name, Failure* why = nullptr);

 private:
  bool LoadFrom(const std::string& name, const void* data, size_t size, Failure* why);

  // The image `name` beside the loaded file, else through the engine's search
  // path; a texture with the name and no image when neither has it.
  TexturePtr FindTexture(const std::string& name, const std::string& directory) const;

  EnginePtr engine_;
  Mesh mesh_;
};

}  // namespace rm
