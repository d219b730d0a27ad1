// Builds LightWave object files (IFF form LWOB) chunk by chunk, and the ".uv"
// text files that may sit beside them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace writers {

struct LwobPolygon {
  std::vector<uint16_t> points;
  int16_t surface = 1;
};

// A SURF chunk: its name, then sub-chunks in the order they are added.
class LwobSurface {
 public:
  explicit LwobSurface(std::string name) : name_(std::move(name)) {}
  LwobSurface& Sub(const std::string& id, const std::vector<uint8_t>& data);
  LwobSurface& Colour(uint8_t r, uint8_t g, uint8_t b) { return Sub("COLR", {r, g, b, 0}); }
  LwobSurface& U2(const std::string& id, uint16_t value);
  LwobSurface& F4(const std::string& id, float value);
  LwobSurface& Vec(const std::string& id, float x, float y, float z);
  // A zero-terminated name, padded to even length.
  LwobSurface& Name(const std::string& id, const std::string& text);
  std::vector<uint8_t> Body() const;

 private:
  std::string name_;
  std::vector<uint8_t> subs_;
};

class LwobWriter {
 public:
  LwobWriter& Points(const std::vector<std::array<float, 3>>& points);
  LwobWriter& SurfaceNames(const std::vector<std::string>& names);
  LwobWriter& Polygons(const std::vector<LwobPolygon>& polygons);
  LwobWriter& Curves(const std::vector<LwobPolygon>& curves);
  LwobWriter& Surface(const LwobSurface& surface);
  // UVIM: names each followed by a pad byte when name + terminator is even.
  LwobWriter& UvImages(const std::vector<std::string>& names);
  // UVCV: per polygon its index, corner count and (u, v, 4 unused bytes) pairs.
  LwobWriter& UvCoordinates(const std::vector<std::vector<std::array<float, 2>>>& polygons);
  LwobWriter& Chunk(const std::string& id, const std::vector<uint8_t>& body);

  std::vector<uint8_t> Bytes() const;
  bool Save(const std::string& path) const;

 private:
  std::vector<uint8_t> chunks_;
};

// Points and quadrilaterals of an axis-aligned cube of side 2 round the origin,
// all in surface 1.
std::vector<std::array<float, 3>> CubePoints();
std::vector<LwobPolygon> CubeFaces(int16_t surface = 1);

// A ".uv" file's text.
struct UvFilePolygon {
  int number;  // written as given, so tests can misnumber
  std::vector<std::array<float, 2>> pairs;
  int declaredCorners = -1;  // written instead of pairs.size() when not -1
};
std::string UvFileText(int kind, const std::vector<std::string>& surfaceNames,
                       const std::vector<std::string>& imageNames, const std::vector<UvFilePolygon>& polygons);

}  // namespace writers
