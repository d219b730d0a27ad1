// LightWave 6 and later objects (IFF form LWO2). Chunks are read in file
// order, since a chunk's meaning hangs on those before it (PTAG and VMAD on
// the last POLS, every list on the last LAYR). What is read goes into the
// records the LWOB handlers fill, so building, exporting and showing stay one
// path: polygons in 32-bit words, surfaces numbered per tag used as a surface,
// and every image map turned into texture coordinates per polygon corner.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <new>
#include <numbers>
#include <system_error>
#include <thread>
#include <type_traits>
#include <vector>

#include "diag/Dbug.h"
#include "lwlib/object/Lwo.h"
#include "platform/Memory.h"

namespace {

constexpr uint32_t kNoPolygon = 0xFFFFFFFFu;

// A bounded cursor over one chunk or sub-chunk: every read checks the room
// left first.
struct Reader {
  const uint8_t* p;
  const uint8_t* end;
  size_t Left() const { return static_cast<size_t>(end - p); }
  bool U2(uint32_t& v) {
    if (Left() < 2) return false;
    v = ReadU2(p);
    p += 2;
    return true;
  }
  bool U4(uint32_t& v) {
    if (Left() < 4) return false;
    v = ReadU4(p);
    p += 4;
    return true;
  }
  bool F4(float& v) {
    if (Left() < 4) return false;
    v = ReadF4(p);
    p += 4;
    return true;
  }
  bool Vec(float v[3]) { return F4(v[0]) && F4(v[1]) && F4(v[2]); }
  // A variable-length index: two bytes below 0xFF00, else four with the
  // first byte dropped.
  bool Vx(uint32_t& v) {
    if (Left() < 2) return false;
    if (p[0] != 0xFF) return U2(v);
    if (Left() < 4) return false;
    v = ReadU4(p) & 0x00FFFFFFu;
    p += 4;
    return true;
  }
  bool Name(const char*& s) {
    uint32_t padded = 0;
    s = ReadName(p, end, &padded);
    if (!s) return false;
    p += padded < Left() ? padded : Left();
    return true;
  }
};

// A growing array of plain records in tracked blocks, so that the
// allocation-failure runs reach the loader's scratch lists as they reach the
// rest of the loader; running out throws, and the parse reports it.
template <typename T>
class Scratch {
 public:
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T* data() { return buffer_.data(); }
  T& operator[](size_t i) { return buffer_[i]; }
  const T& operator[](size_t i) const { return buffer_[i]; }
  T* begin() { return buffer_.data(); }
  T* end() { return buffer_.data() + size_; }
  const T* begin() const { return buffer_.data(); }
  const T* end() const { return buffer_.data() + size_; }
  void Reserve(size_t n) {
    if (n > buffer_.size()) Grow(n);
  }
  T& Push(const T& value) {
    if (size_ == buffer_.size()) Grow(size_ < 8 ? 16 : 2 * size_);
    buffer_[size_] = value;
    return buffer_[size_++];
  }
  void Clear() { size_ = 0; }
  // The storage, at least size() records; the list is left empty.
  TrackedBuffer<T> Release() {
    size_ = 0;
    return std::move(buffer_);
  }
  // n copies of value in place of what was held.
  void Assign(size_t n, const T& value) {
    if (!buffer_.Allocate(n)) throw std::bad_alloc();
    for (size_t i = 0; i < n; ++i) buffer_[i] = value;
    size_ = n;
  }

 private:
  void Grow(size_t n) {
    TrackedBuffer<T> bigger;
    if (!bigger.AllocateUnfilled(n)) throw std::bad_alloc();
    if (size_) std::memcpy(bigger.data(), buffer_.data(), size_ * sizeof(T));
    buffer_ = std::move(bigger);
  }
  TrackedBuffer<T> buffer_;
  size_t size_ = 0;
};

template <typename T>
void Need(TrackedBuffer<T>& buffer, size_t count) {
  if (!buffer.Allocate(count)) throw std::bad_alloc();
}
// For storage written before it is read.
template <typename T>
void NeedUnfilled(TrackedBuffer<T>& buffer, size_t count) {
  if (!buffer.AllocateUnfilled(count)) throw std::bad_alloc();
}

constexpr uint32_t kNone = 0xFFFFFFFFu;

// One value of a vertex map: texture coordinates (u, v) or a colour
// (r, g, b, a).
struct MapEntry {
  uint32_t point;    // object-wide
  uint32_t polygon;  // object-wide; kNoPolygon for a per-point value
  float value[4];
};

struct VertexMapValues {
  const char* name;
  bool colour;  // RGB or RGBA, else TXUV
  Scratch<MapEntry> entries;  // file order: a later entry wins
};

// A map's values ready to be looked up by corner: each point's last
// per-point entry, and each polygon's own entries in file order.
struct MapIndex {
  bool made = false;
  TrackedBuffer<uint32_t> pointEntry;   // per point, kNone for none
  TrackedBuffer<uint32_t> cornerStart;  // per polygon and one more
  TrackedBuffer<uint32_t> cornerEntry;
};

enum : uint32_t { PROJ_PLANAR = 0, PROJ_CYLINDRICAL = 1, PROJ_SPHERICAL = 2, PROJ_CUBIC = 3, PROJ_FRONT = 4, PROJ_UV = 5 };

struct ImageMap {
  bool present = false;
  uint32_t projection = PROJ_PLANAR;
  uint32_t axis = 0;
  float centre[3] = {0, 0, 0};
  float size[3] = {1, 1, 1};
  float rotation[3] = {0, 0, 0};  // heading, pitch, bank in radians
  uint32_t image = 0;            // CLIP index
  const char* uvMap = nullptr;
};

struct Surface2 {
  LwoSurface record;
  ImageMap map;
  const char* colourMap;  // VCOL: the vertex colour map shown, or null
  float colourIntensity;
};

struct Clip {
  uint32_t index;
  const char* file;
};

// The weighted face normals of the first `count` polygons (those of three
// points or more; the rest are left as they are), into `out`, in blocks
// that any thread may claim: a second thread starts on them, and the first
// helps with what is left when it needs them. Run neither allocates nor
// reports.
struct FaceNormalWork {
  const rm::Vector* points = nullptr;
  const uint16_t* narrow = nullptr;  // the words, one kind or the other
  const uint32_t* wide = nullptr;
  const uint32_t* starts = nullptr;
  uint32_t count = 0;
  rm::Vector* out = nullptr;
  std::atomic<uint32_t> next{0};
  void Run();
  void Cancel() { next = count; }
};

struct Lwo2 {
  explicit Lwo2(LwoObject& object) : o(object) {}
  LwoObject& o;
  Scratch<const char*> tags;
  Scratch<uint32_t> tagSurface;  // surface number per tag, 0 for none yet
  // Points and polygon words go straight into the object's own buffers,
  // sized by a first walk over the chunks.
  rm::Vector* points = nullptr;
  uint32_t pointCount = 0, pointRoom = 0;
  // n, n indices, surface: in 16-bit words when every point index and
  // surface number fits one (most objects; half the memory to fill and walk),
  // else in 32-bit ones.
  uint32_t* words = nullptr;
  uint16_t* narrowWords = nullptr;
  uint32_t wordCount = 0, wordRoom = 0;
  TrackedBuffer<uint32_t> polygonStart;  // per polygon its first word
  // Counted as PTAG chunks tag polygons, or by Finish when some polygon is
  // left without a surface:
  TrackedBuffer<uint32_t> surfaceStart;  // per surface number + 1: its polygons
  TrackedBuffer<uint32_t> faceStart;     // per surface number + 1: its faces
  TrackedBuffer<uint32_t> cornerCount;   // per surface number: its faces' corners
  uint32_t tagged = 0;                   // polygons given a surface by a PTAG
  uint32_t polygonCount = 0;
  std::vector<VertexMapValues> maps;
  Scratch<Surface2> surfaces;
  Scratch<Clip> clips;
  uint32_t layerPoints = 0, layerPointCount = 0;  // the current layer's PNTS
  uint32_t polsFirst = 0, polsCount = 0;          // the last kept POLS
  bool polsKept = false;
  uint32_t polsChunks = 0;
  // The weighted face normals of polygons below normalsFor, worked out on a
  // second thread (normalsHelper) while the chunks after their POLS are
  // read; finished and joined before they are used, and before the buffers go.
  TrackedBuffer<rm::Vector> faceNormals;
  uint32_t normalsFor = 0;
  FaceNormalWork normalWork;
  std::thread normalsHelper;
  ~Lwo2() {
    normalWork.Cancel();
    if (normalsHelper.joinable()) normalsHelper.join();
  }
  void FinishNormals() {
    if (!normalsHelper.joinable()) return;
    normalWork.Run();
    normalsHelper.join();
  }

  int64_t Offset(const uint8_t* at) const { return at - o.iff.body + 12; }
  bool Refuse(const char* chunk, const uint8_t* header, const char* what) {
    return FailAt(o.why, chunk, Offset(header), "%s", what);
  }
  uint32_t Surface(uint32_t polygon) const {
    const uint32_t at = polygonStart[polygon];
    return Word(at + Word(at) + 1);
  }
  uint32_t Word(uint32_t i) const { return narrowWords ? narrowWords[i] : words[i]; }
  template <typename W>
  W* WordsAs() const {
    if constexpr (std::is_same_v<W, uint16_t>) return narrowWords;
    else return words;
  }
};

bool IdIs(const uint8_t* id, const char* name) { return std::memcmp(id, name, 4) == 0; }

uint16_t Fraction(float f) {
  if (!(f > 0)) return 0;
  const float scaled = f * 256.0f;
  return scaled >= 65535.0f ? 65535 : static_cast<uint16_t>(scaled);
}

uint32_t ColourByte(float f) {
  if (!(f > 0)) return 0;
  return f >= 1 ? 255u : static_cast<uint32_t>(f * 255.0f + 0.5f);
}

// ---- chunks ---------------------------------------------------------------

bool Points(Lwo2& s, const uint8_t* header, Reader r) {
  if (r.Left() % 12 != 0) return s.Refuse("PNTS", header, "the size is not whole points of 12 bytes");
  const size_t count = r.Left() / 12;
  if (s.pointCount + count > 0xFFFFFFu) return s.Refuse("PNTS", header, "more points than an index can name");
  if (count > s.pointRoom - s.pointCount) return s.Refuse("PNTS", header, "more points than counted");
  s.layerPoints = s.pointCount;
  s.layerPointCount = static_cast<uint32_t>(count);
  rm::Vector* out = s.points + s.pointCount;
  for (size_t i = 0; i < count; ++i, r.p += 12) out[i] = {ReadF4(r.p), ReadF4(r.p + 4), ReadF4(r.p + 8)};
  s.pointCount += static_cast<uint32_t>(count);
  return true;
}

bool KeptPolygonType(const uint8_t* typeId) { return IdIs(typeId, "FACE") || IdIs(typeId, "PTCH"); }

template <typename Word>
bool Polygons(Lwo2& s, const uint8_t* header, Reader r) {
  uint32_t type = 0;
  if (!r.U4(type)) return s.Refuse("POLS", header, "no polygon type");
  const uint8_t* typeId = header + 8;
  s.polsKept = KeptPolygonType(typeId);
  if (!s.polsKept) {
    ReportWarning(DebugFormat("LWO2 polygons of type %.4s skipped", reinterpret_cast<const char*>(typeId)));
    return true;
  }
  ++s.polsChunks;
  s.polsFirst = s.polygonCount;
  const uint32_t base = s.layerPoints, layerCount = s.layerPointCount;
  Word* words = s.WordsAs<Word>();
  uint32_t w = s.wordCount;
  const uint32_t plainLimit = std::min<uint32_t>(layerCount, 0xFF00u);
  // The words this chunk fills, were its polygons quadrilaterals (6 words
  // for 10 bytes), mapped in one go rather than a fault per page.
  const size_t expected = std::min<size_t>(r.Left() / 10 * 6, s.wordRoom - w);
  PrefaultForWriting(words + w, expected * sizeof(Word));
  PrefaultForWriting(s.polygonStart.data() + s.polygonCount,
                     std::min<size_t>(r.Left() / 10, s.polygonStart.size() - s.polygonCount) * sizeof(uint32_t));
  // The counts in locals: the words written below could otherwise be the
  // object's own counts as far as the compiler knows, and be read again
  // after every write.
  uint32_t count = s.polygonCount;
  uint32_t* const starts = s.polygonStart.data();
  const size_t startRoom = s.polygonStart.size();
  const uint32_t wordRoom = s.wordRoom;
  auto keep = [&s](uint32_t polygons, uint32_t used) { s.polygonCount = polygons, s.wordCount = used; };
  while (r.Left() > 0) {
    // The rule, quadrilaterals of two-byte indices of the layer's points,
    // in a loop of their own.
    {
      const uint8_t* p = r.p;
      const uint8_t* const end = r.end;
      uint32_t c = count, used = w;
      while (end - p >= 10 && c < startRoom && wordRoom - used >= 6 && (ReadU2(p) & 0x3FF) == 4) {
        const uint32_t i0 = ReadU2(p + 2), i1 = ReadU2(p + 4), i2 = ReadU2(p + 6), i3 = ReadU2(p + 8);
        if (std::max(std::max(i0, i1), std::max(i2, i3)) >= plainLimit) break;
        starts[c++] = used;
        Word* out = words + used;
        out[0] = 4, out[1] = static_cast<Word>(base + i0), out[2] = static_cast<Word>(base + i1),
        out[3] = static_cast<Word>(base + i2), out[4] = static_cast<Word>(base + i3), out[5] = 0;
        used += 6;
        p += 10;
      }
      r.p = p, count = c, w = used;
      if (r.Left() == 0) break;
    }
    const uint8_t* at = r.p;
    uint32_t countAndFlags = 0;
    if (!r.U2(countAndFlags)) {
      keep(count, w);
      return s.Refuse("POLS", header, "a polygon is cut off by the end of the chunk");
    }
    const uint32_t n = countAndFlags & 0x3FF;
    // Every index takes two bytes at least: a count the chunk cannot hold
    // is refused before anything is kept for it.
    if (r.Left() / 2 < n) {
      keep(count, w);
      return FailAt(s.o.why, "POLS", s.Offset(header), "polygon %s (at byte %s) runs past the end of the chunk",
                    Thousands(static_cast<int64_t>(count - s.polsFirst)).c_str(),
                    Thousands(s.Offset(at)).c_str());
    }
    if (n + 2 > wordRoom - w || count >= startRoom) {
      keep(count, w);
      return s.Refuse("POLS", header, "more polygons than counted");
    }
    starts[count++] = w;
    words[w++] = static_cast<Word>(n);
    // Two-byte indices of the layer's points: taken in one pass without a
    // branch per index. An index of four bytes starts with
    // 0xFF, so it reads as 0xFF00 or more and sends the polygon to the
    // general path, which reads it again from its start.
    Word* out = words + w;
    uint32_t highest;
    if (n == 4) {
      const uint32_t i0 = ReadU2(r.p), i1 = ReadU2(r.p + 2), i2 = ReadU2(r.p + 4), i3 = ReadU2(r.p + 6);
      out[0] = static_cast<Word>(base + i0), out[1] = static_cast<Word>(base + i1),
      out[2] = static_cast<Word>(base + i2), out[3] = static_cast<Word>(base + i3);
      highest = std::max(std::max(i0, i1), std::max(i2, i3));
    } else {
      highest = 0;
      for (uint32_t k = 0; k < n; ++k) {
        const uint32_t index = ReadU2(r.p + 2 * k);
        out[k] = static_cast<Word>(base + index);
        highest = std::max(highest, index);
      }
    }
    if (n == 0 || highest < plainLimit) {
      r.p += 2 * static_cast<size_t>(n);
      w += n;
      words[w++] = 0;  // no surface until a PTAG gives one
      continue;
    }
    for (uint32_t k = 0; k < n; ++k) {
      uint32_t index;
      // Two-byte indices are the rule: read them without the general path.
      if (r.Left() >= 2 && r.p[0] != 0xFF) {
        index = ReadU2(r.p);
        r.p += 2;
      } else if (!r.Vx(index)) {
        keep(count, w);
        return s.Refuse("POLS", header, "a polygon is cut off by the end of the chunk");
      }
      if (index >= layerCount) {
        keep(count, w);
        return FailAt(s.o.why, "POLS", s.Offset(header), "polygon %s names point %s of a layer of %s",
                      Thousands(static_cast<int64_t>(count - 1 - s.polsFirst)).c_str(),
                      Thousands(index).c_str(), Thousands(layerCount).c_str());
      }
      words[w++] = static_cast<Word>(base + index);
    }
    words[w++] = 0;  // no surface until a PTAG gives one
  }
  keep(count, w);
  s.polsCount = count - s.polsFirst;
  return true;
}

bool Tags(Lwo2& s, Reader r) {
  s.tags.Assign(0, nullptr);
  const char* name = nullptr;
  while (r.Left() > 0 && r.Name(name)) s.tags.Push(name);
  s.tagSurface.Assign(s.tags.size(), 0);
  return true;
}

uint32_t SurfaceForTag(Lwo2& s, uint32_t tag) {
  if (s.tagSurface[tag] == 0) {
    LwoSurfaceNames& names = s.o.surfaceNames;
    ++names.nameCount;
    if (!names.entries.PushFront({s.tags[tag], names.nameCount})) throw std::bad_alloc();
    s.tagSurface[tag] = names.nameCount;
  }
  return s.tagSurface[tag];
}

// Zero-filled counts for `count` surface numbers, those already counted kept.
void GrowCounts(TrackedBuffer<uint32_t>& counts, size_t count) {
  if (counts.size() >= count) return;
  TrackedBuffer<uint32_t> bigger;
  Need(bigger, count);
  if (counts.size()) std::memcpy(bigger.data(), counts.data(), counts.size() * sizeof(uint32_t));
  counts = std::move(bigger);
}

template <typename Word>
bool PolygonTags(Lwo2& s, const uint8_t* header, Reader r) {
  uint32_t type = 0;
  if (!r.U4(type)) return s.Refuse("PTAG", header, "no tag type");
  if (!IdIs(header + 8, "SURF") || !s.polsKept) return true;  // parts, smoothing groups: not used
  // Each surface the chunk can give a number to, counted as it is given.
  const size_t numbers = static_cast<size_t>(s.o.surfaceNames.nameCount) + s.tags.size() + 3;
  GrowCounts(s.surfaceStart, numbers);
  GrowCounts(s.faceStart, numbers);
  GrowCounts(s.cornerCount, numbers);
  uint32_t* const polygonsOf = s.surfaceStart.data();
  uint32_t* const facesOf = s.faceStart.data();
  uint32_t* const cornersOf = s.cornerCount.data();
  uint32_t tagged = s.tagged;
  // One walk with the bounds in locals: an entry is a polygon index of two
  // bytes, or of four starting with 0xFF, and a tag of two.
  const uint8_t* p = r.p;
  const uint8_t* const end = r.end;
  const uint32_t polsCount = s.polsCount, tagCount = static_cast<uint32_t>(s.tags.size());
  const uint32_t* starts = s.polygonStart.data() + s.polsFirst;
  Word* words = s.WordsAs<Word>();
  const uint32_t* tagSurface = s.tagSurface.data();
  // Entries mostly tag the polygons in order: the next polygon's words start
  // where the last one's end, without a look in the table of starts.
  uint32_t nextPolygon = 0, nextStart = polsCount ? starts[0] : 0;
  while (p < end) {
    // Runs of entries that tag the next polygon, a quadrilateral, with a tag
    // already given its surface, in a loop of their own: the next one's
    // words are six on, known before this one's count is read.
    for (;;) {
      uint32_t polygon, tag, size;
      if (end - p >= 4 && p[0] != 0xFF) polygon = ReadU2(p), tag = ReadU2(p + 2), size = 4;
      else if (end - p >= 6 && p[0] == 0xFF) polygon = ReadU4(p) & 0x00FFFFFFu, tag = ReadU2(p + 4), size = 6;
      else break;
      if (polygon != nextPolygon || polygon >= polsCount || tag >= tagCount || tagSurface[tag] == 0 ||
          words[nextStart] != 4)
        break;
      const uint32_t surface = tagSurface[tag];
      Word& word = words[nextStart + 5];
      if (word == 0) ++tagged;
      else --polygonsOf[word + 1], --facesOf[word + 1], cornersOf[word] -= 4;  // tagged again
      word = static_cast<Word>(surface);
      ++polygonsOf[surface + 1], ++facesOf[surface + 1], cornersOf[surface] += 4;
      ++nextPolygon, nextStart += 6, p += size;
    }
    if (p == end) break;
    const size_t left = static_cast<size_t>(end - p);
    uint32_t polygon, tag;
    if (p[0] != 0xFF && left >= 4) {
      polygon = ReadU2(p), tag = ReadU2(p + 2);
      p += 4;
    } else if (p[0] == 0xFF && left >= 6) {
      polygon = ReadU4(p) & 0x00FFFFFFu, tag = ReadU2(p + 4);
      p += 6;
    } else {
      return s.Refuse("PTAG", header, "an entry is cut off by the end of the chunk");
    }
    if (polygon >= polsCount)
      return FailAt(s.o.why, "PTAG", s.Offset(header), "tags polygon %s of %s", Thousands(polygon).c_str(),
                    Thousands(polsCount).c_str());
    if (tag >= tagCount)
      return FailAt(s.o.why, "PTAG", s.Offset(header), "names tag %s of %s", Thousands(tag).c_str(),
                    Thousands(tagCount).c_str());
    uint32_t surface = tagSurface[tag];
    if (surface == 0) surface = SurfaceForTag(s, tag);
    const uint32_t start = polygon == nextPolygon ? nextStart : starts[polygon], n = words[start];
    nextPolygon = polygon + 1, nextStart = start + n + 2;
    Word& word = words[start + n + 1];
    const uint32_t face = n >= 3 ? 1 : 0;
    if (word == 0) {
      ++tagged;
    } else {  // tagged again: the last tag holds
      --polygonsOf[word + 1], facesOf[word + 1] -= face, cornersOf[word] -= face * n;
    }
    word = static_cast<Word>(surface);
    ++polygonsOf[surface + 1], facesOf[surface + 1] += face, cornersOf[surface] += face * n;
  }
  s.tagged = tagged;
  return true;
}

// VMAP and VMAD: texture coordinates (TXUV) and colours (RGB, RGBA) are kept.
bool VertexMap(Lwo2& s, const uint8_t* header, Reader r, bool perPolygon) {
  const char* chunk = perPolygon ? "VMAD" : "VMAP";
  uint32_t type = 0, dimension = 0;
  const char* name = nullptr;
  if (!r.U4(type) || !r.U2(dimension) || !r.Name(name)) return s.Refuse(chunk, header, "the header is cut off");
  const uint8_t* typeId = header + 8;
  const bool colour = IdIs(typeId, "RGB ") || IdIs(typeId, "RGBA");
  const uint32_t kept = IdIs(typeId, "TXUV") ? 2 : IdIs(typeId, "RGB ") ? 3 : IdIs(typeId, "RGBA") ? 4 : 0;
  if (kept == 0 || dimension < kept) return true;
  VertexMapValues* map = nullptr;
  for (VertexMapValues& m : s.maps)
    if (m.colour == colour && std::strcmp(m.name, name) == 0) map = &m;
  if (!map) map = &s.maps.emplace_back(VertexMapValues{name, colour, {}});
  // At most this many entries fit the chunk: room for them once.
  map->entries.Reserve(map->entries.size() + r.Left() / ((perPolygon ? 4 : 2) + 4 * static_cast<size_t>(dimension)));
  while (r.Left() > 0) {
    uint32_t point = 0, polygon = kNoPolygon;
    if (!r.Vx(point) || (perPolygon && !r.Vx(polygon)))
      return s.Refuse(chunk, header, "an entry is cut off by the end of the chunk");
    if (r.Left() / 4 < dimension) return s.Refuse(chunk, header, "an entry is cut off by the end of the chunk");
    MapEntry e{point, polygon, {0, 0, 0, 1}};
    for (uint32_t k = 0; k < kept; ++k) r.F4(e.value[k]);
    r.p += 4 * static_cast<size_t>(dimension - kept);
    if (point >= s.layerPointCount)
      return FailAt(s.o.why, chunk, s.Offset(header), "names point %s of a layer of %s", Thousands(point).c_str(),
                    Thousands(s.layerPointCount).c_str());
    if (perPolygon) {
      if (polygon >= s.polsCount)
        return FailAt(s.o.why, chunk, s.Offset(header), "names polygon %s of %s", Thousands(polygon).c_str(),
                      Thousands(s.polsCount).c_str());
      e.polygon = polygon + s.polsFirst;
    }
    e.point = s.layerPoints + point;
    map->entries.Push(e);
  }
  return true;
}

// The next sub-chunk of r (a four-letter id, a two-byte size, the body padded
// to an even length): its id and its body, r moved past both. False at the
// end, or when the body would run past r.
bool NextSubChunk(Reader& r, const uint8_t*& id, Reader& body) {
  if (r.Left() < 6) return false;
  id = r.p;
  const uint32_t size = ReadU2(r.p + 4);
  r.p += 6;
  if (size > r.Left()) return false;
  body = Reader{r.p, r.p + size};
  r.p += size + (size % 2 && size < r.Left() ? 1 : 0);
  return true;
}

bool ClipChunk(Lwo2& s, Reader r) {
  uint32_t index = 0;
  if (!r.U4(index)) return true;
  const uint8_t* id = nullptr;
  Reader sub{};
  while (NextSubChunk(r, id, sub)) {
    const char* file = nullptr;
    if (IdIs(id, "STIL") && sub.Name(file)) s.clips.Push({index, file});
  }
  return true;
}

// The sub-chunks of a BLOK: its header (IMAP and the like, itself holding
// sub-chunks), TMAP, and the image map's own.
void Block(ImageMap& map, Reader r) {
  ImageMap m;
  bool isColourImage = false;
  const uint8_t* id = nullptr;
  Reader sub{};
  while (NextSubChunk(r, id, sub)) {
    if (IdIs(id, "IMAP")) {
      const char* ordinal = nullptr;
      isColourImage = sub.Name(ordinal);
      bool enabled = true, colour = true;  // a header without CHAN maps colour
      const uint8_t* hid = nullptr;
      Reader h{};
      while (NextSubChunk(sub, hid, h)) {
        uint32_t value = 0;
        if (IdIs(hid, "CHAN") && h.U4(value)) colour = IdIs(hid + 6, "COLR");
        if (IdIs(hid, "ENAB") && h.U2(value)) enabled = value != 0;
      }
      isColourImage = isColourImage && enabled && colour;
    } else if (IdIs(id, "TMAP")) {
      const uint8_t* tid = nullptr;
      Reader t{};
      while (NextSubChunk(sub, tid, t)) {
        float v[3];
        if (t.Vec(v)) {
          float* into = IdIs(tid, "CNTR") ? m.centre : IdIs(tid, "SIZE") ? m.size : IdIs(tid, "ROTA") ? m.rotation : nullptr;
          if (into) std::memcpy(into, v, sizeof v);
        }
      }
    } else if (IdIs(id, "PROJ")) {
      sub.U2(m.projection);
    } else if (IdIs(id, "AXIS")) {
      sub.U2(m.axis);
    } else if (IdIs(id, "IMAG")) {
      sub.Vx(m.image);
    } else if (IdIs(id, "VMAP")) {
      sub.Name(m.uvMap);
    }
  }
  // The first colour image of a surface is the one shown.
  if (isColourImage && !map.present && m.axis <= 2) {
    m.present = true;
    map = m;
  }
}

bool SurfaceChunk(Lwo2& s, const uint8_t* header, Reader r) {
  Surface2 surface;
  std::memset(&surface.record, 0, sizeof surface.record);
  surface.colourMap = nullptr;
  surface.colourIntensity = 1;
  const char* source = nullptr;
  if (!r.Name(surface.record.name) || !r.Name(source)) {
    ReportWarning("SURF chunk without a terminated name ignored");
    return true;
  }
  (void)header;
  LwoSurface& out = surface.record;
  const uint8_t* id = nullptr;
  Reader sub{};
  while (NextSubChunk(r, id, sub)) {  // stops where one runs past the chunk
    float f = 0;
    float colour[3];
    if (IdIs(id, "COLR") && sub.Vec(colour)) {
      out.colour = ColourByte(colour[0]) << 24 | ColourByte(colour[1]) << 16 | ColourByte(colour[2]) << 8;
      out.present |= LWO_COLR;
    } else if (IdIs(id, "SMAN") && sub.F4(f)) {
      out.maxSmoothingAngle = f;
      out.present |= LWO_SMAN;
    } else if (IdIs(id, "BLOK")) {
      Block(surface.map, sub);
    } else if (IdIs(id, "VCOL")) {
      uint32_t envelope = 0, type = 0;
      const char* name = nullptr;
      if (sub.F4(f) && sub.Vx(envelope) && sub.U4(type) && sub.Name(name) && *name) {
        surface.colourMap = name;
        surface.colourIntensity = std::isfinite(f) ? std::fmin(std::fmax(f, 0.0f), 1.0f) : 1.0f;
      }
    } else {
      static const struct {
        const char* id;
        uint16_t LwoSurface::*field;
        uint32_t bit;
      } kFractions[] = {
          {"LUMI", &LwoSurface::luminosity, LWO_LUMI}, {"DIFF", &LwoSurface::diffuse, LWO_DIFF},
          {"SPEC", &LwoSurface::specular, LWO_SPEC},   {"REFL", &LwoSurface::reflection, LWO_REFL},
          {"TRAN", &LwoSurface::transparency, LWO_TRAN}, {"GLOS", &LwoSurface::glossiness, LWO_GLOS},
      };
      for (const auto& k : kFractions)
        if (IdIs(id, k.id) && sub.F4(f)) {
          out.*k.field = Fraction(f);
          out.present |= k.bit;
        }
    }
  }
  s.surfaces.Push(surface);
  return true;
}

// ---- texture coordinates ----------------------------------------------------

// Into the map's own space: moved to its centre, turned back by its rotation
// (bank, pitch, heading undone in that order), scaled by its size.
rm::Vector MapSpace(const ImageMap& m, const rm::Vector& p) {
  float x = p.x - m.centre[0], y = p.y - m.centre[1], z = p.z - m.centre[2];
  const float h = -m.rotation[0], pi = -m.rotation[1], b = -m.rotation[2];
  float t = x * std::cos(h) + z * std::sin(h);  // heading: about y
  z = -x * std::sin(h) + z * std::cos(h);
  x = t;
  t = y * std::cos(pi) - z * std::sin(pi);  // pitch: about x
  z = y * std::sin(pi) + z * std::cos(pi);
  y = t;
  t = x * std::cos(b) - y * std::sin(b);  // bank: about z
  y = x * std::sin(b) + y * std::cos(b);
  x = t;
  const auto scale = [](float v, float size) { return size != 0 && std::isfinite(size) ? v / size : v; };
  return {scale(x, m.size[0]), scale(y, m.size[1]), scale(z, m.size[2])};
}

// The two coordinates across an axis and the one along it.
void Across(const rm::Vector& q, uint32_t axis, float& a, float& b, float& along) {
  switch (axis) {
    case 0: a = q.z, b = q.y, along = q.x; break;
    case 1: a = q.x, b = q.z, along = q.y; break;
    default: a = q.x, b = q.y, along = q.z; break;
  }
}

void Project(const ImageMap& m, uint32_t axis, const rm::Vector& p, float& u, float& v) {
  const rm::Vector q = MapSpace(m, p);
  float a = 0, b = 0, along = 0;
  Across(q, axis, a, b, along);
  constexpr float kPi = std::numbers::pi_v<float>;
  switch (m.projection) {
    case PROJ_CYLINDRICAL:
      u = std::atan2(a, b) / (2 * kPi) + 0.5f;
      v = along + 0.5f;
      break;
    case PROJ_SPHERICAL:
      u = std::atan2(a, b) / (2 * kPi) + 0.5f;
      v = std::atan2(along, std::sqrt(a * a + b * b)) / kPi + 0.5f;
      break;
    default:  // planar, cubic (with the polygon's own axis), front as planar
      u = a + 0.5f;
      v = b + 0.5f;
      break;
  }
}

// Readies a map for lookups by corner the first time it is needed.
MapIndex& IndexOf(Lwo2& s, std::vector<MapIndex>& indexes, size_t mi) {
  MapIndex& ix = indexes[mi];
  if (ix.made) return ix;
  const Scratch<MapEntry>& entries = s.maps[mi].entries;
  Need(ix.pointEntry, s.pointCount);
  for (uint32_t i = 0; i < s.pointCount; ++i) ix.pointEntry[i] = kNone;
  Need(ix.cornerStart, static_cast<size_t>(s.polygonCount) + 1);
  for (uint32_t e = 0; e < entries.size(); ++e)
    if (entries[e].polygon == kNoPolygon) ix.pointEntry[entries[e].point] = e;
    else ++ix.cornerStart[entries[e].polygon + 1];
  for (uint32_t q = 0; q < s.polygonCount; ++q) ix.cornerStart[q + 1] += ix.cornerStart[q];
  Need(ix.cornerEntry, ix.cornerStart[s.polygonCount]);
  TrackedBuffer<uint32_t> fill;
  Need(fill, s.polygonCount);
  for (uint32_t e = 0; e < entries.size(); ++e)
    if (entries[e].polygon != kNoPolygon) {
      const uint32_t p = entries[e].polygon;
      ix.cornerEntry[ix.cornerStart[p] + fill[p]++] = e;
    }
  ix.made = true;
  return ix;
}

// The entry giving a map's value at a polygon's corner: the polygon's own
// for that point, else the point's; null for none.
const MapEntry* EntryAt(const VertexMapValues& map, const MapIndex& ix, uint32_t polygon, uint32_t point) {
  uint32_t e = ix.pointEntry[point];
  for (uint32_t c = ix.cornerStart[polygon]; c < ix.cornerStart[polygon + 1]; ++c)
    if (map.entries[ix.cornerEntry[c]].point == point) e = ix.cornerEntry[c];
  return e == kNone ? nullptr : &map.entries[e];
}

// The map of the given kind and name (any of the kind for a null name), or -1.
int FindMap(const Lwo2& s, bool colour, const char* name) {
  for (size_t i = 0; i < s.maps.size(); ++i)
    if (s.maps[i].colour == colour && (!name || std::strcmp(s.maps[i].name, name) == 0)) return static_cast<int>(i);
  return -1;
}

// The record read for each surface number, or null.
void SurfacesByNumber(Lwo2& s, TrackedBuffer<const Surface2*>& out) {
  Need(out, static_cast<size_t>(s.o.surfaceNames.nameCount) + 1);
  for (auto* n = s.o.surfaceNames.entries.head(); n; n = n->next)
    for (const Surface2& surface : s.surfaces)
      if (std::strcmp(surface.record.name, n->value.name) == 0) {
        out[n->value.index] = &surface;
        break;
      }
}

// The texture coordinates of every corner of every polygon whose surface has
// an image map, and the image name per surface number.
bool TextureCoordinates(Lwo2& s, const TrackedBuffer<const Surface2*>& surfaceOf) {
  LwoObject& o = s.o;
  const uint32_t surfaceCount = o.surfaceNames.nameCount;
  TrackedBuffer<const ImageMap*> mapOf;
  Need(mapOf, static_cast<size_t>(surfaceCount) + 1);
  TrackedBuffer<int32_t> uvMapOf;  // per surface number: its UV map, or -1
  Need(uvMapOf, static_cast<size_t>(surfaceCount) + 1);
  bool any = false;
  for (uint32_t n = 1; n <= surfaceCount; ++n)
    if (surfaceOf[n] && surfaceOf[n]->map.present) {
      mapOf[n] = &surfaceOf[n]->map, any = true;
      uvMapOf[n] = mapOf[n]->projection == PROJ_UV ? FindMap(s, false, mapOf[n]->uvMap) : -1;
    }
  if (!any) return true;

  UvSet& set = o.uvSet;
  set.kind = 2;
  set.surfaceCount = surfaceCount;
  set.imageNames.assign(surfaceCount, "NULL");
  set.surfaceNames.assign(surfaceCount, std::string());
  for (auto* n = o.surfaceNames.entries.head(); n; n = n->next) {
    set.surfaceNames[n->value.index - 1] = n->value.name;
    if (const ImageMap* m = mapOf[n->value.index])
      for (const Clip& clip : s.clips)
        if (clip.index == m->image) set.imageNames[n->value.index - 1] = clip.file;
  }
  const uint32_t polygonCount = s.polygonCount;
  if (!set.polygonUvs.Allocate(polygonCount)) throw std::bad_alloc();
  set.polygonCount = polygonCount;

  std::vector<MapIndex> indexes(s.maps.size());
  for (uint32_t p = 0; p < polygonCount; ++p) {
    const uint32_t at = s.polygonStart[p];
    const uint32_t n = s.Word(at), surface = s.Word(at + n + 1);
    const ImageMap* m = surface <= surfaceCount ? mapOf[surface] : nullptr;
    if (!m || n == 0) continue;
    UvList* list = MakeUvList(set, p, static_cast<int32_t>(n));
    if (!list) throw std::bad_alloc();
    float* u = &set.u[list->first];
    float* v = &set.v[list->first];
    if (m->projection == PROJ_UV) {
      const int mi = uvMapOf[surface];
      if (mi < 0) continue;
      const MapIndex& ix = IndexOf(s, indexes, static_cast<size_t>(mi));
      for (uint32_t k = 0; k < n; ++k) {
        const MapEntry* e = EntryAt(s.maps[mi], ix, p, s.Word(at + 1 + k));
        u[k] = e ? e->value[0] : 0;
        v[k] = e ? e->value[1] : 0;
      }
    } else {
      uint32_t axis = m->axis;
      if (m->projection == PROJ_CUBIC && n >= 3) {
        // The axis the polygon faces most.
        const rm::Vector& a = s.points[s.Word(at + 1)];
        const rm::Vector& b = s.points[s.Word(at + 2)];
        const rm::Vector& c = s.points[s.Word(at + 3)];
        const float e1[3] = {b.x - a.x, b.y - a.y, b.z - a.z}, e2[3] = {c.x - a.x, c.y - a.y, c.z - a.z};
        const float normal[3] = {std::fabs(e1[1] * e2[2] - e1[2] * e2[1]), std::fabs(e1[2] * e2[0] - e1[0] * e2[2]),
                                 std::fabs(e1[0] * e2[1] - e1[1] * e2[0])};
        axis = normal[0] >= normal[1] && normal[0] >= normal[2] ? 0 : normal[1] >= normal[2] ? 1 : 2;
      }
      for (uint32_t k = 0; k < n; ++k) Project(*m, axis, s.points[s.Word(at + 1 + k)], u[k], v[k]);
      // Round the seam: a polygon spanning more than half the wrap would run
      // backwards across the whole image, so its low side goes round once.
      if (m->projection == PROJ_CYLINDRICAL || m->projection == PROJ_SPHERICAL) {
        float low = u[0], high = u[0];
        for (uint32_t k = 1; k < n; ++k) low = std::fmin(low, u[k]), high = std::fmax(high, u[k]);
        if (high - low > 0.5f)
          for (uint32_t k = 0; k < n; ++k)
            if (u[k] < 0.5f) u[k] += 1.0f;
      }
    }
    // Images have their first row at the top; v runs up.
    for (uint32_t k = 0; k < n; ++k) v[k] = 1.0f - v[k];
  }
  o.hasUvSet = true;
  return true;
}

// The colour of every corner of the polygons whose surface shows a vertex
// colour map: the surface's VCOL map, mixed into the surface colour by its
// intensity. A file whose surfaces name no map at all shows its first colour
// map on every surface, as the vertex colours are what it has to show.
// Points the map leaves out keep the surface colour.
bool CornerColours(Lwo2& s, const TrackedBuffer<const Surface2*>& surfaceOf) {
  if (FindMap(s, true, nullptr) < 0) return true;
  LwoObject& o = s.o;
  const uint32_t surfaceCount = o.surfaceNames.nameCount;
  bool anyNamed = false;
  for (const Surface2& surface : s.surfaces) anyNamed = anyNamed || surface.colourMap;
  TrackedBuffer<int32_t> mapOf;
  Need(mapOf, static_cast<size_t>(surfaceCount) + 1);
  TrackedBuffer<uint32_t> base;
  Need(base, static_cast<size_t>(surfaceCount) + 1);
  bool any = false;
  for (uint32_t n = 1; n <= surfaceCount; ++n) {
    const Surface2* surface = surfaceOf[n];
    mapOf[n] = !anyNamed ? FindMap(s, true, nullptr) : surface && surface->colourMap ? FindMap(s, true, surface->colourMap) : -1;
    any = any || mapOf[n] >= 0;
    base[n] = 0xFF000000u | (surface && (surface->record.present & LWO_COLR) ? surface->record.colour >> 8 : 0xFFFFFFu);
  }
  if (!any) return true;
  Need(o.corners.colouredSurface, static_cast<size_t>(surfaceCount) + 1);
  Need(o.corners.colours, s.wordCount);
  std::vector<MapIndex> indexes(s.maps.size());
  for (uint32_t p = 0; p < s.polygonCount; ++p) {
    const uint32_t at = s.polygonStart[p], n = s.Word(at), surface = s.Word(at + n + 1);
    if (surface > surfaceCount || mapOf[surface] < 0) continue;
    o.corners.colouredSurface[surface] = 1;
    const size_t mi = static_cast<size_t>(mapOf[surface]);
    const MapIndex& ix = IndexOf(s, indexes, mi);
    const float intensity = !anyNamed ? 1.0f : surfaceOf[surface]->colourIntensity;
    for (uint32_t k = 0; k < n; ++k) {
      const MapEntry* e = EntryAt(s.maps[mi], ix, p, s.Word(at + 1 + k));
      uint32_t colour = base[surface];
      if (e) {
        colour = static_cast<uint32_t>(ColourByte(e->value[3])) << 24;
        for (int c = 0; c < 3; ++c) {
          const float under = static_cast<float>((base[surface] >> (16 - 8 * c)) & 0xFF) / 255.0f;
          const float over = std::isfinite(e->value[c]) ? std::fmin(std::fmax(e->value[c], 0.0f), 1.0f) : 0.0f;
          colour |= ColourByte(under + (over - under) * intensity) << (16 - 8 * c);
        }
      }
      o.corners.colours[at + 1 + k] = colour;
    }
  }
  return true;
}

// ---- normals ----------------------------------------------------------------

// Corners share a normal with the neighbouring polygons of their surface whose
// faces turn from theirs by less than the surface's smoothing angle; without
// one a polygon is flat. Where every polygon of a surface at a point lies
// within half the angle of their mean, every pair is within the angle, so
// their corners there share the one sum, found without comparing pairs. The
// other points compare pairs; one in more than kMaxCompared polygons (never
// in a modelled object) leaves its corners flat, so hostile fans cannot make
// the comparison quadratic.
constexpr uint32_t kMaxCompared = 256;

rm::Vector Normalise(rm::Vector v) {
  const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (!(length > 0)) return {0, 0, 0};
  const float inverse = 1.0f / length;  // one division, not three
  return {v.x * inverse, v.y * inverse, v.z * inverse};
}

// Per surface number the cosine of its angle (above 1: flat) and of the cone
// every polygon at a point must lie in to share the sum.
struct Smoothing {
  TrackedBuffer<float> cosOf, coneOf;
};

void SmoothingOf(Lwo2& s, const TrackedBuffer<const Surface2*>& surfaceOf, Smoothing& out) {
  const uint32_t surfaceCount = s.o.surfaceNames.nameCount;
  Need(out.cosOf, static_cast<size_t>(surfaceCount) + 1);
  Need(out.coneOf, static_cast<size_t>(surfaceCount) + 1);
  for (uint32_t n = 0; n <= surfaceCount; ++n) {
    out.cosOf[n] = out.coneOf[n] = 2.0f;
    const Surface2* surface = surfaceOf[n];
    if (!surface) continue;
    const float angle = surface->record.maxSmoothingAngle;
    if ((surface->record.present & LWO_SMAN) && angle > 0) {
      out.cosOf[n] = std::cos(std::fmin(angle, 3.2f));
      out.coneOf[n] = std::cos(std::fmin(angle, 3.0f) / 2) + 1e-4f;  // a margin for rounding
    }
  }
}

// The normal of a polygon of three or more points from its first three,
// weighted by the sine of its corner angle at the first point, as LWOB
// normals are.
template <typename Word>
rm::Vector WeightedNormal(const rm::Vector* points, const Word* words, uint32_t at) {
  const rm::Vector& p0 = points[words[at + 1]];
  const rm::Vector& p1 = points[words[at + 2]];
  const rm::Vector& p2 = points[words[at + 3]];
  const rm::Vector a = Normalise({p1.x - p0.x, p1.y - p0.y, p1.z - p0.z});
  const rm::Vector c = Normalise({p2.x - p0.x, p2.y - p0.y, p2.z - p0.z});
  return {a.y * c.z - a.z * c.y, a.z * c.x - a.x * c.z, a.x * c.y - a.y * c.x};
}

// Polygons from which a second thread shares the work of the normals.
constexpr uint32_t kSplitPolygons = 1u << 16;

template <typename Word>
void FaceNormalBlock(const rm::Vector* points, const Word* words, const uint32_t* starts, uint32_t first,
                     uint32_t last, rm::Vector* out) {
  for (uint32_t p = first, at = starts[first]; p < last; ++p) {
    const uint32_t n = words[at];
    if (n >= 3) out[p] = WeightedNormal(points, words, at);
    at += n + 2;
  }
}

void FaceNormalWork::Run() {
  constexpr uint32_t kBlock = 8192;
  for (;;) {
    const uint32_t first = next.fetch_add(kBlock);
    if (first >= count) return;
    const uint32_t last = std::min(count, first + kBlock);
    if (narrow) FaceNormalBlock(points, narrow, starts, first, last, out);
    else FaceNormalBlock(points, wide, starts, first, last, out);
  }
}

// On a large object, starts the face normals of the polygons read so far on
// a second thread, once: the PTAG chunks and the sort by surface leave the
// second core idle, and the smoothing sums then take the normals ready-made.
void StartFaceNormals(Lwo2& s) {
  if (s.normalsFor || s.polygonCount < kSplitPolygons) return;
  const uint32_t count = s.polygonCount;
  NeedUnfilled(s.faceNormals, count);
  FaceNormalWork& work = s.normalWork;
  work.points = s.points, work.narrow = s.narrowWords, work.wide = s.words;
  work.starts = s.polygonStart.data(), work.count = count, work.out = s.faceNormals.data();
  try {
    s.normalsHelper = std::thread([&work] { work.Run(); });
    s.normalsFor = count;
  } catch (const std::system_error&) {
    // No thread to be had: the sums work them out.
  }
}

struct PointSum {
  uint32_t surface;  // whose sum this is, 0 for none yet
  rm::Vector first;  // the unit normal of the surface's first polygon here
  rm::Vector sum;
  uint32_t vertex;   // the point's vertex in the surface's group
};

// The sums of surfaces first .. last - 1, whose polygons are
// bySurface[polygonStart[surface]] onwards (their first words): false at a polygon further than
// the cone from the first at one of its points. normalStart[surface] becomes
// the surface's first entry of normals. It neither reports nor uses the
// tracked allocator (its storage is sized beforehand; the groups it makes
// come from the C++ heap), so a second thread can run it.
template <typename Word>
struct SurfaceSums {
  const Lwo2* s;
  const float* coneOf;
  const uint32_t* bySurface;     // the faces' first words
  const uint32_t* polygonStart;  // per surface number
  uint32_t first, last;
  PointSum* at;
  uint32_t* touched;        // room for every point
  LwoPointNormal* normals;  // room for a sum per point of each surface's
  uint32_t* normalStart;
  // Polygon numbers of the faces, when the normals of those below
  // normalsFor are ready in faceNormals.
  const uint32_t* polygonOf = nullptr;
  const rm::Vector* faceNormals = nullptr;
  uint32_t normalsFor = 0;
  // When set (per surface number), each surface's group is made on the way:
  // its face data, vertices numbered by first use, and the vertices, each
  // with its point's sum. They come from the C++ heap, so running out of
  // memory ends the run as a polygon outside the cone does.
  std::vector<uint32_t>* groupFaces = nullptr;
  std::vector<rm::Vertex>* groupVertices = nullptr;
  const uint32_t* cornerCount = nullptr;  // per surface number
  size_t normalCount = 0;
  bool smooth = false;

  void operator()() {
    try {
      smooth = Run();
    } catch (const std::bad_alloc&) {
      smooth = false;
    }
  }
  bool Run() {
    // In locals: the stores below could otherwise be to these members.
    const Word* const words = s->WordsAs<Word>();
    const rm::Vector* const points = s->points;
    const uint32_t* const order = bySurface;
    PointSum* const at = this->at;
    uint32_t* const touched = this->touched;
    for (uint32_t surface = first, end = last; surface < end; ++surface) {
      uint32_t touchedCount = 0;
      const float cone = coneOf[surface], cone2 = cone * cone;
      std::vector<uint32_t>* faces = groupFaces ? &groupFaces[surface] : nullptr;
      if (faces) {
        const size_t words = static_cast<size_t>(polygonStart[surface + 1] - polygonStart[surface]) + cornerCount[surface];
        faces->reserve(words);
        PrefaultForWriting(faces->data(), words * sizeof(uint32_t));
      }
      // A polygon's corner at a point: the surface's first polygon there
      // starts the sum, a later one adds to it when within the cone of the
      // first: w . first >= cone |w|, squared (the cone's cosine is above 0)
      // to spare a root per polygon. d |d| is d squared with d's sign, so one
      // comparison holds both d >= 0 and the squares' (bound is above 0).
      const auto corner = [&](uint32_t point, const rm::Vector& w, float bound) {
        PointSum& a = at[point];
        if (a.surface != surface) {
          a = {surface, Normalise(w), w, touchedCount};
          touched[touchedCount++] = point;
          return true;
        }
        const float d = w.x * a.first.x + w.y * a.first.y + w.z * a.first.z;
        if (!(d * std::fabs(d) >= bound)) return false;
        a.sum.x += w.x, a.sum.y += w.y, a.sum.z += w.z;
        return true;
      };
      // The normals a batch at a time, then their corners: the normals of a
      // batch do not wait for one another (each waits on a root and a
      // division), so they are worked out side by side.
      constexpr uint32_t kBatch = 16;
      rm::Vector batch[kBatch];
      for (uint32_t q = polygonStart[surface], qEnd = polygonStart[surface + 1]; q < qEnd; q += kBatch) {
        const uint32_t size = std::min(kBatch, qEnd - q);
        for (uint32_t i = 0; i < size; ++i) {
          const uint32_t polygon = polygonOf ? polygonOf[q + i] : normalsFor;
          batch[i] = polygon < normalsFor ? faceNormals[polygon] : WeightedNormal(points, words, order[q + i]);
        }
        for (uint32_t i = 0; i < size; ++i) {
          const uint32_t start = order[q + i], n = words[start];
          const Word* const corners = words + start + 1;
          const rm::Vector& w = batch[i];
          const float bound = cone2 * (w.x * w.x + w.y * w.y + w.z * w.z);
          if (!(bound > 0)) {
            // No direction (or none to be had): no later polygon at a point
            // can be within its cone.
            for (uint32_t k = 0; k < n; ++k) {
              PointSum& a = at[corners[k]];
              if (a.surface == surface) return false;
              a = {surface, Normalise(w), w, touchedCount};
              touched[touchedCount++] = corners[k];
            }
          } else if (n == 4) {  // most polygons: without the loop's overhead per corner
            if (!corner(corners[0], w, bound) || !corner(corners[1], w, bound) || !corner(corners[2], w, bound) ||
                !corner(corners[3], w, bound))
              return false;
          } else {
            for (uint32_t k = 0; k < n; ++k)
              if (!corner(corners[k], w, bound)) return false;
          }
          if (faces) {
            faces->push_back(n);
            for (uint32_t k = 0; k < n; ++k) faces->push_back(at[corners[k]].vertex);
          }
        }
      }
      normalStart[surface] = static_cast<uint32_t>(normalCount);
      std::vector<rm::Vertex>* vertices = groupVertices ? &groupVertices[surface] : nullptr;
      if (vertices) {
        vertices->reserve(touchedCount);
        PrefaultForWriting(vertices->data(), touchedCount * sizeof(rm::Vertex));
      }
      for (uint32_t i = 0; i < touchedCount; ++i) {
        const uint32_t point = touched[i];
        const rm::Vector normal = Normalise(at[point].sum);
        normals[normalCount++] = {point, normal};
        if (vertices) vertices->push_back({points[point], normal, 0, 0, 0});
      }
    }
    return true;
  }
};

// Whether every surface smooths and, at every point, its polygons there lie
// within half its angle of the first of them: then every pair there is within
// the angle, every corner of a surface at a point shares the sum of that
// surface's polygons there, and the object keeps those sums per point and
// surface, not per corner. Polygons are taken surface by surface, so a
// point's sums are made one surface at a time; on a large object a second
// thread takes the later surfaces, with sums of its own.
template <typename Word>
bool SmoothByPoint(Lwo2& s, const Smoothing& smoothing, const TrackedBuffer<const Surface2*>& surfaceOf) {
  const uint32_t polygonCount = s.polygonCount, pointCount = s.pointCount, surfaceCount = s.o.surfaceNames.nameCount;
  for (uint32_t n = 1; n <= surfaceCount; ++n)
    if (s.surfaceStart[n + 1] != 0 && smoothing.coneOf[n] > 1) return false;
  // The faces by surface, as the build takes them.
  TrackedBuffer<uint32_t> surfaceStart = std::move(s.faceStart), bySurface;
  for (uint32_t n = 0; n <= surfaceCount; ++n) surfaceStart[n + 1] += surfaceStart[n];
  const uint32_t faceCount = surfaceStart[surfaceCount + 1];
  NeedUnfilled(bySurface, faceCount);
  // With face normals made beforehand, each face's polygon number finds its own.
  TrackedBuffer<uint32_t> polygonOf;
  if (s.normalsFor) NeedUnfilled(polygonOf, faceCount);
  {
    TrackedBuffer<uint32_t> fill;
    Need(fill, static_cast<size_t>(surfaceCount) + 1);
    PrefaultForWriting(bySurface.data(), faceCount * sizeof(uint32_t));
    PrefaultForWriting(polygonOf.data(), polygonOf.size() * sizeof(uint32_t));
    const Word* words = s.WordsAs<Word>();
    uint32_t* const numbers = polygonOf.data();
    for (uint32_t p = 0, at = 0; p < polygonCount; ++p) {
      // Runs of quadrilaterals, the rule, in a loop of their own: the next
      // one's words are six on, known before this one's count is read, so
      // the walk does not wait on every count.
      for (; p < polygonCount && words[at] == 4; ++p, at += 6) {
        const uint32_t slot = surfaceStart[words[at + 5]] + fill[words[at + 5]]++;
        bySurface[slot] = at;
        if (numbers) numbers[slot] = p;
      }
      if (p == polygonCount) break;
      const uint32_t n = words[at], surface = words[at + n + 1];
      if (n >= 3) {
        const uint32_t slot = surfaceStart[surface] + fill[surface]++;
        bySurface[slot] = at;
        if (numbers) numbers[slot] = p;
      }
      at += n + 2;
    }
  }
  // The second thread's surfaces start where half the polygons are passed.
  uint32_t split = surfaceCount + 1;
  if (polygonCount >= kSplitPolygons)
    for (uint32_t n = 2; n <= surfaceCount; ++n)
      if (surfaceStart[n] >= faceCount / 2) {
        split = n;
        break;
      }
  TrackedBuffer<uint32_t> normalStart, touchedA, touchedB;
  TrackedBuffer<PointSum> sumsA, sumsB;
  TrackedBuffer<LwoPointNormal> normalsA, normalsB;
  // A surface has a sum per point it touches, so no more than its corners
  // or the points.
  size_t roomA = 0, roomB = 0;
  for (uint32_t n = 1; n <= surfaceCount; ++n)
    (n < split ? roomA : roomB) += std::min(s.cornerCount[n], pointCount);
  Need(normalStart, static_cast<size_t>(surfaceCount) + 2);
  Need(sumsA, pointCount);
  NeedUnfilled(touchedA, pointCount);
  NeedUnfilled(normalsA, roomA);
  if (split <= surfaceCount) {
    Need(sumsB, pointCount);
    NeedUnfilled(touchedB, pointCount);
    NeedUnfilled(normalsB, roomB);
  }
  SurfaceSums<Word> a{&s, smoothing.coneOf.data(), bySurface.data(), surfaceStart.data(), 1, split, sumsA.data(),
                touchedA.data(), normalsA.data(), normalStart.data()};
  SurfaceSums<Word> b{&s, smoothing.coneOf.data(), bySurface.data(), surfaceStart.data(), split, surfaceCount + 1,
                sumsB.data(), touchedB.data(), normalsB.data(), normalStart.data()};
  s.FinishNormals();
  // The groups are made with the sums when nothing per corner (texture
  // coordinates or colours) is to come.
  LwoCorners& corners = s.o.corners;
  bool perCorner = FindMap(s, true, nullptr) >= 0;
  for (uint32_t n = 1; n <= surfaceCount; ++n) perCorner = perCorner || (surfaceOf[n] && surfaceOf[n]->map.present);
  if (!perCorner) {
    corners.groupFaces.resize(static_cast<size_t>(surfaceCount) + 1);
    corners.groupVertices.resize(static_cast<size_t>(surfaceCount) + 1);
  }
  for (SurfaceSums<Word>* sums : {&a, &b}) {
    sums->polygonOf = polygonOf.data(), sums->faceNormals = s.faceNormals.data(), sums->normalsFor = s.normalsFor;
    if (!perCorner)
      sums->groupFaces = corners.groupFaces.data(), sums->groupVertices = corners.groupVertices.data(),
      sums->cornerCount = s.cornerCount.data();
  }
  std::thread helper;
  if (split <= surfaceCount) {
    try {
      helper = std::thread(std::ref(b));
    } catch (const std::system_error&) {
      b.at = sumsA.data();  // no thread to be had: one after the other
    }
  }
  a();
  if (helper.joinable()) helper.join();
  else if (split <= surfaceCount && a.smooth) b();
  if (!a.smooth || (split <= surfaceCount && !b.smooth)) {
    corners.groupFaces.clear(), corners.groupVertices.clear();
    return false;
  }

  const size_t countA = a.normalCount, countB = b.normalCount;
  NeedUnfilled(corners.pointNormals, countA + countB);
  if (countA) std::memcpy(corners.pointNormals.data(), normalsA.data(), countA * sizeof(LwoPointNormal));
  if (countB) std::memcpy(corners.pointNormals.data() + countA, normalsB.data(), countB * sizeof(LwoPointNormal));
  for (uint32_t n = split; n <= surfaceCount; ++n) normalStart[n] += static_cast<uint32_t>(countA);
  normalStart[surfaceCount + 1] = static_cast<uint32_t>(countA + countB);
  corners.pointNormalStart = std::move(normalStart);
  for (uint32_t n = 1; n <= surfaceCount; ++n) corners.largestCorners = std::max(corners.largestCorners, s.cornerCount[n]);
  corners.faceOrder = std::move(bySurface);
  corners.faceStart = std::move(surfaceStart);
  return true;
}

template <typename Word>
bool CornerNormals(Lwo2& s, const Smoothing& smoothing) {
  LwoObject& o = s.o;
  const uint32_t polygonCount = s.polygonCount, pointCount = s.pointCount, surfaceCount = o.surfaceNames.nameCount;
  const Word* words = s.WordsAs<Word>();
  const TrackedBuffer<float>& cosOf = smoothing.cosOf;
  const TrackedBuffer<float>& coneOf = smoothing.coneOf;
  TrackedBuffer<rm::Vector> weighted, unit;
  TrackedBuffer<uint32_t> start;
  Need(weighted, polygonCount);
  Need(unit, polygonCount);
  Need(start, static_cast<size_t>(pointCount) + 1);
  for (uint32_t p = 0; p < polygonCount; ++p) {
    const uint32_t at = s.polygonStart[p], n = words[at];
    if (n < 3) continue;
    const rm::Vector& p0 = s.points[words[at + 1]];
    const rm::Vector& p1 = s.points[words[at + 2]];
    const rm::Vector& p2 = s.points[words[at + 3]];
    const rm::Vector a = Normalise({p1.x - p0.x, p1.y - p0.y, p1.z - p0.z});
    const rm::Vector c = Normalise({p2.x - p0.x, p2.y - p0.y, p2.z - p0.z});
    // Weighted by the sine of the corner angle at the first point, as LWOB normals are.
    weighted[p] = {a.y * c.z - a.z * c.y, a.z * c.x - a.x * c.z, a.x * c.y - a.y * c.x};
    unit[p] = Normalise(weighted[p]);
    for (uint32_t k = 0; k < n; ++k) ++start[words[at + 1 + k] + 1];
  }
  for (uint32_t i = 0; i < pointCount; ++i) start[i + 1] += start[i];
  // Each point's polygons, those of one surface together: filled surface by
  // surface.
  TrackedBuffer<uint32_t> bySurface, surfaceStart, incident, fill;
  Need(surfaceStart, static_cast<size_t>(surfaceCount) + 2);
  Need(bySurface, polygonCount);
  for (uint32_t p = 0; p < polygonCount; ++p) ++surfaceStart[s.Surface(p) + 1];
  for (uint32_t n = 0; n <= surfaceCount; ++n) surfaceStart[n + 1] += surfaceStart[n];
  for (uint32_t p = 0; p < polygonCount; ++p) bySurface[surfaceStart[s.Surface(p)]++] = p;
  surfaceStart.Reset();
  Need(incident, start[pointCount]);
  Need(fill, pointCount);
  for (uint32_t i = 0; i < pointCount; ++i) fill[i] = start[i];
  for (uint32_t q = 0; q < polygonCount; ++q) {
    const uint32_t p = bySurface[q], at = s.polygonStart[p], n = words[at];
    if (n >= 3)
      for (uint32_t k = 0; k < n; ++k) incident[fill[words[at + 1 + k]]++] = p;
  }
  fill.Reset();
  bySurface.Reset();
  Need(o.corners.normals, s.wordCount);
  rm::Vector* normals = o.corners.normals.data();

  // The shared sums: a corner given one is done (a zero sum is worked out
  // again below, to the same end).
  for (uint32_t point = 0; point < pointCount; ++point)
    for (uint32_t run = start[point]; run < start[point + 1];) {
      const uint32_t surface = s.Surface(incident[run]);
      uint32_t end = run + 1;
      rm::Vector mean = unit[incident[run]];
      while (end < start[point + 1] && s.Surface(incident[end]) == surface) {
        const rm::Vector& u = unit[incident[end++]];
        mean.x += u.x, mean.y += u.y, mean.z += u.z;
      }
      const float cone = coneOf[surface];
      bool shared = cone <= 1;
      mean = Normalise(mean);
      for (uint32_t i = run; i < end && shared; ++i) {
        const rm::Vector& u = unit[incident[i]];
        shared = u.x * mean.x + u.y * mean.y + u.z * mean.z >= cone;
      }
      if (shared) {
        rm::Vector sum{0, 0, 0};
        for (uint32_t i = run; i < end; ++i) {
          const rm::Vector& w = weighted[incident[i]];
          sum.x += w.x, sum.y += w.y, sum.z += w.z;
        }
        sum = Normalise(sum);
        for (uint32_t i = run; i < end; ++i) {
          const uint32_t at = s.polygonStart[incident[i]], n = words[at];
          for (uint32_t k = 0; k < n; ++k)
            if (words[at + 1 + k] == point) normals[at + 1 + k] = sum;
        }
      }
      run = end;
    }

  for (uint32_t p = 0; p < polygonCount; ++p) {
    const uint32_t at = s.polygonStart[p], n = words[at];
    if (n < 3) continue;
    const uint32_t surface = words[at + n + 1];
    const float threshold = cosOf[surface];
    for (uint32_t k = 0; k < n; ++k) {
      rm::Vector& out = normals[at + 1 + k];
      if (out.x != 0 || out.y != 0 || out.z != 0) continue;
      const uint32_t point = words[at + 1 + k];
      rm::Vector sum = weighted[p];
      if (threshold <= 1 && start[point + 1] - start[point] <= kMaxCompared)
        for (uint32_t i = start[point]; i < start[point + 1]; ++i) {
          const uint32_t r = incident[i];
          if (r == p || s.Surface(r) != surface) continue;
          const float cosine = unit[p].x * unit[r].x + unit[p].y * unit[r].y + unit[p].z * unit[r].z;
          if (cosine < threshold) continue;
          sum.x += weighted[r].x, sum.y += weighted[r].y, sum.z += weighted[r].z;
        }
      out = Normalise(sum);
    }
  }
  return true;
}

// Counts what the chunks hold, so the points and polygon words go into
// buffers that never grow: the points exactly, the polygons as many as the
// chunks could hold (a polygon of n points takes 2 + 2n bytes and n + 2
// words, so never more words than bytes), in storage left unfilled, so
// what the polygons do not use costs nothing. Tag names take two bytes at
// least, so a TAGS chunk names no more tags than half its size.
void CountChunks(const LwoObject& o, size_t& points, size_t& words, size_t& polygons, size_t& tags) {
  const uint8_t* body = o.iff.body;
  const uint32_t length = o.iff.bodyLength;
  for (uint32_t at = 0; length - at >= 8;) {
    const uint8_t* header = body + at;
    const uint32_t size = ReadU4(header + 4);
    if (size > length - at - 8) return;
    if (IdIs(header, "PNTS")) points += size / 12;
    if (IdIs(header, "TAGS")) tags += size / 2;
    if (IdIs(header, "POLS") && size >= 4 && KeptPolygonType(header + 8)) {
      words += size - 4;
      polygons += (size - 4) / 2;
    }
    at += 8 + size;
    if (size % 2 && at < length) ++at;
  }
}

template <typename Word>
bool Finish(Lwo2& s) {
  LwoObject& o = s.o;
  // Polygons no PTAG reached get the surface LightWave gives them.
  static const char kDefault[] = "Default";
  uint32_t defaultSurface = 0;
  // Polygons per surface number (at the number's next entry) for the
  // smoothing: when a polygon is left without a surface they are counted
  // here, on the walk that gives it Default (every number a PTAG gave is
  // known by now, and Default comes after them).
  const size_t numbers = static_cast<size_t>(o.surfaceNames.nameCount) + 3;
  if (s.tagged == s.polygonCount) {
    // Every polygon has its surface, and the PTAG chunks counted them.
    GrowCounts(s.surfaceStart, numbers);
    GrowCounts(s.faceStart, numbers);
    GrowCounts(s.cornerCount, numbers);
  } else {
    s.surfaceStart.Reset(), s.faceStart.Reset(), s.cornerCount.Reset();
    Need(s.surfaceStart, numbers);
    Need(s.faceStart, numbers);
    Need(s.cornerCount, numbers);
  }
  // The polygons lie one after the other in the words: walked in order,
  // with what the walk writes through in locals.
  Word* const words = s.WordsAs<Word>();
  uint32_t* const polygons = s.surfaceStart.data();
  uint32_t* const faces = s.faceStart.data();
  uint32_t* const corners = s.cornerCount.data();
  for (uint32_t p = 0, at = 0, n, count = s.tagged == s.polygonCount ? 0 : s.polygonCount; p < count;
       ++p, at += n + 2) {
    n = words[at];
    Word& surface = words[at + n + 1];
    if (surface == 0) {
      if (!defaultSurface) {
        defaultSurface = ++o.surfaceNames.nameCount;
        if (!o.surfaceNames.entries.PushFront({kDefault, defaultSurface})) throw std::bad_alloc();
      }
      surface = static_cast<Word>(defaultSurface);
    }
    ++polygons[surface + 1];
    if (n >= 3) ++faces[surface + 1], corners[surface] += n;
  }
  o.points.pointCount = s.pointCount;
  o.points.chunkCount = o.points.pointCount ? 1 : 0;
  o.polygons.words = s.narrowWords ? reinterpret_cast<uint8_t*>(s.narrowWords) : nullptr;
  o.polygons.wordCount = s.wordCount;
  o.polygons.polygonCount = s.polygonCount;
  o.polygons.indexWordCount = o.polygons.wordCount - o.polygons.polygonCount;
  o.polygons.chunkCount = s.polsChunks;
  o.surfaceNames.chunkCount = s.tags.empty() ? 0 : 1;
  // The list runs in file order, as the LWOB one does.
  for (size_t i = s.surfaces.size(); i-- > 0;) {
    if (!o.surfaces.list.PushFront(s.surfaces[i].record)) throw std::bad_alloc();
    ++o.surfaces.surfaceCount;
  }
  TrackedBuffer<const Surface2*> surfaceOf;
  SurfacesByNumber(s, surfaceOf);
  Smoothing smoothing;
  SmoothingOf(s, surfaceOf, smoothing);
  o.corners.smoothBySurface = SmoothByPoint<Word>(s, smoothing, surfaceOf);
  return (o.corners.smoothBySurface || CornerNormals<Word>(s, smoothing)) && CornerColours(s, surfaceOf) &&
         TextureCoordinates(s, surfaceOf);
}

}  // namespace

bool ParseLwo2Body(LwoObject& object) {
  object.lwo2 = true;
  Lwo2 s(object);
  size_t points = 0, words = 0, polygons = 0, tags = 0;
  CountChunks(object, points, words, polygons, tags);
  // A count the indices cannot reach is refused by the chunk that passes it.
  points = std::min<size_t>(points, 0xFFFFFFu);
  words = std::min<size_t>(words, 0xFFFFFFFFu);
  NeedUnfilled(object.points.points, points);
  // Point indices run below the points counted; surface numbers go up to one
  // per tag and Default.
  const bool narrow = points <= 0x10000u && tags + 1 <= 0xFFFFu;
  if (narrow) {
    NeedUnfilled(object.polygons.narrow, words);
    s.narrowWords = object.polygons.narrow.data();
  } else {
    NeedUnfilled(object.polygons.wide, words);
    s.words = object.polygons.wide.data();
  }
  NeedUnfilled(s.polygonStart, polygons);
  s.points = object.points.points.data();
  s.pointRoom = static_cast<uint32_t>(points);
  s.wordRoom = static_cast<uint32_t>(words);
  const uint8_t* body = object.iff.body;
  const uint32_t length = object.iff.bodyLength;
  uint32_t at = 0;
  while (length - at >= 8) {
    const uint8_t* header = body + at;
    const uint32_t size = ReadU4(header + 4);
    if (size > length - at - 8) {
      char id[5] = {};
      std::memcpy(id, header, 4);
      for (char& c : id)
        if (c && (c < 32 || c > 126)) c = '?';
      return FailAt(object.why, id, s.Offset(header), "the chunk's %s bytes run past the end of the form",
                    Thousands(size).c_str());
    }
    Reader r{header + 8, header + 8 + size};
    bool ok = true;
    if (IdIs(header, "LAYR")) {
      s.layerPoints = s.pointCount;
      s.layerPointCount = 0;
      s.polsKept = false;
      s.polsCount = 0;  // the pivot is kept where it is: points are in object space already
    } else if (IdIs(header, "PNTS")) {
      ok = Points(s, header, r);
    } else if (IdIs(header, "POLS")) {
      ok = narrow ? Polygons<uint16_t>(s, header, r) : Polygons<uint32_t>(s, header, r);
    } else if (IdIs(header, "TAGS")) {
      ok = Tags(s, r);
    } else if (IdIs(header, "PTAG")) {
      if (s.polsKept) StartFaceNormals(s);
      ok = narrow ? PolygonTags<uint16_t>(s, header, r) : PolygonTags<uint32_t>(s, header, r);
    } else if (IdIs(header, "VMAP")) {
      ok = VertexMap(s, header, r, false);
    } else if (IdIs(header, "VMAD")) {
      ok = VertexMap(s, header, r, true);
    } else if (IdIs(header, "CLIP")) {
      ok = ClipChunk(s, r);
    } else if (IdIs(header, "SURF")) {
      ok = SurfaceChunk(s, header, r);
    }  // BBOX and the rest: nothing to keep
    if (!ok) return false;
    at += 8 + size;
    if (size % 2 && at < length) ++at;  // the pad byte after an odd-sized chunk
  }
  return narrow ? Finish<uint16_t>(s) : Finish<uint32_t>(s);
}
