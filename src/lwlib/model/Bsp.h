// BSP trees built from the triangles of a mesh model. Each node holds one
// triangle; the triangle at the front of a work list splits the rest, and
// triangles straddling its plane are cut into three smaller ones.
#pragma once

#include <cstdint>

#include "diag/Failure.h"
#include "lwlib/model/MeshModel.h"
#include "rm/Types.h"

// One tolerance for every plane test.
constexpr float BSP_EPSILON = 0.001f;

// Classes of points and triangles against a splitter.
enum : int32_t {
  BSP_AHEAD = 0,
  BSP_BEHIND = 1,
  BSP_SPANNING = 2,  // triangles only
  BSP_ON_PLANE = 3,  // points only
};

// Tree types, bit flags of a build request. 2 is accepted but builds nothing.
enum : uint32_t {
  BSP_TREE_SPLIT = 1,
};

// Corners in winding order, then the plane normal:
// normalize(p1 - p0) x normalize(p2 - p0), not normalized again, so its length
// is the sine of the corner angle at p0.
struct BspTriangle {
  rm::Vector p0, p1, p2;
  rm::Vector normal;
};
static_assert(sizeof(BspTriangle) == 12 * sizeof(float));

struct BspNode {
  BspTriangle splitter;
  BspNode* ahead = nullptr;   // built from the triangles ahead of the splitter
  BspNode* behind = nullptr;  // built from those behind it
  void* data = nullptr;       // for the tree's user; the builder leaves it null
};

// A built tree. Nodes live in a few large tracked blocks owned by the tree, so
// a tree of any size costs only a handful of allocation slots; releasing the
// tree gives them all back at once.
struct BspTree {
  BspNode* root = nullptr;     // null for an empty tree
  int32_t depth = 0;           // nodes on the longest path from the root
  void* nodeBlocks = nullptr;  // chain of the blocks the nodes live in

  BspTree() = default;
  ~BspTree();
  BspTree(const BspTree&) = delete;
  BspTree& operator=(const BspTree&) = delete;
  BspTree(BspTree&& other) noexcept;
  BspTree& operator=(BspTree&& other) noexcept;
};

// What the last build counted: triangles taken from the model, nodes made and
// triangles split. Overwritten by each build.
struct BspCounters {
  int32_t trianglesIn = 0;
  int32_t nodes = 0;
  int32_t splits = 0;
};

// Builds the tree of the given type from every face of the model (the first
// three vertices of each face, last face first) into `tree`, replacing what it
// held. On success reports the statistics message. On any failure the tree is
// left empty and every block of the attempt is given back.
// why, when given, says what ended a failed build.
bool BuildBspTree(BspTree& tree, const MeshModel& model, uint32_t treeType, Failure* why = nullptr);

// Gives back every node of the tree and leaves it empty. Safe on an empty tree.
void FreeBspTree(BspTree& tree);

BspCounters GetBspCounters();

// Called on the building thread every `interval` nodes of a build with the
// counters so far, so a caller can show progress; null for none.
using BspProgress = void (*)(const BspCounters& counters, void* data);
void SetBspProgress(BspProgress progress, void* data, int32_t interval = 4096);

// The last module error as "BSP Tree Error : <text>\n" (empty when none yet).
const char* GetBspLastError();

// The builder's single steps, open so that tests can check them one by one.

// Makes a triangle and its normal.
BspTriangle MakeBspTriangle(const rm::Vector& p0, const rm::Vector& p1, const rm::Vector& p2);

// BSP_AHEAD, BSP_BEHIND or BSP_ON_PLANE. The tolerance applies to the distance
// from the splitter's first corner and to the cosine between the normal and
// the direction from the point to that corner, not to a distance from the plane.
int32_t BspClassifyPoint(const BspTriangle& splitter, const rm::Vector& point);

// BSP_AHEAD, BSP_BEHIND or BSP_SPANNING; `corners` (when given) receives the
// classes of the three corners after on-plane corners have been resolved.
int32_t BspClassifyTriangle(const BspTriangle& splitter, const BspTriangle& triangle, int32_t corners[3] = nullptr);

// Where the segment from a to b meets the splitter's plane. A parameter
// outside (0, 1) is reported as a module error and used anyway.
rm::Vector BspIntersectEdge(const BspTriangle& splitter, const rm::Vector& a, const rm::Vector& b);

// Cuts a spanning triangle with resolved corner classes into three pieces and
// writes the ones whose edges are all at least BSP_EPSILON long into `pieces`,
// in the order they are pushed back onto the work list, and (when given) the
// side each piece was cut for into `sides`. Returns how many.
int BspSplitTriangle(const BspTriangle& splitter, const BspTriangle& triangle, const int32_t corners[3],
                     BspTriangle pieces[3], int32_t sides[3] = nullptr);
