#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "rm/Triangulate.h"

namespace {

struct Polygon {
  std::vector<rm::Vertex> vertices;
  std::vector<uint32_t> face;
  void Add(float x, float y, float z = 0) {
    vertices.emplace_back().position = {x, y, z};
    face.push_back(static_cast<uint32_t>(face.size()));
  }
};

// Corners (x, y) in the z = 0 plane, each a vertex of its own.
Polygon Flat(const std::vector<std::array<float, 2>>& corners) {
  Polygon p;
  for (const auto& c : corners) p.Add(c[0], c[1]);
  return p;
}

// A ring as a keyhole outline: the outer circle, a seam in to the hole, the
// hole the other way round, and the seam back out; the seam's ends are the
// same vertices both times. 32 sides each: 66 corners.
Polygon Ring(float outer, float inner) {
  Polygon p;
  const float k = 2 * 3.14159265f / 32;
  for (float r : {outer, inner})
    for (int i = 0; i < 32; ++i) p.Add(r * std::cos(k * i), r * std::sin(k * i));
  p.face.resize(32);
  p.face.insert(p.face.end(), {0, 32});
  for (uint32_t i = 31; i >= 1; --i) p.face.push_back(32 + i);
  p.face.push_back(32);
  return p;
}

double Cross(const rm::Vector& a, const rm::Vector& b, const rm::Vector& c) {
  return (double{b.x} - a.x) * (double{c.y} - a.y) - (double{b.y} - a.y) * (double{c.x} - a.x);
}

double Area(const Polygon& p) {
  double a = 0;
  for (size_t i = 0; i < p.face.size(); ++i) {
    const rm::Vector& u = p.vertices[p.face[i]].position;
    const rm::Vector& v = p.vertices[p.face[(i + 1) % p.face.size()]].position;
    a += double{u.x} * v.y - double{v.x} * u.y;
  }
  return a / 2;
}

std::vector<uint32_t> Triangulate(const Polygon& p) {
  std::vector<uint32_t> out((p.face.size() - 2) * 3);
  rm::TriangulateScratch scratch;
  EXPECT_EQ(rm::TriangulateFace(p.face, p.vertices, out.data(), scratch), p.face.size() - 2);
  return out;
}

}  // namespace

// The triangles cover the polygon exactly: each turns the way the face does
// and together they have its area, so none overlaps another or spills out.
TEST(Triangulate, TrianglesCoverConcaveAndKeyholeOutlinesExactly) {
  const struct {
    const char* name;
    Polygon polygon;
  } cases[] = {
      {"L clockwise", Flat({{0, 2}, {1, 2}, {1, 1}, {2, 1}, {2, 0}, {0, 0}})},
      {"arrow", Flat({{0, 0}, {2, 1}, {0, 2}, {1, 1}})},
      {"comb", Flat({{0, 0}, {5, 0}, {5, 3}, {4, 3}, {4, 1}, {3, 1}, {3, 3}, {2, 3}, {2, 1}, {1, 1}, {1, 3}, {0, 3}})},
      {"collinear corners", Flat({{0, 0}, {1, 0}, {2, 0}, {2, 2}, {1, 1}, {0, 2}})},
      {"ring", Ring(2, 1)},
  };
  for (const auto& c : cases) {
    const Polygon& p = c.polygon;
    const std::vector<uint32_t> t = Triangulate(p);
    const double sign = Area(p) > 0 ? 1 : -1;
    double sum = 0;
    for (size_t i = 0; i < t.size(); i += 3) {
      const double a = Cross(p.vertices[t[i]].position, p.vertices[t[i + 1]].position, p.vertices[t[i + 2]].position);
      EXPECT_GE(a * sign, -1e-6) << c.name << " triangle " << i / 3;
      sum += a / 2;
    }
    EXPECT_NEAR(sum, Area(p), 1e-4) << c.name;
  }
}

TEST(Triangulate, ConvexFacesKeepTheirFanInAnyPlane) {
  // A pentagon standing in the y-z plane, and a quad that has no area.
  Polygon pentagon;
  for (float angle : {0.0f, 1.2f, 2.5f, 3.7f, 5.0f}) pentagon.Add(0, std::cos(angle), std::sin(angle));
  EXPECT_EQ(Triangulate(pentagon), (std::vector<uint32_t>{0, 1, 2, 0, 2, 3, 0, 3, 4}));
  const Polygon line = Flat({{0, 0}, {1, 0}, {2, 0}, {3, 0}});
  EXPECT_EQ(Triangulate(line), (std::vector<uint32_t>{0, 1, 2, 0, 2, 3}));
}
