// Message texts are kept exactly as users have always seen them, misspellings
// included ("Converison ended in an error"); do not correct them.
#include "psx/Hmd.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <utility>
#include <vector>

#include "diag/Dbug.h"
#include "platform/File.h"
#include "lwlib/model/Mesh.h"
#include "platform/Path.h"
#include "psx/Lab.h"
#include "rm/Faces.h"
#include "rm/Mesh.h"
#include "rm/Texture.h"

namespace {

std::vector<std::string> g_timDirectories;

struct PrimitiveKind {
  uint32_t code;
  const char* type;
  uint32_t words;
};

constexpr PrimitiveKind kKinds[] = {
    {4, "PRIM_TYPE(QUAD)", 4},
    {5, "PRIM_TYPE(QUAD|TME)", 6},
    {6, "PRIM_TYPE(QUAD|COL)", 7},
    {7, "PRIM_TYPE(QUAD|COL|TME)", 0},
    {12, "PRIM_TYPE(QUAD|IIP)", 5},
    {13, "PRIM_TYPE(QUAD|IIP|TME)", 7},
    {14, "PRIM_TYPE(QUAD|IIP|COL)", 8},
    {15, "PRIM_TYPE(QUAD|IIP|COL|TME)", 0},
    {20, "PRIM_TYPE(TRI)", 3},
    {21, "PRIM_TYPE(TRI|TME)", 5},
    {22, "PRIM_TYPE(TRI|COL)", 5},
    {23, "PRIM_TYPE(TRI|COL|TME)", 8},
    {28, "PRIM_TYPE(TRI|IIP)", 4},
    {29, "PRIM_TYPE(TRI|IIP|TME)", 6},
    {30, "PRIM_TYPE(TRI|IIP|COL)", 6},
    {31, "PRIM_TYPE(TRI|IIP|COL|TME)", 9},
    {37, "PRIM_TYPE(QUAD|TME|TILE)", 7},
    {45, "PRIM_TYPE(QUAD|IIP|TME|TILE)", 8},
    {53, "PRIM_TYPE(TRI|TILE|TME)", 6},
    {61, "PRIM_TYPE(TRI|IIP|TME|TILE)", 7},
};

const PrimitiveKind* FindKind(uint32_t code) {
  for (const PrimitiveKind& k : kKinds)
    if (k.code == code) return &k;
  return nullptr;
}

struct TexCoord {
  float u = 0, v = 0;
};

// Deduplicated fixed-point vectors. The hash map finds the first equal entry
// directly, so a table is built in linear time with the same indices a search
// from the first entry would give.
struct SVectorTable {
  TrackedBuffer<SVector> entries;
  uint32_t count = 0;
  std::vector<TrackedBuffer<uint32_t>> indices;  // per group, per vertex
  std::unordered_map<uint64_t, uint32_t> lookup;

  uint32_t Quantize(float x, float y, float z) {
    const SVector v{QuantizeComponent(x), QuantizeComponent(y), QuantizeComponent(z)};
    const uint64_t key = uint64_t{static_cast<uint16_t>(v.x)} | uint64_t{static_cast<uint16_t>(v.y)} << 16 |
                         uint64_t{static_cast<uint16_t>(v.z)} << 32;
    const auto [it, added] = lookup.try_emplace(key, count);
    if (added) entries[count++] = v;
    return it->second;
  }
};

struct VertexTable : SVectorTable {
  std::vector<TrackedBuffer<TexCoord>> coords;  // per group, per vertex
};

bool AllocateTable(SVectorTable& table, const MeshModel& model, size_t total) {
  if (!table.entries.Allocate(std::max<size_t>(total, 1))) return false;
  table.indices.resize(model.groups.size());
  for (size_t g = 0; g < model.groups.size(); ++g)
    if (!table.indices[g].Allocate(model.groups[g].vertices.size())) return false;
  table.lookup.reserve(total);
  return true;
}

bool BuildVertexTable(VertexTable& table, MeshModel& model, size_t total, float xs, float ys, float zs) {
  if (!AllocateTable(table, model, total)) return false;
  table.coords.resize(model.groups.size());
  for (size_t g = 0; g < model.groups.size(); ++g)
    if (!table.coords[g].Allocate(model.groups[g].vertices.size())) return false;
  for (MeshGroup& group : model.groups) {
    for (size_t i = 0; i < group.vertices.size(); ++i) {
      rm::Vector& p = group.vertices[i].position;
      p.x *= xs, p.y *= ys, p.z *= zs;
    }
  }
  for (size_t g = 0; g < model.groups.size(); ++g) {
    const MeshGroup& group = model.groups[g];
    for (size_t i = 0; i < group.vertices.size(); ++i) {
      const rm::Vertex& v = group.vertices[i];
      table.indices[g][i] = table.Quantize(v.position.x, v.position.y, v.position.z);
      table.coords[g][i] = TexCoord{v.tu, v.tv};
    }
  }
  return true;
}

bool BuildNormalTable(SVectorTable& table, MeshModel& model, size_t total) {
  if (!AllocateTable(table, model, total)) return false;
  for (size_t g = 0; g < model.groups.size(); ++g) {
    MeshGroup& group = model.groups[g];
    for (size_t i = 0; i < group.vertices.size(); ++i) {
      rm::Vector& n = group.vertices[i].normal;
      // A zero-length normal has no direction to keep: it stays zero.
      const float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
      if (length > 0 && std::isfinite(length)) n.x /= length, n.y /= length, n.z /= length;
      table.indices[g][i] = table.Quantize(n.x, n.y, n.z);
    }
  }
  return true;
}

// Where a texture sits in the frame buffer and the packet fields that follow.
struct TexturePlacement {
  uint32_t texturePage = 0;   // the texture page word
  uint32_t palette = 0;       // the palette word
  uint32_t window = 0;        // the texture window word
  int32_t texelWidth = 0, texelHeight = 0;
};

TexturePlacement PlaceTexture(const TimImage* tim) {
  uint32_t x = 0, y = 0, width = 0, height = 0, mode = 0, palX = 0, palY = 0;
  int32_t bits = 0;
  if (tim) {
    x = TimImageX(*tim, 0), y = TimImageY(*tim, 0), width = TimImageWidth(*tim, 0), height = TimImageHeight(*tim, 0);
    mode = tim->flags & 7;
    bits = TimBitsPerPixel(*tim, 0);
    palX = TimPaletteX(*tim, 0), palY = TimPaletteY(*tim, 0);
  }
  const uint32_t page = x / 64 + (y >= 256 ? 16 : 0);
  const uint32_t u0In = x % 64, v0 = y % 256;
  const uint32_t factor = bits == 4 ? 4 : bits == 8 ? 2 : bits == 15 || bits == 16 ? 1 : 0;
  TexturePlacement p;
  p.texturePage = (page & 31) | (mode & 3) << 7;
  p.palette = mode == 2 ? 0 : (palX & 1008) >> 4 | (palY & 511) << 6;
  const uint32_t u0 = u0In * factor;
  const uint32_t tw = width * factor, th = height;
  p.texelWidth = static_cast<int32_t>(tw), p.texelHeight = static_cast<int32_t>(th);
  p.window = 0xE2000000u | ((0u - tw) & 255) >> 3 | ((0u - th) & 248) << 2 | (u0 & 248) << 7 | (v0 & 248) << 12;
  return p;
}

struct PrimitiveBlock {
  bool textured = false;
  uint32_t triangles = 0, quads = 0, others = 0;
  uint32_t kind = 0;  // 0: no kind (nothing this block can write)
  uint32_t words = 0;
  uint32_t count = 0;
  uint32_t offset = 0;
  uint32_t group = 0;
};

struct PacketContext {
  const VertexTable* vertices;
  const SVectorTable* normals;
  uint32_t group;
  int32_t red, green, blue;
  TexturePlacement place;
  uint32_t* outOfRange;
};

int32_t ColourByte(float component) {
  const double v = std::trunc(static_cast<double>(component) * 255.0);
  return v >= 0 && v <= 255 ? static_cast<int32_t>(v) : v > 255 ? 255 : 0;
}

int32_t Texel(float t, int32_t size, uint32_t& outOfRange) {
  const float product = t * static_cast<float>(size);
  if (product > 255.0f) ++outOfRange;
  if (!(product > -2147483648.0f && product < 2147483648.0f)) return 0;
  return static_cast<int32_t>(product);
}

void WritePacket(FILE* f, uint32_t kind, const uint32_t* vx, const PacketContext& c) {
  const auto normal = [&](int k) { return static_cast<int32_t>(c.normals->indices[c.group][vx[k]] & 0xFFFF); };
  const auto vertex = [&](int k) { return static_cast<int32_t>(c.vertices->indices[c.group][vx[k]] & 0xFFFF); };
  const auto uv = [&](int k) {
    const TexCoord& t = c.vertices->coords[c.group][vx[k]];
    LabWriteByte(f, Texel(t.u, c.place.texelWidth, *c.outOfRange), false);
    LabWriteByte(f, Texel(t.v, c.place.texelHeight, *c.outOfRange), false);
  };
  const auto pair = [&](int k) {
    LabWriteHalf(f, normal(k), false);
    LabWriteHalf(f, vertex(k), false);
  };
  switch (kind) {
    case HMD_KIND_GOURAUD_TRIANGLE:
      LabWriteByte(f, c.red, false), LabWriteByte(f, c.green, false), LabWriteByte(f, c.blue, false);
      LabWriteByteHex(f, 0x30, false);
      pair(2), pair(1), pair(0);
      break;
    case HMD_KIND_GOURAUD_QUAD:
      LabWriteByte(f, c.red, false), LabWriteByte(f, c.green, false), LabWriteByte(f, c.blue, false);
      LabWriteByteHex(f, 0x38, false);
      pair(0), pair(3), pair(1), pair(2);
      break;
    case HMD_KIND_TEXTURED_GOURAUD_TRIANGLE:
      LabWriteHex(f, c.place.window, false);
      uv(2), LabWriteHalf(f, static_cast<int32_t>(c.place.palette), false);
      uv(1), LabWriteHalf(f, static_cast<int32_t>(c.place.texturePage), false);
      uv(0), LabWriteHalf(f, 0, false);
      pair(2), pair(1), pair(0);
      break;
    case HMD_KIND_TEXTURED_GOURAUD_QUAD:
      LabWriteHex(f, c.place.window, false);
      uv(0), LabWriteHalf(f, static_cast<int32_t>(c.place.palette), false);
      uv(3), LabWriteHalf(f, static_cast<int32_t>(c.place.texturePage), false);
      uv(1), LabWriteHalf(f, normal(0), false);
      uv(2), LabWriteHalf(f, vertex(0), false);
      pair(3), pair(1), pair(2);
      break;
    default:
      return;  // the conversion selects no other kind
  }
  LabWriteBlankLine(f);
}

struct Labels {
  LabLabel coordSect, primHdrSect, polyPrimHeader, imagePrimHeader, polyPrimSet, vert, norm, poly, image, clut,
      imagePrimSet;
};

bool GroupTextured(const MeshModel& model, size_t g) {
  return g < model.groupMaterials.size() && model.groupMaterials[g].texture != nullptr;
}

// Everything after the primitive header section: blocks, headers, tables and
// packets. False (after its message) when the conversion cannot go on.
bool WritePolygons(FILE* f, MeshModel& model, const Labels& labels, const VertexTable& vertices,
                   const SVectorTable& normals) {
  uint32_t outOfRange = 0;
  std::vector<PrimitiveBlock> blocks;
  uint32_t offset = 0;
  for (size_t g = 0; g < model.groups.size(); ++g) {
    MeshGroup& group = model.groups[g];
    PrimitiveBlock block;
    block.textured = GroupTextured(model, g);
    block.group = static_cast<uint32_t>(g);
    if (group.verticesPerFace != 0) {
      ShowHmdError("Internal error : Data is of unsupported type.");
      continue;  // a block without kind writes nothing: it is left out
    }
    for (std::span<const uint32_t> face : rm::Faces(group)) {
      if (face.size() == 3)
        ++block.triangles;
      else if (face.size() == 4)
        ++block.quads;
      else
        ++block.others;
    }
    if (block.others) ShowHmdError("Polygon data contains polygons with > 4 points - will skip bad data");
    if (!block.triangles && !block.quads) {
      ShowHmdError("Poly data contains no valid data - nothing to convert");
      continue;
    }
    const auto add = [&](uint32_t vertexCount, uint32_t count) {
      PrimitiveBlock b = block;
      b.kind = SelectPrimitiveKind(block.textured, false, true, true, vertexCount);
      b.words = PrimitiveKindWords(b.kind);
      b.count = count;
      b.offset = offset;
      // The block counts only its own kind of face when its packets are written.
      b.triangles = vertexCount == 3 ? count : 0;
      b.quads = vertexCount == 4 ? count : 0;
      offset += count * b.words;
      blocks.push_back(b);
    };
    if (block.triangles) add(3, block.triangles);
    if (block.quads) add(4, block.quads);
  }

  WritePolygonPrimitiveSet(f, LabelText(labels.polyPrimSet), "TERMINATE", LabelText(labels.polyPrimHeader),
                           static_cast<int32_t>(blocks.size()));
  for (size_t b = 0; b < blocks.size(); ++b) {
    if (!WritePolygonPrimitiveHeader(f, PrimitiveKindType(blocks[b].kind), b == 0, blocks[b].count,
                                     blocks[b].offset)) {
      ShowHmdError("Error while writing data section");
      return false;
    }
  }
  WriteSVectorSection(f, "Vertex section", LabelText(labels.vert), vertices.entries.data(), vertices.count);
  WriteSVectorSection(f, "Normal section", LabelText(labels.norm), normals.entries.data(), normals.count);

  LabWriteLabel(f, LabelText(labels.poly));
  for (const PrimitiveBlock& block : blocks) {
    LabWriteComment(f, DebugFormat("Writing group no %i", static_cast<int32_t>(block.group)));
    LabWriteBlankLine(f);
    const GroupMaterial* material =
        block.group < model.groupMaterials.size() ? &model.groupMaterials[block.group] : nullptr;
    PacketContext context{&vertices, &normals, block.group, 0, 0, 0, {}, &outOfRange};
    if (material) {
      context.red = ColourByte(material->red);
      context.green = ColourByte(material->green);
      context.blue = ColourByte(material->blue);
    }
    TimImage tim;
    bool timLoaded = false;
    if (block.textured) {
      std::string name;
      if (GetHmdTextureName(material->texture, name) && !name.empty()) {
        timLoaded = LoadTextureTim(tim, name);
        if (!timLoaded) ReportWarning(DebugFormat("Could not load texture %s", TimNameForTexture(name).c_str()));
      }
    }
    // Without its TIM a textured block has nowhere to point: its texture fields are zero.
    context.place = PlaceTexture(timLoaded ? &tim : nullptr);

    for (std::span<const uint32_t> face : rm::Faces(model.groups[block.group])) {
      if (face.size() == 3) {
        if (block.triangles) WritePacket(f, block.kind, face.data(), context);
      } else if (face.size() == 4) {
        if (block.quads) WritePacket(f, block.kind, face.data(), context);
      } else {
        ShowHmdError("Illegal polygons in face data");
      }
    }
    FreeTim(tim);
  }
  if (outOfRange) ReportWarning(DebugFormat("%i texture coordinates were out of range", static_cast<int32_t>(outOfRange)));
  return true;
}

}  // namespace

uint32_t SelectPrimitiveKind(bool textured, bool colour, bool base, bool gouraud, uint32_t vertexCount) {
  uint32_t code = (colour ? HMD_KIND_COL : 0) | (base ? HMD_KIND_BASE : 0) | (gouraud ? HMD_KIND_IIP : 0) |
                  (vertexCount == 3 ? HMD_KIND_TRI : 0);
  if (textured) code |= HMD_KIND_TME | HMD_KIND_TILE;
  return code;
}

const char* PrimitiveKindType(uint32_t code) {
  const PrimitiveKind* k = FindKind(code);
  return k ? k->type : "NULL TYPE";
}

uint32_t PrimitiveKindWords(uint32_t code) {
  const PrimitiveKind* k = FindKind(code);
  return k ? k->words : 0;
}

int16_t QuantizeComponent(float value) {
  const double scaled = static_cast<double>(value) * 4096.0;
  // Beyond this the low 16 bits mean nothing anyway; NaN lands here too.
  if (!(std::fabs(scaled) < 9.0e15)) return 0;
  int64_t t = static_cast<int64_t>(scaled);
  if (scaled - static_cast<double>(t) >= 0.5) ++t;
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint64_t>(t) & 0xFFFF));
}

float ProposeHmdScale(const HmdBox& box) {
  float scale = 1.0f;
  const float extents[3] = {std::max(std::fabs(box.minX), std::fabs(box.maxX)),
                            std::max(std::fabs(box.minY), std::fabs(box.maxY)),
                            std::max(std::fabs(box.minZ), std::fabs(box.maxZ))};
  for (float e : extents)
    if (e > 2.0f && 2.0f / e < scale) scale = 2.0f / e;
  return scale;
}

HmdBox MeshModelBox(const MeshModel& model) {
  HmdBox box;
  bool first = true;
  for (const MeshGroup& g : model.groups) {
    for (size_t i = 0; i < g.vertices.size(); ++i) {
      const rm::Vector& p = g.vertices[i].position;
      if (first) {
        box = {p.x, p.y, p.z, p.x, p.y, p.z};
        first = false;
      }
      box.minX = std::min(box.minX, p.x), box.minY = std::min(box.minY, p.y), box.minZ = std::min(box.minZ, p.z);
      box.maxX = std::max(box.maxX, p.x), box.maxY = std::max(box.maxY, p.y), box.maxZ = std::max(box.maxZ, p.z);
    }
  }
  return box;
}

bool GetHmdTextureName(const rm::TexturePtr& texture, std::string& name) {
  name.clear();
  if (!texture) return false;
  name = texture->GetName();
  return true;
}

void SetHmdTimDirectories(std::vector<std::string> directories) { g_timDirectories = std::move(directories); }

HmdBox MeshBox(const rm::MeshPtr& mesh) {
  rm::Box box;
  if (!mesh || !mesh->GetBox(&box)) return {};
  return {box.min.x, box.min.y, box.min.z, box.max.x, box.max.y, box.max.z};
}

std::string TimNameForTexture(const std::string& textureName) {
  std::string base = textureName;
  const size_t dot = base.size() > 1 ? base.find('.', 1) : std::string::npos;
  if (dot != std::string::npos) base.resize(dot);
  return base + ".tim";
}

bool LoadTextureTim(TimImage& tim, const std::string& textureName, Failure* why) {
  const std::string name = TimNameForTexture(textureName);
  Failure first;
  const auto load = [&](const std::string& path) {
    Failure reason;
    if (LoadTim(tim, path.c_str(), &reason)) return true;
    // A file that is there but broken says more than one that is missing.
    if (first.empty() || (first.what == "cannot be opened" && reason.what != "cannot be opened")) first = reason;
    return false;
  };
  if (load(name)) return true;
  for (const std::string& directory : g_timDirectories) {
    if (directory.empty()) continue;
    std::string inDirectory = directory;
    if (inDirectory.back() != '/' && inDirectory.back() != '\\') inDirectory += '/';
    inDirectory += PathFileName(name);
    if (load(inDirectory)) return true;
  }
  if (why && why->empty()) *why = first;
  return false;
}

namespace {

// The conversion proper. With `capture`, the model is first captured from
// that mesh once the file is open (and freed at the end).
bool Convert(const std::string& outputName, MeshModel& model, const rm::MeshPtr* capture, float xScale,
             float yScale, float zScale, uint32_t options, std::string* labPath) {
  Labels labels;
  labels.coordSect = MakeLabel("CoordSect");
  labels.primHdrSect = MakeLabel("PrimHdrSect");
  labels.polyPrimHeader = MakeLabel("PolyPrimHeader");
  labels.imagePrimHeader = MakeLabel("ImagePrimHeader");
  labels.polyPrimSet = MakeLabel("PolyPrimSet");
  labels.vert = MakeLabel("Vert");
  labels.norm = MakeLabel("Norm");
  labels.poly = MakeLabel("Poly");
  labels.image = MakeLabel("Image");
  labels.clut = MakeLabel("Clut");

  const auto fail = [](const char* message) {
    if (message) ShowHmdError(message);
    ShowHmdError("Converison ended in an error");
    return false;
  };
  if (labels.coordSect.empty() || labels.primHdrSect.empty() || labels.polyPrimHeader.empty() ||
      labels.polyPrimSet.empty() || labels.vert.empty() || labels.norm.empty() || labels.poly.empty())
    return fail(nullptr);

  std::string lab = outputName;
  StripLabExtension(lab);
  lab += ".lab";
  if (labPath) *labPath = lab;
  ScopedFile file(FileOpen(lab.c_str(), "w"));
  if (!file) return fail(nullptr);
  FILE* f = file.get();
  struct ModelRelease {
    MeshModel* model;
    ~ModelRelease() {
      if (model) FreeMeshModel(model);
    }
  } release{capture ? &model : nullptr};
  if (capture && (!*capture || !CaptureMeshModel(&model, *capture))) return fail(nullptr);
  // Vertex numbers are 16 bits wide in the file: a larger group (possible
  // from an LWO2 object) would wrap round and name the wrong vertices.
  for (size_t g = 0; g < model.groups.size(); ++g)
    if (model.groups[g].vertices.size() > 65535) {
      ShowHmdError("Group " + std::to_string(g + 1) + " has " +
                   Thousands(static_cast<int64_t>(model.groups[g].vertices.size())) +
                   " vertices; an HMD file can number 65,535 per group");
      return fail(nullptr);
    }

  bool anyTexture = false;
  for (size_t g = 0; g < model.groups.size(); ++g) anyTexture = anyTexture || GroupTextured(model, g);
  const bool writeImages = anyTexture && (options & HMD_OPT_WRITE_TEXTURES);
  if (writeImages) {
    labels.imagePrimSet = MakeLabel("ImagePrimSet");
    // The image sections need all their labels; without them they cannot be written.
    if (labels.imagePrimSet.empty() || labels.imagePrimHeader.empty() || labels.image.empty() ||
        labels.clut.empty())
      return fail(nullptr);
  }
  const char* imagePrimSet = writeImages ? labels.imagePrimSet.data() : nullptr;

  WriteLabHeaderSection(f, labels.primHdrSect.data(), labels.polyPrimSet.data(), imagePrimSet);
  WriteCoordinateSection(f, labels.coordSect.data());
  WritePrimitiveHeaderSection(f, labels.primHdrSect.data(), labels.polyPrimHeader.data(), labels.poly.data(),
                              labels.vert.data(), labels.norm.data(), labels.coordSect.data(), imagePrimSet,
                              LabelText(labels.imagePrimHeader), LabelText(labels.image), LabelText(labels.clut));

  const float sign[3] = {options & HMD_OPT_INVERT_X ? -1.0f : 1.0f, options & HMD_OPT_INVERT_Y ? -1.0f : 1.0f,
                         options & HMD_OPT_INVERT_Z ? -1.0f : 1.0f};
  size_t total = 0;
  for (MeshGroup& group : model.groups) {
    for (size_t i = 0; i < group.vertices.size(); ++i) {
      rm::Vector& p = group.vertices[i].position;
      p.x *= sign[0], p.y *= sign[1], p.z *= sign[2];
    }
    total += group.vertices.size();
    if (!(options & HMD_OPT_INVERT_WINDING)) continue;
    for (std::span<uint32_t> face : rm::MutableFaces(group)) std::reverse(face.begin(), face.end());
  }

  VertexTable vertices;
  if (!BuildVertexTable(vertices, model, total, xScale, yScale, zScale))
    return fail("Error while making vertex table");
  SVectorTable normals;
  if (!BuildNormalTable(normals, model, total)) return fail("Error while making normal table");

  if (!WritePolygons(f, model, labels, vertices, normals)) return fail(nullptr);
  if (writeImages &&
      !WriteHmdImages(f, model, imagePrimSet, labels.imagePrimHeader.data(), labels.image.data(), labels.clut.data()))
    return fail(nullptr);

  LabWriteComment(f, "End of file");
  if (!file.Close()) {
    ReportWarning(DebugFormat("Could not write %s", lab.c_str()));
    return fail(nullptr);
  }
  return true;
}

}  // namespace

bool ConvertToHmd(const std::string& outputName, MeshModel& model, float xScale, float yScale, float zScale,
                  uint32_t options, std::string* labPath) {
  return Convert(outputName, model, nullptr, xScale, yScale, zScale, options, labPath);
}

bool ConvertToHmd(const std::string& outputName, const rm::MeshPtr& mesh, float xScale, float yScale, float zScale,
                  uint32_t options, std::string* labPath) {
  MeshModel model;
  return Convert(outputName, model, &mesh, xScale, yScale, zScale, options, labPath);
}
