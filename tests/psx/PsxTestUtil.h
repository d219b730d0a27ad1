// Mesh snapshots, stand-in textures and LAB reading for the PlayStation tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "lwlib/model/MeshModel.h"

namespace psxtest {

struct V {
  float x, y, z;
  float nx = 0, ny = 0, nz = 1;
  float tu = 0, tv = 0;
};

// Adds a group of count-prefixed faces, with an engine texture named `texture`
// (none when empty).
void AddGroup(MeshModel& model, const std::vector<V>& vertices, const std::vector<std::vector<uint32_t>>& faces,
              const std::string& texture = {}, float red = 1, float green = 0.5f, float blue = 0);

// A unit cube of six quads: 24 vertices (one normal per side), 8 distinct corners.
MeshModel Cube(float half = 0.5f, const std::string& texture = {});

struct Conversion {
  bool ok = false;
  std::vector<std::string> lines;  // of the LAB file
  std::vector<std::string> boxes;  // texts shown in the HMD Error box
};
// Converts `model` to dir/m.lab through a scripted Ui.
Conversion Convert(MeshModel& model, const testsupport::TempDir& dir, uint32_t options = 0, float scale = 1.0f);

std::vector<std::string> ReadLines(const std::string& path);
// Lines from the one equal to `from` (inclusive) up to the next blank line.
std::vector<std::string> Block(const std::vector<std::string>& lines, const std::string& from);
size_t Count(const std::vector<std::string>& lines, const std::string& line);
bool Has(const std::vector<std::string>& lines, const std::string& line);

}  // namespace psxtest
