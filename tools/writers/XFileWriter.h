// DirectX .X text files for tests, written from the public description of the
// format. (The binary and compressed encodings are the reading library's.)
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace writers {

struct XMaterialDesc {
  std::array<float, 4> color{1, 1, 1, 1};
  float power = 0;
  std::array<float, 3> specular{0, 0, 0};
  std::array<float, 3> emissive{0, 0, 0};
  std::string texture;  // none when empty
};

struct XMeshDesc {
  std::string name;
  std::vector<std::array<float, 3>> positions;
  std::vector<std::vector<uint32_t>> faces;
  std::vector<std::array<float, 3>> normals;  // one per position, or none
  std::vector<std::array<float, 2>> uvs;      // one per position, or none
  std::vector<XMaterialDesc> materials;       // none: no material list
  std::vector<uint32_t> faceMaterials;        // one per face
  std::vector<std::array<float, 4>> colors;   // RGBA per position (MeshVertexColors), or none
};

struct XFrameDesc {
  std::string name;
  std::array<float, 16> matrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // rows, translation last
  std::vector<XMeshDesc> meshes;
  std::vector<XFrameDesc> children;
};

// Top-level frames (each with its meshes and children) and top-level meshes.
std::vector<uint8_t> MakeXFile(const std::vector<XFrameDesc>& frames, const std::vector<XMeshDesc>& meshes);

}  // namespace writers
