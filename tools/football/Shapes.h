// Low-poly shapes for the default footballer: rings of points joined into
// quadrilaterals (lofts), each polygon given to one of the object's surfaces,
// written out as a LightWave object.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "writers/LwobWriter.h"

namespace football {

struct Vec3 {
  float x = 0, y = 0, z = 0;
};
Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator-(Vec3 a, Vec3 b);
Vec3 operator*(Vec3 a, float k);
Vec3 Cross(Vec3 a, Vec3 b);
float Dot(Vec3 a, Vec3 b);
Vec3 Lerp(Vec3 a, Vec3 b, float t);

// The figure is modelled in metres, feet on y = 0, and written five times
// larger with its middle at the origin: the viewer's own camera, 22 units off
// and aimed at the origin, then shows the whole of it.
constexpr float kWorldScale = 5.0f;
constexpr float kMiddleHeight = 0.9f;
Vec3 Place(Vec3 metres);

// A planar image map on a surface's colour texture: the image is laid once
// over the box (centre, size) seen along the axis (0 x, 1 y, 2 z). A
// negative width mirrors the image, for panels seen from behind.
struct PlanarMap {
  std::string image;
  int axis = 2;
  Vec3 centre;
  Vec3 size{1, 1, 1};
};

struct SurfaceDesc {
  std::string name;
  std::array<uint8_t, 3> colour{200, 200, 200};
  bool mapped = false;  // a planar map whose box is fitted to the surface's polygons
  std::string image;
  int axis = 2;
  bool mirrored = false;
};
inline SurfaceDesc Plain(std::string name, std::array<uint8_t, 3> colour) {
  SurfaceDesc s;
  s.name = std::move(name);
  s.colour = colour;
  return s;
}
// A white surface showing `image` through a planar map along `axis`.
inline SurfaceDesc Mapped(std::string name, std::string image, int axis, bool mirrored) {
  SurfaceDesc s = Plain(std::move(name), {255, 255, 255});
  s.mapped = true;
  s.image = std::move(image);
  s.axis = axis;
  s.mirrored = mirrored;
  return s;
}

// A ring of a loft: `count` points round `centre` on the ellipse with radii
// (ra, rb) along the axes a and b, starting at angle `start` (radians,
// measured from a towards b). A ring of radius 0 is one point (a pole).
struct Ring {
  Vec3 centre;
  float ra = 0, rb = 0;
  Vec3 a{1, 0, 0}, b{0, 0, 1};
};

// Which surface (0-based) a loft polygon gets: `band` counts the gaps between
// rings from the first, `segment` the gaps round the ring from the start angle.
using SurfaceChooser = std::function<int(int band, int segment)>;

class PartBuilder {
 public:
  explicit PartBuilder(std::vector<SurfaceDesc> surfaces) : surfaces_(std::move(surfaces)) {}

  // Joins the rings (each `segments` points, or one for a pole) into
  // quadrilaterals, and triangles at the poles. Every polygon faces away from
  // the line through the ring centres.
  void Loft(const std::vector<Ring>& rings, int segments, float startAngle, const SurfaceChooser& surfaceOf);
  // The same over points already placed: grid[i] is ring i (segments points or
  // one), centres[i] its inside point.
  void Grid(const std::vector<std::vector<Vec3>>& grid, const std::vector<Vec3>& centres,
            const SurfaceChooser& surfaceOf);
  // One polygon of new points, turned so that it faces away from `inside`.
  void Polygon(const std::vector<Vec3>& corners, int surface, Vec3 inside);

  size_t PolygonCount() const { return polygons_.size(); }
  // Points of the polygons of one surface, for fitting maps and for tests.
  std::vector<Vec3> SurfacePoints(int surface) const;
  const std::vector<SurfaceDesc>& surfaces() const { return surfaces_; }
  // The object file; every surface is named in order, so surface i is the
  // mesh's group i.
  std::vector<uint8_t> Lwob() const;

 private:
  uint16_t Point(Vec3 p);
  Vec3 At(uint16_t i) const { return {points_[i][0], points_[i][1], points_[i][2]}; }
  void AddPolygon(std::vector<uint16_t> corners, int surface, Vec3 inside);
  PlanarMap MapOf(int surface) const;

  std::vector<SurfaceDesc> surfaces_;
  std::vector<std::array<float, 3>> points_;
  std::vector<writers::LwobPolygon> polygons_;
};

}  // namespace football
