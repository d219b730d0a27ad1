#include "football/FootballerDress.h"

#include "rm/Frame.h"
#include "rm/Mesh.h"

namespace {

void ColourAll(const rm::MeshPtr& mesh, const FootballerColour& c) {
  if (!mesh) return;
  for (uint32_t g = 0; g < mesh->GetGroupCount(); ++g) mesh->SetGroupColorRGB(g, c.red, c.green, c.blue);
}

void WhiteWith(const rm::MeshPtr& mesh, uint32_t group, const rm::TexturePtr& texture) {
  if (!mesh) return;
  mesh->SetGroupColorRGB(group, 1, 1, 1);
  mesh->SetGroupTexture(group, texture);
}

// The current entry of a list, or null when the list is empty or the index
// points past it.
template <typename T>
const T* Current(const TrackedArray<T>& list, int32_t index) {
  return index >= 0 && static_cast<size_t>(index) < list.size() ? &list[static_cast<size_t>(index)] : nullptr;
}

}  // namespace

FootballerParts ShownParts(const FootballerConfig& config) {
  return config.playing == 1 ? FootballerParts{config.animationFrames, config.animationMeshes}
                             : FootballerParts{config.previewFrames, config.previewMeshes};
}

void ApplyHandsAndFeet(const FootballerConfig&, const FootballerParts& parts) {
  for (BodyPart part : {BODY_LEFT_HAND, BODY_RIGHT_HAND}) {
    const rm::MeshPtr& mesh = parts.meshes[part];
    if (!mesh) continue;
    for (uint32_t g = 0; g < mesh->GetGroupCount(); ++g) mesh->SetGroupTexture(g, nullptr);
    ColourAll(mesh, FOOTBALLER_SKIN);
  }
  ColourAll(parts.meshes[BODY_LEFT_FOOT], FOOTBALLER_SKIN);
  ColourAll(parts.meshes[BODY_RIGHT_FOOT], FOOTBALLER_SKIN);
}

void ApplyShorts(const FootballerConfig& config, const FootballerParts& parts) {
  const FootballerShorts* shorts = Current(config.shorts, config.currentShorts);
  if (!shorts) return;
  ColourAll(parts.meshes[BODY_LEFT_THIGH], shorts->colour);
  ColourAll(parts.meshes[BODY_RIGHT_THIGH], shorts->colour);
}

void ApplyTop(const FootballerConfig& config, const FootballerParts& parts) {
  const FootballerTop* top = Current(config.tops, config.currentTop);
  if (!top) return;
  for (BodyPart part : {BODY_LEFT_UPPER_ARM, BODY_LEFT_LOWER_ARM, BODY_RIGHT_UPPER_ARM, BODY_RIGHT_LOWER_ARM})
    ColourAll(parts.meshes[part], top->colour);
  const rm::MeshPtr& body = parts.meshes[BODY_BODY];
  if (!body) return;
  body->SetGroupColorRGB(0, top->colour.red, top->colour.green, top->colour.blue);
  WhiteWith(body, 1, top->backTexture);
  WhiteWith(body, 2, top->frontTexture);
}

void ApplyFace(const FootballerConfig& config, const FootballerParts& parts) {
  const rm::MeshPtr& head = parts.meshes[BODY_HEAD];
  if (!head) return;
  for (uint32_t g = 0; g < head->GetGroupCount(); ++g)
    if (g != 1) head->SetGroupColorRGB(g, FOOTBALLER_SKIN.red, FOOTBALLER_SKIN.green, FOOTBALLER_SKIN.blue);
  if (const FootballerFace* face = Current(config.faces, config.currentFace)) WhiteWith(head, 1, face->texture);
}

void ApplyHair(const FootballerConfig& config, const FootballerParts& parts) {
  const rm::FramePtr& frame = parts.frames[BODY_HAIR];
  if (!frame) return;
  frame->DeleteVisual(parts.meshes[BODY_HAIR]);
  for (const FootballerHair& hair : config.hairs)
    if (hair.object) frame->DeleteVisual(hair.object);
  const FootballerHair* hair = Current(config.hairs, config.currentHair);
  if (!hair || !hair->object) return;
  frame->AddVisual(hair->object);
  const int32_t pair = config.currentHairTexture;
  const bool textured = pair >= 0 && pair < hair->textureCount &&
                        static_cast<size_t>(pair) < hair->frontTextures.size() &&
                        static_cast<size_t>(pair) < hair->backTextures.size();
  const rm::TexturePtr front = textured ? hair->frontTextures[static_cast<size_t>(pair)] : nullptr;
  const rm::TexturePtr back = textured ? hair->backTextures[static_cast<size_t>(pair)] : nullptr;
  WhiteWith(hair->object, 0, front);
  WhiteWith(hair->object, 1, back);
  WhiteWith(hair->object, 2, front);
}

void DressFootballer(const FootballerConfig& config) {
  if (!config.loaded) return;
  const FootballerParts parts = ShownParts(config);
  ApplyHandsAndFeet(config, parts);
  ApplyShorts(config, parts);
  ApplyTop(config, parts);
  ApplyFace(config, parts);
  ApplyHair(config, parts);
}
