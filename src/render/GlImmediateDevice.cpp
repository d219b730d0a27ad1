#include "render/GlImmediateDevice.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <QOpenGLContext>
#include <cstddef>
#include <string>

#include "diag/Dbug.h"
#include "render/GlDeviceInfo.h"
#include "render/GlShading.h"
#include "rm/Surface.h"

namespace render {

namespace {

// Lit vertices get the device's lighting: the material's ambient colour under
// the scene's ambient light, its diffuse colour under each light, specular
// highlights and its emissive colour. Pre-lit vertices keep their colour.
const char* const kVertexSource = R"(
uniform mat4 uMvp;
uniform mat4 uModel;
uniform mat3 uNormalMatrix;
uniform int uPreLit;
uniform vec4 uDiffuse;
uniform vec3 uMatAmbient;
uniform vec3 uSpecular;
uniform vec3 uEmissive;
uniform vec3 uAmbient;
in vec3 aPos;
in vec3 aNormal;
in vec2 aTex;
in vec4 aColor;
out vec4 vColor;
out vec2 vTex;
vec3 Shade(vec3 p, vec3 n) {
  vec3 diffuse = vec3(0.0);
  vec3 specular = vec3(0.0);
  AddLights(p, n, diffuse, specular);
  return min(uMatAmbient * uAmbient + uDiffuse.rgb * diffuse + uSpecular * specular + uEmissive, vec3(1.0));
}
void main() {
  vec3 p = (uModel * vec4(aPos, 1.0)).xyz;
  // Colours arrive as the bytes of 0xAARRGGBB words: blue first.
  if (uPreLit != 0) vColor = aColor.zyxw;
  else vColor = vec4(Shade(p, normalize(uNormalMatrix * aNormal)), 1.0);
  vTex = aTex;
  gl_Position = uMvp * vec4(aPos, 1.0);
}
)";

const char* const kFragmentSource = R"(
uniform sampler2D uTexture;
uniform int uTextured;
in vec4 vColor;
in vec2 vTex;
void main() {
  vec4 c = vColor;
  if (uTextured != 0) c *= texture(uTexture, vTex);
  gl_FragColor = c;
}
)";

enum Uniform {
  U_MVP, U_MODEL, U_NORMAL_MATRIX, U_PRELIT, U_DIFFUSE, U_MAT_AMBIENT, U_SPECULAR, U_EMISSIVE, U_POWER, U_EYE,
  U_AMBIENT, U_LIGHT_COUNT, U_LIGHT_POS, U_LIGHT_DIR, U_LIGHT_COLOR, U_LIGHT_ATT, U_LIGHT_CONE, U_TEXTURE,
  U_TEXTURED, U_COUNT
};
constexpr const char* kUniformNames[U_COUNT] = {
    "uMvp", "uModel", "uNormalMatrix", "uPreLit", "uDiffuse", "uMatAmbient", "uSpecular", "uEmissive", "uPower",
    "uEye", "uAmbient", "uLightCount", "uLightPos", "uLightDir", "uLightColor", "uLightAtt", "uLightCone",
    "uTexture", "uTextured"};

}  // namespace

// The colour model the renderer's own description gives (the same table the
// capability report reads), 0 when it has none.
uint32_t HardwareColourModel() {
  GlDeviceInfo info;
  if (!DescribeCurrentContext(info) || !rm::HasHardwareColourModel(info.hardware)) return 0;
  return info.hardware.dcmColorModel & (rm::D3DCOLOR_MONO | rm::D3DCOLOR_RGB);
}


GlImmediateDevice::GlImmediateDevice(uint32_t width, uint32_t height) : rm::ImDevice(nullptr, width, height) {
  // Every format uploads as 8-bit RGBA; these are what the device offers
  // for enumeration, as a display card of the time would.
  textureFormats_ = rm::TypicalTextureFormats();
}

GlImmediateDevice::~GlImmediateDevice() {
  if (QOpenGLContext::currentContext()) ReleaseGl();
}

bool GlImmediateDevice::Init() {
  if (program_) return true;
  if (initFailed_) return false;
  initFailed_ = true;
  program_ = BuildGlProgram(std::string("#version 130\n") + kLightLoopSource + kVertexSource,
                            std::string("#version 130\n") + kFragmentSource, "Immediate-mode");
  if (!program_) return false;
  for (int u = 0; u < U_COUNT; ++u) uniforms_[u] = glGetUniformLocation(program_, kUniformNames[u]);
  glGenBuffers(1, &vertexBuffer_);
  glGenBuffers(1, &indexBuffer_);
  initFailed_ = false;
  return true;
}

void GlImmediateDevice::ReleaseGl() {
  for (Texture& t : textures_)
    if (t.id) glDeleteTextures(1, &t.id);
  textures_.clear();
  if (vertexBuffer_) glDeleteBuffers(1, &vertexBuffer_), vertexBuffer_ = 0;
  if (indexBuffer_) glDeleteBuffers(1, &indexBuffer_), indexBuffer_ = 0;
  if (program_) glDeleteProgram(program_), program_ = 0;
}

rm::HRESULT GlImmediateDevice::GetCaps(rm::DeviceDesc* hardware, rm::DeviceDesc* software) {
  if (hardware) hardware->colorModel = HardwareColourModel();
  if (software) software->colorModel = rm::COLOR_RGB;
  return rm::DD_OK;
}

uint32_t GlImmediateDevice::TextureFor(rm::TextureHandle handle) {
  rm::DDSurface* surface = TextureOf(handle);
  if (!surface || !surface->Pixels()) return 0;
  if (textures_.size() < handle) textures_.resize(handle);
  Texture& t = textures_[handle - 1];
  const bool fresh = t.id == 0 || t.surface != surface || t.version != surface->version();
  if (!t.id) glGenTextures(1, &t.id);
  glBindTexture(GL_TEXTURE_2D, t.id);
  if (fresh) {
    const rm::Surface& pixels = *surface->Pixels();
    const uint32_t w = pixels.GetWidth(), h = pixels.GetHeight();
    rgba_.resize(static_cast<size_t>(w) * h * 4);
    for (uint32_t y = 0; y < h; ++y)
      for (uint32_t x = 0; x < w; ++x) {
        const rm::Color c = pixels.GetColor(x, y);
        uint8_t* p = &rgba_[(static_cast<size_t>(y) * w + x) * 4];
        p[0] = (c >> 16) & 0xFF, p[1] = (c >> 8) & 0xFF, p[2] = c & 0xFF, p[3] = (c >> 24) & 0xFF;
      }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(w), static_cast<GLsizei>(h), 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, rgba_.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    t.surface = surface;
    t.version = surface->version();
  }
  return t.id;
}

rm::HRESULT GlImmediateDevice::Draw(rm::VertexType vertexType, const void* vertices, uint32_t vertexCount,
                                    const uint16_t* indices, uint32_t indexCount) {
  if (!QOpenGLContext::currentContext() || !Init()) return rm::DDERR_GENERIC;
  const bool lit = vertexType == rm::VT_VERTEX;
  const GlFrameState& s = state_;
  glUseProgram(program_);
  const rm::Matrix4 mvp = s.world * s.viewProjection;
  glUniformMatrix4fv(uniforms_[U_MVP], 1, GL_FALSE, &mvp.m[0][0]);
  glUniformMatrix4fv(uniforms_[U_MODEL], 1, GL_FALSE, &s.world.m[0][0]);
  rm::Matrix4 inverse;
  s.world.InverseAffine(&inverse);
  float normalMatrix[9];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) normalMatrix[r * 3 + c] = inverse.m[c][r];
  glUniformMatrix3fv(uniforms_[U_NORMAL_MATRIX], 1, GL_FALSE, normalMatrix);
  glUniform1i(uniforms_[U_PRELIT], lit ? 0 : 1);
  const rm::D3DMATERIAL* m = MaterialOf(GetLightState(rm::LIGHTSTATE_MATERIAL));
  static const rm::D3DMATERIAL kNoMaterial{};
  if (!m) m = &kNoMaterial;
  glUniform4f(uniforms_[U_DIFFUSE], m->diffuse.r, m->diffuse.g, m->diffuse.b, m->diffuse.a);
  glUniform3f(uniforms_[U_MAT_AMBIENT], m->ambient.r, m->ambient.g, m->ambient.b);
  glUniform3f(uniforms_[U_SPECULAR], m->specular.r, m->specular.g, m->specular.b);
  glUniform3f(uniforms_[U_EMISSIVE], m->emissive.r, m->emissive.g, m->emissive.b);
  glUniform1f(uniforms_[U_POWER], m->power);
  glUniform3f(uniforms_[U_EYE], s.eye.x, s.eye.y, s.eye.z);
  static const float kNoAmbient[3] = {0, 0, 0};
  glUniform3fv(uniforms_[U_AMBIENT], 1, s.ambient ? s.ambient : kNoAmbient);
  const GLsizei lights = static_cast<GLsizei>(s.lights ? std::min<uint32_t>(s.lightCount, 8) : 0);
  glUniform1i(uniforms_[U_LIGHT_COUNT], lights);
  for (GLsizei i = 0; i < lights; ++i) {
    const GlLight& l = s.lights[i];
    glUniform4fv(uniforms_[U_LIGHT_POS] + i, 1, l.pos);
    glUniform3fv(uniforms_[U_LIGHT_DIR] + i, 1, l.dir);
    glUniform3fv(uniforms_[U_LIGHT_COLOR] + i, 1, l.color);
    glUniform4fv(uniforms_[U_LIGHT_ATT] + i, 1, l.att);
    glUniform2fv(uniforms_[U_LIGHT_CONE] + i, 1, l.cone);
  }
  glActiveTexture(GL_TEXTURE0);
  glUniform1i(uniforms_[U_TEXTURE], 0);
  const GLuint texture = TextureFor(GetRenderState(rm::RENDERSTATE_TEXTUREHANDLE));
  glUniform1i(uniforms_[U_TEXTURED], texture ? 1 : 0);
  if (GetRenderState(rm::RENDERSTATE_ZENABLE)) glEnable(GL_DEPTH_TEST);
  else glDisable(GL_DEPTH_TEST);
  glDepthMask(GetRenderState(rm::RENDERSTATE_ZWRITEENABLE) ? GL_TRUE : GL_FALSE);

  const size_t stride = lit ? sizeof(rm::D3DVERTEX) : sizeof(rm::D3DLVERTEX);
  glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(stride * vertexCount), vertices, GL_STREAM_DRAW);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(uint16_t) * indexCount), indices,
               GL_STREAM_DRAW);
  const auto at = [](size_t offset) { return reinterpret_cast<const void*>(offset); };
  glEnableVertexAttribArray(0);
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, static_cast<GLsizei>(stride), at(0));
  if (lit) {
    glEnableVertexAttribArray(1);
    glDisableVertexAttribArray(3);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, static_cast<GLsizei>(stride), at(offsetof(rm::D3DVERTEX, nx)));
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, static_cast<GLsizei>(stride), at(offsetof(rm::D3DVERTEX, tu)));
  } else {
    glDisableVertexAttribArray(1);
    glEnableVertexAttribArray(3);
    glVertexAttribPointer(3, 4, GL_UNSIGNED_BYTE, GL_TRUE, static_cast<GLsizei>(stride),
                          at(offsetof(rm::D3DLVERTEX, color)));
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, static_cast<GLsizei>(stride), at(offsetof(rm::D3DLVERTEX, tu)));
  }
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indexCount), GL_UNSIGNED_SHORT, nullptr);
  // Leave the state the retained-mode drawing expects.
  glDisableVertexAttribArray(3);
  glEnable(GL_DEPTH_TEST);
  glDepthMask(GL_TRUE);
  return rm::DD_OK;
}

}  // namespace render
