#include "rm/ImmediateDevice.h"

#include <cstring>

#include "rm/Device.h"
#include "rm/Frame.h"
#include "rm/Viewport.h"

namespace rm {

HRESULT DDSurface::SetPalette(const PalettePtr& palette) {
  if (!pixels_) return DDERR_INVALIDOBJECT;
  if (palette && !pixels_->GetPixelFormat().IsIndexed()) return DDERR_INVALIDPIXELFORMAT;
  pixels_->SetPalette(palette);
  ++version_;
  return DD_OK;
}

HRESULT DDSurface::GetDC(SurfacePtr* pixels) {
  if (!pixels) return DDERR_INVALIDPARAMS;
  if (!pixels_) return DDERR_INVALIDSURFACETYPE;
  if (lost_) return DDERR_SURFACELOST;
  if (inDC_) return DDERR_DCALREADYCREATED;
  inDC_ = true;
  *pixels = pixels_;
  return DD_OK;
}

HRESULT DDSurface::ReleaseDC() {
  if (!inDC_) return DDERR_INVALIDPARAMS;
  inDC_ = false;
  ++version_;
  return DD_OK;
}

HRESULT DDSurface::Restore() {
  lost_ = false;
  return DD_OK;
}

HRESULT DDSurface::Load(DDSurface& source) {
  if (&source == this) return DD_OK;
  const SurfacePtr& from = source.pixels_;
  if (!pixels_ || !from) return DDERR_INVALIDOBJECT;
  if (lost_ || source.lost_) return DDERR_SURFACELOST;
  const PixelFormat& a = pixels_->GetPixelFormat();
  const PixelFormat& b = from->GetPixelFormat();
  if (pixels_->GetWidth() != from->GetWidth() || pixels_->GetHeight() != from->GetHeight() ||
      a.bitsPerPixel != b.bitsPerPixel || a.flags != b.flags || pixels_->Pixels().size() != from->Pixels().size())
    return DDERR_INVALIDPARAMS;
  std::memcpy(pixels_->Pixels().data(), from->Pixels().data(), from->Pixels().size());
  if (from->GetPalette()) pixels_->SetPalette(from->GetPalette());
  ++version_;
  return DD_OK;
}

HRESULT DDSurface::GetHandle(ImDevice& device, TextureHandle* handle) {
  return device.AddTexture(shared_from_this(), handle);
}

HRESULT Viewport3::SetViewport2(const ViewportData& data) {
  if (data.width == 0 || data.height == 0 || !(data.maxZ >= data.minZ)) return DDERR_INVALIDPARAMS;
  data_ = data;
  return DD_OK;
}

HRESULT Device3::AddViewport(const Viewport3Ptr& viewport) {
  if (!viewport) return DDERR_INVALIDPARAMS;
  viewports_.push_back(viewport);
  return DD_OK;
}

HRESULT Device3::SetCurrentViewport(const Viewport3Ptr& viewport) {
  for (const Viewport3Ptr& v : viewports_)
    if (v == viewport) {
      current_ = viewport;
      return DD_OK;
    }
  return DDERR_INVALIDPARAMS;
}

HRESULT VertexBuffer::ProcessVertices(uint32_t operation, uint32_t destIndex, uint32_t count, VertexBuffer& source,
                                      uint32_t sourceIndex, Device3& device, uint32_t) {
  if (refuse_ == NEWER_PROCESS_VERTICES) return DDERR_GENERIC;
  if (operation != VOP_TRANSFORM || !device.GetCurrentViewport()) return DDERR_INVALIDPARAMS;
  if (static_cast<uint64_t>(destIndex) + count > size() || static_cast<uint64_t>(sourceIndex) + count > source.size())
    return DDERR_INVALIDPARAMS;
  // World, view and projection are the identity here; the viewport maps
  // -1..1 onto its rectangle with y down.
  const ViewportData& v = device.GetCurrentViewport()->GetViewport2();
  for (uint32_t i = 0; i < count; ++i) {
    const float* in = &source.data_[(sourceIndex + i) * 8];
    float* out = &data_[(destIndex + i) * 8];
    std::memcpy(out, in, 8 * sizeof(float));
    out[0] = static_cast<float>(v.x) + (in[0] + 1) * 0.5f * static_cast<float>(v.width);
    out[1] = static_cast<float>(v.y) + (1 - in[1]) * 0.5f * static_cast<float>(v.height);
    out[2] = v.minZ + in[2] * (v.maxZ - v.minZ);
    out[3] = 1;
  }
  return DD_OK;
}

HRESULT Direct3D3::CreateDevice(const DDSurfacePtr& target, Device3Ptr* device) {
  if (!device) return DDERR_INVALIDPARAMS;
  if (refuse_ == NEWER_CREATE_DEVICE) return DDERR_NODIRECTDRAWHW;
  // The software device draws in memory, on any surface that has pixels.
  if (!target || !target->Pixels()) return DDERR_INVALIDCAPS;
  *device = std::make_shared<Device3>(target);
  return DD_OK;
}

HRESULT Direct3D3::CreateViewport(Viewport3Ptr* viewport) {
  if (!viewport) return DDERR_INVALIDPARAMS;
  if (refuse_ == NEWER_CREATE_VIEWPORT) return DDERR_OUTOFMEMORY;
  *viewport = std::make_shared<Viewport3>();
  return DD_OK;
}

HRESULT Direct3D3::CreateVertexBuffer(uint32_t, uint32_t fvf, uint32_t count, VertexBufferPtr* buffer) {
  if (!buffer) return DDERR_INVALIDPARAMS;
  if (refuse_ == NEWER_VERTEX_BUFFER) return DDERR_OUTOFMEMORY;
  if (fvf != (FVF_XYZ | FVF_NORMAL | FVF_TEX1) || count == 0 || count > 65536) return DDERR_INVALIDPARAMS;
  *buffer = std::make_shared<VertexBuffer>(fvf, count);
  (*buffer)->refuse_ = refuse_;
  return DD_OK;
}

HRESULT DirectDraw4::CreateSurface(const SurfaceDesc& desc, DDSurfacePtr* surface) {
  if (refuse_ == NEWER_CREATE_SURFACE) return DDERR_OUTOFVIDEOMEMORY;
  return draw_->CreateSurface(desc, surface);
}

HRESULT DirectDraw4::QueryDirect3D3(Direct3D3Ptr* d3d) {
  if (!d3d) return DDERR_INVALIDPARAMS;
  if (refuse_ == NEWER_QUERY_D3D3) return DDERR_UNSUPPORTED;
  *d3d = std::make_shared<Direct3D3>(refuse_);
  return DD_OK;
}

HRESULT DirectDraw::CreateSurface(const SurfaceDesc& desc, DDSurfacePtr* surface) {
  if (!surface) return DDERR_INVALIDPARAMS;
  if (!(desc.flags & SD_WIDTH) || !(desc.flags & SD_HEIGHT) || desc.width == 0 || desc.height == 0)
    return DDERR_INVALIDPARAMS;
  SurfaceDesc made = desc;
  if (!(desc.flags & SD_PIXELFORMAT)) made.format = PixelFormat{};
  if (!(desc.flags & SD_CAPS)) made.caps = 0;
  SurfacePtr pixels = Surface::Create(desc.width, desc.height, made.format);
  if (!pixels) return made.format.bitsPerPixel == 0 ? DDERR_INVALIDPIXELFORMAT : DDERR_OUTOFMEMORY;
  made.flags |= SD_CAPS | SD_PIXELFORMAT;
  *surface = std::make_shared<DDSurface>(made, std::move(pixels), weak_from_this());
  return DD_OK;
}

HRESULT DirectDraw::CreatePalette(PaletteCaps caps, std::span<const PaletteEntry> entries, PalettePtr* palette) {
  if (!palette || entries.empty() || entries.size() > 256) return DDERR_INVALIDPARAMS;
  *palette = std::make_shared<Palette>(caps, entries);
  return DD_OK;
}

HRESULT DirectDraw::QueryDirectDraw4(DirectDraw4Ptr* draw4) {
  if (!draw4) return DDERR_INVALIDPARAMS;
  if (refuse_ == NEWER_QUERY_DRAW4) return DDERR_UNSUPPORTED;
  *draw4 = std::make_shared<DirectDraw4>(shared_from_this(), refuse_);
  return DD_OK;
}

HRESULT ImMaterial::SetMaterial(const D3DMATERIAL& material) {
  if (material.size != sizeof(D3DMATERIAL)) return DDERR_INVALIDPARAMS;
  material_ = material;
  return DD_OK;
}

HRESULT ImMaterial::GetHandle(ImDevice& device, MaterialHandle* handle) {
  return device.AddMaterial(shared_from_this(), handle);
}

HRESULT ImViewport::SetViewport2(const ViewportData& data) {
  if (data.width == 0 || data.height == 0 || !(data.maxZ >= data.minZ)) return DDERR_INVALIDPARAMS;
  data_ = data;
  return DD_OK;
}

HRESULT Direct3D::CreateMaterial(ImMaterialPtr* material) {
  if (!material) return DDERR_INVALIDPARAMS;
  *material = std::make_shared<ImMaterial>();
  return DD_OK;
}

HRESULT Direct3D::CreateViewport(ImViewportPtr* viewport) {
  if (!viewport) return DDERR_INVALIDPARAMS;
  *viewport = std::make_shared<ImViewport>();
  return DD_OK;
}

ImDevice::ImDevice(DirectDrawPtr draw, uint32_t width, uint32_t height)
    : draw_(std::move(draw)), d3d_(std::make_shared<Direct3D>()) {
  if (!draw_) draw_ = std::make_shared<DirectDraw>();
  SurfaceDesc desc;
  desc.flags = SD_CAPS | SD_WIDTH | SD_HEIGHT;
  desc.width = width, desc.height = height;
  desc.caps = SCAPS_3DDEVICE;
  // The render target is the display itself: it has no pixels here.
  target_ = std::make_shared<DDSurface>(desc, nullptr, draw_);
}

HRESULT ImDevice::GetDirect3D(Direct3DPtr* d3d) {
  if (!d3d) return DDERR_INVALIDPARAMS;
  *d3d = d3d_;
  return DD_OK;
}

HRESULT ImDevice::GetRenderTarget(DDSurfacePtr* target) {
  if (!target) return DDERR_INVALIDPARAMS;
  *target = target_;
  return DD_OK;
}

HRESULT ImDevice::EnumTextureFormats(const std::function<HRESULT(const SurfaceDesc&)>& found) {
  if (!found) return DDERR_INVALIDPARAMS;
  for (const PixelFormat& format : textureFormats_) {
    SurfaceDesc desc;
    desc.flags = SD_CAPS | SD_PIXELFORMAT;
    desc.caps = SCAPS_TEXTURE;
    desc.format = format;
    if (!found(desc)) break;
  }
  return DD_OK;
}

HRESULT ImDevice::SetLightState(LightStateType state, uint32_t value) {
  if (state != LIGHTSTATE_MATERIAL) return DDERR_INVALIDPARAMS;
  material_ = value;
  return DD_OK;
}

HRESULT ImDevice::SetRenderState(RenderStateType state, uint32_t value) {
  if (state >= kRenderStateCount) return DDERR_INVALIDPARAMS;
  renderStates_[state] = value;
  return DD_OK;
}

HRESULT ImDevice::SetCurrentViewport(const ImViewportPtr& viewport) {
  if (!viewport) return DDERR_INVALIDPARAMS;
  viewport_ = viewport;
  return DD_OK;
}

HRESULT ImDevice::DrawIndexedPrimitive(PrimitiveType type, VertexType vertexType, const void* vertices,
                                       uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount, uint32_t) {
  if (type != PT_TRIANGLELIST || (vertexType != VT_VERTEX && vertexType != VT_LVERTEX) || indexCount % 3 != 0)
    return DDERR_INVALIDPARAMS;
  if (indexCount == 0) return DD_OK;
  if (!vertices || !indices) return DDERR_INVALIDPARAMS;
  for (uint32_t i = 0; i < indexCount; ++i)
    if (indices[i] >= vertexCount) return DDERR_INVALIDPARAMS;
  return Draw(vertexType, vertices, vertexCount, indices, indexCount);
}

HRESULT ImDevice::AddMaterial(const ImMaterialPtr& material, MaterialHandle* handle) {
  if (!material || !handle) return DDERR_INVALIDPARAMS;
  materials_.push_back(material);
  *handle = static_cast<MaterialHandle>(materials_.size());
  return DD_OK;
}

HRESULT ImDevice::AddTexture(const DDSurfacePtr& surface, TextureHandle* handle) {
  if (!surface || !handle || !surface->Pixels() || !(surface->GetSurfaceDesc().caps & SCAPS_TEXTURE))
    return DDERR_INVALIDPARAMS;
  for (size_t i = 0; i < textures_.size(); ++i)
    if (textures_[i].lock() == surface) {
      *handle = static_cast<TextureHandle>(i + 1);
      return DD_OK;
    }
  textures_.push_back(surface);
  *handle = static_cast<TextureHandle>(textures_.size());
  return DD_OK;
}

const D3DMATERIAL* ImDevice::MaterialOf(MaterialHandle handle) const {
  if (handle == 0 || handle > materials_.size()) return nullptr;
  const ImMaterialPtr material = materials_[handle - 1].lock();
  return material ? &material->GetMaterial() : nullptr;
}

DDSurface* ImDevice::TextureOf(TextureHandle handle) const {
  if (handle == 0 || handle > textures_.size()) return nullptr;
  return textures_[handle - 1].lock().get();
}

std::vector<PixelFormat> TypicalTextureFormats() {
  return {PixelFormat::Indexed(8),
          PixelFormat::Rgb(16, 0xF800, 0x07E0, 0x001F),
          PixelFormat::Rgb(16, 0x7C00, 0x03E0, 0x001F),
          PixelFormat::Rgb(16, 0x7C00, 0x03E0, 0x001F, 0x8000),
          PixelFormat::Rgb(16, 0x0F00, 0x00F0, 0x000F, 0xF000),
          PixelFormat::Rgb(24),
          PixelFormat::Rgb(32),
          PixelFormat::Rgb(32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)};
}

MemoryImDevice::MemoryImDevice(uint32_t width, uint32_t height, std::vector<PixelFormat> formats)
    : ImDevice(nullptr, width, height) {
  textureFormats_ = std::move(formats);
}

HRESULT MemoryImDevice::GetCaps(DeviceDesc* hardware, DeviceDesc* software) {
  if (hardware) *hardware = DeviceDesc{hardware_ ? COLOR_RGB : 0u};
  if (software) *software = DeviceDesc{COLOR_RGB};
  return DD_OK;
}

HRESULT MemoryImDevice::Draw(VertexType vertexType, const void* vertices, uint32_t vertexCount, const uint16_t*,
                             uint32_t indexCount) {
  draws.push_back({vertexType, vertexCount, indexCount, GetLightState(LIGHTSTATE_MATERIAL),
                   GetRenderState(RENDERSTATE_TEXTUREHANDLE), vertices});
  return DD_OK;
}

namespace {

void AskUserVisuals(Frame& frame, Device& device, Viewport& viewport, int depth) {
  if (depth > 256) return;
  for (const VisualPtr& visual : frame.GetVisuals())
    if (auto* user = dynamic_cast<UserVisual*>(visual.get()))
      if (user->Call(USERVISUAL_CANSEE, &device, &viewport)) user->Call(USERVISUAL_RENDER, &device, &viewport);
  for (const FramePtr& child : frame.GetChildren()) AskUserVisuals(*child, device, viewport, depth + 1);
}

}  // namespace

bool NullDevice::Render(Viewport& viewport, Frame& root) {
  ++renders;
  AskUserVisuals(root, *this, viewport, 0);
  return true;
}

std::shared_ptr<ImDevice> NullDevice::GetDirect3DDevice() {
  if (!immediate_) immediate_ = std::make_shared<MemoryImDevice>(GetWidth(), GetHeight());
  return immediate_;
}

}  // namespace rm
