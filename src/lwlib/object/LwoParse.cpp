// The LWOB chunk handlers. Every length in the file is checked against the
// chunk that holds it: a handler never reads past its chunk.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>

#include "diag/Dbug.h"
#include "lwlib/object/Lwo.h"

namespace {

int32_t g_currentTextureSlot = LWO_SLOT_NONE;

constexpr size_t kMaxObjectName = 1019;

bool IdIs(const uint8_t* id, const char* name) { return std::memcmp(id, name, 4) == 0; }

// Where a chunk's header starts in the file, from its data inside the body.
int64_t ChunkOffset(const LwoObject& o, const uint8_t* data) { return data - o.iff.body - 8 + 12; }

// ---- PNTS -----------------------------------------------------------------

uint32_t HandlePoints(uint32_t size, const uint8_t* data, void* user) {
  LwoObject& o = *static_cast<LwoObject*>(user);
  LwoPoints& p = o.points;
  ++p.chunkCount;
  // Point data is words of big-endian floats: an odd size cannot be such data
  // even when its whole words make whole points.
  if (p.chunkCount > 1 || (size / 4) % 3 != 0 || size % 2 != 0) {
    if (p.chunkCount > 1) FailAt(o.why, "PNTS", ChunkOffset(o, data), "more than one PNTS chunk");
    else FailAt(o.why, "PNTS", ChunkOffset(o, data), "%s bytes are not whole points of 12 bytes",
                Thousands(size).c_str());
    p.bad = 1;
    return 0;
  }
  const uint32_t count = size / 12;
  if (!p.points.Allocate(count)) {
    FailAt(o.why, "PNTS", ChunkOffset(o, data), "out of memory for %s points", Thousands(count).c_str());
    p.bad = 1;
    return 0;
  }
  for (uint32_t i = 0; i < count; ++i) {
    p.points[i].x = ReadF4(data + 12 * i);
    p.points[i].y = ReadF4(data + 12 * i + 4);
    p.points[i].z = ReadF4(data + 12 * i + 8);
  }
  p.pointCount = count;
  return 0;
}

// ---- SRFS -----------------------------------------------------------------

uint32_t HandleSurfaceNames(uint32_t size, const uint8_t* data, void* user) {
  LwoObject& o = *static_cast<LwoObject*>(user);
  LwoSurfaceNames& n = o.surfaceNames;
  ++n.chunkCount;
  const uint8_t* end = data + size;
  for (const uint8_t* p = data; p < end;) {
    uint32_t padded = 0;
    const char* name = ReadName(p, end, &padded);
    if (!name) break;  // the last name has no terminator inside the chunk
    ++n.nameCount;
    if (!n.entries.PushFront({name, n.nameCount})) {
      FailAt(o.why, "SRFS", ChunkOffset(o, data), "out of memory");
      n.bad = 1;
      return 0;
    }
    if (padded >= static_cast<uint32_t>(end - p)) break;
    p += padded;
  }
  return 0;
}

// ---- POLS and CRVS --------------------------------------------------------

// Polygons in a chunk's polygon words (big-endian, as in the file): a detail
// polygon's detail count is passed over, so the detail polygons count as the
// ordinary polygons they are. Stops at a polygon that runs past the chunk.
uint32_t CountPolygons(uint32_t size, const uint8_t* data) {
  const uint32_t words = size / 2;
  uint32_t at = 0, count = 0;
  while (at < words) {
    const uint32_t n = ReadU2(data + 2 * static_cast<size_t>(at));
    if (words - at < n + 2) break;
    uint32_t used = n + 2;
    if (ReadI2(data + 2 * static_cast<size_t>(at + n + 1)) < 0) {
      if (words - at < n + 3) break;
      used = n + 3;
    }
    ++count;
    at += used;
  }
  return count;
}

// The POLS chunk's own words, rewritten where they lie in host order in the
// compact form (count, indices, surface): a detail polygon's negative surface
// number is made positive and its detail count dropped, so the detail
// polygons read as the ordinary polygons they are; compacting never writes
// ahead of what is still to be read. Every word is turned first, in one pass
// the compiler can vectorise, then the polygons are walked in host order.
// False when a polygon runs past the chunk, with polygonCount that polygon's
// number and stoppedAt its first word; the chunk is refused then, whatever
// was turned.
bool ConvertPolygons(uint32_t size, uint8_t* data, uint32_t& outWords, uint32_t& polygonCount,
                     uint32_t& indexWordCount, uint32_t& highestPoint, uint32_t& stoppedAt) {
  const uint32_t words = size / 2;
  for (uint32_t i = 0; i < words; ++i) {
    const uint16_t host = ReadU2(data + 2 * static_cast<size_t>(i));
    std::memcpy(data + 2 * static_cast<size_t>(i), &host, 2);
  }
  auto word = [data](uint32_t i) {
    uint16_t w;
    std::memcpy(&w, data + 2 * static_cast<size_t>(i), 2);
    return w;
  };
  outWords = polygonCount = indexWordCount = highestPoint = stoppedAt = 0;
  uint32_t at = 0;
  while (at < words) {
    stoppedAt = at;
    const uint32_t n = word(at);
    if (words - at < n + 2) return false;
    const auto surface = static_cast<int16_t>(word(at + n + 1));
    uint32_t used = n + 2;
    if (surface < 0) {
      if (words - at < n + 3) return false;
      used = n + 3;
    }
    if (outWords != at) std::memmove(data + 2 * static_cast<size_t>(outWords), data + 2 * static_cast<size_t>(at),
                                     2 * (static_cast<size_t>(n) + 1));
    const uint32_t first = outWords + 1;
    if (n == 4) {  // most polygons: without the loop's overhead per point
      highestPoint = std::max({highestPoint, uint32_t{word(first)}, uint32_t{word(first + 1)},
                               uint32_t{word(first + 2)}, uint32_t{word(first + 3)}});
    } else {
      for (uint32_t k = 0; k < n; ++k) highestPoint = std::max<uint32_t>(highestPoint, word(first + k));
    }
    const uint16_t s = static_cast<uint16_t>(surface < 0 ? -static_cast<int32_t>(surface) : surface);
    std::memcpy(data + 2 * static_cast<size_t>(outWords + n + 1), &s, 2);
    outWords += n + 2;
    ++polygonCount;
    indexWordCount += n + 1;
    at += used;
  }
  return true;
}

uint32_t HandlePolygons(uint32_t size, const uint8_t* data, void* user) {
  LwoObject& o = *static_cast<LwoObject*>(user);
  LwoPolygons& p = o.polygons;
  ++p.chunkCount;
  if (size % 2 != 0) {
    FailAt(o.why, "POLS", ChunkOffset(o, data), "odd size %s", Thousands(size).c_str());
    p.bad = 1;
    return 0;
  }
  // Only the first chunk in the file counts; chunks arrive last-first, so each
  // one replaces what an earlier call collected.
  p.words = nullptr;
  p.wordCount = p.polygonCount = p.indexWordCount = p.highestPoint = 0;
  // The body belongs to this load, so its polygon words are converted where
  // they lie, and a chunk that fails refuses the object whatever was
  // converted before.
  uint32_t words = 0, polygons = 0, indexWords = 0, highest = 0, stoppedAt = 0;
  auto* out = const_cast<uint8_t*>(data);
  if (!ConvertPolygons(size, out, words, polygons, indexWords, highest, stoppedAt)) {
    ReportWarning("Polygon runs past the end of its POLS chunk");
    FailAt(o.why, "POLS", ChunkOffset(o, data), "polygon %s (at byte %s) runs past the end of the chunk",
           Thousands(polygons).c_str(), Thousands(ChunkOffset(o, data) + 8 + 2 * int64_t{stoppedAt}).c_str());
    p.bad = 1;
    return 0;
  }
  p.words = out;
  p.wordCount = words, p.polygonCount = polygons, p.indexWordCount = indexWords, p.highestPoint = highest;
  return 0;
}

uint32_t HandleCurves(uint32_t size, const uint8_t* data, void* user) {
  LwoObject& o = *static_cast<LwoObject*>(user);
  LwoCurves& c = o.curves;
  ++c.chunkCount;
  if (size % 2 != 0) {
    FailAt(o.why, "CRVS", ChunkOffset(o, data), "odd size %s", Thousands(size).c_str());
    c.bad = 1;
    return 0;
  }
  // Curves are not used: a curve running past its chunk just ends the count.
  c.curveCount = CountPolygons(size, data);
  return 0;
}

// ---- SURF -----------------------------------------------------------------

void ReadColour(const uint8_t* p, uint32_t& colour) { colour = ReadU4(p); }

// One sub-chunk of a SURF chunk. A sub-chunk too short for its data, or a
// name without its terminator, is ignored.
void SurfaceSubChunk(LwoSurface& s, const uint8_t* id, const uint8_t* p, uint32_t size) {
  static const char* const kTypes[6] = {"CTEX", "DTEX", "BTEX", "STEX", "RTEX", "TTEX"};
  struct U2Field {
    const char* id;
    uint16_t LwoSurface::*field;
    uint32_t bit;
  };
  static const U2Field kU2[] = {
      {"FLAG", &LwoSurface::surfaceFlags, LWO_FLAG}, {"LUMI", &LwoSurface::luminosity, LWO_LUMI},
      {"DIFF", &LwoSurface::diffuse, LWO_DIFF},      {"SPEC", &LwoSurface::specular, LWO_SPEC},
      {"REFL", &LwoSurface::reflection, LWO_REFL},   {"TRAN", &LwoSurface::transparency, LWO_TRAN},
      {"GLOS", &LwoSurface::glossiness, LWO_GLOS},
  };
  struct F4Field {
    const char* id;
    float LwoSurface::*field;
    uint32_t bit;
  };
  static const F4Field kF4[] = {
      {"RSAN", &LwoSurface::reflectionSeamAngle, LWO_RSAN},
      {"RIND", &LwoSurface::refractiveIndex, LWO_RIND},
      {"EDGE", &LwoSurface::edgeTransparency, LWO_EDGE},
      {"SMAN", &LwoSurface::maxSmoothingAngle, LWO_SMAN},
  };

  if (IdIs(id, "COLR")) {
    if (size < 4) return;
    ReadColour(p, s.colour);
    s.present |= LWO_COLR;
    return;
  }
  for (const U2Field& f : kU2) {
    if (!IdIs(id, f.id)) continue;
    if (size < 2) return;
    s.*f.field = ReadU2(p);
    s.present |= f.bit;
    return;
  }
  for (const F4Field& f : kF4) {
    if (!IdIs(id, f.id)) continue;
    if (size < 4) return;
    s.*f.field = ReadF4(p);
    s.present |= f.bit;
    return;
  }
  if (IdIs(id, "RIMG")) {
    const char* name = ReadName(p, p + size, nullptr);
    if (!name) return;
    s.reflectionImage = name;
    s.present |= LWO_RIMG;
    return;
  }
  for (int32_t slot = 0; slot < 6; ++slot) {
    if (!IdIs(id, kTypes[slot])) continue;
    const char* name = ReadName(p, p + size, nullptr);
    if (!name) return;
    g_currentTextureSlot = slot;
    s.textures[slot].typeName = name;
    s.textures[slot].present |= LWO_TEX_TYPE;
    return;
  }

  if (g_currentTextureSlot < 0 || g_currentTextureSlot >= 6) return;
  LwoTexture& t = s.textures[g_currentTextureSlot];
  struct VecField {
    const char* id;
    float (LwoTexture::*field)[3];
    uint32_t bit;
  };
  static const VecField kVec[] = {
      {"TSIZ", &LwoTexture::size, LWO_TSIZ},
      {"TCTR", &LwoTexture::centre, LWO_TCTR},
      {"TFAL", &LwoTexture::falloff, LWO_TFAL},
      {"TVEL", &LwoTexture::velocity, LWO_TVEL},
  };
  struct TexF4Field {
    const char* id;
    float LwoTexture::*field;
    uint32_t bit;
  };
  static const TexF4Field kTexF4[] = {
      {"TAMP", &LwoTexture::amplitude, LWO_TAMP},
      {"TSP0", &LwoTexture::parameter0, LWO_TSP0},
      {"TSP1", &LwoTexture::parameter1, LWO_TSP1},
      {"TSP2", &LwoTexture::parameter2, LWO_TSP2},
  };
  if (IdIs(id, "TIMG")) {
    const char* name = ReadName(p, p + size, nullptr);
    if (!name) return;
    t.imageName = name;
    t.present |= LWO_TIMG;
  } else if (IdIs(id, "TFLG") || IdIs(id, "TVAL") || IdIs(id, "TFRQ")) {
    if (size < 2) return;
    const uint16_t value = ReadU2(p);
    if (IdIs(id, "TFLG")) {
      t.textureFlags = value;
      t.present |= LWO_TFLG;
    } else if (IdIs(id, "TVAL")) {
      t.value = value;
      t.present |= LWO_TVAL;
    } else {
      t.frequencies = value;
      t.present |= LWO_TFRQ;
    }
  } else if (IdIs(id, "TCLR")) {
    if (size < 4) return;
    ReadColour(p, t.colour);
    t.present |= LWO_TCLR;
  } else {
    for (const VecField& f : kVec) {
      if (!IdIs(id, f.id)) continue;
      if (size < 12) return;
      ReadVec(p, t.*f.field);
      t.present |= f.bit;
      return;
    }
    for (const TexF4Field& f : kTexF4) {
      if (!IdIs(id, f.id)) continue;
      if (size < 4) return;
      t.*f.field = ReadF4(p);
      t.present |= f.bit;
      return;
    }
  }
}

uint32_t HandleSurface(uint32_t size, const uint8_t* data, void* user) {
  LwoObject& o = *static_cast<LwoObject*>(user);
  LwoSurfaces& surfaces = o.surfaces;
  LwoSurface s;
  std::memset(&s, 0, sizeof s);
  const uint8_t* end = data + size;
  uint32_t padded = 0;
  s.name = ReadName(data, end, &padded);
  if (!s.name) {
    ReportWarning("SURF chunk without a terminated name ignored");
    return 0;
  }
  for (uint32_t at = padded; at < size && size - at >= 6;) {
    const uint8_t* sub = data + at;
    const uint32_t subSize = ReadU2(sub + 4);
    if (subSize > size - at - 6) break;  // runs past the chunk
    SurfaceSubChunk(s, sub, sub + 6, subSize);
    at += 6 + subSize;
  }
  if (!surfaces.list.PushFront(s)) {
    FailAt(o.why, "SURF", ChunkOffset(o, data), "out of memory");
    surfaces.bad = 1;
    return 0;
  }
  ++surfaces.surfaceCount;
  return 0;
}

// ---- UVIM and UVCV --------------------------------------------------------

uint32_t HandleUvImages(uint32_t size, const uint8_t* data, void* user) {
  LwoObject& o = *static_cast<LwoObject*>(user);
  o.uvimSeen = true;
  o.uvSet.imageNames.clear();
  const uint8_t* end = data + size;
  for (const uint8_t* p = data; p < end;) {
    const void* zero = std::memchr(p, 0, static_cast<size_t>(end - p));
    if (!zero) break;
    const size_t length = static_cast<size_t>(static_cast<const uint8_t*>(zero) - p) + 1;
    o.uvSet.imageNames.emplace_back(reinterpret_cast<const char*>(p));
    // The pad byte follows names whose length with terminator is even.
    const size_t advance = length + (length % 2 == 0 ? 1 : 0);
    if (advance >= static_cast<size_t>(end - p)) break;
    p += advance;
  }
  o.uvSet.surfaceCount = static_cast<uint32_t>(o.uvSet.imageNames.size());
  return 0;
}

uint32_t HandleUvCoordinates(uint32_t size, const uint8_t* data, void* user) {
  LwoObject& o = *static_cast<LwoObject*>(user);
  UvSet& set = o.uvSet;
  o.uvcvSeen = true;
  set.kind = 2;
  set.polygonUvs.Reset();
  set.u.Reset();
  set.v.Reset();
  set.pairCount = 0;
  set.polygonCount = 0;
  // The entry count assumes one pair per polygon; with larger polygons the
  // data ends first, and the entries after it get no coordinates.
  const uint32_t entries = size / 16;
  if (!set.polygonUvs.Allocate(entries)) {
    FailAt(o.why, "UVCV", ChunkOffset(o, data), "out of memory for %s polygons", Thousands(entries).c_str());
    o.outOfMemory = true;
    return 0;
  }
  set.polygonCount = entries;
  uint32_t at = 0;
  for (uint32_t e = 0; e < entries; ++e) {
    if (size - at < 4) break;
    const int16_t corners = ReadI2(data + at + 2);
    at += 4;
    // A pair needs its u and v inside the chunk; pairs that do not fit stay
    // (0, 0) and end the data.
    const uint32_t room = size - at;
    const uint32_t fitting = room >= 8 ? (room - 8) / 12 + 1 : 0;
    const uint32_t wanted = corners > 0 ? static_cast<uint32_t>(corners) : 0;
    const uint32_t fit = wanted < fitting ? wanted : fitting;
    UvList* list = MakeUvList(set, e, corners);
    if (!list) {
      FailAt(o.why, "UVCV", ChunkOffset(o, data), "out of memory");
      o.outOfMemory = true;
      return 0;
    }
    for (uint32_t k = 0; k < fit; ++k) {
      set.u[list->first + k] = ReadF4(data + at);
      set.v[list->first + k] = ReadF4(data + at + 4);
      at = room - 12 * k >= 12 ? at + 12 : size;
    }
    if (fit < wanted) at = size;
  }
  return 0;
}

bool EndsWithLwo(const std::string& name) {
  if (name.size() < 6) return false;
  const char* tail = name.c_str() + name.size() - 4;
  return tail[0] == '.' && std::tolower(static_cast<unsigned char>(tail[1])) == 'l' &&
         std::tolower(static_cast<unsigned char>(tail[2])) == 'w' &&
         std::tolower(static_cast<unsigned char>(tail[3])) == 'o';
}

bool PolygonsUseKnownPoints(const LwoObject& object) {
  const LwoPolygons& polygons = object.polygons;
  const uint32_t pointCount = object.points.pointCount;
  // The walk below only finds which polygon names an unknown point.
  if (polygons.words && polygons.highestPoint < pointCount) return true;
  uint32_t polygon = 0;
  for (uint32_t at = 0; at < polygons.wordCount; ++polygon) {
    const uint32_t n = polygons.Word(at);
    for (uint32_t k = 1; k <= n; ++k) {
      if (polygons.Word(at + k) >= pointCount) {
        ReportWarning(DebugFormat("Polygon uses point %u of an object of %u points", polygons.Word(at + k),
                                  pointCount));
        return FailAt(object.why, "POLS", ChunkOffset(object, polygons.words), "polygon %s names point %s of %s",
                      Thousands(polygon).c_str(), Thousands(polygons.Word(at + k)).c_str(),
                      Thousands(pointCount).c_str());
      }
    }
    at += n + 2;
  }
  return true;
}

// Everything after the IFF body is in memory. uvBytes, when given, stands for
// the .uv file beside the object.
bool ParseLoaded(const LwoFileNames* files, const std::span<const uint8_t>* uvBytes, LwoObject& object) {
  Failure* why = object.why;
  if (std::memcmp(object.iff.form, "LWO2", 4) == 0) return ParseLwo2Body(object);

  const bool registered = IffRegisterHandler("PNTS", HandlePoints, &object) &&
                          IffRegisterHandler("SURF", HandleSurface, &object) &&
                          IffRegisterHandler("SRFS", HandleSurfaceNames, &object) &&
                          IffRegisterHandler("POLS", HandlePolygons, &object) &&
                          IffRegisterHandler("CRVS", HandleCurves, &object) &&
                          IffRegisterHandler("UVIM", HandleUvImages, &object) &&
                          IffRegisterHandler("UVCV", HandleUvCoordinates, &object);
  if (!registered) return Fail(why, "out of memory");
  IffDispatch(&object.iff);
  IffClearHandlers();
  if (object.points.bad || object.surfaces.bad || object.surfaceNames.bad || object.polygons.bad ||
      object.curves.bad || object.outOfMemory)
    return Fail(why, "refused");  // the handler has said why
  if (!PolygonsUseKnownPoints(object)) return false;

  if (object.uvimSeen && object.uvcvSeen) {
    UvSet& set = object.uvSet;
    set.surfaceNames.assign(set.surfaceCount, std::string());
    // One walk of the names instead of one per image name.
    for (auto* n = object.surfaceNames.entries.head(); n; n = n->next)
      if (n->value.index >= 1 && n->value.index <= set.surfaceCount) set.surfaceNames[n->value.index - 1] = n->value.name;
    object.hasUvSet = true;
  } else {
    FreeUvSet(object.uvSet);
    // The .uv file is optional: only running out of memory fails the object.
    Failure uvWhy;
    UvLoadResult uv = UvLoadResult::NotRead;
    if (files) uv = ReadUvFileInto(object.uvSet, files->uvFile.c_str(), &uvWhy);
    else if (uvBytes) uv = ReadUvBytesInto(object.uvSet, *uvBytes, &uvWhy);
    if (uv == UvLoadResult::OutOfMemory) {
      if (why && why->empty()) *why = uvWhy;
      return false;
    }
    object.hasUvSet = uv == UvLoadResult::Loaded;
  }
  return true;
}

// Runs a parse with object.why set to why, with the registry emptied and
// memory exhaustion caught whatever happens.
template <typename Parse>
bool Guarded(LwoObject& object, Failure* why, Parse parse) {
  object.why = why;
  bool ok = false;
  try {
    ok = parse();
  } catch (const std::bad_alloc&) {
    ok = Fail(why, "out of memory");
  }
  IffClearHandlers();
  object.why = nullptr;
  return ok;
}

}  // namespace

int32_t LwoCurrentTextureSlot() { return g_currentTextureSlot; }
void SetLwoCurrentTextureSlot(int32_t slot) { g_currentTextureSlot = slot; }

const char* SurfaceNameByIndex(const LwoSurfaceNames& names, uint32_t index) {
  for (auto* n = names.entries.head(); n; n = n->next)
    if (n->value.index == index) return n->value.name;
  return nullptr;
}

const LwoSurface* FindSurface(const LwoSurfaces& surfaces, const char* name) {
  if (!name) return nullptr;
  for (auto* n = surfaces.list.head(); n; n = n->next)
    if (n->value.name && std::strcmp(n->value.name, name) == 0) return &n->value;
  return nullptr;
}

LwoObject::~LwoObject() {
  if (iffLoaded) IffFree(&iff);
}

LwoFileNames LightWaveFileNames(const char* name) {
  LwoFileNames files;
  files.baseName = name ? name : "";
  if (EndsWithLwo(files.baseName)) files.baseName.resize(files.baseName.size() - 4);
  files.objectFile = files.baseName + ".lwo";
  files.uvFile = files.baseName + ".uv";
  return files;
}

bool ParseLightWaveObject(const char* name, LwoObject& object, Failure* why) {
  if (!name || std::strlen(name) > kMaxObjectName) {
    ReportWarning("Object name missing or longer than 1019 characters");
    return Fail(why, "the object name is missing or longer than 1019 characters");
  }
  const LwoFileNames files = LightWaveFileNames(name);
  const bool ok = Guarded(object, why, [&] {
    if (!IffLoad(&object.iff, files.objectFile.c_str(), why)) return false;
    object.iffLoaded = true;
    return ParseLoaded(&files, nullptr, object);
  });
  // A reason from the .uv file has named it already.
  if (!ok && why && why->file.empty()) why->file = files.objectFile;
  return ok;
}

bool ParseLightWaveObjectBytes(std::span<const uint8_t> bytes, LwoObject& object, Failure* why,
                               std::span<const uint8_t> uvBytes) {
  return Guarded(object, why, [&] {
    if (!IffLoadMemory(&object.iff, bytes, why)) return false;
    object.iffLoaded = true;
    return ParseLoaded(nullptr, uvBytes.data() ? &uvBytes : nullptr, object);
  });
}
