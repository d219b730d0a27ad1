// The immediate-mode device: what user visuals draw with. Materials and
// textures are made on a device and named by handles; drawing is indexed
// triangle lists of lit or pre-lit vertices under a few render states.
// Textures are surfaces: a memory surface receives an image, a device surface
// is what the device draws from (the same surface on a device that draws from
// memory, one without a hardware colour model). The names and values are
// those of the immediate-mode API this replaces, so callers read as written
// against it. The OpenGL renderer implements ImDevice; MemoryImDevice keeps
// everything in memory, draws nothing and records what it was asked.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "rm/Surface.h"

namespace rm {

using HRESULT = int32_t;
constexpr HRESULT DD_OK = 0;
constexpr HRESULT MakeDDResult(uint32_t code) { return static_cast<HRESULT>(0x88760000u | code); }
constexpr HRESULT DDERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DDERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DDERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DDERR_INCOMPATIBLEPRIMARY = MakeDDResult(95);
constexpr HRESULT DDERR_INVALIDCAPS = MakeDDResult(100);
constexpr HRESULT DDERR_INVALIDOBJECT = MakeDDResult(130);
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = MakeDDResult(145);
constexpr HRESULT DDERR_NOALPHAHW = MakeDDResult(180);
constexpr HRESULT DDERR_NOCOOPERATIVELEVELSET = MakeDDResult(212);
constexpr HRESULT DDERR_NODIRECTDRAWHW = MakeDDResult(223);
constexpr HRESULT DDERR_NOEMULATION = MakeDDResult(224);
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = MakeDDResult(225);
constexpr HRESULT DDERR_NOFLIPHW = MakeDDResult(230);
constexpr HRESULT DDERR_NOOVERLAYHW = MakeDDResult(250);
constexpr HRESULT DDERR_NOZBUFFERHW = MakeDDResult(280);
constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = MakeDDResult(380);
constexpr HRESULT DDERR_NOMIPMAPHW = MakeDDResult(411);
constexpr HRESULT DDERR_SURFACELOST = MakeDDResult(450);
constexpr HRESULT DDERR_WASSTILLDRAWING = MakeDDResult(540);
constexpr HRESULT DDERR_PRIMARYSURFACEALREADYEXISTS = MakeDDResult(564);
constexpr HRESULT DDERR_UNSUPPORTEDMODE = MakeDDResult(590);
constexpr HRESULT DDERR_INVALIDSURFACETYPE = MakeDDResult(592);
constexpr HRESULT DDERR_DCALREADYCREATED = MakeDDResult(620);

// A format with nothing but alpha (the chooser skips it like one with alpha pixels).
constexpr PixelFormatFlags PF_ALPHA = 0x2;

// Surface description flags and surface caps.
constexpr uint32_t SD_CAPS = 0x1, SD_HEIGHT = 0x2, SD_WIDTH = 0x4, SD_PIXELFORMAT = 0x1000;
constexpr uint32_t SCAPS_OFFSCREENPLAIN = 0x40, SCAPS_SYSTEMMEMORY = 0x800, SCAPS_TEXTURE = 0x1000,
                   SCAPS_3DDEVICE = 0x2000, SCAPS_VIDEOMEMORY = 0x4000, SCAPS_ALLOCONLOAD = 0x4000000;

struct SurfaceDesc {
  uint32_t flags = 0;
  uint32_t width = 0, height = 0;
  uint32_t caps = 0;
  uint32_t pixelFormatSize = 32;
  PixelFormat format;
};

using MaterialHandle = uint32_t;  // 0: none
using TextureHandle = uint32_t;   // 0: none

// A lit vertex (the device shades it) and a pre-lit one (its colours are final).
struct D3DVERTEX {
  float x = 0, y = 0, z = 0;
  float nx = 0, ny = 0, nz = 0;
  float tu = 0, tv = 0;
};
struct D3DLVERTEX {
  float x = 0, y = 0, z = 0;
  uint32_t reserved = 0;
  uint32_t color = 0, specular = 0;  // 0xAARRGGBB
  float tu = 0, tv = 0;
};

struct D3DCOLORVALUE {
  float r = 0, g = 0, b = 0, a = 0;
};
struct D3DMATERIAL {
  uint32_t size = 80;
  D3DCOLORVALUE diffuse, ambient, specular, emissive;
  float power = 0;
  TextureHandle texture = 0;
  uint32_t rampSize = 0;
};
static_assert(sizeof(D3DMATERIAL) == 80);

enum LightStateType : uint32_t { LIGHTSTATE_MATERIAL = 1 };
enum RenderStateType : uint32_t {
  RENDERSTATE_TEXTUREHANDLE = 1,
  RENDERSTATE_ZENABLE = 7,
  RENDERSTATE_SHADEMODE = 9,
  RENDERSTATE_ZWRITEENABLE = 14,
  RENDERSTATE_TEXTUREMAPBLEND = 21,
};
constexpr uint32_t kRenderStateCount = 32;
constexpr uint32_t SHADE_MODE_FLAT = 1, SHADE_MODE_GOURAUD = 2;
constexpr uint32_t TBLEND_MODULATE = 2, TBLEND_MODULATEALPHA = 4;
enum PrimitiveType : uint32_t { PT_TRIANGLELIST = 4 };
enum VertexType : uint32_t { VT_VERTEX = 1, VT_LVERTEX = 2 };
constexpr uint32_t DP_WAIT = 1;

// Colour models of a device description (0: none, as a device without hardware has).
constexpr uint32_t COLOR_MONO = 1, COLOR_RGB = 2;
struct DeviceDesc {
  uint32_t colorModel = 0;
};

class ImDevice;
class DirectDraw;
class DDSurface;
class ImMaterial;
class ImViewport;
class Direct3D;
using ImDevicePtr = std::shared_ptr<ImDevice>;
using DirectDrawPtr = std::shared_ptr<DirectDraw>;
using DDSurfacePtr = std::shared_ptr<DDSurface>;
using ImMaterialPtr = std::shared_ptr<ImMaterial>;
using ImViewportPtr = std::shared_ptr<ImViewport>;
using Direct3DPtr = std::shared_ptr<Direct3D>;

// A surface: pixels in memory (none for a render target), its description
// and palette. Its contents change between GetDC and ReleaseDC or by Load;
// each change moves the version on, so a device knows to send it again.
class DDSurface : public std::enable_shared_from_this<DDSurface> {
 public:
  DDSurface(const SurfaceDesc& desc, SurfacePtr pixels, std::weak_ptr<DirectDraw> owner)
      : desc_(desc), pixels_(std::move(pixels)), owner_(std::move(owner)) {}
  virtual ~DDSurface() = default;

  const SurfaceDesc& GetSurfaceDesc() const { return desc_; }
  const SurfacePtr& Pixels() const { return pixels_; }
  DirectDrawPtr GetDDInterface() const { return owner_.lock(); }
  HRESULT SetPalette(const PalettePtr& palette);
  PalettePtr GetPalette() const { return pixels_ ? pixels_->GetPalette() : nullptr; }

  // The pixels to draw on until ReleaseDC.
  virtual HRESULT GetDC(SurfacePtr* pixels);
  virtual HRESULT ReleaseDC();
  // Gives a lost surface its memory back (its contents are then undefined).
  virtual HRESULT Restore();
  void MarkLost() { lost_ = true; }
  bool IsLost() const { return lost_; }
  // The texture part: copies the pixels (and palette) of a surface of the same size and format.
  virtual HRESULT Load(DDSurface& source);
  // This surface as a texture of the device.
  HRESULT GetHandle(ImDevice& device, TextureHandle* handle);
  uint32_t version() const { return version_; }

 private:
  SurfaceDesc desc_;
  SurfacePtr pixels_;
  std::weak_ptr<DirectDraw> owner_;
  bool lost_ = false, inDC_ = false;
  uint32_t version_ = 0;
};

// The newer interface set, as far as the split test uses it: a software
// device on a 3D surface, viewports and vertex buffers that transform.
struct ViewportData {
  uint32_t x = 0, y = 0, width = 0, height = 0;
  float clipX = 0, clipY = 0, clipWidth = 0, clipHeight = 0, minZ = 0, maxZ = 1;
};
constexpr uint32_t FVF_XYZ = 0x2, FVF_NORMAL = 0x10, FVF_TEX1 = 0x100;
constexpr uint32_t VOP_TRANSFORM = 0x1;
class Device3;
class Viewport3;
class VertexBuffer;
class Direct3D3;
class DirectDraw4;
using Device3Ptr = std::shared_ptr<Device3>;
using Viewport3Ptr = std::shared_ptr<Viewport3>;
using VertexBufferPtr = std::shared_ptr<VertexBuffer>;
using Direct3D3Ptr = std::shared_ptr<Direct3D3>;
using DirectDraw4Ptr = std::shared_ptr<DirectDraw4>;

// Which step of the newer set refuses: none in use; tests name one to see
// their callers fail there.
enum NewerStep : uint32_t {
  NEWER_NONE,
  NEWER_QUERY_DRAW4,
  NEWER_QUERY_D3D3,
  NEWER_CREATE_SURFACE,
  NEWER_CREATE_DEVICE,
  NEWER_CREATE_VIEWPORT,
  NEWER_VERTEX_BUFFER,
  NEWER_PROCESS_VERTICES,
};

class Viewport3 {
 public:
  HRESULT SetViewport2(const ViewportData& data);
  const ViewportData& GetViewport2() const { return data_; }

 private:
  ViewportData data_;
};

class Device3 {
 public:
  explicit Device3(DDSurfacePtr target) : target_(std::move(target)) {}
  HRESULT AddViewport(const Viewport3Ptr& viewport);
  HRESULT SetCurrentViewport(const Viewport3Ptr& viewport);
  const Viewport3Ptr& GetCurrentViewport() const { return current_; }

 private:
  DDSurfacePtr target_;
  std::vector<Viewport3Ptr> viewports_;
  Viewport3Ptr current_;
};

// Vertices of position, normal and one texture coordinate (8 floats each);
// a transformed vertex keeps screen x, y, z, 1/w in its first four floats.
class VertexBuffer {
 public:
  VertexBuffer(uint32_t fvf, uint32_t count) : fvf_(fvf), data_(static_cast<size_t>(count) * 8) {}
  std::span<float> Lock() { return data_; }
  uint32_t size() const { return static_cast<uint32_t>(data_.size() / 8); }
  HRESULT ProcessVertices(uint32_t operation, uint32_t destIndex, uint32_t count, VertexBuffer& source,
                          uint32_t sourceIndex, Device3& device, uint32_t flags);

 private:
  friend class Direct3D3;
  uint32_t fvf_;
  std::vector<float> data_;
  NewerStep refuse_ = NEWER_NONE;
};

class Direct3D3 {
 public:
  explicit Direct3D3(NewerStep refuse) : refuse_(refuse) {}
  // Only the software RGB device exists.
  HRESULT CreateDevice(const DDSurfacePtr& target, Device3Ptr* device);
  HRESULT CreateViewport(Viewport3Ptr* viewport);
  HRESULT CreateVertexBuffer(uint32_t caps, uint32_t fvf, uint32_t count, VertexBufferPtr* buffer);

 private:
  NewerStep refuse_;
};

class DirectDraw4 {
 public:
  DirectDraw4(DirectDrawPtr draw, NewerStep refuse) : draw_(std::move(draw)), refuse_(refuse) {}
  HRESULT CreateSurface(const SurfaceDesc& desc, DDSurfacePtr* surface);
  HRESULT QueryDirect3D3(Direct3D3Ptr* d3d);

 private:
  DirectDrawPtr draw_;
  NewerStep refuse_;
};

// Makes surfaces and palettes.
class DirectDraw : public std::enable_shared_from_this<DirectDraw> {
 public:
  virtual ~DirectDraw() = default;
  // Needs width and height; caps and pixel format when flagged (a plain
  // 32-bit RGB format otherwise).
  virtual HRESULT CreateSurface(const SurfaceDesc& desc, DDSurfacePtr* surface);
  HRESULT CreatePalette(PaletteCaps caps, std::span<const PaletteEntry> entries, PalettePtr* palette);
  HRESULT QueryDirectDraw4(DirectDraw4Ptr* draw4);
  void RefuseNewerStep(NewerStep step) { refuse_ = step; }

 private:
  NewerStep refuse_ = NEWER_NONE;
};

class ImMaterial : public std::enable_shared_from_this<ImMaterial> {
 public:
  HRESULT SetMaterial(const D3DMATERIAL& material);
  const D3DMATERIAL& GetMaterial() const { return material_; }
  HRESULT GetHandle(ImDevice& device, MaterialHandle* handle);

 private:
  D3DMATERIAL material_;
};

// The immediate-mode viewport: its rectangle on the device. The transforms
// are those of the retained-mode viewport that owns it.
class ImViewport {
 public:
  HRESULT SetViewport2(const ViewportData& data);
  const ViewportData& GetViewport2() const { return data_; }

 private:
  ViewportData data_;
};

class Direct3D {
 public:
  HRESULT CreateMaterial(ImMaterialPtr* material);
  HRESULT CreateViewport(ImViewportPtr* viewport);
};

// The immediate-mode device. Keeps the states, materials and textures; an
// implementation draws and says what it offers.
class ImDevice : public std::enable_shared_from_this<ImDevice> {
 public:
  ImDevice(DirectDrawPtr draw, uint32_t width, uint32_t height);
  virtual ~ImDevice() = default;

  HRESULT GetDirect3D(Direct3DPtr* d3d);
  HRESULT GetRenderTarget(DDSurfacePtr* target);
  // Hardware and software descriptions; a hardware colour model means
  // textures live on the device apart from their memory copies.
  virtual HRESULT GetCaps(DeviceDesc* hardware, DeviceDesc* software) = 0;
  // Calls `found` with each texture format until it returns 0.
  HRESULT EnumTextureFormats(const std::function<HRESULT(const SurfaceDesc&)>& found);

  HRESULT SetLightState(LightStateType state, uint32_t value);
  HRESULT SetRenderState(RenderStateType state, uint32_t value);
  uint32_t GetLightState(LightStateType state) const { return state == LIGHTSTATE_MATERIAL ? material_ : 0; }
  uint32_t GetRenderState(RenderStateType state) const {
    return state < kRenderStateCount ? renderStates_[state] : 0;
  }
  HRESULT SetCurrentViewport(const ImViewportPtr& viewport);
  const ImViewportPtr& GetCurrentViewport() const { return viewport_; }
  // Triangle lists only; every index must name one of the vertices.
  HRESULT DrawIndexedPrimitive(PrimitiveType type, VertexType vertexType, const void* vertices, uint32_t vertexCount,
                               const uint16_t* indices, uint32_t indexCount, uint32_t flags);

  // Handles: 1 up, for the life of the device.
  HRESULT AddMaterial(const ImMaterialPtr& material, MaterialHandle* handle);
  HRESULT AddTexture(const DDSurfacePtr& surface, TextureHandle* handle);
  // What a handle names now; null when it names nothing.
  const D3DMATERIAL* MaterialOf(MaterialHandle handle) const;
  DDSurface* TextureOf(TextureHandle handle) const;

 protected:
  // The implementation's texture formats, in enumeration order.
  std::vector<PixelFormat> textureFormats_;
  // Draws checked triangle lists with the current states.
  virtual HRESULT Draw(VertexType vertexType, const void* vertices, uint32_t vertexCount, const uint16_t* indices,
                       uint32_t indexCount) = 0;

 private:
  DirectDrawPtr draw_;
  Direct3DPtr d3d_;
  DDSurfacePtr target_;
  std::array<uint32_t, kRenderStateCount> renderStates_{};
  uint32_t material_ = 0;
  ImViewportPtr viewport_;
  std::vector<std::weak_ptr<ImMaterial>> materials_;
  std::vector<std::weak_ptr<DDSurface>> textures_;
};

// The texture formats a PC display card of the time offered: 8-bit
// palettised, 16-bit 5-6-5 and 5-5-5, 24- and 32-bit RGB, and formats with
// alpha (1-5-5-5, 4-4-4-4, 8-8-8-8).
std::vector<PixelFormat> TypicalTextureFormats();

// Draws nothing; keeps surfaces in memory and records each draw. Without a
// hardware colour model unless told.
class MemoryImDevice : public ImDevice {
 public:
  MemoryImDevice(uint32_t width, uint32_t height, std::vector<PixelFormat> formats = TypicalTextureFormats());
  HRESULT GetCaps(DeviceDesc* hardware, DeviceDesc* software) override;
  void SetHardwareColourModel(bool hardware) { hardware_ = hardware; }

  struct DrawCall {
    VertexType vertexType;
    uint32_t vertexCount, indexCount;
    MaterialHandle material;
    TextureHandle texture;
    const void* vertices;
  };
  std::vector<DrawCall> draws;

 protected:
  HRESULT Draw(VertexType vertexType, const void* vertices, uint32_t vertexCount, const uint16_t* indices,
               uint32_t indexCount) override;

 private:
  bool hardware_ = false;
};

}  // namespace rm
