#include "render/GlDevice.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <QOpenGLContext>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "diag/Dbug.h"
#include "diag/TrackedBuffer.h"
#include "render/GlDeviceInfo.h"
#include "render/GlImmediateDevice.h"
#include "render/GlShading.h"
#include "rm/Faces.h"
#include "rm/Triangulate.h"

namespace render {

namespace {

constexpr int kMaxLights = static_cast<int>(GlDevice::kMaxLights);
constexpr int kMaxDepth = 256;  // frame trees deeper than this are not drawn further

// Lighting shared by the vertex shader (Gouraud) and the fragment shader
// (flat: one normal per face, from the face's own slope).
const char* const kLightingSource = R"(
uniform vec4 uColor;
uniform int uVertexColors;    // the group takes its colour from its vertices
vec4 gBase;                   // the colour being lit: uColor or the vertex's
uniform vec3 uSpecular;
uniform vec3 uEmissive;
uniform int uLit;
uniform vec3 uAmbient;
vec4 Shade(vec3 p, vec3 n) {
  if (uLit == 0) return gBase;
  vec3 diffuse = uAmbient;
  vec3 specular = vec3(0.0);
  AddLights(p, n, diffuse, specular);
  return vec4(min(gBase.rgb * diffuse + uSpecular * specular + uEmissive, vec3(1.0)), gBase.a);
}
)";

const char* const kVertexSource = R"(
uniform mat4 uMvp;
uniform mat4 uModel;
uniform mat3 uNormalMatrix;
in vec3 aPos;
in vec3 aNormal;
in vec2 aTex;
in vec4 aColor;
TEXQ out vec2 vTex;
#ifdef FLAT
flat out vec3 vPos;
out vec3 vSlopePos;
flat out vec4 vBase;
#else
out vec4 vColor;
#endif
void main() {
  vec3 p = (uModel * vec4(aPos, 1.0)).xyz;
  gBase = uVertexColors != 0 ? vec4(aColor.rgb, 1.0) : uColor;
#ifdef FLAT
  vPos = p;
  vSlopePos = p;
  vBase = gBase;
#else
  vColor = Shade(p, normalize(uNormalMatrix * aNormal));
#endif
  vTex = aTex;
  gl_Position = uMvp * vec4(aPos, 1.0);
}
)";

const char* const kFragmentSource = R"(
uniform sampler2D uTexture;
uniform int uTextured;
TEXQ in vec2 vTex;
#ifdef FLAT
flat in vec3 vPos;
in vec3 vSlopePos;
flat in vec4 vBase;
#else
in vec4 vColor;
#endif
void main() {
#ifdef FLAT
  gBase = vBase;
  vec3 n = normalize(cross(dFdx(vSlopePos), dFdy(vSlopePos)));
  if (dot(n, uEye - vSlopePos) < 0.0) n = -n;
  vec4 c = Shade(vPos, n);
#else
  vec4 c = vColor;
#endif
  if (uTextured != 0) c *= texture(uTexture, vTex);
  gl_FragColor = c;
}
)";

// What a specialised program is made for. Everything the general program
// decides per vertex or per pixel from uniforms is fixed here, so a software
// rasteriser's SIMD lanes run only the code a group needs.
struct ProgramKey {
  bool flat = false;       // lit per face from the face normal of the provoking vertex
  bool affine = false;     // texture coordinates interpolated without perspective
  bool lit = false;
  bool specular = false;
  bool textured = false;
  bool vertexColors = false;
  uint32_t lightTypes = 0;  // 2 bits a light: 0 directional, 1 point, 2 spot
  uint32_t lightCount = 0;
  uint32_t Packed() const {
    return (flat ? 1u : 0u) | (affine ? 2u : 0u) | (lit ? 4u : 0u) | (specular ? 8u : 0u) | (textured ? 16u : 0u) |
           (vertexColors ? 32u : 0u) | lightCount << 6 | lightTypes << 10;
  }
};

// The general program's lighting with the light loop unrolled and every
// per-light branch on the type gone. The arithmetic is the general
// program's, in the same order, so pictures do not change.
std::string SpecialisedLighting(const ProgramKey& k) {
  std::string s =
      "uniform vec4 uColor;\n"
      "vec4 gBase;\n"
      "uniform vec3 uSpecular;\n"
      "uniform vec3 uEmissive;\n"
      "uniform float uPower;\n"
      "uniform vec3 uEye;\n"
      "uniform vec3 uAmbient;\n"
      "uniform vec4 uLightPos[8];\n"
      "uniform vec3 uLightDir[8];\n"
      "uniform vec3 uLightColor[8];\n"
      "uniform vec4 uLightAtt[8];\n"
      "uniform vec2 uLightCone[8];\n"
      "vec4 Shade(vec3 p, vec3 n) {\n";
  if (!k.lit) return s + "  return gBase;\n}\n";
  s += "  vec3 diffuse = uAmbient;\n  vec3 specular = vec3(0.0);\n";
  if (k.specular) s += "  vec3 toEye = normalize(uEye - p);\n";
  for (uint32_t i = 0; i < k.lightCount; ++i) {
    const uint32_t type = (k.lightTypes >> (2 * i)) & 3;
    const std::string n = std::to_string(i);
    std::string apply = "    float nl = dot(n, l);\n    if (nl > 0.0) {\n      diffuse += uLightColor[" + n +
                        "] * nl * k;\n";
    if (k.specular)
      apply += "      float nh = max(dot(n, normalize(l + toEye)), 0.0);\n      specular += uLightColor[" + n +
               "] * pow(nh, uPower) * k;\n";
    apply += "    }\n";
    if (type == 0) {
      s += "  {\n    vec3 l = -uLightDir[" + n + "];\n    float k = 1.0;\n" + apply + "  }\n";
      continue;
    }
    s += "  {\n    vec3 d = uLightPos[" + n + "].xyz - p;\n    float dist = length(d);\n    if (dist <= uLightAtt[" + n +
         "].w) {\n    vec3 l = d / max(dist, 1e-6);\n    float k = 1.0 / max(uLightAtt[" + n + "].x + uLightAtt[" + n +
         "].y * dist + uLightAtt[" + n + "].z * dist * dist, 1e-6);\n";
    if (type == 2)
      s += "    float c = dot(-l, uLightDir[" + n + "]);\n    if (c > uLightCone[" + n + "].y) {\n    if (c < uLightCone[" +
           n + "].x) k *= (c - uLightCone[" + n + "].y) / max(uLightCone[" + n + "].x - uLightCone[" + n +
           "].y, 1e-6);\n" + apply + "    }\n";
    else
      s += apply;
    s += "    }\n  }\n";
  }
  s += "  return vec4(min(gBase.rgb * diffuse + uSpecular * specular + uEmissive, vec3(1.0)), gBase.a);\n}\n";
  return s;
}

std::string SpecialisedVertex(const ProgramKey& k) {
  std::string s =
      "uniform mat4 uMvp;\nuniform mat4 uModel;\nuniform mat3 uNormalMatrix;\nuniform vec3 uEyeLocal;\n"
      "in vec3 aPos;\nin vec3 aNormal;\nin vec2 aTex;\nin vec4 aColor;\nin vec3 aFaceNormal;\n";
  if (k.textured) s += "TEXQ out vec2 vTex;\n";
  s += k.flat ? "flat out vec4 vColor;\n" : "out vec4 vColor;\n";
  s += "void main() {\n  vec3 p = (uModel * vec4(aPos, 1.0)).xyz;\n";
  s += k.vertexColors ? "  gBase = vec4(aColor.rgb, 1.0);\n" : "  gBase = uColor;\n";
  // Which side of the face the eye is on does not change under the model
  // transform (normals go through its inverse transpose), so it is found from
  // the eye in the object's space, without transforming the vertex for it.
  if (k.flat && k.lit)
    s += "  vec3 n = normalize(uNormalMatrix * aFaceNormal);\n  if (dot(aFaceNormal, uEyeLocal - aPos) < 0.0) n = -n;\n"
         "  vColor = Shade(p, n);\n";
  else
    s += "  vColor = Shade(p, normalize(uNormalMatrix * aNormal));\n";
  if (k.textured) s += "  vTex = aTex;\n";
  s += "  gl_Position = uMvp * vec4(aPos, 1.0);\n}\n";
  return s;
}

std::string SpecialisedFragment(const ProgramKey& k) {
  std::string s;
  if (k.textured) s += "uniform sampler2D uTexture;\nTEXQ in vec2 vTex;\n";
  s += k.flat ? "flat in vec4 vColor;\n" : "in vec4 vColor;\n";
  s += k.textured ? "void main() {\n  gl_FragColor = vColor * texture(uTexture, vTex);\n}\n"
                  : "void main() {\n  gl_FragColor = vColor;\n}\n";
  return s;
}

struct Uniforms {
  GLint mvp, model, normalMatrix, color, specular, emissive, power, lit, eye, ambient, lightCount, lightPos, lightDir,
      lightColor, lightAtt, lightCone, texture, textured, vertexColors, eyeLocal;
};

struct Program {
  GLuint id = 0;
  bool general = true;
  Uniforms u{};
  GLint aPos = -1, aNormal = -1, aTex = -1, aColor = -1;
};

// Interleaved vertex as the GPU gets it.
struct GpuVertex {
  float position[3];
  float normal[3];
  float tex[2];
  uint8_t color[4];  // red, green, blue, alpha
};

// A vertex of the buffers for flat shading: its position, the face normal of
// the triangle whose provoking (last) vertex it is, then the texture
// coordinates and colour only when the group's program reads them. A flat
// frame of many small triangles costs about what its vertex fetch costs, so
// the vertex carries nothing the program leaves unread.
struct FlatLayout {
  bool tex = false, color = false;
  GLsizei Stride() const { return 24 + (tex ? 8 : 0) + (color ? 4 : 0); }
  size_t TexOffset() const { return 24; }
  size_t ColorOffset() const { return tex ? 32 : 24; }
  bool operator==(const FlatLayout&) const = default;
};

struct GroupBuffers {
  GLuint vbo = 0, triangles = 0, lines = 0;
  GLsizei triangleIndices = 0, lineIndices = 0, vertexCount = 0;
  // Flat shading's own copy, made when a group is first drawn flat.
  GLuint flatVbo = 0, flatTriangles = 0;
  GLsizei flatIndices = 0;
  FlatLayout flatLayout;
  // What the buffers were made from: a change of storage or size means new data.
  const void* vertexData = nullptr;
  size_t vertexSize = 0;
  const void* faceData = nullptr;
  size_t faceSize = 0;
  uint32_t verticesPerFace = 0;
  bool dirty = true;
};

struct MeshEntry {
  std::weak_ptr<rm::Visual> owner;
  std::vector<GroupBuffers> groups;
};

struct TextureEntry {
  std::weak_ptr<rm::Texture> owner;
  const rm::Surface* surface = nullptr;
  GLuint id = 0;
  GLint filter = 0;
};

using GpuLight = GlLight;

bool BuildProgram(Program& program, bool flat, bool affine, const ProgramKey* key = nullptr) {
  std::string header = "#version 130\n";
  if (flat) header += "#define FLAT 1\n";
  header += affine ? "#define TEXQ noperspective\n" : "#define TEXQ smooth\n";
  const std::string general = header + kLightLoopSource + kLightingSource;
  const std::string vertexSource =
      key ? header + SpecialisedLighting(*key) + SpecialisedVertex(*key) : general + kVertexSource;
  const std::string fragmentSource = key ? header + SpecialisedFragment(*key) : general + kFragmentSource;
  program.general = key == nullptr;
  program.id = BuildGlProgram(vertexSource, fragmentSource, "OpenGL");
  if (!program.id) return false;
  Uniforms& u = program.u;
  auto at = [&](const char* name) { return glGetUniformLocation(program.id, name); };
  u = {at("uMvp"), at("uModel"), at("uNormalMatrix"), at("uColor"), at("uSpecular"), at("uEmissive"),
       at("uPower"), at("uLit"), at("uEye"), at("uAmbient"), at("uLightCount"), at("uLightPos"),
       at("uLightDir"), at("uLightColor"), at("uLightAtt"), at("uLightCone"), at("uTexture"), at("uTextured"),
       at("uVertexColors"), at("uEyeLocal")};
  program.aPos = glGetAttribLocation(program.id, "aPos");
  program.aNormal = glGetAttribLocation(program.id, "aNormal");
  program.aTex = glGetAttribLocation(program.id, "aTex");
  program.aColor = glGetAttribLocation(program.id, "aColor");
  return true;
}

// Row-vector matrices as the shaders take them: uploading the rows as
// columns gives the column-vector form of the same transform.
void UploadMatrix(GLint location, const rm::Matrix4& m) {
  if (location >= 0) glUniformMatrix4fv(location, 1, GL_FALSE, &m.m[0][0]);
}

}  // namespace

// Everything of one context that outlives a device: programs, buffers and
// textures. Devices of the same context share it.
class GlResources {
 public:
  ~GlResources() = default;
  bool Init() {
    for (int flat = 0; flat < 2; ++flat)
      for (int affine = 0; affine < 2; ++affine)
        if (!BuildProgram(programs_[flat][affine], flat != 0, affine != 0)) return false;
    lights_.reserve(kMaxLights);
    // Core contexts draw nothing without a vertex array object.
    glGenVertexArrays(1, &vertexArray_);
    return vertexArray_ != 0;
  }
  void Release() {
    for (auto& [key, entry] : meshes_) FreeEntry(entry);
    meshes_.clear();
    for (auto& [key, entry] : textures_) glDeleteTextures(1, &entry.id);
    textures_.clear();
    for (auto& row : programs_)
      for (Program& p : row)
        if (p.id) glDeleteProgram(p.id), p.id = 0;
    for (auto& [key, p] : specialised_)
      if (p.id) glDeleteProgram(p.id);
    specialised_.clear();
    if (vertexArray_) glDeleteVertexArrays(1, &vertexArray_), vertexArray_ = 0;
  }

  void Invalidate(const rm::Mesh& mesh) {
    auto it = meshes_.find(&mesh);
    if (it == meshes_.end()) return;
    for (GroupBuffers& g : it->second.groups) g.dirty = true;
  }

  bool Render(GlDevice& device, rm::Viewport& viewport, rm::Frame& root);
  void SetSpecialise(bool on) { specialise_ = on; }
  uint32_t specialisedCount() const {
    uint32_t n = 0;
    for (const auto& [key, p] : specialised_) n += p.id != 0;
    return n;
  }
  uint32_t meshCount() const { return static_cast<uint32_t>(meshes_.size()); }
  uint32_t textureCount() const { return static_cast<uint32_t>(textures_.size()); }

 private:
  void FreeEntry(MeshEntry& entry) {
    for (GroupBuffers& g : entry.groups) FreeGroup(g);
    entry.groups.clear();
  }
  static void FreeGroup(GroupBuffers& g) {
    GLuint ids[5] = {g.vbo, g.triangles, g.lines, g.flatVbo, g.flatTriangles};
    for (GLuint id : ids)
      if (id) glDeleteBuffers(1, &id);
    g = {};
  }
  void DropDeadEntries();
  void CollectLights(const rm::Frame& frame, const rm::Matrix4& parent, int depth);
  void DrawFrame(rm::Frame& frame, const rm::Matrix4& parent, int depth);
  void DrawMesh(const std::shared_ptr<rm::Visual>& visual, const rm::Mesh& mesh, const rm::Matrix4& world);
  bool Upload(const rm::MeshGroupData& group, GroupBuffers& buffers, bool wire);
  bool UploadFlat(const rm::MeshGroupData& group, GroupBuffers& buffers, FlatLayout layout);
  const Program& ProgramFor(const ProgramKey& key);
  void BindProgram(const Program& p);
  GLuint TextureFor(const rm::TexturePtr& texture, GLint filter);

  rm::TriangulateScratch triangulateScratch_;
  Program programs_[2][2];
  // Specialised programs by packed key; one whose build failed stays with id 0
  // so it is not tried again every frame.
  std::unordered_map<uint32_t, Program> specialised_;
  bool specialise_ = true;
  std::vector<uint32_t> provokingClaimed_;
  GLuint vertexArray_ = 0;
  std::unordered_map<const rm::Mesh*, MeshEntry> meshes_;
  std::unordered_map<const rm::Texture*, TextureEntry> textures_;
  std::vector<GpuLight> lights_;
  float ambient_[3] = {0, 0, 0};
  uint32_t lightTypes_ = 0;
  uint32_t framesSinceSweep_ = 0;
  // Per-render state.
  rm::Matrix4 viewProjection_;
  rm::Vector eye_;
  GlDevice* device_ = nullptr;
  rm::Viewport* viewport_ = nullptr;
  const Program* bound_ = nullptr;
};

void GlResources::DropDeadEntries() {
  // Sweeping every frame would cost time with many meshes; every 64th is enough.
  if (++framesSinceSweep_ < 64) return;
  framesSinceSweep_ = 0;
  for (auto it = meshes_.begin(); it != meshes_.end();) {
    if (it->second.owner.expired()) {
      FreeEntry(it->second);
      it = meshes_.erase(it);
    } else {
      ++it;
    }
  }
  for (auto it = textures_.begin(); it != textures_.end();) {
    if (it->second.owner.expired()) {
      glDeleteTextures(1, &it->second.id);
      it = textures_.erase(it);
    } else {
      ++it;
    }
  }
}

void GlResources::CollectLights(const rm::Frame& frame, const rm::Matrix4& parent, int depth) {
  if (depth > kMaxDepth) return;
  const rm::Matrix4 world = frame.GetTransform() * parent;
  for (const rm::LightPtr& light : frame.GetLights()) {
    const float r = light->GetRed(), g = light->GetGreen(), b = light->GetBlue();
    if (light->GetType() == rm::LIGHT_AMBIENT) {
      ambient_[0] += r, ambient_[1] += g, ambient_[2] += b;
      continue;
    }
    if (lights_.size() >= kMaxLights) continue;  // the shaders take eight; more are not drawn
    GpuLight l{};
    const rm::Vector origin = world.TransformPoint({0, 0, 0});
    const rm::Vector axis = rm::Normalize(world.TransformDirection({0, 0, 1}));
    float kind = 1;
    switch (light->GetType()) {
      case rm::LIGHT_DIRECTIONAL: kind = 0; break;
      case rm::LIGHT_SPOT: kind = 2; break;
      default: kind = 1; break;
    }
    l.pos[0] = origin.x, l.pos[1] = origin.y, l.pos[2] = origin.z, l.pos[3] = kind;
    l.dir[0] = axis.x, l.dir[1] = axis.y, l.dir[2] = axis.z;
    l.color[0] = r, l.color[1] = g, l.color[2] = b;
    const float* a = light->GetAttenuation();
    l.att[0] = a[0], l.att[1] = a[1], l.att[2] = a[2], l.att[3] = light->GetRange();
    l.cone[0] = std::cos(light->GetUmbra() / 2);
    l.cone[1] = std::cos(std::max(light->GetPenumbra(), light->GetUmbra()) / 2);
    lightTypes_ |= static_cast<uint32_t>(kind) << (2 * lights_.size());
    lights_.push_back(l);
  }
  for (const rm::FramePtr& child : frame.GetChildren()) CollectLights(*child, world, depth + 1);
}

bool GlResources::Upload(const rm::MeshGroupData& group, GroupBuffers& b, bool wire) {
  const size_t vertexCount = group.vertices.size();
  TrackedBuffer<GpuVertex> vertices;
  if (!vertices.Allocate(vertexCount)) return false;
  for (size_t i = 0; i < vertexCount; ++i) {
    const rm::Vertex& v = group.vertices[i];
    vertices[i] = {{v.position.x, v.position.y, v.position.z},
                   {v.normal.x, v.normal.y, v.normal.z},
                   {v.tu, v.tv},
                   {static_cast<uint8_t>(v.color >> 16), static_cast<uint8_t>(v.color >> 8),
                    static_cast<uint8_t>(v.color), static_cast<uint8_t>(v.color >> 24)}};
  }
  // Faces become the triangles of the polygons they outline (a convex face
  // its fan) and, for wire frames, their edges.
  const rm::Faces faces(group);
  size_t triangleCount = 0, edgeCount = 0;
  for (std::span<const uint32_t> face : faces) triangleCount += face.size() - 2, edgeCount += face.size();
  TrackedBuffer<uint32_t> triangles, lines;
  if (!triangles.Allocate(triangleCount * 3) || (wire && !lines.Allocate(edgeCount * 2))) return false;
  size_t t = 0, e = 0;
  const std::span<const rm::Vertex> corners(group.vertices.data(), group.vertices.size());
  for (std::span<const uint32_t> face : faces) {
    const size_t n = face.size();
    t += 3 * rm::TriangulateFace(face, corners, triangles.data() + t, triangulateScratch_);
    if (wire)
      for (size_t k = 0; k < n; ++k) {
        lines[e++] = face[k];
        lines[e++] = face[(k + 1) % n];
      }
  }
  if (!b.vbo) glGenBuffers(1, &b.vbo);
  glBindBuffer(GL_ARRAY_BUFFER, b.vbo);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexCount * sizeof(GpuVertex)), vertices.data(),
               GL_STATIC_DRAW);
  if (!b.triangles) glGenBuffers(1, &b.triangles);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, b.triangles);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(t * sizeof(uint32_t)), triangles.data(),
               GL_STATIC_DRAW);
  if (wire) {
    if (!b.lines) glGenBuffers(1, &b.lines);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, b.lines);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(e * sizeof(uint32_t)), lines.data(),
                 GL_STATIC_DRAW);
  }
  b.vertexCount = static_cast<GLsizei>(vertexCount);
  b.triangleIndices = static_cast<GLsizei>(t);
  b.lineIndices = wire ? static_cast<GLsizei>(e) : 0;
  b.vertexData = group.vertices.data();
  b.vertexSize = vertexCount;
  b.faceData = group.faceData.data();
  b.faceSize = group.faceData.size();
  b.verticesPerFace = group.verticesPerFace;
  b.flatIndices = 0;  // made again from the new data when next drawn flat
  b.dirty = false;
  return true;
}

// Flat shading lights each triangle once, at its provoking (last) vertex, with
// the triangle's face normal carried by that vertex. A vertex already
// provoking another triangle whose normal differs is copied for this one.
bool GlResources::UploadFlat(const rm::MeshGroupData& group, GroupBuffers& b, FlatLayout layout) {
  const size_t vertexCount = group.vertices.size();
  const size_t indexCount = static_cast<size_t>(b.triangleIndices);
  TrackedBuffer<uint32_t> triangles;
  if (!triangles.Allocate(indexCount)) return false;
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, b.triangles);
  glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(indexCount * sizeof(uint32_t)),
                     triangles.data());
  // Vertices as words (the colour's four bytes fill one), at most one copy
  // per triangle.
  const size_t w = static_cast<size_t>(layout.Stride()) / 4;
  TrackedBuffer<float> vertices;
  if (!vertices.Allocate((vertexCount + indexCount / 3) * w)) return false;
  for (size_t i = 0; i < vertexCount; ++i) {
    const rm::Vertex& v = group.vertices[i];
    float* out = vertices.data() + i * w;
    out[0] = v.position.x, out[1] = v.position.y, out[2] = v.position.z;
    out[3] = out[4] = out[5] = 0;
    if (layout.tex) out[6] = v.tu, out[7] = v.tv;
    if (layout.color) {
      const uint8_t rgba[4] = {static_cast<uint8_t>(v.color >> 16), static_cast<uint8_t>(v.color >> 8),
                               static_cast<uint8_t>(v.color), static_cast<uint8_t>(v.color >> 24)};
      std::memcpy(out + layout.ColorOffset() / 4, rgba, 4);
    }
  }
  provokingClaimed_.assign(vertexCount, 0);
  size_t count = vertexCount;
  for (size_t t = 0; t + 2 < indexCount; t += 3) {
    const rm::Vector& a = group.vertices[triangles[t]].position;
    const rm::Vector& p1 = group.vertices[triangles[t + 1]].position;
    const rm::Vector& p2 = group.vertices[triangles[t + 2]].position;
    rm::Vector n = rm::Cross(p1 - a, p2 - a);
    const float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (length > 0) n = n * (1 / length);
    uint32_t last = triangles[t + 2];
    if (provokingClaimed_[last]) {
      const float* m = vertices.data() + last * w + 3;
      if (m[0] != n.x || m[1] != n.y || m[2] != n.z) {
        std::memcpy(vertices.data() + count * w, vertices.data() + last * w, w * sizeof(float));
        last = static_cast<uint32_t>(count++);
        triangles[t + 2] = last;
      }
    } else {
      provokingClaimed_[last] = 1;
    }
    float* m = vertices.data() + last * w + 3;
    m[0] = n.x, m[1] = n.y, m[2] = n.z;
  }
  if (!b.flatVbo) glGenBuffers(1, &b.flatVbo);
  glBindBuffer(GL_ARRAY_BUFFER, b.flatVbo);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(count * w * sizeof(float)), vertices.data(),
               GL_STATIC_DRAW);
  if (!b.flatTriangles) glGenBuffers(1, &b.flatTriangles);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, b.flatTriangles);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexCount * sizeof(uint32_t)), triangles.data(),
               GL_STATIC_DRAW);
  b.flatIndices = static_cast<GLsizei>(indexCount);
  b.flatLayout = layout;
  return true;
}

const Program& GlResources::ProgramFor(const ProgramKey& key) {
  const Program& general = programs_[key.flat ? 1 : 0][key.affine ? 1 : 0];
  if (!specialise_) return general;
  auto [it, added] = specialised_.try_emplace(key.Packed());
  if (added && !BuildProgram(it->second, key.flat, key.affine, &key))
    ReportWarning("A specialised OpenGL program does not build; the general one draws instead");
  return it->second.id ? it->second : general;
}

// Per-render uniforms, set when a program is first bound in a frame. A
// location a program does not have is -1 and is not offset into.
void GlResources::BindProgram(const Program& p) {
  glUseProgram(p.id);
  bound_ = &p;
  if (p.u.eye >= 0) glUniform3f(p.u.eye, eye_.x, eye_.y, eye_.z);
  if (p.u.ambient >= 0) glUniform3fv(p.u.ambient, 1, ambient_);
  const GLsizei n = static_cast<GLsizei>(lights_.size());
  if (p.u.lightCount >= 0) glUniform1i(p.u.lightCount, n);
  for (GLsizei i = 0; i < n; ++i) {
    const GpuLight& l = lights_[static_cast<size_t>(i)];
    if (p.u.lightPos >= 0) glUniform4fv(p.u.lightPos + i, 1, l.pos);
    if (p.u.lightDir >= 0) glUniform3fv(p.u.lightDir + i, 1, l.dir);
    if (p.u.lightColor >= 0) glUniform3fv(p.u.lightColor + i, 1, l.color);
    if (p.u.lightAtt >= 0) glUniform4fv(p.u.lightAtt + i, 1, l.att);
    if (p.u.lightCone >= 0) glUniform2fv(p.u.lightCone + i, 1, l.cone);
  }
  if (p.u.texture >= 0) glUniform1i(p.u.texture, 0);
}

GLuint GlResources::TextureFor(const rm::TexturePtr& texture, GLint filter) {
  const rm::SurfacePtr& surface = texture->GetSurface();
  if (!surface) return 0;
  TextureEntry& entry = textures_[texture.get()];
  if (entry.id && (entry.surface != surface.get() || entry.owner.expired())) {
    glDeleteTextures(1, &entry.id);
    entry = {};
  }
  if (!entry.id) {
    const uint32_t w = surface->GetWidth(), h = surface->GetHeight();
    TrackedBuffer<uint8_t> rgba;
    if (!rgba.Allocate(static_cast<size_t>(w) * h * 4)) return 0;
    // Surfaces keep the top row first; texture coordinate v = 0 is the top.
    for (uint32_t y = 0; y < h; ++y)
      for (uint32_t x = 0; x < w; ++x) {
        const rm::Color c = surface->GetColor(x, y);
        uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
        p[0] = (c >> 16) & 0xFF, p[1] = (c >> 8) & 0xFF, p[2] = c & 0xFF, p[3] = (c >> 24) & 0xFF;
      }
    glGenTextures(1, &entry.id);
    glBindTexture(GL_TEXTURE_2D, entry.id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(w), static_cast<GLsizei>(h), 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, rgba.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    entry.owner = texture;
    entry.surface = surface.get();
    entry.filter = 0;
  } else {
    glBindTexture(GL_TEXTURE_2D, entry.id);
  }
  if (entry.filter != filter) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    entry.filter = filter;
  }
  return entry.id;
}

void GlResources::DrawMesh(const std::shared_ptr<rm::Visual>& visual, const rm::Mesh& mesh,
                           const rm::Matrix4& world) {
  MeshEntry& entry = meshes_[&mesh];
  if (entry.owner.expired() || entry.owner.lock() != visual) {
    FreeEntry(entry);
    entry.owner = visual;
  }
  const uint32_t groupCount = mesh.GetGroupCount();
  if (entry.groups.size() != groupCount) {
    for (size_t g = groupCount; g < entry.groups.size(); ++g) FreeGroup(entry.groups[g]);
    entry.groups.resize(groupCount);
  }
  const rm::Matrix4 mvp = world * viewProjection_;
  rm::Matrix4 inverse;
  world.InverseAffine(&inverse);
  // Normals go through the inverse transpose of the linear part; as a
  // column-major upload the rows of the inverse are what is needed.
  float normalMatrix[9];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) normalMatrix[r * 3 + c] = inverse.m[c][r];
  const rm::Vector eyeLocal = inverse.TransformPoint(eye_);

  const rm::RenderQuality deviceQuality = device_->GetQuality();
  const GLint filter = device_->GetTextureQuality() == rm::TEXTURE_LINEAR ? GL_LINEAR : GL_NEAREST;
  for (uint32_t g = 0; g < groupCount; ++g) {
    const rm::MeshGroupData* group = mesh.Group(g);
    if (!group || group->vertices.empty()) continue;
    const rm::RenderQuality q = group->quality;
    const uint32_t shade = std::min(q & rm::SHADE_MASK, deviceQuality & rm::SHADE_MASK);
    const uint32_t fill = std::min(q & rm::FILL_MASK, deviceQuality & rm::FILL_MASK);
    const bool lit = (q & rm::LIGHT_MASK) != 0 && (deviceQuality & rm::LIGHT_MASK) != 0;
    const bool wire = fill == rm::FILL_WIREFRAME;
    GroupBuffers& b = entry.groups[g];
    if (b.dirty || b.vertexData != group->vertices.data() || b.vertexSize != group->vertices.size() ||
        b.faceData != group->faceData.data() || b.faceSize != group->faceData.size() ||
        b.verticesPerFace != group->verticesPerFace || (wire && !b.lines)) {
      if (!Upload(*group, b, wire)) continue;
    }
    const bool affine = (group->mapping & rm::MAP_PERSPCORRECT) == 0;
    const bool flatLit = shade == rm::SHADE_FLAT && lit;
    // Flat solid faces are lit once each from the face normal; points and
    // wire frames have no faces to take one from and keep the general way.
    const bool perFace = flatLit && fill == rm::FILL_SOLID && specialise_;
    const FlatLayout layout{group->texture != nullptr, group->colorSource == rm::COLOR_FROMVERTEX};
    if (perFace && (b.flatIndices != b.triangleIndices || !(b.flatLayout == layout)) &&
        !UploadFlat(*group, b, layout))
      continue;
    GLuint textureId = 0;
    if (group->texture && !wire) textureId = TextureFor(group->texture, filter);
    const float power = group->material ? group->material->GetPower() : 0.0f;
    ProgramKey key;
    key.flat = flatLit;
    key.affine = affine;
    key.lit = lit;
    key.specular = lit && power > 0;
    key.textured = textureId != 0;
    key.vertexColors = group->colorSource == rm::COLOR_FROMVERTEX;
    key.lightCount = lit ? static_cast<uint32_t>(lights_.size()) : 0;
    key.lightTypes = lit ? lightTypes_ : 0;
    const Program& p = (flatLit && !perFace) ? programs_[1][affine ? 1 : 0] : ProgramFor(key);
    if (bound_ != &p) BindProgram(p);
    UploadMatrix(p.u.mvp, mvp);
    UploadMatrix(p.u.model, world);
    if (p.u.normalMatrix >= 0) glUniformMatrix3fv(p.u.normalMatrix, 1, GL_FALSE, normalMatrix);
    if (p.u.color >= 0)
      glUniform4f(p.u.color, rm::ColorRed(group->color), rm::ColorGreen(group->color), rm::ColorBlue(group->color),
                  1.0f);
    if (p.u.lit >= 0) glUniform1i(p.u.lit, lit ? 1 : 0);
    if (p.u.vertexColors >= 0) glUniform1i(p.u.vertexColors, key.vertexColors ? 1 : 0);
    rm::ColorRGBf specular{0, 0, 0}, emissive{0, 0, 0};
    if (group->material) specular = group->material->GetSpecular(), emissive = group->material->GetEmissive();
    if (p.u.specular >= 0) glUniform3f(p.u.specular, specular.red, specular.green, specular.blue);
    if (p.u.emissive >= 0) glUniform3f(p.u.emissive, emissive.red, emissive.green, emissive.blue);
    if (p.u.power >= 0) glUniform1f(p.u.power, power);
    if (p.u.textured >= 0) glUniform1i(p.u.textured, textureId ? 1 : 0);

    if (p.u.eyeLocal >= 0) glUniform3f(p.u.eyeLocal, eyeLocal.x, eyeLocal.y, eyeLocal.z);
    const GLsizei stride = perFace ? b.flatLayout.Stride() : static_cast<GLsizei>(sizeof(GpuVertex));
    glBindBuffer(GL_ARRAY_BUFFER, perFace ? b.flatVbo : b.vbo);
    // Arrays a program does not read stay off: a software rasteriser would
    // fetch them for every vertex all the same.
    glEnableVertexAttribArray(0);
    if (p.aNormal >= 0 && !perFace) glEnableVertexAttribArray(1);
    else glDisableVertexAttribArray(1);
    if (p.aTex >= 0) glEnableVertexAttribArray(2);
    else glDisableVertexAttribArray(2);
    if (p.aColor >= 0) glEnableVertexAttribArray(3);
    else glDisableVertexAttribArray(3);
    const size_t texAt = perFace ? b.flatLayout.TexOffset() : offsetof(GpuVertex, tex);
    const size_t colorAt = perFace ? b.flatLayout.ColorOffset() : offsetof(GpuVertex, color);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, nullptr);
    if (!perFace)
      glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride,
                            reinterpret_cast<const void*>(offsetof(GpuVertex, normal)));
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(texAt));
    glVertexAttribPointer(3, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, reinterpret_cast<const void*>(colorAt));
    if (perFace) {
      glEnableVertexAttribArray(4);
      glVertexAttribPointer(4, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(12));
    } else {
      glDisableVertexAttribArray(4);
      glVertexAttrib3f(4, 0, 0, 1);
    }
    if (perFace) {
      glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, b.flatTriangles);
      glDrawElements(GL_TRIANGLES, b.flatIndices, GL_UNSIGNED_INT, nullptr);
    } else if (fill == rm::FILL_POINTS) {
      glDrawArrays(GL_POINTS, 0, b.vertexCount);
    } else if (wire) {
      glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, b.lines);
      glDrawElements(GL_LINES, b.lineIndices, GL_UNSIGNED_INT, nullptr);
    } else {
      glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, b.triangles);
      glDrawElements(GL_TRIANGLES, b.triangleIndices, GL_UNSIGNED_INT, nullptr);
    }
  }
}

void GlResources::DrawFrame(rm::Frame& frame, const rm::Matrix4& parent, int depth) {
  if (depth > kMaxDepth) return;
  const rm::Matrix4 world = frame.GetTransform() * parent;
  for (const rm::VisualPtr& visual : frame.GetVisuals()) {
    if (const auto* mesh = dynamic_cast<const rm::Mesh*>(visual.get())) {
      DrawMesh(visual, *mesh, world);
    } else if (auto* user = dynamic_cast<rm::UserVisual*>(visual.get())) {
      // The application draws these itself, through the immediate-mode
      // device placed in this frame; the state it leaves is restored by the
      // next group.
      if (auto immediate = std::static_pointer_cast<GlImmediateDevice>(device_->GetDirect3DDevice()))
        immediate->SetFrameState({world, viewProjection_, eye_, ambient_, lights_.data(),
                                  static_cast<uint32_t>(lights_.size())});
      if (user->Call(rm::USERVISUAL_CANSEE, device_, viewport_))
        user->Call(rm::USERVISUAL_RENDER, device_, viewport_);
      bound_ = nullptr;
    }
  }
  for (const rm::FramePtr& child : frame.GetChildren()) DrawFrame(*child, world, depth + 1);
}

bool GlResources::Render(GlDevice& device, rm::Viewport& viewport, rm::Frame& root) {
  while (glGetError() != GL_NO_ERROR) {
  }
  DropDeadEntries();
  device_ = &device;
  viewport_ = &viewport;
  bound_ = nullptr;
  lights_.clear();
  lightTypes_ = 0;
  ambient_[0] = ambient_[1] = ambient_[2] = 0;
  // Lights shine on the whole tree wherever they hang, so they are gathered first.
  const rm::Matrix4 rootParent = root.GetParent() ? root.GetParent()->GetWorldTransform() : rm::Matrix4{};
  CollectLights(root, rootParent, 0);

  const float width = static_cast<float>(std::max(viewport.GetWidth(), 1u));
  const float height = static_cast<float>(std::max(viewport.GetHeight(), 1u));
  const float k = std::max(width, height) / (2 * viewport.GetField());
  const float n = viewport.GetFront(), f = viewport.GetBack();
  rm::Matrix4 projection;  // row-vector form: clip = (x, y, z, 1) P
  projection.m[0][0] = 2 * k / width;
  projection.m[1][1] = 2 * k / height;
  projection.m[2][2] = (f + n) / (f - n);
  projection.m[2][3] = 1;
  projection.m[3][2] = -2 * f * n / (f - n);
  projection.m[3][3] = 0;
  viewProjection_ = viewport.GetViewTransform() * projection;
  eye_ = viewport.GetCamera() ? viewport.GetCamera()->GetWorldTransform().TransformPoint({0, 0, 0}) : rm::Vector{};

  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_CULL_FACE);
  glFrontFace(GL_CW);  // faces are clockwise as the viewer sees their front
  glCullFace(GL_BACK);
  glDisable(GL_BLEND);
  if (device.GetDither()) glEnable(GL_DITHER);
  else glDisable(GL_DITHER);
  glActiveTexture(GL_TEXTURE0);
  glBindVertexArray(vertexArray_);
  DrawFrame(root, rootParent, 0);
  glDisableVertexAttribArray(0);
  glDisableVertexAttribArray(1);
  glDisableVertexAttribArray(2);
  glDisableVertexAttribArray(3);
  glDisableVertexAttribArray(4);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  glUseProgram(0);
  glBindVertexArray(0);
  device_ = nullptr;
  viewport_ = nullptr;
  const GLenum error = glGetError();
  if (error != GL_NO_ERROR) ReportWarning(DebugFormat("OpenGL error 0x%x while drawing", error));
  return error == GL_NO_ERROR;
}

std::shared_ptr<GlDevice> GlDevice::Create(uint32_t width, uint32_t height) {
  QOpenGLContext* context = QOpenGLContext::currentContext();
  if (!context) {
    ReportWarning("No current OpenGL context for the 3D device");
    return nullptr;
  }
  const QSurfaceFormat format = context->format();
  if (context->isOpenGLES() || format.majorVersion() < 3) {
    ReportWarning(DebugFormat("The OpenGL context is version %i.%i; the 3D device needs 3.0",
                              format.majorVersion(), format.minorVersion()));
    return nullptr;
  }
  // Devices of one context share their programs and GPU copies, so a new
  // device after a resize does not send everything again.
  static std::weak_ptr<GlResources> shared;
  static const QOpenGLContext* sharedContext = nullptr;
  std::shared_ptr<GlResources> resources = shared.lock();
  if (!resources || sharedContext != context) {
    resources = std::make_shared<GlResources>();
    if (!resources->Init()) {
      resources->Release();
      return nullptr;
    }
    shared = resources;
    sharedContext = context;
  }
  auto device = std::make_shared<GlDevice>(resources, width, height);
  device->SetGuid(CurrentContextGuid());
  return device;
}

GlDevice::GlDevice(std::shared_ptr<GlResources> resources, uint32_t width, uint32_t height)
    : rm::Device(width, height), resources_(std::move(resources)), targetWidth_(width), targetHeight_(height) {}

GlDevice::~GlDevice() = default;

bool GlDevice::SetGlViewport(const rm::Viewport& viewport) {
  const double sx = static_cast<double>(targetWidth_) / std::max(width_, 1u);
  const double sy = static_cast<double>(targetHeight_) / std::max(height_, 1u);
  const auto x = static_cast<GLint>(std::lround(viewport.GetX() * sx));
  const auto w = static_cast<GLsizei>(std::lround(viewport.GetWidth() * sx));
  const auto h = static_cast<GLsizei>(std::lround(viewport.GetHeight() * sy));
  const auto y = static_cast<GLint>(targetHeight_) - static_cast<GLint>(std::lround(viewport.GetY() * sy)) - h;
  glViewport(x, y, w, h);
  glScissor(x, y, w, h);
  return x <= 0 && y <= 0 && x + w >= static_cast<GLint>(targetWidth_) && y + h >= static_cast<GLint>(targetHeight_);
}

bool GlDevice::Clear(rm::Viewport& viewport) {
  if (!QOpenGLContext::currentContext()) return false;
  // A clear of the whole target needs no scissor, and a software rasteriser
  // does it by marking its tiles cleared; a scissored clear it draws, pixel by
  // pixel, and the view's frames took half as long again for it.
  const bool whole = SetGlViewport(viewport);
  rm::Color background = 0xFF000000u;
  if (const rm::FramePtr& camera = viewport.GetCamera())
    if (rm::FramePtr scene = camera->GetScene()) background = scene->GetSceneBackground();
  if (!whole) glEnable(GL_SCISSOR_TEST);
  glClearColor(rm::ColorRed(background), rm::ColorGreen(background), rm::ColorBlue(background), 1.0f);
  glClearDepth(1.0);
  glDepthMask(GL_TRUE);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (!whole) glDisable(GL_SCISSOR_TEST);
  return true;
}

bool GlDevice::Render(rm::Viewport& viewport, rm::Frame& root) {
  if (!QOpenGLContext::currentContext() || !viewport.GetCamera()) return false;
  SetGlViewport(viewport);
  return resources_->Render(*this, viewport, root);
}

bool GlDevice::Update() {
  if (!QOpenGLContext::currentContext()) return false;
  glFlush();
  return true;
}

std::shared_ptr<rm::ImDevice> GlDevice::GetDirect3DDevice() {
  if (!immediate_) immediate_ = std::make_shared<GlImmediateDevice>(width_, height_);
  return immediate_;
}

void GlDevice::InvalidateMesh(const rm::Mesh& mesh) { resources_->Invalidate(mesh); }
void GlDevice::ReleaseResources() {
  if (immediate_) std::static_pointer_cast<GlImmediateDevice>(immediate_)->ReleaseGl();
  resources_->Release();
}
uint32_t GlDevice::CachedMeshes() const { return resources_->meshCount(); }
uint32_t GlDevice::CachedTextures() const { return resources_->textureCount(); }
void GlDevice::SetSpecialisedPrograms(bool on) { resources_->SetSpecialise(on); }
uint32_t GlDevice::SpecialisedPrograms() const { return resources_->specialisedCount(); }

}  // namespace render
