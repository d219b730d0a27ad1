// Triangles for one face of a mesh: the polygon its corners outline, concave
// or not, including keyhole outlines (a ring joined to its hole by a seam
// walked both ways). Convex faces keep their fan from the first corner.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "rm/Types.h"

namespace rm {

// Working storage kept between faces, so a mesh's faces cost no allocation
// each.
struct TriangulateScratch {
  std::vector<float> x, y;
  std::vector<uint32_t> left;
};

// Writes face.size() - 2 triangles (three vertex indices each, taken from
// `face`, in the face's winding) to `out`, which must hold that many times
// three. `face` holds indices into `vertices`; every index must be below its
// size. Faces of fewer than three corners give none. Returns the triangles
// written.
size_t TriangulateFace(std::span<const uint32_t> face, std::span<const Vertex> vertices, uint32_t* out,
                       TriangulateScratch& scratch);

}  // namespace rm
