#include <gtest/gtest.h>

#include "TestSupport.h"
#include "rm/Engine.h"

using namespace rm;

namespace {

void ExpectNear(Vector a, Vector b, float tol = 1e-5f) {
  EXPECT_NEAR(a.x, b.x, tol);
  EXPECT_NEAR(a.y, b.y, tol);
  EXPECT_NEAR(a.z, b.z, tol);
}

constexpr float kHalfPi = 1.5707963f;

}  // namespace

TEST(Frame, TransformsComposeInRowVectorOrder) {
  // Quarter turns in the row-vector form: y -> z about x, z -> x about y, x -> y about z.
  ExpectNear(Matrix4::Rotation({1, 0, 0}, kHalfPi).TransformDirection({0, 1, 0}), {0, 0, 1});
  ExpectNear(Matrix4::Rotation({0, 1, 0}, kHalfPi).TransformDirection({0, 0, 1}), {1, 0, 0});
  ExpectNear(Matrix4::Rotation({0, 0, 1}, kHalfPi).TransformDirection({1, 0, 0}), {0, 1, 0});

  Frame before, after;
  before.AddScale(COMBINE_REPLACE, 2, 2, 2);
  after.AddScale(COMBINE_REPLACE, 2, 2, 2);
  before.AddTranslation(COMBINE_BEFORE, 1, 0, 0);  // move, then scale
  after.AddTranslation(COMBINE_AFTER, 1, 0, 0);    // scale, then move
  ExpectNear(before.GetTransform().TransformPoint({1, 0, 0}), {4, 0, 0});
  ExpectNear(after.GetTransform().TransformPoint({1, 0, 0}), {3, 0, 0});
  before.AddTransform(COMBINE_REPLACE, Matrix4{});
  EXPECT_TRUE(NearlyEqual(before.GetTransform(), Matrix4{}));

  auto engine = Engine::Create();
  FramePtr parent = engine->CreateFrame(engine->CreateFrame());
  FramePtr child = engine->CreateFrame(parent);
  parent->AddRotation(COMBINE_REPLACE, 0, 1, 0, kHalfPi);  // x -> -z
  parent->AddTranslation(COMBINE_AFTER, 10, 0, 0);
  child->AddTranslation(COMBINE_REPLACE, 1, 0, 0);
  EXPECT_TRUE(NearlyEqual(child->GetWorldTransform(), child->GetTransform() * parent->GetTransform()));
  ExpectNear(child->Transform({}), {10, 0, -1});
  ExpectNear(child->InverseTransform({10, 0, -1}), {});
}

TEST(Frame, OrientationAndPositionRelativeToReferenceFrames) {
  auto engine = Engine::Create();
  FramePtr scene = engine->CreateFrame();
  FramePtr camera = engine->CreateFrame(scene);
  camera->SetPosition(nullptr, 0, 10, -20);
  ASSERT_TRUE(camera->SetOrientation(nullptr, 0, -0.5f, 1, 0, 1, 0));
  const Matrix4& m = camera->GetTransform();
  const Vector z = Normalize({0, -0.5f, 1});
  ExpectNear(m.Row(2), z);
  ExpectNear(m.Row(1), Normalize(Vector{0, 1, 0} - z * Dot({0, 1, 0}, z)));
  ExpectNear(m.Row(0), {1, 0, 0});  // y x z
  ExpectNear(m.Row(3), {0, 10, -20});

  // Relative to another frame: facing that frame's +x.
  FramePtr other = engine->CreateFrame(scene);
  other->AddRotation(COMBINE_REPLACE, 0, 1, 0, kHalfPi);  // its +x is world -z
  ASSERT_TRUE(camera->SetOrientation(other, 1, 0, 0, 0, 1, 0));
  Vector dir, up;
  camera->GetOrientation(nullptr, &dir, &up);
  ExpectNear(dir, {0, 0, -1});
  ExpectNear(up, {0, 1, 0});
  ExpectNear(camera->GetPosition(nullptr), {0, 10, -20});

  // A position given relative to a frame that is not the parent.
  FramePtr parent = engine->CreateFrame(scene);
  parent->AddTranslation(COMBINE_REPLACE, 5, 0, 0);
  parent->AddScale(COMBINE_BEFORE, 2, 2, 2);
  FramePtr child = engine->CreateFrame(parent);
  FramePtr reference = engine->CreateFrame(scene);
  reference->AddTranslation(COMBINE_REPLACE, 0, 3, 0);
  child->SetPosition(reference, 1, 0, 0);  // world (1, 3, 0)
  ExpectNear(child->Transform({}), {1, 3, 0});
  ExpectNear(child->GetPosition(reference), {1, 0, 0});
  ExpectNear(child->GetTransform().Row(3), {-2, 1.5f, 0});

  testsupport::CapturedOutput out;
  EXPECT_FALSE(camera->SetOrientation(nullptr, 0, 2, 0, 0, 1, 0));
  EXPECT_FALSE(camera->SetOrientation(nullptr, 0, 0, 0, 0, 1, 0));
  EXPECT_TRUE(out.Contains("SetOrientation refused"));
}

TEST(Frame, HierarchyRefusesCyclesAndReparents) {
  auto engine = Engine::Create();
  FramePtr a = engine->CreateFrame();
  FramePtr b = engine->CreateFrame(a);
  FramePtr c = engine->CreateFrame(b);
  testsupport::CapturedOutput out;
  EXPECT_FALSE(c->AddChild(a));
  EXPECT_FALSE(a->AddChild(a));
  EXPECT_TRUE(a->AddChild(c));  // moves c from b to a
  EXPECT_TRUE(b->GetChildren().empty());
  ASSERT_EQ(a->GetChildren().size(), 2u);
  EXPECT_EQ(c->GetScene(), a);
  EXPECT_TRUE(a->DeleteChild(b));
  EXPECT_FALSE(a->DeleteChild(b));
  EXPECT_EQ(b->GetParent(), nullptr);

  // Dropping the root frees the tree; a child held elsewhere becomes a root.
  std::weak_ptr<Frame> weakA = a;
  a.reset();
  EXPECT_TRUE(weakA.expired());
  EXPECT_EQ(c->GetParent(), nullptr);
}

TEST(Frame, VisualsBackgroundAndMove) {
  auto engine = Engine::Create();
  FramePtr scene = engine->CreateFrame();
  FramePtr f = engine->CreateFrame(scene);
  MeshPtr mesh = engine->CreateMesh();
  EXPECT_TRUE(f->AddVisual(mesh));
  EXPECT_TRUE(f->AddVisual(mesh));
  EXPECT_EQ(f->GetVisuals().size(), 1u);
  EXPECT_TRUE(f->DeleteVisual(mesh));
  EXPECT_FALSE(f->DeleteVisual(mesh));
  f->SetSceneBackgroundRGB(0.3f, 0.3f, 0.3f);
  EXPECT_EQ(scene->GetSceneBackground(), ColorRGB(0.3f, 0.3f, 0.3f));

  // Without rotation or velocity a move changes nothing.
  f->AddTranslation(COMBINE_REPLACE, 1, 2, 3);
  scene->Move(1.0f);
  EXPECT_TRUE(NearlyEqual(f->GetTransform(), Matrix4::Translation(1, 2, 3)));
  // A rotation turns about the frame's own origin; a velocity moves it.
  f->SetRotation(0, 1, 0, kHalfPi / 2);
  f->SetVelocity(0, 1, 0);
  scene->Move(2.0f);
  ExpectNear(f->GetTransform().Row(3), {1, 4, 3});
  ExpectNear(f->GetTransform().TransformDirection({1, 0, 0}), {0, 0, -1});
}
