// What the retained-mode and immediate-mode OpenGL devices share in their
// shaders: the light loop, and compiling and linking a program.
#pragma once

#include <string>

namespace render {

// GLSL: the light uniforms and AddLights(p, n, diffuse, specular), which adds
// each light's diffuse and specular share at point p with normal n (both in
// world space). Directional, point and spot lights, attenuated by distance
// and range, spots faded across their penumbra.
extern const char* const kLightLoopSource;

// Compiles and links a program with the vertex attributes at fixed locations
// (aPos 0, aNormal 1, aTex 2, aColor 3, aFaceNormal 4). 0 when it does not
// build (an OpenGL program name otherwise); the compiler's or linker's log
// is reported under `what`.
unsigned BuildGlProgram(const std::string& vertexSource, const std::string& fragmentSource, const char* what);

}  // namespace render
