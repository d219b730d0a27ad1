// The tree is built without recursion: a model of n triangles makes a tree at
// least n nodes deep in the worst case, far more than the call stack takes.
// Work lists and nodes come from a few growing tracked blocks instead of one
// allocation each, so large models stay well inside the allocation table.
// The lists keep their last-in-first-out order and the pending subtrees are
// taken behind side first, so the tree, the counters and the order of the
// module's errors are those of a plain recursive build.
//
// Some error texts are spelt as users and their scripts have always seen them
// ("occured", "reequire"); keep them so.
#include "lwlib/model/Bsp.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <source_location>
#include <string>
#include <utility>

#include "diag/Dbug.h"
#include "diag/TrackedBuffer.h"
#include "rm/Faces.h"

namespace {

constexpr size_t kErrorBufferSize = 1024;
char g_lastError[kErrorBufferSize];
BspCounters g_counters;
BspProgress g_progress = nullptr;
void* g_progressData = nullptr;
int32_t g_progressInterval = 4096;

// Errors of the module land in one buffer. Those that end a build also go to
// the report channel; the others (a cut at a corner lying on the plane gives an
// intersection parameter of exactly 0 or 1 all the time) would drown it.
// The error that ended the build under way, for its caller.
std::string g_buildError;

void BspError(const char* text, bool report, std::source_location where = std::source_location::current()) {
  std::snprintf(g_lastError, sizeof g_lastError, "BSP Tree Error : %s\n", text);
  if (report) {
    ReportWarning(text, where);
    if (g_buildError.empty()) g_buildError = text;
  }
}

rm::Vector Sub(const rm::Vector& a, const rm::Vector& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
rm::Vector Add(const rm::Vector& a, const rm::Vector& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
rm::Vector Scale(const rm::Vector& a, float s) { return {a.x * s, a.y * s, a.z * s}; }
float Dot(const rm::Vector& a, const rm::Vector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
rm::Vector Cross(const rm::Vector& a, const rm::Vector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Modulus(const rm::Vector& a) { return std::sqrt(Dot(a, a)); }

// A zero vector has no direction; like the engine's own vector function it
// becomes the unit x axis.
rm::Vector Normalize(const rm::Vector& a) {
  const float length = Modulus(a);
  if (length == 0) return {1, 0, 0};
  return Scale(a, 1.0f / length);
}

// Records of one kind handed out from tracked blocks that double in size up
// to a limit. Blocks are chained through a header so the whole chain can be
// given back without knowing what was handed out.
struct BlockHeader {
  void* next;
  uint64_t capacity;
};

void FreeBlockChain(void*& chain) {
  while (chain) {
    void* next = static_cast<BlockHeader*>(chain)->next;
    TrackedFree(chain);
    chain = next;
  }
}

template <typename T>
class BlockArena {
 public:
  explicit BlockArena(void*& chain) : chain_(chain) {}

  T* Take() {
    if (used_ == capacity_) {
      const uint32_t capacity = capacity_ == 0 ? kFirstBlock : std::min(capacity_ * 2, kLargestBlock);
      void* block = TrackedAlloc(static_cast<uint32_t>(sizeof(BlockHeader) + capacity * sizeof(T)));
      if (!block) return nullptr;
      auto* header = static_cast<BlockHeader*>(block);
      header->next = chain_;
      header->capacity = capacity;
      chain_ = block;
      records_ = reinterpret_cast<T*>(header + 1);
      capacity_ = capacity;
      used_ = 0;
    }
    return &records_[used_++];
  }

 private:
  static constexpr uint32_t kFirstBlock = 16;
  static constexpr uint32_t kLargestBlock = 4096;
  static_assert(sizeof(BlockHeader) % alignof(T) == 0);

  void*& chain_;
  T* records_ = nullptr;
  uint32_t used_ = 0;
  uint32_t capacity_ = 0;
};

struct BspEntry {
  BspTriangle triangle;
  BspEntry* next;
  int32_t cutSide;  // for a piece of a cut by the current splitter: the side it was cut for; else -1
};

struct BspList {
  BspEntry* head = nullptr;
  uint32_t count = 0;
};

// List entries of one build. A popped entry is kept for the next push, so
// sorting a list onto two others needs no new memory.
class EntryStore {
 public:
  EntryStore() = default;
  ~EntryStore() { FreeBlockChain(blocks_); }
  EntryStore(const EntryStore&) = delete;
  EntryStore& operator=(const EntryStore&) = delete;

  bool Push(BspList& list, const BspTriangle& triangle, int32_t cutSide = -1) {
    BspEntry* entry = spare_;
    if (entry) {
      spare_ = entry->next;
    } else {
      entry = arena_.Take();
      if (!entry) return false;
    }
    *entry = {triangle, list.head, cutSide};
    list.head = entry;
    ++list.count;
    return true;
  }

  bool Pop(BspList& list, BspTriangle& triangle, int32_t* cutSide = nullptr) {
    BspEntry* entry = list.head;
    if (!entry) return false;
    triangle = entry->triangle;
    if (cutSide) *cutSide = entry->cutSide;
    list.head = entry->next;
    --list.count;
    entry->next = spare_;
    spare_ = entry;
    return true;
  }

 private:
  void* blocks_ = nullptr;
  BlockArena<BspEntry> arena_{blocks_};
  BspEntry* spare_ = nullptr;
};

// The model's faces as triangles (each face's first three corners), pushed
// in order so the list holds them last face first.
bool CollectTriangles(const MeshModel& model, EntryStore& store, BspList& list) {
  for (const MeshGroup& group : model.groups) {
    for (std::span<const uint32_t> face : rm::Faces(group)) {
      const BspTriangle triangle = MakeBspTriangle(group.vertices[face[0]].position, group.vertices[face[1]].position,
                                                   group.vertices[face[2]].position);
      // A triangle left out would make a wrong tree that looks right, so a
      // failed push ends the build.
      if (!store.Push(list, triangle)) {
        BspError("Could not add polygon to list", true);
        return false;
      }
    }
  }
  return true;
}

// Sorts every triangle of `list` to one side of the splitter, cutting those
// that straddle it; the pieces go back to the front of `list`.
//
// A piece lies on one side of the plane by construction: its other corners
// are those of one side and its cut corners lie in the plane. Rounding can
// put a cut corner a hair off the plane, and where that corner is also close
// to the splitter's first corner the cosine test then sees the piece straddle
// the plane again. Cutting it again makes the same piece again (on terrain-like
// models this never ends), so such a piece goes to the side it was cut for.
bool Partition(EntryStore& store, BspList& list, const BspTriangle& splitter, BspList& ahead, BspList& behind) {
  BspTriangle triangle;
  int32_t cutSide = -1;
  while (store.Pop(list, triangle, &cutSide)) {
    int32_t corners[3];
    int32_t side = BspClassifyTriangle(splitter, triangle, corners);
    if (side == BSP_SPANNING && cutSide >= 0) side = cutSide;
    if (side == BSP_AHEAD) {
      if (!store.Push(ahead, triangle)) return false;
    } else if (side == BSP_BEHIND) {
      if (!store.Push(behind, triangle)) return false;
    } else {
      if (g_counters.splits == std::numeric_limits<int32_t>::max()) {
        BspError("Too many splits to count", true);
        return false;
      }
      ++g_counters.splits;
      BspTriangle pieces[3];
      int32_t sides[3];
      const int count = BspSplitTriangle(splitter, triangle, corners, pieces, sides);
      for (int i = 0; i < count; ++i)
        if (!store.Push(list, pieces[i], sides[i])) return false;
    }
  }
  return true;
}

// A subtree still to build: its triangles and where its root goes.
struct PendingSubtree {
  BspList list;
  BspNode** slot;
  int32_t depth;
};

class PendingStack {
 public:
  bool Push(const PendingSubtree& item) {
    if (count_ == items_.size()) {
      TrackedBuffer<PendingSubtree> bigger;
      if (!bigger.Allocate(items_.empty() ? 64 : items_.size() * 2)) return false;
      std::copy(items_.begin(), items_.end(), bigger.begin());
      items_ = std::move(bigger);
    }
    items_[count_++] = item;
    return true;
  }
  bool Pop(PendingSubtree& item) {
    if (count_ == 0) return false;
    item = items_[--count_];
    return true;
  }

 private:
  TrackedBuffer<PendingSubtree> items_;
  size_t count_ = 0;
};

bool BuildSplitTree(BspTree& tree, EntryStore& store, BspList list) {
  if (list.count == 0) return true;
  BlockArena<BspNode> nodes(tree.nodeBlocks);
  PendingStack pending;
  if (!pending.Push({list, &tree.root, 1})) {
    BspError("Could not allocate the BSP work stack", true);
    return false;
  }
  PendingSubtree work;
  while (pending.Pop(work)) {
    if (g_counters.nodes == std::numeric_limits<int32_t>::max()) {
      BspError("Too many nodes to count", true);
      return false;
    }
    ++g_counters.nodes;
    if (g_progress && g_counters.nodes % g_progressInterval == 0) g_progress(g_counters, g_progressData);
    BspTriangle splitter;
    store.Pop(work.list, splitter);
    BspList ahead, behind;
    if (!Partition(store, work.list, splitter, ahead, behind)) {
      BspError("An error occured creating the lists required", true);
      return false;
    }
    BspNode* node = nodes.Take();
    if (!node) {
      BspError("Could not allocate a BSP node", true);
      return false;
    }
    *node = BspNode{splitter};
    *work.slot = node;
    tree.depth = std::max(tree.depth, work.depth);
    // Pushed ahead first so the behind side is built first.
    if (ahead.count != 0 && !pending.Push({ahead, &node->ahead, work.depth + 1})) {
      BspError("Could not allocate the BSP work stack", true);
      return false;
    }
    if (behind.count != 0 && !pending.Push({behind, &node->behind, work.depth + 1})) {
      BspError("Could not allocate the BSP work stack", true);
      return false;
    }
  }
  return true;
}

}  // namespace

BspTriangle MakeBspTriangle(const rm::Vector& p0, const rm::Vector& p1, const rm::Vector& p2) {
  return {p0, p1, p2, Cross(Normalize(Sub(p1, p0)), Normalize(Sub(p2, p0)))};
}

int32_t BspClassifyPoint(const BspTriangle& splitter, const rm::Vector& point) {
  const rm::Vector d = Sub(splitter.p0, point);
  const float length = Modulus(d);
  if (-BSP_EPSILON < length && length < BSP_EPSILON) return BSP_ON_PLANE;
  const float s = Dot(Normalize(d), splitter.normal);
  if (-BSP_EPSILON < s && s < BSP_EPSILON) return BSP_ON_PLANE;
  return s < 0 ? BSP_AHEAD : BSP_BEHIND;
}

int32_t BspClassifyTriangle(const BspTriangle& splitter, const BspTriangle& triangle, int32_t corners[3]) {
  int32_t c[3] = {BspClassifyPoint(splitter, triangle.p0), BspClassifyPoint(splitter, triangle.p1),
                  BspClassifyPoint(splitter, triangle.p2)};
  const int ahead = static_cast<int>(std::count(c, c + 3, BSP_AHEAD));
  const int behind = static_cast<int>(std::count(c, c + 3, BSP_BEHIND));
  if (ahead + behind < 3) {
    if (ahead > 0 && behind > 0) {
      for (int32_t& k : c)
        if (k == BSP_ON_PLANE) k = BSP_AHEAD;
    } else {
      // Everything on the plane goes with the one side present; a triangle
      // lying in the splitter's plane goes ahead.
      std::fill(c, c + 3, ahead == 0 && behind > 0 ? BSP_BEHIND : BSP_AHEAD);
    }
  }
  if (corners) std::copy(c, c + 3, corners);
  if (c[0] == c[1] && c[1] == c[2]) return c[0];
  return BSP_SPANNING;
}

rm::Vector BspIntersectEdge(const BspTriangle& splitter, const rm::Vector& a, const rm::Vector& b) {
  const rm::Vector d = Sub(b, a);
  const float t = (Dot(splitter.normal, splitter.p0) - Dot(splitter.normal, a)) / Dot(splitter.normal, d);
  if (t <= 0 || t >= 1) {
    char text[64];
    std::snprintf(text, sizeof text, "Invalid t value %f", static_cast<double>(t));
    BspError(text, false);
  }
  return Add(a, Scale(d, t));
}

int BspSplitTriangle(const BspTriangle& splitter, const BspTriangle& triangle, const int32_t corners[3],
                     BspTriangle pieces[3], int32_t sides[3]) {
  const rm::Vector& p0 = triangle.p0;
  const rm::Vector& p1 = triangle.p1;
  const rm::Vector& p2 = triangle.p2;
  const auto sided = [](int32_t c) { return c == BSP_AHEAD || c == BSP_BEHIND; };
  rm::Vector made[3][3];
  if (!sided(corners[0]) || !sided(corners[1]) || !sided(corners[2])) {
    BspError("Attempt to split a polygon which does not reequire it", false);
    return 0;
  }
  if (corners[1] == corners[2] && corners[0] != corners[1]) {
    const rm::Vector i0 = BspIntersectEdge(splitter, p0, p1);
    const rm::Vector i1 = BspIntersectEdge(splitter, p0, p2);
    const rm::Vector pieceCorners[3][3] = {{p0, i0, i1}, {i0, p1, i1}, {i1, p1, p2}};
    std::copy(&pieceCorners[0][0], &pieceCorners[0][0] + 9, &made[0][0]);
  } else if (corners[0] == corners[2] && corners[1] != corners[0]) {
    const rm::Vector i0 = BspIntersectEdge(splitter, p1, p0);
    const rm::Vector i1 = BspIntersectEdge(splitter, p1, p2);
    const rm::Vector pieceCorners[3][3] = {{p1, i1, i0}, {i0, p2, p0}, {i0, i1, p2}};
    std::copy(&pieceCorners[0][0], &pieceCorners[0][0] + 9, &made[0][0]);
  } else if (corners[0] == corners[1] && corners[2] != corners[0]) {
    const rm::Vector i0 = BspIntersectEdge(splitter, p2, p0);
    const rm::Vector i1 = BspIntersectEdge(splitter, p2, p1);
    const rm::Vector pieceCorners[3][3] = {{p2, i0, i1}, {i0, p0, p1}, {i0, p1, i1}};
    std::copy(&pieceCorners[0][0], &pieceCorners[0][0] + 9, &made[0][0]);
  } else {
    BspError("Attempt to split a polygon which does not reequire it", false);
    return 0;
  }
  // The first piece holds the corner alone on its side, the others the pair.
  int32_t aloneSide = corners[0];
  if (corners[0] == corners[2] && corners[1] != corners[0]) aloneSide = corners[1];
  if (corners[0] == corners[1] && corners[2] != corners[0]) aloneSide = corners[2];
  int kept = 0;
  for (int i = 0; i < 3; ++i) {
    const auto& piece = made[i];
    // Written so that a NaN length drops the piece too.
    const bool wide = Modulus(Sub(piece[1], piece[0])) >= BSP_EPSILON &&
                      Modulus(Sub(piece[2], piece[1])) >= BSP_EPSILON &&
                      Modulus(Sub(piece[0], piece[2])) >= BSP_EPSILON;
    if (!wide) continue;
    if (sides) sides[kept] = i == 0 ? aloneSide : BSP_AHEAD + BSP_BEHIND - aloneSide;
    pieces[kept++] = MakeBspTriangle(piece[0], piece[1], piece[2]);
  }
  return kept;
}

BspTree::~BspTree() { FreeBspTree(*this); }

BspTree::BspTree(BspTree&& other) noexcept
    : root(std::exchange(other.root, nullptr)),
      depth(std::exchange(other.depth, 0)),
      nodeBlocks(std::exchange(other.nodeBlocks, nullptr)) {}

BspTree& BspTree::operator=(BspTree&& other) noexcept {
  if (this != &other) {
    FreeBspTree(*this);
    root = std::exchange(other.root, nullptr);
    depth = std::exchange(other.depth, 0);
    nodeBlocks = std::exchange(other.nodeBlocks, nullptr);
  }
  return *this;
}

void FreeBspTree(BspTree& tree) {
  FreeBlockChain(tree.nodeBlocks);
  tree.root = nullptr;
  tree.depth = 0;
}

BspCounters GetBspCounters() { return g_counters; }

void SetBspProgress(BspProgress progress, void* data, int32_t interval) {
  g_progress = progress;
  g_progressData = data;
  g_progressInterval = interval > 0 ? interval : 1;
}

const char* GetBspLastError() { return g_lastError; }

bool BuildBspTree(BspTree& tree, const MeshModel& model, uint32_t treeType, Failure* why) {
  FreeBspTree(tree);
  g_counters = {};
  g_buildError.clear();
  const auto failed = [&] { return Fail(why, "%s", g_buildError.empty() ? "failed" : g_buildError.c_str()); };
  EntryStore store;
  BspList list;
  if (!CollectTriangles(model, store, list)) return failed();
  g_counters.trianglesIn = static_cast<int32_t>(list.count);
  if (treeType & BSP_TREE_SPLIT) {
    if (!BuildSplitTree(tree, store, list)) {
      FreeBspTree(tree);
      return failed();
    }
    ReportMessage(DebugFormat("Model with %i polys generated %i nodes with %i splits in BSP tree",
                              g_counters.trianglesIn, g_counters.nodes, g_counters.splits));
    return true;
  }
  if (treeType == 2) return Fail(why, "tree type 2 is not built");
  BspError("Unknown BSP Tree type", true);
  return failed();
}
