#include "rm/Math.h"

namespace rm {

Matrix4 Matrix4::Translation(float x, float y, float z) {
  Matrix4 r;
  r.m[3][0] = x, r.m[3][1] = y, r.m[3][2] = z;
  return r;
}

Matrix4 Matrix4::Scale(float x, float y, float z) {
  Matrix4 r;
  r.m[0][0] = x, r.m[1][1] = y, r.m[2][2] = z;
  return r;
}

Matrix4 Matrix4::Rotation(Vector axis, float theta) {
  const Vector a = Normalize(axis);
  Matrix4 r;
  if (a == Vector{}) return r;
  const float c = std::cos(theta), s = std::sin(theta), t = 1 - c;
  // The usual right-handed rotation matrix for column vectors, transposed
  // because our points are rows.
  r.m[0][0] = t * a.x * a.x + c;
  r.m[1][0] = t * a.x * a.y - s * a.z;
  r.m[2][0] = t * a.x * a.z + s * a.y;
  r.m[0][1] = t * a.x * a.y + s * a.z;
  r.m[1][1] = t * a.y * a.y + c;
  r.m[2][1] = t * a.y * a.z - s * a.x;
  r.m[0][2] = t * a.x * a.z - s * a.y;
  r.m[1][2] = t * a.y * a.z + s * a.x;
  r.m[2][2] = t * a.z * a.z + c;
  return r;
}

Vector Matrix4::TransformPoint(Vector v) const {
  return {v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0] + m[3][0],
          v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1] + m[3][1],
          v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2] + m[3][2]};
}

Vector Matrix4::TransformDirection(Vector v) const {
  return {v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0], v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1],
          v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2]};
}

bool Matrix4::InverseAffine(Matrix4* out) const {
  const float a = m[0][0], b = m[0][1], c = m[0][2];
  const float d = m[1][0], e = m[1][1], f = m[1][2];
  const float g = m[2][0], h = m[2][1], i = m[2][2];
  const float det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
  *out = Matrix4{};
  if (det == 0 || !std::isfinite(det)) return false;
  const float k = 1.0f / det;
  Matrix4 r;
  r.m[0][0] = (e * i - f * h) * k;
  r.m[0][1] = (c * h - b * i) * k;
  r.m[0][2] = (b * f - c * e) * k;
  r.m[1][0] = (f * g - d * i) * k;
  r.m[1][1] = (a * i - c * g) * k;
  r.m[1][2] = (c * d - a * f) * k;
  r.m[2][0] = (d * h - e * g) * k;
  r.m[2][1] = (b * g - a * h) * k;
  r.m[2][2] = (a * e - b * d) * k;
  // The inverse translation is -t times the inverse linear part.
  const Vector t = r.TransformDirection(Row(3));
  r.SetRow(3, t * -1.0f);
  *out = r;
  return true;
}

Matrix4 operator*(const Matrix4& a, const Matrix4& b) {
  Matrix4 r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
  return r;
}

bool NearlyEqual(const Matrix4& a, const Matrix4& b, float tolerance) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (std::fabs(a.m[i][j] - b.m[i][j]) > tolerance) return false;
  return true;
}

}  // namespace rm
