// Plain types of the retained-mode engine shared by every layer above it.
#pragma once

#include <cstdint>
#include <memory>

namespace rm {

struct Vector {
  float x = 0, y = 0, z = 0;
};

// A vertex as the engine stores it: 36 bytes.
struct Vertex {
  Vector position;
  Vector normal;
  float tu = 0, tv = 0;
  uint32_t color = 0;  // 0xAARRGGBB
};
static_assert(sizeof(Vertex) == 36);

using Color = uint32_t;  // 0xAARRGGBB
constexpr Color ColorRGB(float r, float g, float b);

// Engine objects are shared; whoever holds a pointer holds a reference.
class Object;
class Visual;
class UserVisual;
class Engine;
class Frame;
class Mesh;
class MeshBuilder;
class Material;
class Texture;
class Wrap;
class Light;
class Viewport;
class Device;
class Surface;
class Palette;
using ObjectPtr = std::shared_ptr<Object>;
using VisualPtr = std::shared_ptr<Visual>;
using UserVisualPtr = std::shared_ptr<UserVisual>;
using EnginePtr = std::shared_ptr<Engine>;
using FramePtr = std::shared_ptr<Frame>;
using MeshPtr = std::shared_ptr<Mesh>;
using MeshBuilderPtr = std::shared_ptr<MeshBuilder>;
using MaterialPtr = std::shared_ptr<Material>;
using TexturePtr = std::shared_ptr<Texture>;
using WrapPtr = std::shared_ptr<Wrap>;
using LightPtr = std::shared_ptr<Light>;
using ViewportPtr = std::shared_ptr<Viewport>;
using DevicePtr = std::shared_ptr<Device>;
using SurfacePtr = std::shared_ptr<Surface>;
using PalettePtr = std::shared_ptr<Palette>;

// How a new transform joins a frame's own (row vectors, v' = v M):
// replace: M; before: New * Old (the new one acts first); after: Old * New.
enum CombineType : uint32_t {
  COMBINE_REPLACE = 0,
  COMBINE_BEFORE = 1,
  COMBINE_AFTER = 2,
};

// Where a mesh group's faces take their colour: the group's colour, or each
// vertex's own (blended across the face), with the engine's values.
using ColorSource = uint32_t;
constexpr ColorSource COLOR_FROMFACE = 0;
constexpr ColorSource COLOR_FROMVERTEX = 1;

// Render quality: shade mode | lighting | fill mode, with the engine's values.
using RenderQuality = uint32_t;
constexpr RenderQuality SHADE_FLAT = 0;
constexpr RenderQuality SHADE_GOURAUD = 1;
constexpr RenderQuality SHADE_PHONG = 2;
constexpr RenderQuality SHADE_MASK = 7;
constexpr RenderQuality LIGHT_OFF = 0;
constexpr RenderQuality LIGHT_ON = 8;
constexpr RenderQuality LIGHT_MASK = 56;
constexpr RenderQuality FILL_POINTS = 0;
constexpr RenderQuality FILL_WIREFRAME = 64;
constexpr RenderQuality FILL_SOLID = 128;
constexpr RenderQuality FILL_MASK = 448;
constexpr RenderQuality RENDER_WIREFRAME = SHADE_FLAT | LIGHT_OFF | FILL_WIREFRAME;
constexpr RenderQuality RENDER_UNLITFLAT = SHADE_FLAT | LIGHT_OFF | FILL_SOLID;
constexpr RenderQuality RENDER_FLAT = SHADE_FLAT | LIGHT_ON | FILL_SOLID;
constexpr RenderQuality RENDER_GOURAUD = SHADE_GOURAUD | LIGHT_ON | FILL_SOLID;
constexpr RenderQuality RENDER_PHONG = SHADE_PHONG | LIGHT_ON | FILL_SOLID;

// Group mapping flags.
using MappingFlags = uint32_t;
constexpr MappingFlags MAP_WRAPU = 1;
constexpr MappingFlags MAP_WRAPV = 2;
constexpr MappingFlags MAP_PERSPCORRECT = 4;

// Texture filtering of a device.
enum TextureQuality : uint32_t {
  TEXTURE_NEAREST = 0,
  TEXTURE_LINEAR = 1,
};

enum LightType : uint32_t {
  LIGHT_AMBIENT = 0,
  LIGHT_POINT = 1,
  LIGHT_SPOT = 2,
  LIGHT_DIRECTIONAL = 3,
  LIGHT_PARALLELPOINT = 4,
};

enum WrapType : uint32_t {
  WRAP_FLAT = 0,
  WRAP_CYLINDER = 1,
  WRAP_SPHERE = 2,
  WRAP_CHROME = 3,
};

// Encodings of a .X file.
enum XofFormat : uint32_t {
  XOF_BINARY = 0,
  XOF_COMPRESSED = 1,
  XOF_TEXT = 2,
};

// What MeshBuilder::Save writes besides positions and faces.
using XofSaveFlags = uint32_t;
constexpr XofSaveFlags XOFSAVE_NORMALS = 1;
constexpr XofSaveFlags XOFSAVE_TEXTURECOORDINATES = 2;
constexpr XofSaveFlags XOFSAVE_MATERIALS = 4;
constexpr XofSaveFlags XOFSAVE_TEXTURENAMES = 8;
constexpr XofSaveFlags XOFSAVE_ALL = 15;

constexpr float Clamp01(float v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

// Channels are clamped to 0..1 and rounded to 8 bits; alpha is 0xFF.
constexpr Color ColorRGB(float r, float g, float b) {
  return 0xFF000000u | static_cast<uint32_t>(Clamp01(r) * 255.0f + 0.5f) << 16 |
         static_cast<uint32_t>(Clamp01(g) * 255.0f + 0.5f) << 8 | static_cast<uint32_t>(Clamp01(b) * 255.0f + 0.5f);
}

constexpr float ColorRed(Color c) { return static_cast<float>((c >> 16) & 0xFF) / 255.0f; }
constexpr float ColorGreen(Color c) { return static_cast<float>((c >> 8) & 0xFF) / 255.0f; }
constexpr float ColorBlue(Color c) { return static_cast<float>(c & 0xFF) / 255.0f; }
constexpr float ColorAlpha(Color c) { return static_cast<float>(c >> 24) / 255.0f; }

}  // namespace rm
