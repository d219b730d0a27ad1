#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numeric>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "MeshModelMaker.h"
#include "TestSupport.h"
#include "diag/Dbug.h"
#include "lwlib/model/Bsp.h"

using testsupport::AddMeshGroup;
using testsupport::CapturedOutput;
using testsupport::CubeMeshModel;
using testsupport::LiveTrackedBlocks;
using testsupport::TriangleSoupModel;
using testsupport::TwoTetrahedraMeshModel;

namespace {

using V = rm::Vector;

bool Same(const V& a, const V& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
bool SameCorners(const BspTriangle& t, const V& p0, const V& p1, const V& p2) {
  return Same(t.p0, p0) && Same(t.p1, p1) && Same(t.p2, p2);
}
bool SameTriangle(const BspTriangle& a, const BspTriangle& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
int CountNodes(const BspNode* node) { return node ? 1 + CountNodes(node->ahead) + CountNodes(node->behind) : 0; }
BspTriangle Unit() { return MakeBspTriangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0}); }
// Triangles in, nodes, splits of the last build.
std::array<int32_t, 3> Counts() {
  const BspCounters c = GetBspCounters();
  return {c.trianglesIn, c.nodes, c.splits};
}

// The plain build: recursive, one vector per list, the back of a vector being
// the front of the list.
struct RefNode {
  BspTriangle splitter;
  std::unique_ptr<RefNode> ahead, behind;
};

struct RefBuild {
  int nodes = 0, splits = 0;

  std::unique_ptr<RefNode> Build(std::vector<BspTriangle> list) {
    if (list.empty()) return nullptr;
    ++nodes;
    auto node = std::make_unique<RefNode>(RefNode{list.back(), nullptr, nullptr});
    list.pop_back();
    std::vector<BspTriangle> ahead, behind;
    while (!list.empty()) {
      const BspTriangle t = list.back();
      list.pop_back();
      int32_t corners[3];
      const int32_t side = BspClassifyTriangle(node->splitter, t, corners);
      if (side == BSP_AHEAD || side == BSP_BEHIND) {
        (side == BSP_AHEAD ? ahead : behind).push_back(t);
        continue;
      }
      ++splits;
      BspTriangle pieces[3];
      list.insert(list.end(), pieces, pieces + BspSplitTriangle(node->splitter, t, corners, pieces));
    }
    node->behind = Build(std::move(behind));
    node->ahead = Build(std::move(ahead));
    return node;
  }
};

// The list of a model of one group of triangles, last face at the front.
std::vector<BspTriangle> RefTriangles(const MeshModel& model) {
  const MeshGroup& g = model.groups.at(0);
  const auto at = [&](uint32_t i) { return g.vertices[g.faceData[i]].position; };
  std::vector<BspTriangle> list;
  for (uint32_t i = 0; i + 2 < g.faceDataSize(); i += 3) list.push_back(MakeBspTriangle(at(i), at(i + 1), at(i + 2)));
  return list;
}

bool SameTree(const BspNode* a, const RefNode* b) {
  if (!a || !b) return !a && !b;
  return SameTriangle(a->splitter, b->splitter) && a->data == nullptr && SameTree(a->ahead, b->ahead.get()) &&
         SameTree(a->behind, b->behind.get());
}

MeshModel RandomModel(unsigned seed, int count, float extent, float size) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> where(-extent, extent), offset(-size, size);
  std::vector<std::array<V, 3>> triangles;
  for (int i = 0; i < count; ++i) {
    const V c{where(random), where(random), where(random)};
    std::array<V, 3> t;
    for (V& p : t) p = {c.x + offset(random), c.y + offset(random), c.z + offset(random)};
    triangles.push_back(t);
  }
  return TriangleSoupModel(triangles);
}

}  // namespace

TEST(BspSteps, PointsAndTrianglesAreClassified) {
  const BspTriangle unit = Unit();  // ahead is +z
  EXPECT_TRUE(Same(unit.normal, {0, 0, 1}));
  const std::pair<V, int32_t> points[] = {
      {{0, 0, 1}, BSP_AHEAD},
      {{0, 0, -1}, BSP_BEHIND},
      {{0.0005f, 0.0005f, 0.0005f}, BSP_ON_PLANE},  // next to the first corner
      {{100, 0, 0.05f}, BSP_ON_PLANE},              // far off the plane, but at a flat angle
      {{1, 0, 0.002f}, BSP_AHEAD},
      {{1, 0, 0.0015f}, BSP_AHEAD}};
  for (const auto& [p, side] : points) EXPECT_EQ(BspClassifyPoint(unit, p), side) << p.x << " " << p.z;
  // A 30 degree corner gives a normal of length 0.5, which loosens the test.
  const BspTriangle narrow = MakeBspTriangle({0, 0, 0}, {1, 0, 0}, {std::cos(0.5235988f), std::sin(0.5235988f), 0});
  EXPECT_NEAR(narrow.normal.z, 0.5f, 1e-6f);
  EXPECT_EQ(BspClassifyPoint(narrow, {1, 0, 0.0015f}), BSP_ON_PLANE);
  // A triangle with a zero-length edge still gets a usable normal.
  EXPECT_TRUE(Same(MakeBspTriangle({0, 0, 0}, {0, 0, 0}, {0, 1, 0}).normal, {0, 0, 1}));

  // Corners on the plane follow the sides present; all on it counts as ahead.
  const struct {
    V a, b, c;
    int32_t side;
    std::array<int32_t, 3> corners;
  } triangles[] = {
      {{2, 0, 0}, {3, 0, 0}, {2, 1, 0}, BSP_AHEAD, {BSP_AHEAD, BSP_AHEAD, BSP_AHEAD}},
      {{2, 0, 0}, {3, 0, 0}, {2, 1, -1}, BSP_BEHIND, {BSP_BEHIND, BSP_BEHIND, BSP_BEHIND}},
      {{2, 0, 0}, {3, 0, 1}, {2, 1, 0}, BSP_AHEAD, {BSP_AHEAD, BSP_AHEAD, BSP_AHEAD}},
      {{2, 0, 0}, {3, 0, 1}, {2, 1, -1}, BSP_SPANNING, {BSP_AHEAD, BSP_AHEAD, BSP_BEHIND}}};
  for (const auto& t : triangles) {
    std::array<int32_t, 3> c{};
    EXPECT_EQ(BspClassifyTriangle(unit, MakeBspTriangle(t.a, t.b, t.c), c.data()), t.side) << t.c.z;
    EXPECT_EQ(c, t.corners) << t.c.z;
  }
}

TEST(BspSteps, SplitKeepsWindingDropsThinPiecesAndReportsOddParameters) {
  const BspTriangle s = Unit();
  // P0 lies on the plane and counts as ahead, so P2 is the corner alone; the
  // cut through P2-P0 lands on P0 itself.
  const V p0{5, 0, 0}, p1{5, 1, 1}, p2{5, 1, -1};
  const BspTriangle t = MakeBspTriangle(p0, p1, p2);
  int32_t c[3];
  ASSERT_EQ(BspClassifyTriangle(s, t, c), BSP_SPANNING);
  BspTriangle pieces[3];
  ASSERT_EQ(BspSplitTriangle(s, t, c, pieces), 2);
  EXPECT_STREQ(GetBspLastError(), "BSP Tree Error : Invalid t value 1.000000\n");
  EXPECT_TRUE(SameCorners(pieces[0], p2, p0, {5, 1, 0}));
  EXPECT_TRUE(SameCorners(pieces[1], p0, p1, {5, 1, 0}));  // (I0, P0, P1) was too thin
  for (const BspTriangle& piece : {pieces[0], pieces[1]}) {
    EXPECT_GT(piece.normal.x * t.normal.x, 0);  // same facing as the original
    EXPECT_TRUE(SameTriangle(piece, MakeBspTriangle(piece.p0, piece.p1, piece.p2)));
  }
  // The other two patterns, with clean cuts at z = 0.
  const V a{0, 0, -1}, b{2, 0, 1}, d{0, 2, 1}, x{1, 0, 0}, y{0, 1, 0};
  const int32_t aloneFirst[3] = {BSP_BEHIND, BSP_AHEAD, BSP_AHEAD};
  ASSERT_EQ(BspSplitTriangle(s, MakeBspTriangle(a, b, d), aloneFirst, pieces), 3);
  EXPECT_TRUE(SameCorners(pieces[0], a, x, y) && SameCorners(pieces[1], x, b, y) && SameCorners(pieces[2], y, b, d));
  const int32_t aloneSecond[3] = {BSP_AHEAD, BSP_BEHIND, BSP_AHEAD};
  ASSERT_EQ(BspSplitTriangle(s, MakeBspTriangle(b, a, d), aloneSecond, pieces), 3);
  EXPECT_TRUE(SameCorners(pieces[0], a, y, x) && SameCorners(pieces[1], x, d, b) && SameCorners(pieces[2], x, y, d));
  const int32_t none[3] = {BSP_AHEAD, BSP_AHEAD, BSP_AHEAD};
  EXPECT_EQ(BspSplitTriangle(s, MakeBspTriangle(a, b, d), none, pieces), 0);
  EXPECT_STREQ(GetBspLastError(), "BSP Tree Error : Attempt to split a polygon which does not reequire it\n");
}

TEST(BspBuild, SmallModelsGiveTheDocumentedTreesAndOnlyTreeTypeOneSplits) {
  CapturedOutput out;
  BspTree tree;
  MeshModel empty;
  EXPECT_TRUE(BuildBspTree(tree, empty, BSP_TREE_SPLIT));
  EXPECT_EQ(tree.root, nullptr);
  AddMeshGroup(empty, std::vector<V>{}, {}, 3, 0);
  EXPECT_TRUE(BuildBspTree(tree, empty, BSP_TREE_SPLIT));
  EXPECT_EQ(tree.root, nullptr);
  EXPECT_TRUE(out.Contains("Message: Model with 0 polys generated 0 nodes with 0 splits in BSP tree"));

  ASSERT_TRUE(BuildBspTree(tree, TriangleSoupModel({{V{0, 0, 0}, V{1, 0, 0}, V{0, 1, 0}}}), BSP_TREE_SPLIT));
  ASSERT_NE(tree.root, nullptr);
  EXPECT_TRUE(tree.root->ahead == nullptr && tree.root->behind == nullptr && tree.root->data == nullptr);
  EXPECT_EQ(tree.depth, 1);

  const MeshModel model = CubeMeshModel();
  out.Clear();
  EXPECT_FALSE(BuildBspTree(tree, model, 2));  // silently nothing
  EXPECT_EQ(tree.root, nullptr);
  EXPECT_TRUE(out.lines().empty());
  EXPECT_EQ(GetBspCounters().trianglesIn, 12);
  EXPECT_FALSE(BuildBspTree(tree, model, 0));
  EXPECT_STREQ(GetBspLastError(), "BSP Tree Error : Unknown BSP Tree type\n");
  ASSERT_EQ(out.lines().size(), 1u);
  EXPECT_NE(out.lines()[0].find("Warning: Unknown BSP Tree type"), std::string::npos);
  EXPECT_TRUE(BuildBspTree(tree, model, 3));
  EXPECT_NE(tree.root, nullptr);
}

// Blocks left behind are counted by the failure sweep below.
TEST(BspBuild, FacesGiveTheirFirstThreeCorners) {
  CapturedOutput out;
  const std::vector<V> corners = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 5}};
  MeshModel model;
  AddMeshGroup(model, corners, {0, 1, 2, 3}, 4, 1);
  // Faces of varying size.
  AddMeshGroup(model, corners, {4, 3, 2, 1, 0, 3, 4, 0, 1}, 0, 2);
  BspTree tree;
  ASSERT_TRUE(BuildBspTree(tree, model, BSP_TREE_SPLIT));
  EXPECT_EQ(Counts(), (std::array<int32_t, 3>{3, 3, 0}));
  // Last face first: (4 0 1) is the root, (3 2 1) comes last.
  EXPECT_TRUE(SameCorners(tree.root->splitter, corners[4], corners[0], corners[1]));
  int found = 0;
  for (const BspNode* n : {tree.root->ahead, tree.root->behind}) {
    for (; n; n = n->ahead ? n->ahead : n->behind) {
      found += SameCorners(n->splitter, corners[0], corners[1], corners[2]);
      found += SameCorners(n->splitter, corners[3], corners[2], corners[1]);
    }
  }
  EXPECT_EQ(found, 2);
}

TEST(BspBuild, ClosedMeshesWorkedOutByHandAndTheSameTreeAsAPlainRecursiveBuild) {
  CapturedOutput out(DEBUG_MODE_SILENT);
  BspTree tree;
  // Cube: every other side lies behind a side's plane and its partner
  // triangle lies in it (ahead). The chain down the behind side takes the
  // list from alternate ends (faces 11, 0, 9, 2, 7, 4), each with its partner
  // ahead: six levels and a leaf.
  ASSERT_TRUE(BuildBspTree(tree, CubeMeshModel(), BSP_TREE_SPLIT));
  EXPECT_EQ(Counts(), (std::array<int32_t, 3>{12, 12, 0}));
  EXPECT_EQ(tree.depth, 7);
  EXPECT_EQ(CountNodes(tree.root->ahead), 1);

  // Two tetrahedra: z = 0 cuts the three faces of EFGH that meet at E into
  // three pieces each (one ahead, two behind); nothing else is cut. Ahead:
  // the three corner pieces; behind: three faces of ABCD, six pieces and FGH.
  ASSERT_TRUE(BuildBspTree(tree, TwoTetrahedraMeshModel(), BSP_TREE_SPLIT));
  EXPECT_EQ(Counts(), (std::array<int32_t, 3>{8, 14, 3}));
  EXPECT_EQ(CountNodes(tree.root->ahead), 3);
  EXPECT_EQ(CountNodes(tree.root->behind), 10);

  std::vector<MeshModel> models;
  models.push_back(CubeMeshModel());
  models.push_back(TwoTetrahedraMeshModel());
  for (unsigned seed = 1; seed <= 6; ++seed) models.push_back(RandomModel(seed, 40 * seed, 4, 1.5f));
  int splits = 0;
  for (const MeshModel& model : models) {
    RefBuild ref;
    const std::unique_ptr<RefNode> expected = ref.Build(RefTriangles(model));
    ASSERT_TRUE(BuildBspTree(tree, model, BSP_TREE_SPLIT));
    EXPECT_EQ(GetBspCounters().nodes, ref.nodes);
    EXPECT_EQ(GetBspCounters().splits, ref.splits);
    EXPECT_TRUE(SameTree(tree.root, expected.get()));
    splits += ref.splits;
  }
  EXPECT_GT(splits, 100);  // the random models do exercise the cuts
}

TEST(BspBuild, EveryFailedAllocationFailsCleanly) {
  CapturedOutput out(DEBUG_MODE_SILENT);
  const MeshModel model = RandomModel(7, 300, 4, 1.5f);
  const testsupport::InjectionResult r = testsupport::InjectAllocationFailures([&] {
    BspTree tree;
    const bool ok = BuildBspTree(tree, model, BSP_TREE_SPLIT);
    EXPECT_EQ(ok, tree.root != nullptr);
    return ok;
  });
  EXPECT_GT(r.runs, 8);
  EXPECT_EQ(r.leakedAt, 0);
  EXPECT_EQ(r.succeededAt, 0);
}

TEST(BspBuild, LargeModelsUseFewAllocationSlotsAndAreReleased) {
  CapturedOutput out(DEBUG_MODE_SILENT);
  // 60,000 parallel triangles in shuffled order: a tree of fair depth that
  // needs more nodes than the allocation table has slots.
  constexpr int kCount = 60000;
  std::vector<float> heights(kCount);
  std::iota(heights.begin(), heights.end(), 0.0f);
  std::shuffle(heights.begin(), heights.end(), std::mt19937(3));
  std::vector<std::array<V, 3>> triangles;
  for (const float z : heights) triangles.push_back({V{0, 0, z}, V{1, 0, z}, V{0, 1, z}});
  const MeshModel model = TriangleSoupModel(triangles);
  const int32_t live = LiveTrackedBlocks();
  BspTree tree;
  ASSERT_TRUE(BuildBspTree(tree, model, BSP_TREE_SPLIT));
  EXPECT_EQ(Counts(), (std::array<int32_t, 3>{kCount, kCount, 0}));
  EXPECT_LT(tree.depth, 100);
  EXPECT_LT(LiveTrackedBlocks() - live, 40);
  BspTree moved = std::move(tree);
  EXPECT_EQ(tree.root, nullptr);
  FreeBspTree(moved);
  EXPECT_EQ(moved.root, nullptr);
  EXPECT_EQ(LiveTrackedBlocks(), live);
}

TEST(BspBuild, PiecesThatRoundingPutsAcrossThePlaneAgainAreNotCutAgain) {
  // From a rolling terrain: the triangle shares the splitter's first corner,
  // and two of its pieces come out straddling the plane again. Cutting them
  // again gives the same pieces again, without end.
  const V s0{0x1.6p+5f, 0x1.3p+4f, -0x1.191ad6p-1f}, s1{0x1.606e5ap+5f, 0x1.2e45dap+4f, -0x1.07e59p-1f},
      s2{0x1.60775ep+5f, 0x1.3p+4f, -0x1.0678d8p-1f};
  const V t0{0x1.607cb6p+5f, 0x1.30f96cp+4f, -0x1.05b4eep-1f}, t1{0x1.6p+5f, 0x1.4p+4f, -0x1.10d652p-1f};
  CapturedOutput out(DEBUG_MODE_SILENT);
  BspTree tree;
  ASSERT_TRUE(BuildBspTree(tree, TriangleSoupModel({{t0, t1, s0}, {s0, s1, s2}}), BSP_TREE_SPLIT));
  EXPECT_EQ(Counts(), (std::array<int32_t, 3>{2, 4, 1}));
  EXPECT_EQ(CountNodes(tree.root->ahead), 2);
  EXPECT_EQ(CountNodes(tree.root->behind), 1);
}
