// LightWave 6 and later objects (IFF form LWO2). Chunks are read in file
// order, since a chunk's meaning hangs on those before it (PTAG and VMAD on
// the last POLS, every list on the last LAYR). What is read goes into the
// records the LWOB handlers fill, so building, exporting and showing stay one
// path: polygons in 32-bit words, surfaces numbered per tag used as a surface,
// and every image map turned into texture coordinates per polygon corner.
#include <cmath>
#include <cstring>
#include <new>
#include <numbers>
#include <vector>

#include "diag/Dbug.h"
#include "lwlib/object/Lwo.h"

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

struct UvEntry {
  uint32_t point;    // object-wide
  uint32_t polygon;  // object-wide; kNoPolygon for a per-point value
  float u, v;
};

struct UvMap {
  const char* name;
  std::vector<UvEntry> entries;  // file order: a later entry wins
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
};

struct Clip {
  uint32_t index;
  const char* file;
};

struct Lwo2 {
  explicit Lwo2(LwoObject& object) : o(object) {}
  LwoObject& o;
  std::vector<const char*> tags;
  std::vector<uint32_t> tagSurface;  // surface number per tag, 0 for none yet
  std::vector<rm::Vector> points;
  std::vector<uint32_t> words;         // n, n indices, surface
  std::vector<uint32_t> polygonStart;  // per polygon its first word
  std::vector<UvMap> uvMaps;
  std::vector<Surface2> surfaces;
  std::vector<Clip> clips;
  uint32_t layerPoints = 0, layerPointCount = 0;  // the current layer's PNTS
  uint32_t polsFirst = 0, polsCount = 0;          // the last kept POLS
  bool polsKept = false;
  uint32_t polsChunks = 0;

  int64_t Offset(const uint8_t* at) const { return at - o.iff.body + 12; }
  bool Refuse(const char* chunk, const uint8_t* header, const char* what) {
    return FailAt(o.why, chunk, Offset(header), "%s", what);
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
  if (s.points.size() + count > 0xFFFFFFu) return s.Refuse("PNTS", header, "more points than an index can name");
  s.layerPoints = static_cast<uint32_t>(s.points.size());
  s.layerPointCount = static_cast<uint32_t>(count);
  s.points.reserve(s.points.size() + count);
  for (size_t i = 0; i < count; ++i) {
    float v[3];
    r.Vec(v);
    s.points.push_back({v[0], v[1], v[2]});
  }
  return true;
}

bool Polygons(Lwo2& s, const uint8_t* header, Reader r) {
  uint32_t type = 0;
  if (!r.U4(type)) return s.Refuse("POLS", header, "no polygon type");
  const uint8_t* typeId = header + 8;
  s.polsKept = IdIs(typeId, "FACE") || IdIs(typeId, "PTCH");
  if (!s.polsKept) {
    ReportWarning(DebugFormat("LWO2 polygons of type %.4s skipped", reinterpret_cast<const char*>(typeId)));
    return true;
  }
  ++s.polsChunks;
  s.polsFirst = static_cast<uint32_t>(s.polygonStart.size());
  while (r.Left() > 0) {
    const uint8_t* at = r.p;
    uint32_t countAndFlags = 0;
    if (!r.U2(countAndFlags)) return s.Refuse("POLS", header, "a polygon is cut off by the end of the chunk");
    const uint32_t n = countAndFlags & 0x3FF;
    // Every index takes two bytes at least: a count the chunk cannot hold
    // is refused before anything is kept for it.
    if (r.Left() / 2 < n) {
      return FailAt(s.o.why, "POLS", s.Offset(header), "polygon %s (at byte %s) runs past the end of the chunk",
                    Thousands(static_cast<int64_t>(s.polygonStart.size() - s.polsFirst)).c_str(),
                    Thousands(s.Offset(at)).c_str());
    }
    s.polygonStart.push_back(static_cast<uint32_t>(s.words.size()));
    s.words.push_back(n);
    for (uint32_t k = 0; k < n; ++k) {
      uint32_t index = 0;
      if (!r.Vx(index)) return s.Refuse("POLS", header, "a polygon is cut off by the end of the chunk");
      if (index >= s.layerPointCount)
        return FailAt(s.o.why, "POLS", s.Offset(header), "polygon %s names point %s of a layer of %s",
                      Thousands(static_cast<int64_t>(s.polygonStart.size() - 1 - s.polsFirst)).c_str(),
                      Thousands(index).c_str(), Thousands(s.layerPointCount).c_str());
      s.words.push_back(s.layerPoints + index);
    }
    s.words.push_back(0);  // no surface until a PTAG gives one
  }
  s.polsCount = static_cast<uint32_t>(s.polygonStart.size()) - s.polsFirst;
  return true;
}

bool Tags(Lwo2& s, Reader r) {
  s.tags.clear();
  const char* name = nullptr;
  while (r.Left() > 0 && r.Name(name)) s.tags.push_back(name);
  s.tagSurface.assign(s.tags.size(), 0);
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

bool PolygonTags(Lwo2& s, const uint8_t* header, Reader r) {
  uint32_t type = 0;
  if (!r.U4(type)) return s.Refuse("PTAG", header, "no tag type");
  if (!IdIs(header + 8, "SURF") || !s.polsKept) return true;  // parts, smoothing groups: not used
  while (r.Left() > 0) {
    uint32_t polygon = 0, tag = 0;
    if (!r.Vx(polygon) || !r.U2(tag)) return s.Refuse("PTAG", header, "an entry is cut off by the end of the chunk");
    if (polygon >= s.polsCount)
      return FailAt(s.o.why, "PTAG", s.Offset(header), "tags polygon %s of %s", Thousands(polygon).c_str(),
                    Thousands(s.polsCount).c_str());
    if (tag >= s.tags.size())
      return FailAt(s.o.why, "PTAG", s.Offset(header), "names tag %s of %s", Thousands(tag).c_str(),
                    Thousands(static_cast<int64_t>(s.tags.size())).c_str());
    const uint32_t start = s.polygonStart[s.polsFirst + polygon];
    s.words[start + s.words[start] + 1] = SurfaceForTag(s, tag);
  }
  return true;
}

// VMAP and VMAD: only texture coordinates are kept.
bool VertexMap(Lwo2& s, const uint8_t* header, Reader r, bool perPolygon) {
  const char* chunk = perPolygon ? "VMAD" : "VMAP";
  uint32_t type = 0, dimension = 0;
  const char* name = nullptr;
  if (!r.U4(type) || !r.U2(dimension) || !r.Name(name)) return s.Refuse(chunk, header, "the header is cut off");
  if (!IdIs(header + 8, "TXUV") || dimension < 2) return true;
  UvMap* map = nullptr;
  for (UvMap& m : s.uvMaps)
    if (std::strcmp(m.name, name) == 0) map = &m;
  if (!map) map = &s.uvMaps.emplace_back(UvMap{name, {}});
  while (r.Left() > 0) {
    uint32_t point = 0, polygon = kNoPolygon;
    if (!r.Vx(point) || (perPolygon && !r.Vx(polygon)))
      return s.Refuse(chunk, header, "an entry is cut off by the end of the chunk");
    if (r.Left() / 4 < dimension) return s.Refuse(chunk, header, "an entry is cut off by the end of the chunk");
    float u = 0, v = 0;
    r.F4(u);
    r.F4(v);
    r.p += 4 * static_cast<size_t>(dimension - 2);
    if (point >= s.layerPointCount)
      return FailAt(s.o.why, chunk, s.Offset(header), "names point %s of a layer of %s", Thousands(point).c_str(),
                    Thousands(s.layerPointCount).c_str());
    if (perPolygon) {
      if (polygon >= s.polsCount)
        return FailAt(s.o.why, chunk, s.Offset(header), "names polygon %s of %s", Thousands(polygon).c_str(),
                      Thousands(s.polsCount).c_str());
      polygon += s.polsFirst;
    }
    map->entries.push_back({s.layerPoints + point, polygon, u, v});
  }
  return true;
}

bool ClipChunk(Lwo2& s, Reader r) {
  uint32_t index = 0;
  if (!r.U4(index)) return true;
  while (r.Left() >= 6) {
    const uint8_t* id = r.p;
    const uint32_t size = ReadU2(r.p + 4);
    r.p += 6;
    if (size > r.Left()) break;
    Reader sub{r.p, r.p + size};
    const char* file = nullptr;
    if (IdIs(id, "STIL") && sub.Name(file)) s.clips.push_back({index, file});
    r.p += size + (size % 2 && size < r.Left() ? 1 : 0);
  }
  return true;
}

// The sub-chunks of a BLOK: its header (IMAP and the like, itself holding
// sub-chunks), TMAP, and the image map's own.
void Block(ImageMap& map, Reader r) {
  ImageMap m;
  bool isColourImage = false;
  while (r.Left() >= 6) {
    const uint8_t* id = r.p;
    const uint32_t size = ReadU2(r.p + 4);
    r.p += 6;
    if (size > r.Left()) break;
    Reader sub{r.p, r.p + size};
    if (IdIs(id, "IMAP")) {
      const char* ordinal = nullptr;
      isColourImage = sub.Name(ordinal);
      bool enabled = true, colour = true;  // a header without CHAN maps colour
      while (sub.Left() >= 6) {
        const uint8_t* hid = sub.p;
        const uint32_t hsize = ReadU2(sub.p + 4);
        sub.p += 6;
        if (hsize > sub.Left()) break;
        Reader h{sub.p, sub.p + hsize};
        uint32_t value = 0;
        if (IdIs(hid, "CHAN") && h.U4(value)) colour = IdIs(hid + 6, "COLR");
        if (IdIs(hid, "ENAB") && h.U2(value)) enabled = value != 0;
        sub.p += hsize + (hsize % 2 && hsize < sub.Left() ? 1 : 0);
      }
      isColourImage = isColourImage && enabled && colour;
    } else if (IdIs(id, "TMAP")) {
      while (sub.Left() >= 6) {
        const uint8_t* tid = sub.p;
        const uint32_t tsize = ReadU2(sub.p + 4);
        sub.p += 6;
        if (tsize > sub.Left()) break;
        Reader t{sub.p, sub.p + tsize};
        float v[3];
        if (t.Vec(v)) {
          float* into = IdIs(tid, "CNTR") ? m.centre : IdIs(tid, "SIZE") ? m.size : IdIs(tid, "ROTA") ? m.rotation : nullptr;
          if (into) std::memcpy(into, v, sizeof v);
        }
        sub.p += tsize + (tsize % 2 && tsize < sub.Left() ? 1 : 0);
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
    r.p += size + (size % 2 && size < r.Left() ? 1 : 0);
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
  const char* source = nullptr;
  if (!r.Name(surface.record.name) || !r.Name(source)) {
    ReportWarning("SURF chunk without a terminated name ignored");
    return true;
  }
  (void)header;
  LwoSurface& out = surface.record;
  while (r.Left() >= 6) {
    const uint8_t* id = r.p;
    const uint32_t size = ReadU2(r.p + 4);
    r.p += 6;
    if (size > r.Left()) break;  // runs past the chunk
    Reader sub{r.p, r.p + size};
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
    r.p += size + (size % 2 && size < r.Left() ? 1 : 0);
  }
  s.surfaces.push_back(surface);
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

// The texture coordinates of every corner of every polygon whose surface has
// an image map, and the image name per surface number.
bool TextureCoordinates(Lwo2& s) {
  LwoObject& o = s.o;
  const uint32_t surfaceCount = o.surfaceNames.nameCount;
  std::vector<const ImageMap*> mapOf(surfaceCount + 1, nullptr);
  bool any = false;
  for (auto* n = o.surfaceNames.entries.head(); n; n = n->next)
    for (const Surface2& surface : s.surfaces)
      if (std::strcmp(surface.record.name, n->value.name) == 0) {
        if (surface.map.present) mapOf[n->value.index] = &surface.map, any = true;
        break;
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
  const uint32_t polygonCount = static_cast<uint32_t>(s.polygonStart.size());
  if (!set.polygonUvs.Allocate(polygonCount)) throw std::bad_alloc();
  set.polygonCount = polygonCount;

  // Per-point values of each map the surfaces name, later entries winning;
  // per-corner values then override them.
  std::vector<std::vector<float>> pointUv(s.uvMaps.size());
  const auto findMap = [&](const char* name) -> int {
    for (size_t i = 0; i < s.uvMaps.size(); ++i)
      if (!name || std::strcmp(s.uvMaps[i].name, name) == 0) return static_cast<int>(i);
    return -1;
  };
  // Per-corner values of each map by polygon, as lists starting at
  // cornerStart[map][polygon], so a polygon looks at its own only.
  std::vector<std::vector<uint32_t>> cornerStart(s.uvMaps.size());
  std::vector<std::vector<const UvEntry*>> cornerList(s.uvMaps.size());

  for (uint32_t p = 0; p < polygonCount; ++p) {
    const uint32_t at = s.polygonStart[p];
    const uint32_t n = s.words[at], surface = s.words[at + n + 1];
    const ImageMap* m = surface <= surfaceCount ? mapOf[surface] : nullptr;
    if (!m || n == 0) continue;
    UvList* list = MakeUvList(set, p, static_cast<int32_t>(n));
    if (!list) throw std::bad_alloc();
    float* u = &set.u[list->first];
    float* v = &set.v[list->first];
    if (m->projection == PROJ_UV) {
      const int mi = findMap(m->uvMap);
      if (mi < 0) continue;
      if (pointUv[mi].empty()) {
        pointUv[mi].assign(2 * s.points.size(), 0.0f);
        for (const UvEntry& e : s.uvMaps[mi].entries)
          if (e.polygon == kNoPolygon) {
            pointUv[mi][2 * e.point] = e.u, pointUv[mi][2 * e.point + 1] = e.v;
          }
        std::vector<uint32_t>& start = cornerStart[mi];
        start.assign(polygonCount + 1, 0);
        for (const UvEntry& e : s.uvMaps[mi].entries)
          if (e.polygon != kNoPolygon) ++start[e.polygon + 1];
        for (uint32_t q = 0; q < polygonCount; ++q) start[q + 1] += start[q];
        cornerList[mi].assign(start[polygonCount], nullptr);
        std::vector<uint32_t> fill(start.begin(), start.end() - 1);
        for (const UvEntry& e : s.uvMaps[mi].entries)
          if (e.polygon != kNoPolygon) cornerList[mi][fill[e.polygon]++] = &e;
      }
      for (uint32_t k = 0; k < n; ++k) {
        const uint32_t point = s.words[at + 1 + k];
        u[k] = pointUv[mi][2 * point];
        v[k] = pointUv[mi][2 * point + 1];
      }
      for (uint32_t c = cornerStart[mi][p]; c < cornerStart[mi][p + 1]; ++c)
        for (uint32_t k = 0; k < n; ++k)
          if (s.words[at + 1 + k] == cornerList[mi][c]->point) u[k] = cornerList[mi][c]->u, v[k] = cornerList[mi][c]->v;
    } else {
      uint32_t axis = m->axis;
      if (m->projection == PROJ_CUBIC && n >= 3) {
        // The axis the polygon faces most.
        const rm::Vector& a = s.points[s.words[at + 1]];
        const rm::Vector& b = s.points[s.words[at + 2]];
        const rm::Vector& c = s.points[s.words[at + 3]];
        const float e1[3] = {b.x - a.x, b.y - a.y, b.z - a.z}, e2[3] = {c.x - a.x, c.y - a.y, c.z - a.z};
        const float normal[3] = {std::fabs(e1[1] * e2[2] - e1[2] * e2[1]), std::fabs(e1[2] * e2[0] - e1[0] * e2[2]),
                                 std::fabs(e1[0] * e2[1] - e1[1] * e2[0])};
        axis = normal[0] >= normal[1] && normal[0] >= normal[2] ? 0 : normal[1] >= normal[2] ? 1 : 2;
      }
      for (uint32_t k = 0; k < n; ++k) Project(*m, axis, s.points[s.words[at + 1 + k]], u[k], v[k]);
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

// ---- normals ----------------------------------------------------------------

// Corners share a normal with the neighbouring polygons of their surface whose
// faces turn from theirs by less than the surface's smoothing angle; without
// one a polygon is flat. A point in more than kMaxCompared polygons (never in
// a modelled object) leaves its corners flat, so hostile fans cannot make the
// comparison quadratic.
constexpr uint32_t kMaxCompared = 256;

bool CornerNormals(Lwo2& s) {
  LwoObject& o = s.o;
  const uint32_t polygonCount = static_cast<uint32_t>(s.polygonStart.size());
  std::vector<float> cosOf(o.surfaceNames.nameCount + 1, 2.0f);  // above 1: flat
  for (auto* n = o.surfaceNames.entries.head(); n; n = n->next)
    for (const Surface2& surface : s.surfaces)
      if (std::strcmp(surface.record.name, n->value.name) == 0) {
        const float angle = surface.record.maxSmoothingAngle;
        if ((surface.record.present & LWO_SMAN) && angle > 0) cosOf[n->value.index] = std::cos(std::fmin(angle, 3.2f));
        break;
      }
  std::vector<rm::Vector> weighted(polygonCount), unit(polygonCount);
  std::vector<uint32_t> start(s.points.size() + 1, 0);
  for (uint32_t p = 0; p < polygonCount; ++p) {
    const uint32_t at = s.polygonStart[p], n = s.words[at];
    if (n < 3) continue;
    const rm::Vector& p0 = s.points[s.words[at + 1]];
    const rm::Vector& p1 = s.points[s.words[at + 2]];
    const rm::Vector& p2 = s.points[s.words[at + 3]];
    rm::Vector a{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z}, c{p2.x - p0.x, p2.y - p0.y, p2.z - p0.z};
    const auto normalise = [](rm::Vector v) {
      const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
      return length > 0 ? rm::Vector{v.x / length, v.y / length, v.z / length} : rm::Vector{0, 0, 0};
    };
    a = normalise(a), c = normalise(c);
    // Weighted by the sine of the corner angle at the first point, as LWOB normals are.
    weighted[p] = {a.y * c.z - a.z * c.y, a.z * c.x - a.x * c.z, a.x * c.y - a.y * c.x};
    unit[p] = normalise(weighted[p]);
    for (uint32_t k = 0; k < n; ++k) ++start[s.words[at + 1 + k] + 1];
  }
  for (size_t i = 0; i < s.points.size(); ++i) start[i + 1] += start[i];
  std::vector<uint32_t> incident(start.back()), fill(start.begin(), start.end() - 1);
  for (uint32_t p = 0; p < polygonCount; ++p) {
    const uint32_t at = s.polygonStart[p], n = s.words[at];
    if (n >= 3)
      for (uint32_t k = 0; k < n; ++k) incident[fill[s.words[at + 1 + k]]++] = p;
  }
  if (!o.corners.normals.Allocate(s.words.size())) throw std::bad_alloc();
  for (uint32_t p = 0; p < polygonCount; ++p) {
    const uint32_t at = s.polygonStart[p], n = s.words[at];
    if (n < 3) continue;
    const uint32_t surface = s.words[at + n + 1];
    const float threshold = cosOf[surface];
    for (uint32_t k = 0; k < n; ++k) {
      const uint32_t point = s.words[at + 1 + k];
      rm::Vector sum = weighted[p];
      if (threshold <= 1 && start[point + 1] - start[point] <= kMaxCompared)
        for (uint32_t i = start[point]; i < start[point + 1]; ++i) {
          const uint32_t r = incident[i];
          if (r == p || s.words[s.polygonStart[r] + s.words[s.polygonStart[r]] + 1] != surface) continue;
          const float cosine = unit[p].x * unit[r].x + unit[p].y * unit[r].y + unit[p].z * unit[r].z;
          if (cosine < threshold) continue;
          sum.x += weighted[r].x, sum.y += weighted[r].y, sum.z += weighted[r].z;
        }
      const float length = std::sqrt(sum.x * sum.x + sum.y * sum.y + sum.z * sum.z);
      o.corners.normals[at + 1 + k] = length > 0 ? rm::Vector{sum.x / length, sum.y / length, sum.z / length}
                                                 : rm::Vector{0, 0, 0};
    }
  }
  return true;
}

bool Finish(Lwo2& s) {
  LwoObject& o = s.o;
  // Polygons no PTAG reached get the surface LightWave gives them.
  static const char kDefault[] = "Default";
  uint32_t defaultSurface = 0;
  for (const uint32_t at : s.polygonStart) {
    uint32_t& surface = s.words[at + s.words[at] + 1];
    if (surface != 0) continue;
    if (!defaultSurface) {
      defaultSurface = ++o.surfaceNames.nameCount;
      if (!o.surfaceNames.entries.PushFront({kDefault, defaultSurface})) throw std::bad_alloc();
    }
    surface = defaultSurface;
  }
  if (!o.points.points.Allocate(s.points.size()) || !o.polygons.wide.Allocate(s.words.size())) throw std::bad_alloc();
  if (!s.points.empty()) std::memcpy(o.points.points.data(), s.points.data(), s.points.size() * sizeof(rm::Vector));
  if (!s.words.empty()) std::memcpy(o.polygons.wide.data(), s.words.data(), s.words.size() * sizeof(uint32_t));
  o.points.pointCount = static_cast<uint32_t>(s.points.size());
  o.points.chunkCount = o.points.pointCount ? 1 : 0;
  o.polygons.words = nullptr;
  o.polygons.wordCount = static_cast<uint32_t>(s.words.size());
  o.polygons.polygonCount = static_cast<uint32_t>(s.polygonStart.size());
  o.polygons.indexWordCount = o.polygons.wordCount - o.polygons.polygonCount;
  o.polygons.chunkCount = s.polsChunks;
  o.surfaceNames.chunkCount = s.tags.empty() ? 0 : 1;
  // The list runs in file order, as the LWOB one does.
  for (auto it = s.surfaces.rbegin(); it != s.surfaces.rend(); ++it) {
    if (!o.surfaces.list.PushFront(it->record)) throw std::bad_alloc();
    ++o.surfaces.surfaceCount;
  }
  return CornerNormals(s) && TextureCoordinates(s);
}

}  // namespace

bool ParseLwo2Body(LwoObject& object) {
  object.lwo2 = true;
  Lwo2 s(object);
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
      s.layerPoints = static_cast<uint32_t>(s.points.size());
      s.layerPointCount = 0;
      s.polsKept = false;
      s.polsCount = 0;  // the pivot is kept where it is: points are in object space already
    } else if (IdIs(header, "PNTS")) {
      ok = Points(s, header, r);
    } else if (IdIs(header, "POLS")) {
      ok = Polygons(s, header, r);
    } else if (IdIs(header, "TAGS")) {
      ok = Tags(s, r);
    } else if (IdIs(header, "PTAG")) {
      ok = PolygonTags(s, header, r);
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
  return Finish(s);
}
