#include "rm/Frame.h"

#include <algorithm>

#include "diag/Dbug.h"

namespace rm {

namespace {

template <typename T>
bool AddUnique(std::vector<T>& list, const T& item) {
  if (!item) return false;
  if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
  return true;
}

template <typename T>
bool Remove(std::vector<T>& list, const T& item) {
  const auto it = std::find(list.begin(), list.end(), item);
  if (it == list.end()) return false;
  list.erase(it);
  return true;
}

}  // namespace

Frame::~Frame() {
  // Children outlive us only if someone else holds them; they become roots.
  for (const FramePtr& child : children_) child->parent_.reset();
}

bool Frame::AddChild(const FramePtr& child) {
  if (!child) {
    ReportWarning("AddChild without a child frame");
    return false;
  }
  for (const Frame* f = this; f; f = f->parent_.lock().get()) {
    if (f == child.get()) {
      ReportWarning("AddChild refused: the frame is the new parent or one of its ancestors");
      return false;
    }
  }
  if (FramePtr old = child->parent_.lock()) {
    if (old.get() == this) return true;
    Remove(old->children_, child);
  }
  children_.push_back(child);
  child->parent_ = std::static_pointer_cast<Frame>(shared_from_this());
  return true;
}

bool Frame::DeleteChild(const FramePtr& child) {
  if (!child || !Remove(children_, child)) return false;
  child->parent_.reset();
  return true;
}

FramePtr Frame::GetScene() {
  FramePtr f = std::static_pointer_cast<Frame>(shared_from_this());
  while (FramePtr p = f->parent_.lock()) f = p;
  return f;
}

bool Frame::AddVisual(const VisualPtr& visual) { return AddUnique(visuals_, visual); }
bool Frame::DeleteVisual(const VisualPtr& visual) { return Remove(visuals_, visual); }
bool Frame::AddLight(const LightPtr& light) { return AddUnique(lights_, light); }
bool Frame::DeleteLight(const LightPtr& light) { return Remove(lights_, light); }

void Frame::AddTransform(CombineType type, const Matrix4& matrix) {
  switch (type) {
    case COMBINE_REPLACE:
      transform_ = matrix;
      break;
    case COMBINE_BEFORE:
      transform_ = matrix * transform_;
      break;
    case COMBINE_AFTER:
      transform_ = transform_ * matrix;
      break;
  }
}

void Frame::AddScale(CombineType type, float sx, float sy, float sz) {
  AddTransform(type, Matrix4::Scale(sx, sy, sz));
}

void Frame::AddTranslation(CombineType type, float x, float y, float z) {
  AddTransform(type, Matrix4::Translation(x, y, z));
}

void Frame::AddRotation(CombineType type, float x, float y, float z, float theta) {
  AddTransform(type, Matrix4::Rotation({x, y, z}, theta));
}

Matrix4 Frame::GetWorldTransform() const {
  Matrix4 world = transform_;
  for (FramePtr p = parent_.lock(); p; p = p->parent_.lock()) world = world * p->transform_;
  return world;
}

Matrix4 Frame::ReferenceTransform(const FramePtr& reference) const {
  if (reference) return reference->GetWorldTransform();
  if (FramePtr p = parent_.lock()) return p->GetWorldTransform();
  return Matrix4{};
}

void Frame::SetPosition(const FramePtr& reference, float x, float y, float z) {
  Vector local{x, y, z};
  if (reference) {
    const Vector world = reference->GetWorldTransform().TransformPoint(local);
    Matrix4 inverseParent;
    ReferenceTransform(nullptr).InverseAffine(&inverseParent);
    local = inverseParent.TransformPoint(world);
  }
  transform_.SetRow(3, local);
}

Vector Frame::GetPosition(const FramePtr& reference) const {
  const Vector world = GetWorldTransform().Row(3);
  Matrix4 inverseReference;
  ReferenceTransform(reference).InverseAffine(&inverseReference);
  return inverseReference.TransformPoint(world);
}

bool Frame::SetOrientation(const FramePtr& reference, float dx, float dy, float dz, float ux, float uy, float uz) {
  const Vector z = Normalize({dx, dy, dz});
  const Vector upIn{ux, uy, uz};
  const Vector y = Normalize(upIn - z * Dot(upIn, z));
  if (z == Vector{} || y == Vector{} || Length(upIn - z * Dot(upIn, z)) < 1e-6f * Length(upIn)) {
    ReportWarning("SetOrientation refused: the direction is zero or parallel to the up vector");
    return false;
  }
  const Vector x = Cross(y, z);
  Matrix4 rotation;
  rotation.SetRow(0, x);
  rotation.SetRow(1, y);
  rotation.SetRow(2, z);
  const Vector position = transform_.Row(3);
  if (!reference) {
    transform_ = rotation;
  } else {
    // Wanted world axes: the rotation in the reference's space. Bring them
    // into the parent's space; the local origin is kept below.
    Matrix4 wanted = rotation * reference->GetWorldTransform();
    Matrix4 inverseParent;
    ReferenceTransform(nullptr).InverseAffine(&inverseParent);
    Matrix4 local = wanted * inverseParent;
    for (int r = 0; r < 3; ++r) local.SetRow(r, Normalize(local.Row(r)));
    transform_ = local;
  }
  transform_.m[0][3] = transform_.m[1][3] = transform_.m[2][3] = 0;
  transform_.m[3][3] = 1;
  transform_.SetRow(3, position);
  return true;
}

void Frame::GetOrientation(const FramePtr& reference, Vector* direction, Vector* up) const {
  Matrix4 inverseReference;
  ReferenceTransform(reference).InverseAffine(&inverseReference);
  const Matrix4 relative = GetWorldTransform() * inverseReference;
  if (direction) *direction = Normalize(relative.Row(2));
  if (up) *up = Normalize(relative.Row(1));
}

Vector Frame::Transform(Vector local) const { return GetWorldTransform().TransformPoint(local); }

Vector Frame::InverseTransform(Vector world) const {
  Matrix4 inverse;
  GetWorldTransform().InverseAffine(&inverse);
  return inverse.TransformPoint(world);
}

void Frame::SetRotation(float x, float y, float z, float theta) {
  rotationAxis_ = {x, y, z};
  rotationTheta_ = theta;
}

void Frame::SetVelocity(float x, float y, float z) { velocity_ = {x, y, z}; }

void Frame::Move(float delta) {
  if (rotationTheta_ != 0 && !(rotationAxis_ == Vector{})) {
    // Turn about the frame's own origin: the rotation goes between the
    // linear part and the translation.
    const Vector position = transform_.Row(3);
    transform_.SetRow(3, {});
    transform_ = transform_ * Matrix4::Rotation(rotationAxis_, rotationTheta_ * delta);
    transform_.SetRow(3, position);
  }
  if (!(velocity_ == Vector{})) transform_.SetRow(3, transform_.Row(3) + velocity_ * delta);
  // A copy, so a child that changes the hierarchy while moving cannot
  // invalidate the walk.
  const std::vector<FramePtr> children = children_;
  for (const FramePtr& child : children) child->Move(delta);
}

void Frame::SetSceneBackground(Color color) { GetScene()->background_ = color; }
void Frame::SetSceneBackgroundRGB(float r, float g, float b) { SetSceneBackground(ColorRGB(r, g, b)); }
Color Frame::GetSceneBackground() { return GetScene()->background_; }

}  // namespace rm
