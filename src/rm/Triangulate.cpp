#include "rm/Triangulate.h"

#include <algorithm>
#include <cmath>

namespace rm {

namespace {

constexpr size_t kLargestClippedFace = 4096;

size_t Fan(std::span<const uint32_t> face, uint32_t* out) {
  size_t t = 0;
  for (size_t k = 1; k + 1 < face.size(); ++k) {
    out[t++] = face[0];
    out[t++] = face[k];
    out[t++] = face[k + 1];
  }
  return face.size() - 2;
}

}  // namespace

size_t TriangulateFace(std::span<const uint32_t> face, std::span<const Vertex> vertices, uint32_t* out,
                       TriangulateScratch& s) {
  const size_t n = face.size();
  if (n < 3) return 0;
  if (n == 3) return Fan(face, out);
  // Clipping costs up to n^3; a face this large is no artist's outline and
  // keeps its fan rather than holding up the upload.
  if (n > kLargestClippedFace) return Fan(face, out);

  // The plane of the face by Newell's method; the polygon is looked at along
  // its largest axis, turned so that it runs counter-clockwise.
  double nx = 0, ny = 0, nz = 0;
  for (size_t i = 0; i < n; ++i) {
    const Vector& a = vertices[face[i]].position;
    const Vector& b = vertices[face[(i + 1) % n]].position;
    nx += (static_cast<double>(a.y) - b.y) * (static_cast<double>(a.z) + b.z);
    ny += (static_cast<double>(a.z) - b.z) * (static_cast<double>(a.x) + b.x);
    nz += (static_cast<double>(a.x) - b.x) * (static_cast<double>(a.y) + b.y);
  }
  const double ax = std::fabs(nx), ay = std::fabs(ny), az = std::fabs(nz);
  if (ax + ay + az == 0 || !std::isfinite(ax + ay + az)) return Fan(face, out);  // no area: nothing to see
  s.x.resize(n);
  s.y.resize(n);
  double extent = 0;
  for (size_t i = 0; i < n; ++i) {
    const Vector& p = vertices[face[i]].position;
    float u, v;
    if (az >= ax && az >= ay) u = p.x, v = nz > 0 ? p.y : -p.y;
    else if (ax >= ay) u = p.y, v = nx > 0 ? p.z : -p.z;
    else u = p.z, v = ny > 0 ? p.x : -p.x;
    s.x[i] = u, s.y[i] = v;
    extent = std::max({extent, std::fabs(static_cast<double>(u)), std::fabs(static_cast<double>(v))});
  }
  auto cross = [&](size_t a, size_t b, size_t c) {
    return (static_cast<double>(s.x[b]) - s.x[a]) * (static_cast<double>(s.y[c]) - s.y[a]) -
           (static_cast<double>(s.y[b]) - s.y[a]) * (static_cast<double>(s.x[c]) - s.x[a]);
  };
  // Turns smaller than this are straight: seams and collinear corners.
  const double eps = 1e-9 * std::max(extent * extent, 1e-30);

  bool convex = true;
  for (size_t i = 0; i < n && convex; ++i) convex = cross(i, (i + 1) % n, (i + 2) % n) >= -eps;
  if (convex) return Fan(face, out);

  // Ear clipping over the corners still left.
  s.left.resize(n);
  for (size_t i = 0; i < n; ++i) s.left[i] = static_cast<uint32_t>(i);
  auto same = [&](size_t a, size_t b) { return s.x[a] == s.x[b] && s.y[a] == s.y[b]; };
  // Inside or on the edges of the triangle (a, b, c), counter-clockwise;
  // corners at the triangle's own corners do not count (a keyhole's seam
  // visits them twice).
  auto inside = [&](size_t p, size_t a, size_t b, size_t c) {
    if (same(p, a) || same(p, b) || same(p, c)) return false;
    return cross(a, b, p) >= -eps && cross(b, c, p) >= -eps && cross(c, a, p) >= -eps;
  };
  size_t m = n, t = 0, misses = 0, i = 0;
  while (m > 3) {
    const size_t ip = s.left[(i + m - 1) % m], ic = s.left[i % m], in = s.left[(i + 1) % m];
    const double turn = cross(ip, ic, in);
    bool ear = turn > eps;
    for (size_t k = 0; ear && k < m; ++k) {
      const size_t q = s.left[k];
      if (q == ip || q == ic || q == in) continue;
      const size_t qp = s.left[(k + m - 1) % m], qn = s.left[(k + 1) % m];
      if (cross(qp, q, qn) > eps) continue;  // only corners that turn back can lie in an ear
      ear = !inside(q, ip, ic, in);
    }
    // After a whole round without an ear (rounding, or an outline that
    // crosses itself) the flattest corner goes, so every face still gets its
    // triangles.
    if (!ear && misses >= m) {
      size_t best = 0;
      double bestTurn = -HUGE_VAL;
      for (size_t k = 0; k < m; ++k) {
        const double c = cross(s.left[(k + m - 1) % m], s.left[k], s.left[(k + 1) % m]);
        if (c > bestTurn) best = k, bestTurn = c;
      }
      i = best;
      ear = true;
    }
    if (!ear) {
      ++misses;
      i = (i + 1) % m;
      continue;
    }
    const size_t a = s.left[(i + m - 1) % m], b = s.left[i % m], c = s.left[(i + 1) % m];
    out[t++] = face[a];
    out[t++] = face[b];
    out[t++] = face[c];
    s.left.erase(s.left.begin() + static_cast<std::ptrdiff_t>(i % m));
    --m;
    misses = 0;
    if (i >= m) i = 0;
  }
  out[t++] = face[s.left[0]];
  out[t++] = face[s.left[1]];
  out[t++] = face[s.left[2]];
  return t / 3;
}

}  // namespace rm
