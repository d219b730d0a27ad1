#include "render/GlShading.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include "diag/Dbug.h"

namespace render {

const char* const kLightLoopSource = R"(
uniform float uPower;
uniform vec3 uEye;
uniform int uLightCount;
uniform vec4 uLightPos[8];    // w: 0 directional, 1 point, 2 spot
uniform vec3 uLightDir[8];
uniform vec3 uLightColor[8];
uniform vec4 uLightAtt[8];    // constant, linear, quadratic, range
uniform vec2 uLightCone[8];   // cosines of the half umbra and half penumbra
void AddLights(vec3 p, vec3 n, inout vec3 diffuse, inout vec3 specular) {
  vec3 toEye = normalize(uEye - p);
  for (int i = 0; i < uLightCount; ++i) {
    vec3 l;
    float k = 1.0;
    if (uLightPos[i].w == 0.0) {
      l = -uLightDir[i];
    } else {
      vec3 d = uLightPos[i].xyz - p;
      float dist = length(d);
      if (dist > uLightAtt[i].w) continue;
      l = d / max(dist, 1e-6);
      k = 1.0 / max(uLightAtt[i].x + uLightAtt[i].y * dist + uLightAtt[i].z * dist * dist, 1e-6);
      if (uLightPos[i].w == 2.0) {
        float c = dot(-l, uLightDir[i]);
        if (c <= uLightCone[i].y) continue;
        if (c < uLightCone[i].x) k *= (c - uLightCone[i].y) / max(uLightCone[i].x - uLightCone[i].y, 1e-6);
      }
    }
    float nl = dot(n, l);
    if (nl <= 0.0) continue;
    diffuse += uLightColor[i] * nl * k;
    if (uPower > 0.0) {
      float nh = max(dot(n, normalize(l + toEye)), 0.0);
      specular += uLightColor[i] * pow(nh, uPower) * k;
    }
  }
}
)";

namespace {

GLuint Compile(GLenum type, const std::string& source, const char* what) {
  const GLuint shader = glCreateShader(type);
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[1024] = {};
    glGetShaderInfoLog(shader, sizeof log - 1, nullptr, log);
    ReportWarning(DebugFormat("%s shader does not compile: %s", what, log));
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

}  // namespace

unsigned BuildGlProgram(const std::string& vertexSource, const std::string& fragmentSource, const char* what) {
  const GLuint vs = Compile(GL_VERTEX_SHADER, vertexSource, what);
  const GLuint fs = Compile(GL_FRAGMENT_SHADER, fragmentSource, what);
  if (!vs || !fs) {
    if (vs) glDeleteShader(vs);
    if (fs) glDeleteShader(fs);
    return 0;
  }
  const GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glBindAttribLocation(program, 0, "aPos");
  glBindAttribLocation(program, 1, "aNormal");
  glBindAttribLocation(program, 2, "aTex");
  glBindAttribLocation(program, 3, "aColor");
  glBindAttribLocation(program, 4, "aFaceNormal");
  glLinkProgram(program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[1024] = {};
    glGetProgramInfoLog(program, sizeof log - 1, nullptr, log);
    ReportWarning(DebugFormat("%s program does not link: %s", what, log));
    glDeleteProgram(program);
    return 0;
  }
  return program;
}

}  // namespace render
