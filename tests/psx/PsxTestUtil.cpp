#include "PsxTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "platform/Ui.h"
#include "psx/Hmd.h"
#include "MeshModelMaker.h"
#include "rm/Texture.h"

namespace psxtest {

void AddGroup(MeshModel& model, const std::vector<V>& vertices, const std::vector<std::vector<uint32_t>>& faces,
              const std::string& texture, float red, float green, float blue) {
  std::vector<uint32_t> data;
  for (const auto& f : faces) {
    data.push_back(static_cast<uint32_t>(f.size()));
    data.insert(data.end(), f.begin(), f.end());
  }
  std::vector<rm::Vertex> corners;
  for (const V& v : vertices) corners.push_back(rm::Vertex{{v.x, v.y, v.z}, {v.nx, v.ny, v.nz}, v.tu, v.tv, 0});
  testsupport::AddMeshGroup(model, corners, data, 0, static_cast<uint32_t>(faces.size()));
  GroupMaterial& m = model.groupMaterials.back();
  m.red = red, m.green = green, m.blue = blue;
  if (!texture.empty()) {
    m.texture = std::make_shared<rm::Texture>();
    m.texture->SetName(texture);
  }
}

MeshModel Cube(float h, const std::string& texture) {
  // Each side: normal and four corners, counter-clockwise seen from outside.
  const float sides[6][5][3] = {
      {{0, 0, 1}, {-h, -h, h}, {h, -h, h}, {h, h, h}, {-h, h, h}},
      {{0, 0, -1}, {h, -h, -h}, {-h, -h, -h}, {-h, h, -h}, {h, h, -h}},
      {{1, 0, 0}, {h, -h, h}, {h, -h, -h}, {h, h, -h}, {h, h, h}},
      {{-1, 0, 0}, {-h, -h, -h}, {-h, -h, h}, {-h, h, h}, {-h, h, -h}},
      {{0, 1, 0}, {-h, h, h}, {h, h, h}, {h, h, -h}, {-h, h, -h}},
      {{0, -1, 0}, {-h, -h, -h}, {h, -h, -h}, {h, -h, h}, {-h, -h, h}},
  };
  const float uv[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
  std::vector<V> vertices;
  std::vector<std::vector<uint32_t>> faces;
  for (const auto& s : sides) {
    const uint32_t first = static_cast<uint32_t>(vertices.size());
    for (int k = 0; k < 4; ++k)
      vertices.push_back({s[k + 1][0], s[k + 1][1], s[k + 1][2], s[0][0], s[0][1], s[0][2], uv[k][0], uv[k][1]});
    faces.push_back({first, first + 1, first + 2, first + 3});
  }
  MeshModel model;
  AddGroup(model, vertices, faces, texture);
  return model;
}

Conversion Convert(MeshModel& model, const testsupport::TempDir& dir, uint32_t options, float scale) {
  ScriptedUi ui;
  SetUi(&ui);
  Conversion run;
  run.ok = ConvertToHmd(dir.File("m"), model, scale, scale, scale, options);
  SetUi(nullptr);
  for (const auto& a : ui.asked()) {
    EXPECT_EQ(a.caption, "HMD Error");
    run.boxes.push_back(a.text);
  }
  run.lines = ReadLines(dir.File("m.lab"));
  return run;
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
