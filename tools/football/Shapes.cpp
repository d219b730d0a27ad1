#include "Shapes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>

namespace football {

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(Vec3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Lerp(Vec3 a, Vec3 b, float t) { return a + (b - a) * t; }
Vec3 Place(Vec3 metres) { return Vec3{metres.x, metres.y - kMiddleHeight, metres.z} * kWorldScale; }

uint16_t PartBuilder::Point(Vec3 p) {
  if (points_.size() >= std::numeric_limits<uint16_t>::max()) throw std::length_error("too many points in one part");
  const Vec3 placed = Place(p);
  points_.push_back({placed.x, placed.y, placed.z});
  return static_cast<uint16_t>(points_.size() - 1);
}

void PartBuilder::AddPolygon(std::vector<uint16_t> corners, int surface, Vec3 inside) {
  // LightWave polygons are one-sided: seen from the front their corners run
  // clockwise, which makes (c1 - c0) x (c2 - c0) point outwards.
  inside = Place(inside);
  Vec3 centroid, normal;
  for (uint16_t c : corners) centroid = centroid + At(c) * (1.0f / static_cast<float>(corners.size()));
  for (size_t i = 1; i + 1 < corners.size(); ++i)
    normal = normal + Cross(At(corners[i]) - At(corners[0]), At(corners[i + 1]) - At(corners[0]));
  if (Dot(normal, centroid - inside) < 0) std::reverse(corners.begin(), corners.end());
  polygons_.push_back({std::move(corners), static_cast<int16_t>(surface + 1)});
}

void PartBuilder::Polygon(const std::vector<Vec3>& corners, int surface, Vec3 inside) {
  std::vector<uint16_t> indices;
  for (const Vec3& c : corners) indices.push_back(Point(c));
  AddPolygon(std::move(indices), surface, inside);
}

void PartBuilder::Grid(const std::vector<std::vector<Vec3>>& grid, const std::vector<Vec3>& centres,
                       const SurfaceChooser& surfaceOf) {
  std::vector<std::vector<uint16_t>> index(grid.size());
  for (size_t i = 0; i < grid.size(); ++i)
    for (const Vec3& p : grid[i]) index[i].push_back(Point(p));
  for (size_t i = 0; i + 1 < grid.size(); ++i) {
    const std::vector<uint16_t>& lower = index[i];
    const std::vector<uint16_t>& upper = index[i + 1];
    const size_t segments = std::max(lower.size(), upper.size());
    const Vec3 inside = Lerp(centres[i], centres[i + 1], 0.5f);
    for (size_t k = 0; k < segments; ++k) {
      const size_t next = (k + 1) % segments;
      std::vector<uint16_t> corners;
      corners.push_back(lower.size() == 1 ? lower[0] : lower[k]);
      if (lower.size() > 1) corners.push_back(lower[next]);
      corners.push_back(upper.size() == 1 ? upper[0] : upper[next]);
      if (upper.size() > 1) corners.push_back(upper[k]);
      AddPolygon(std::move(corners), surfaceOf(static_cast<int>(i), static_cast<int>(k)), inside);
    }
  }
}

void PartBuilder::Loft(const std::vector<Ring>& rings, int segments, float startAngle,
                       const SurfaceChooser& surfaceOf) {
  std::vector<std::vector<Vec3>> grid;
  std::vector<Vec3> centres;
  for (const Ring& ring : rings) {
    std::vector<Vec3> points;
    if (ring.ra == 0 && ring.rb == 0) {
      points.push_back(ring.centre);
    } else {
      for (int k = 0; k < segments; ++k) {
        const float angle = startAngle + 2.0f * std::numbers::pi_v<float> * static_cast<float>(k) / segments;
        points.push_back(ring.centre + ring.a * (ring.ra * std::cos(angle)) + ring.b * (ring.rb * std::sin(angle)));
      }
    }
    grid.push_back(std::move(points));
    centres.push_back(ring.centre);
  }
  Grid(grid, centres, surfaceOf);
}

std::vector<Vec3> PartBuilder::SurfacePoints(int surface) const {
  std::vector<Vec3> points;
  for (const writers::LwobPolygon& p : polygons_)
    if (p.surface == surface + 1)
      for (uint16_t i : p.points) points.push_back({points_[i][0], points_[i][1], points_[i][2]});
  return points;
}

PlanarMap PartBuilder::MapOf(int surface) const {
  const SurfaceDesc& desc = surfaces_[static_cast<size_t>(surface)];
  Vec3 low{1e9f, 1e9f, 1e9f}, high{-1e9f, -1e9f, -1e9f};
  for (const Vec3& p : SurfacePoints(surface)) {
    low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
  }
  // A little larger than the polygons, so that no corner lands on the
  // image's edge and rounding never pushes a coordinate below 0.
  Vec3 size = (high - low) * 1.04f;
  size = {std::max(size.x, 1e-3f), std::max(size.y, 1e-3f), std::max(size.z, 1e-3f)};
  if (desc.mirrored) {
    if (desc.axis == 2) size.x = -size.x;
    else size.z = -size.z;
  }
  return {desc.image, desc.axis, Lerp(low, high, 0.5f), size};
}

std::vector<uint8_t> PartBuilder::Lwob() const {
  writers::LwobWriter w;
  w.Points(points_);
  std::vector<std::string> names;
  for (const SurfaceDesc& s : surfaces_) names.push_back(s.name);
  w.SurfaceNames(names).Polygons(polygons_);
  for (size_t i = 0; i < surfaces_.size(); ++i) {
    const SurfaceDesc& s = surfaces_[i];
    writers::LwobSurface surf(s.name);
    // Colour only: the default material, as the editor shows every part.
    surf.Colour(s.colour[0], s.colour[1], s.colour[2]);
    if (s.mapped) {
      const PlanarMap map = MapOf(static_cast<int>(i));
      surf.Name("CTEX", "Planar Image Map")
          .Name("TIMG", map.image)
          .U2("TFLG", static_cast<uint16_t>(1u << map.axis))
          .Vec("TSIZ", map.size.x, map.size.y, map.size.z)
          .Vec("TCTR", map.centre.x, map.centre.y, map.centre.z);
    }
    w.Surface(surf);
  }
  return w.Bytes();
}

}  // namespace football
