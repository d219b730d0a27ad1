// Builds LightWave 6+ object files (IFF form LWO2) chunk by chunk, for tests
// and fuzz seeds: layers, points, polygons with variable-length indices,
// tags, vertex maps, clips and surfaces with image-map blocks.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace writers {

// A polygon of the POLS chunk it is written in; its surface is a tag number.
struct Lwo2Polygon {
  std::vector<uint32_t> points;
  uint16_t tag = 0;
};

struct Lwo2UvEntry {
  uint32_t point;
  uint32_t polygon;  // VMAD only
  float u, v;
};

struct Lwo2ColourEntry {
  uint32_t point;
  uint32_t polygon;  // VMAD only
  std::array<float, 4> rgba;  // alpha written for RGBA maps only
};

// An image map: projection 0 planar, 1 cylindrical, 2 spherical, 3 cubic,
// 5 UV (with its VMAP name); axis 0 X, 1 Y, 2 Z.
struct Lwo2ImageMap {
  uint16_t projection = 0;
  uint16_t axis = 2;
  uint32_t clip = 1;
  std::string uvMap;
  std::array<float, 3> centre{0, 0, 0}, size{1, 1, 1}, rotation{0, 0, 0};
};

struct Lwo2Surface {
  explicit Lwo2Surface(std::string title = "") : name(std::move(title)) {}
  std::string name;
  std::array<float, 3> colour{1, 1, 1};
  float diffuse = 1, luminosity = 0, specular = 0, glossiness = 0.4f, transparency = 0;
  float smoothingAngle = -1;  // not written when negative
  std::string colourMap;       // VCOL names this RGB map when not empty
  float colourIntensity = 1;
  std::vector<Lwo2ImageMap> maps;
};

class Lwo2Writer {
 public:
  Lwo2Writer& Layer(uint16_t number, std::array<float, 3> pivot = {0, 0, 0}, const std::string& name = "");
  Lwo2Writer& Points(const std::vector<std::array<float, 3>>& points);
  Lwo2Writer& BoundingBox(std::array<float, 3> low, std::array<float, 3> high);
  Lwo2Writer& Tags(const std::vector<std::string>& tags);
  // POLS of the given type (FACE, PTCH, CURV...) and, for FACE and PTCH, the
  // PTAG SURF of its polygons.
  Lwo2Writer& Polygons(const std::vector<Lwo2Polygon>& polygons, const std::string& type = "FACE");
  Lwo2Writer& UvMap(const std::string& name, const std::vector<Lwo2UvEntry>& entries, bool perPolygon);
  // An RGB (or RGBA) vertex colour map, VMAP or VMAD.
  Lwo2Writer& ColourMap(const std::string& name, const std::vector<Lwo2ColourEntry>& entries, bool perPolygon,
                        bool alpha = false);
  Lwo2Writer& Clip(uint32_t index, const std::string& file);
  Lwo2Writer& Surface(const Lwo2Surface& surface);
  // Any chunk as given; an odd-sized one gets its pad byte.
  Lwo2Writer& Chunk(const std::string& id, const std::vector<uint8_t>& body);

  std::vector<uint8_t> Bytes() const;
  bool Save(const std::string& path) const;

 private:
  std::vector<uint8_t> chunks_;
};

// A variable-length index: two bytes below 0xFF00, else four.
void Lwo2Index(std::vector<uint8_t>& out, uint32_t index);

}  // namespace writers
