// Vectors, boxes and 4x4 matrices of the engine.
//
// Matrices follow the row-vector convention: a point is a row vector multiplied
// on the left, v' = v M, so the translation stands in the fourth row and
// A * B applies A first, then B.
#pragma once

#include <cmath>

#include "rm/Types.h"

namespace rm {

inline Vector operator+(Vector a, Vector b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vector operator-(Vector a, Vector b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vector operator*(Vector a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline bool operator==(Vector a, Vector b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
inline float Dot(Vector a, Vector b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vector Cross(Vector a, Vector b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(Vector a) { return std::sqrt(Dot(a, a)); }
// A zero vector stays zero rather than turning into NaNs.
inline Vector Normalize(Vector a) {
  const float l = Length(a);
  return l > 0 ? a * (1.0f / l) : Vector{};
}

// An axis-aligned box; min > max on some axis means "empty".
struct Box {
  Vector min, max;
};

struct Matrix4 {
  float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

  static Matrix4 Identity() { return {}; }
  static Matrix4 Translation(float x, float y, float z);
  static Matrix4 Scale(float x, float y, float z);
  // Right-handed rotation by theta radians about an axis through the origin
  // (the axis need not be of unit length; a zero axis gives the identity).
  static Matrix4 Rotation(Vector axis, float theta);

  float* operator[](int row) { return m[row]; }
  const float* operator[](int row) const { return m[row]; }

  Vector TransformPoint(Vector v) const;      // v M with w = 1
  Vector TransformDirection(Vector v) const;  // v M with w = 0
  Vector Row(int r) const { return {m[r][0], m[r][1], m[r][2]}; }
  void SetRow(int r, Vector v) { m[r][0] = v.x, m[r][1] = v.y, m[r][2] = v.z; }

  // The inverse of an affine matrix (last column 0, 0, 0, 1); false and the
  // identity when the linear part is singular.
  bool InverseAffine(Matrix4* out) const;
};

// Ordinary matrix product: (a * b) applies a first, then b.
Matrix4 operator*(const Matrix4& a, const Matrix4& b);
bool NearlyEqual(const Matrix4& a, const Matrix4& b, float tolerance = 1e-5f);

}  // namespace rm
