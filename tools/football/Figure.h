// The default footballer: thirteen body parts modelled where they stand in
// the rest pose (feet on y = 0, facing -z, his left on +x), the joints they
// turn about, and the hair styles the editor swaps in.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "Shapes.h"

namespace football {

// The body parts in the configuration's Objects order.
enum PartId {
  BODY, LEFT_THIGH, RIGHT_THIGH, LEFT_FOOT, RIGHT_FOOT, LEFT_UPPER_ARM, RIGHT_UPPER_ARM,
  LEFT_LOWER_ARM, RIGHT_LOWER_ARM, HEAD, HAIR, LEFT_HAND, RIGHT_HAND, PART_COUNT
};

struct PartInfo {
  const char* keyword;  // the configuration's keyword
  const char* object;   // the object file's base name, also the mesh name
  int parent;           // another PartId, or -1
  Vec3 joint;           // where the part turns, in rest-pose coordinates
};
const std::array<PartInfo, PART_COUNT>& Parts();

// Default looks for the objects' own surfaces (what the viewer shows without
// the editor); the editor recolours and retextures them.
struct FigureLook {
  std::array<uint8_t, 3> shirt{220, 20, 30};
  std::string shirtFront = "shirt_red_f.bmp";
  std::string shirtBack = "shirt_red_b.bmp";
  std::string face = "face_smile.bmp";
  std::string hairFront = "hair_brown_f.bmp";
  std::string hairBack = "hair_brown_b.bmp";
};

PartBuilder MakePart(PartId part, const FigureLook& look);

struct HairStyle {
  std::string object;  // base name of the object file
  float front, side, back;  // latitude (degrees) of the hair's edge over the brow, ears and nape
  int spikes;               // spikes on the crown (0 for none)
};
const std::vector<HairStyle>& HairStyles();
// A hair style's object: three surfaces, front (group 0), back (group 1) and
// crown (group 2), each with a planar map of its own.
PartBuilder MakeHair(const HairStyle& style, const FigureLook& look);

}  // namespace football
