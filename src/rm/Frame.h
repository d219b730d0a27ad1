// Frames: the nodes of a scene. A frame has a parent (none for a root), child
// frames, visuals and lights, and a transform relative to its parent.
#pragma once

#include <memory>
#include <vector>

#include "rm/Math.h"
#include "rm/Object.h"

namespace rm {

class Frame : public Object {
 public:
  Frame() = default;
  ~Frame() override;
  Frame(const Frame&) = delete;
  Frame& operator=(const Frame&) = delete;
  const char* GetClassName() const override { return "Frame"; }

  // --- Hierarchy. A frame holds references to its children; a child only
  // knows its parent weakly, so dropping the last reference to a root frees
  // its whole tree.
  // Makes `child` a child of this frame, taking it from its old parent. Keeps
  // the child's local transform. Refused (false, reported) for a null child,
  // the frame itself, or one of its ancestors, which would make a cycle.
  bool AddChild(const FramePtr& child);
  // False when `child` is not a child of this frame.
  bool DeleteChild(const FramePtr& child);
  const std::vector<FramePtr>& GetChildren() const { return children_; }
  FramePtr GetParent() const { return parent_.lock(); }
  // The root of the tree this frame is in (the frame itself for a root).
  FramePtr GetScene();

  // --- Visuals and lights, in the order they were added; adding one that is
  // already there does nothing.
  bool AddVisual(const VisualPtr& visual);
  bool DeleteVisual(const VisualPtr& visual);
  const std::vector<VisualPtr>& GetVisuals() const { return visuals_; }
  bool AddLight(const LightPtr& light);
  bool DeleteLight(const LightPtr& light);
  const std::vector<LightPtr>& GetLights() const { return lights_; }

  // --- Transform relative to the parent.
  void AddTransform(CombineType type, const Matrix4& matrix);
  void AddScale(CombineType type, float sx, float sy, float sz);
  void AddTranslation(CombineType type, float x, float y, float z);
  // Right-handed rotation by theta radians about (x, y, z).
  void AddRotation(CombineType type, float x, float y, float z, float theta);
  const Matrix4& GetTransform() const { return transform_; }
  // Local transform times the parent's world transform, up to the root.
  Matrix4 GetWorldTransform() const;
  // The world transform of `reference`, or of this frame's parent when it is
  // null (the identity for a root).
  Matrix4 ReferenceTransform(const FramePtr& reference) const;

  // Moves the frame's origin to (x, y, z) in the reference frame's space
  // (null = the parent). The rotation and scale of the frame stay.
  void SetPosition(const FramePtr& reference, float x, float y, float z);
  Vector GetPosition(const FramePtr& reference) const;
  // Turns the frame so that its z axis points along `direction` and its y axis
  // along the part of `up` at right angles to it, both in the reference
  // frame's space (null = the parent); x = y cross z (left-handed, as the
  // engine's screen space). The origin stays; any scale of the frame is
  // dropped. Refused (false, reported) when direction is zero or up is
  // parallel to it.
  bool SetOrientation(const FramePtr& reference, float dx, float dy, float dz, float ux, float uy, float uz);
  // The frame's z (direction) and y (up) axes in the reference frame's space.
  void GetOrientation(const FramePtr& reference, Vector* direction, Vector* up) const;

  // Points between this frame's space and world space.
  Vector Transform(Vector local) const;
  Vector InverseTransform(Vector world) const;

  // --- Motion. Each Move(delta) turns the frame by its rotation (axis, theta
  // per unit of delta, about its own origin, in its parent's space) and moves
  // it by its velocity (per unit of delta, in its parent's space), then does
  // the same for every child. Both are zero unless set.
  void SetRotation(float x, float y, float z, float theta);
  void SetVelocity(float x, float y, float z);
  void Move(float delta);

  // --- Scene background of the tree this frame is in (kept on its root).
  void SetSceneBackground(Color color);
  void SetSceneBackgroundRGB(float r, float g, float b);
  Color GetSceneBackground();

 private:
  std::weak_ptr<Frame> parent_;
  std::vector<FramePtr> children_;
  std::vector<VisualPtr> visuals_;
  std::vector<LightPtr> lights_;
  Matrix4 transform_;
  Vector rotationAxis_;
  float rotationTheta_ = 0;
  Vector velocity_;
  Color background_ = 0xFF000000u;
};

}  // namespace rm
