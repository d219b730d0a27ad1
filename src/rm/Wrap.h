// Wraps: ways of computing texture coordinates from vertex positions.
//
// The flat wrap is a planar projection. With d = the normalised direction,
// up' = the normalised part of up at right angles to d, and r = up' x d
// (for up = +y and d = +z that is +x), a position p maps to
//   u = su * ((p - origin) . r)   + ou
//   v = sv * ((p - origin) . up') + ov
// so a plane of width 1/su and height 1/sv centred on the origin, seen along
// d, covers (ou - 0.5 .. ou + 0.5) x (ov - 0.5 .. ov + 0.5); with the texture
// origin (0.5, 0.5) that is the texture exactly once. A negative scale flips
// that axis of the image.
#pragma once

#include "rm/Math.h"
#include "rm/Object.h"

namespace rm {

struct WrapParams {
  WrapType type = WRAP_FLAT;
  Vector origin;
  Vector direction{0, 0, 1};
  Vector up{0, 1, 0};
  float ou = 0, ov = 0;  // texture origin
  float su = 1, sv = 1;  // scales
};

class Wrap : public Object {
 public:
  Wrap(const WrapParams& params, FramePtr reference) : params_(params), reference_(std::move(reference)) {}
  const char* GetClassName() const override { return "Wrap"; }

  const WrapParams& GetParams() const { return params_; }
  const FramePtr& GetReference() const { return reference_; }
  // The (u, v) of a position in the wrap's space; false for wrap types other
  // than flat, or a direction that is zero or parallel to up.
  bool Map(Vector position, float* u, float* v) const;
  // Sets tu, tv of every vertex of every group of the mesh from its position.
  // False (reported, mesh unchanged) when Map cannot be used.
  bool Apply(Mesh& mesh) const;

 private:
  WrapParams params_;
  FramePtr reference_;
};

}  // namespace rm
