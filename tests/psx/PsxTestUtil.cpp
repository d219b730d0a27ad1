#include "PsxTestUtil.h"

#include <algorithm>
#include <fstream>
#include <map>

#include "rm/Texture.h"

namespace psxtest {

rm::TexturePtr NamedTexture(const std::string& name) {
  auto texture = std::make_shared<rm::Texture>();
  texture->SetName(name);
  return texture;
}

void AddGroup(MeshModel& model, const std::vector<V>& vertices, const std::vector<std::vector<uint32_t>>& faces,
              const std::string& texture, float red, float green, float blue) {
  MeshGroup g;
  g.vertexCount = static_cast<uint32_t>(vertices.size());
  g.vertices.Allocate(vertices.size());
  for (size_t i = 0; i < vertices.size(); ++i) {
    const V& v = vertices[i];
    g.vertices[i] = rm::Vertex{{v.x, v.y, v.z}, {v.nx, v.ny, v.nz}, v.tu, v.tv, 0};
  }
  size_t size = 0;
  for (const auto& f : faces) size += 1 + f.size();
  g.faceData.Allocate(size);
  size_t at = 0;
  for (const auto& f : faces) {
    g.faceData[at++] = static_cast<uint32_t>(f.size());
    for (uint32_t i : f) g.faceData[at++] = i;
  }
  g.faceCount = static_cast<uint32_t>(faces.size());
  g.faceDataSize = static_cast<uint32_t>(size);
  model.groups.push_back(std::move(g));
  GroupMaterial m;
  m.red = red, m.green = green, m.blue = blue;
  if (!texture.empty()) m.texture = NamedTexture(texture);
  model.groupMaterials.push_back(std::move(m));
  model.groupCount = static_cast<int32_t>(model.groups.size());
}

MeshModel Cube(float h, const std::string& texture) {
  // Each side: normal and four corners, counter-clockwise seen from outside.
  struct Side {
    float n[3];
    float c[4][3];
  };
  const Side sides[6] = {
      {{0, 0, 1}, {{-h, -h, h}, {h, -h, h}, {h, h, h}, {-h, h, h}}},
      {{0, 0, -1}, {{h, -h, -h}, {-h, -h, -h}, {-h, h, -h}, {h, h, -h}}},
      {{1, 0, 0}, {{h, -h, h}, {h, -h, -h}, {h, h, -h}, {h, h, h}}},
      {{-1, 0, 0}, {{-h, -h, -h}, {-h, -h, h}, {-h, h, h}, {-h, h, -h}}},
      {{0, 1, 0}, {{-h, h, h}, {h, h, h}, {h, h, -h}, {-h, h, -h}}},
      {{0, -1, 0}, {{-h, -h, -h}, {h, -h, -h}, {h, -h, h}, {-h, -h, h}}},
  };
  std::vector<V> vertices;
  std::vector<std::vector<uint32_t>> faces;
  for (const Side& s : sides) {
    const uint32_t first = static_cast<uint32_t>(vertices.size());
    const float uv[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    for (int k = 0; k < 4; ++k)
      vertices.push_back({s.c[k][0], s.c[k][1], s.c[k][2], s.n[0], s.n[1], s.n[2], uv[k][0], uv[k][1]});
    faces.push_back({first, first + 1, first + 2, first + 3});
  }
  MeshModel model;
  AddGroup(model, vertices, faces, texture);
  return model;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> Block(const std::vector<std::string>& lines, const std::string& from) {
  auto it = std::find(lines.begin(), lines.end(), from);
  std::vector<std::string> out;
  for (; it != lines.end() && !it->empty(); ++it) out.push_back(*it);
  return out;
}

size_t Count(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}
bool Has(const std::vector<std::string>& lines, const std::string& line) { return Count(lines, line) > 0; }

}  // namespace psxtest
