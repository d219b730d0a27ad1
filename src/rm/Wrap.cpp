#include "rm/Wrap.h"

#include "diag/Dbug.h"
#include "rm/Mesh.h"

namespace rm {

bool Wrap::Map(Vector position, float* u, float* v) const {
  if (params_.type != WRAP_FLAT) return false;
  const Vector d = Normalize(params_.direction);
  const Vector upAcross = params_.up - d * Dot(params_.up, d);
  if (d == Vector{} || Length(upAcross) < 1e-6f * Length(params_.up) || params_.up == Vector{}) return false;
  const Vector up = Normalize(upAcross);
  const Vector right = Cross(up, d);
  const Vector p = position - params_.origin;
  *u = params_.su * Dot(p, right) + params_.ou;
  *v = params_.sv * Dot(p, up) + params_.ov;
  return true;
}

bool Wrap::Apply(Mesh& mesh) const {
  float u, v;
  if (!Map({}, &u, &v)) {
    ReportWarning("Wrap Apply: only flat wraps with a direction not parallel to up can be applied");
    return false;
  }
  for (uint32_t g = 0; g < mesh.GetGroupCount(); ++g) {
    for (Vertex& vertex : mesh.GroupVertices(g)) Map(vertex.position, &vertex.tu, &vertex.tv);
  }
  return true;
}

}  // namespace rm
