// Dressing the shown footballer: the editor's choices applied to the meshes of
// the scene on show, every frame.
#pragma once

#include <array>

#include "football/Footballer.h"

// The meshes and frames of the set on show (the animation's while playing).
struct FootballerParts {
  const std::array<rm::FramePtr, BODY_PART_COUNT>& frames;
  const std::array<rm::MeshPtr, BODY_PART_COUNT>& meshes;
};
FootballerParts ShownParts(const FootballerConfig& config);

// The skin colour of hands, feet and face.
inline constexpr FootballerColour FOOTBALLER_SKIN = {1.0f, 0.8f, 0.0f};

// Hands lose their textures and take the skin colour, as do the feet.
void ApplyHandsAndFeet(const FootballerConfig& config, const FootballerParts& parts);
// Thighs in the current shorts colour.
void ApplyShorts(const FootballerConfig& config, const FootballerParts& parts);
// Arms and Body group 0 in the shirt colour; Body group 1 white with the back
// texture, group 2 white with the front texture.
void ApplyTop(const FootballerConfig& config, const FootballerParts& parts);
// Head: skin, and group 1 white with the current face's texture.
void ApplyFace(const FootballerConfig& config, const FootballerParts& parts);
// The Hair frame shows only the current hair style's object, textured with
// the current pair (front on groups 0 and 2, back on group 1).
void ApplyHair(const FootballerConfig& config, const FootballerParts& parts);
// All five, in that order. Nothing happens to a record that is not loaded;
// an empty list leaves its parts as they are.
void DressFootballer(const FootballerConfig& config);
