// A small footballer for tests: a football folder with the configuration, the
// two scenes, thirteen cube-shaped body parts (Body with three surfaces, Head
// with two), hair objects of three surfaces and 2 x 2 bitmap textures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace writers {

struct FootballerDesc {
  int tops = 2, shorts = 2, hairs = 2, hairTextures = 2, faces = 2;
  // The object names written in the Objects section (file order: Body,
  // LeftThigh, ...); empty entries use the part's own file name.
  std::vector<std::string> objectNames;
  // Objects the animation scene leaves out (by file name, "lhand").
  std::vector<std::string> missingFromAnimation;
  float framesPerSecond = 25;
};

// The thirteen part files in file order: body, lthigh, rthigh, lfoot, rfoot,
// luarm, ruarm, llarm, rlarm, head, hair, lhand, rhand.
const std::vector<std::string>& FootballerPartNames();

// The configuration text for `desc` (scene and file names relative to
// the folder holding "football").
std::string FootballerConfigText(const FootballerDesc& desc);

// Writes folder/football/ with everything the text names; returns the
// configuration's path, or nothing when a file could not be written.
std::string WriteFootballer(const std::string& folder, const FootballerDesc& desc = {});

// The colour each numbered texture is filled with, so tests can tell them
// apart: shirt i front/back, face i, hair h texture t front/back.
uint32_t FootballerTextureColour(const std::string& fileName);

}  // namespace writers
