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

constexpr float Clamp01(float v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

// Channels are clamped to 0..1 and rounded to 8 bits; alpha is 0xFF.
constexpr Color ColorRGB(float r, float g, float b) {
  return 0xFF000000u | static_cast<uint32_t>(Clamp01(r) * 255.0f + 0.5f) << 16 |
         static_cast<uint32_t>(Clamp01(g) * 255.0f + 0.5f) << 8 | static_cast<uint32_t>(Clamp01(b) * 255.0f + 0.5f);
}

}  // namespace rm
