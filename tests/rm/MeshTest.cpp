#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"
#include "rm/Engine.h"

using namespace rm;

namespace {

// A quad and a triangle as count-prefixed faces over 5 vertices.
const std::vector<uint32_t> kFaces{4, 0, 1, 2, 3, 3, 2, 3, 4};

Vertex At(float x, float y, float z) {
  Vertex v;
  v.position = {x, y, z};
  v.normal = {0, 0, -1};
  return v;
}

const std::vector<Vertex> kFive{At(0, 0, 0), At(1, 0, 0), At(1, 1, 0), At(0, 1, 0), At(2, 2, 2)};

}  // namespace

TEST(Mesh, GroupsCheckTheirFacesAndVertexRanges) {
  Mesh mesh;
  EXPECT_EQ(mesh.AddGroup(5, 2, 0, kFaces), 0);
  EXPECT_EQ(mesh.AddGroup(0, 0, 0, {}), 1);  // an empty surface still has a group
  EXPECT_EQ(mesh.AddGroup(4, 2, 3, std::vector<uint32_t>{0, 1, 2, 2, 1, 3}), 2);

  testsupport::CapturedOutput out;
  EXPECT_EQ(mesh.AddGroup(4, 2, 0, kFaces), -1);                          // index 4 of 4 vertices
  EXPECT_EQ(mesh.AddGroup(5, 3, 0, kFaces), -1);                          // a third face is missing
  EXPECT_EQ(mesh.AddGroup(5, 1, 0, std::vector<uint32_t>{4, 0, 1}), -1);  // the face is cut short
  EXPECT_EQ(mesh.AddGroup(5, 1, 0, std::vector<uint32_t>{2, 0, 1}), -1);  // two corners are no face
  EXPECT_EQ(mesh.AddGroup(5, 1, 2, std::vector<uint32_t>{0, 1}), -1);
  EXPECT_EQ(mesh.AddGroup(Mesh::kMaxGroupVertices + 1, 0, 0, {}), -1);
  EXPECT_EQ(mesh.GetGroupCount(), 3u);
  EXPECT_TRUE(out.Contains("names vertex 4 of 4"));

  uint32_t vertexCount, faceCount, perFace, dataSize;
  ASSERT_TRUE(mesh.GetGroup(0, &vertexCount, &faceCount, &perFace, &dataSize));
  EXPECT_EQ(std::vector<uint32_t>({vertexCount, faceCount, perFace, dataSize}),
            std::vector<uint32_t>({5, 2, 0, static_cast<uint32_t>(kFaces.size())}));
  std::vector<uint32_t> data(dataSize - 1);
  EXPECT_FALSE(mesh.GetGroup(0, nullptr, nullptr, nullptr, nullptr, data));  // too small
  data.resize(dataSize);
  ASSERT_TRUE(mesh.GetGroup(0, nullptr, nullptr, nullptr, nullptr, data));
  EXPECT_EQ(data, kFaces);
  EXPECT_FALSE(mesh.GetGroup(3, &vertexCount, nullptr, nullptr, nullptr));

  EXPECT_TRUE(mesh.SetVertices(0, 0, 5, kFive.data()));
  EXPECT_FALSE(mesh.SetVertices(0, 3, 3, kFive.data()));
  EXPECT_FALSE(mesh.SetVertices(0, 0xFFFFFFFFu, 2, kFive.data()));
  EXPECT_FALSE(mesh.SetVertices(1, 0, 1, kFive.data()));
  std::vector<Vertex> back(2);
  ASSERT_TRUE(mesh.GetVertices(0, 3, 2, back.data()));
  EXPECT_EQ(back[1].position.z, 2);
  EXPECT_FALSE(mesh.GetVertices(0, 4, 2, back.data()));
  EXPECT_TRUE(mesh.SetGroupColorRGB(0, 1, 0.5f, 0));
  EXPECT_EQ(mesh.GetGroupColor(0), 0xFFFF8000u);
  EXPECT_FALSE(mesh.SetGroupColor(3, 0));
}

TEST(Mesh, BoxCoversEveryGroup) {
  Mesh mesh;
  Box box;
  EXPECT_FALSE(mesh.GetBox(&box));
  ASSERT_EQ(mesh.AddGroup(5, 2, 0, kFaces), 0);
  ASSERT_EQ(mesh.AddGroup(3, 1, 3, std::vector<uint32_t>{0, 1, 2}), 1);
  const std::vector<Vertex> a{At(-1, 2, 3), At(4, 2, 3), At(0, 0, 0), At(0, 0, 0), At(0, 0, 0)};
  const std::vector<Vertex> b{At(0, -7, 0), At(0, 0, 9), At(1, 1, 1)};
  mesh.SetVertices(0, 0, 5, a.data());
  mesh.SetVertices(1, 0, 3, b.data());
  ASSERT_TRUE(mesh.GetBox(&box));
  EXPECT_EQ(std::vector<float>({box.min.x, box.min.y, box.min.z, box.max.x, box.max.y, box.max.z}),
            std::vector<float>({-1, -7, 0, 4, 2, 9}));
}

TEST(Mesh, CloneCopiesGroupsDeeply) {
  auto engine = Engine::Create();
  MeshPtr mesh = engine->CreateMesh();
  mesh->SetName("ball");
  ASSERT_EQ(mesh->AddGroup(5, 2, 0, kFaces), 0);
  mesh->SetGroupColorRGB(0, 1, 0, 0);
  mesh->SetGroupTexture(0, engine->CreateTextureFromSurface(Surface::Create(2, 2, PixelFormat::Rgb(24))));
  mesh->SetVertices(0, 0, 5, kFive.data());

  auto copy = std::dynamic_pointer_cast<Mesh>(mesh->Clone());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetName(), "ball");
  ASSERT_EQ(copy->GetGroupCount(), 1u);
  EXPECT_EQ(copy->GetGroupTexture(0), mesh->GetGroupTexture(0));
  // Changing the copy leaves the original alone.
  copy->GroupVertices(0)[0].position.x = 42;
  copy->SetGroupColorRGB(0, 0, 1, 0);
  ASSERT_EQ(copy->AddGroup(3, 1, 3, std::vector<uint32_t>{0, 1, 2}), 1);
  EXPECT_EQ(mesh->GroupVertices(0)[0].position.x, 0);
  EXPECT_EQ(mesh->GetGroupColor(0), 0xFFFF0000u);
  EXPECT_EQ(mesh->GetGroupCount(), 1u);
  EXPECT_NE(copy->Group(0)->faceData.data(), mesh->Group(0)->faceData.data());
}

TEST(Wrap, PlanarMapOfASurfaceSizedTextureCoversItOnce) {
  // A 4 x 2 quad centred on (1, 5, 3) in the z = 3 plane, mapped along z with
  // the scales of a planar image map whose size equals the quad's.
  auto engine = Engine::Create();
  const float cx = 1, cy = 5, cz = 3, sx = 4, sy = 2;
  WrapPtr wrap = engine->CreateWrap(WRAP_FLAT, nullptr, cx, cy, cz, 0, 0, 1, 0, 1, 0, 0.5f, 0.5f, 1 / sx, -1 / sy);
  ASSERT_NE(wrap, nullptr);
  Mesh mesh;
  ASSERT_EQ(mesh.AddGroup(4, 1, 4, std::vector<uint32_t>{0, 1, 2, 3}), 0);
  ASSERT_EQ(mesh.AddGroup(1, 0, 0, {}), 1);
  const std::vector<Vertex> quad{At(cx - 2, cy + 1, cz), At(cx + 2, cy + 1, cz), At(cx + 2, cy - 1, cz),
                                 At(cx - 2, cy - 1, cz)};
  mesh.SetVertices(0, 0, 4, quad.data());
  const Vertex centre = At(cx, cy, cz + 7);  // depth along the direction does not matter
  mesh.SetVertices(1, 0, 1, &centre);
  ASSERT_TRUE(wrap->Apply(mesh));
  // Top left is (0, 0), bottom right (1, 1): the texture once, upright.
  const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(mesh.GroupVertices(0)[i].tu, uv[i][0], 1e-6f) << i;
    EXPECT_NEAR(mesh.GroupVertices(0)[i].tv, uv[i][1], 1e-6f) << i;
  }
  EXPECT_NEAR(mesh.GroupVertices(1)[0].tu, 0.5f, 1e-6f);
  EXPECT_NEAR(mesh.GroupVertices(1)[0].tv, 0.5f, 1e-6f);

  // Along y with up z: right = up x direction = -x, so a negative u scale
  // keeps +x to the right of the image.
  WrapPtr alongY = engine->CreateWrap(WRAP_FLAT, nullptr, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0.5f, 0.5f, -1 / 2.0f, 1 / 6.0f);
  float u, w;
  ASSERT_TRUE(alongY->Map({1, 9, 3}, &u, &w));
  EXPECT_NEAR(u, 1, 1e-6f);
  EXPECT_NEAR(w, 1, 1e-6f);

  testsupport::CapturedOutput out;
  EXPECT_EQ(engine->CreateWrap(WRAP_FLAT, nullptr, 0, 0, 0, 0, 1, 0, 0, 2, 0, 0, 0, 1, 1), nullptr);
  WrapParams sphere;
  sphere.type = WRAP_SPHERE;
  EXPECT_FALSE(Wrap(sphere, nullptr).Apply(mesh));
}
