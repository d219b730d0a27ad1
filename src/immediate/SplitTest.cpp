// The box texts are the program's own and are kept as users know them,
// misspellings ("craete") included, on purpose.
#include "immediate/SplitTest.h"

#include <algorithm>

#include "diag/Dbug.h"
#include "platform/Ui.h"

namespace {

bool Fail(const char* text) {
  GetUi().MessageBox(text, "Split Error", UiButtons::Ok, UiIcon::None);
  return false;
}

}  // namespace

bool SplitTest(const rm::DirectDrawPtr& directDraw) {
  rm::DirectDraw4Ptr draw4;
  if (!directDraw || directDraw->QueryDirectDraw4(&draw4) != rm::DD_OK) return Fail("Querying for DDraw4 failed");
  rm::Direct3D3Ptr d3d;
  if (draw4->QueryDirect3D3(&d3d) != rm::DD_OK) return Fail("Could not query for IDirect3D3");

  // Only height and width are flagged: the caps written beside them are not
  // looked at, and the surface takes the display's default format.
  rm::SurfaceDesc desc;
  desc.flags = rm::SD_HEIGHT | rm::SD_WIDTH;
  desc.width = desc.height = 100;
  desc.caps = rm::SCAPS_OFFSCREENPLAIN | rm::SCAPS_3DDEVICE | rm::SCAPS_SYSTEMMEMORY;
  desc.pixelFormatSize = 32;
  rm::DDSurfacePtr surface;
  if (draw4->CreateSurface(desc, &surface) != rm::DD_OK) return Fail("Could not create surface");
  rm::Device3Ptr device;
  if (d3d->CreateDevice(surface, &device) != rm::DD_OK) return Fail("Could not craete device");
  rm::Viewport3Ptr viewport;
  if (d3d->CreateViewport(&viewport) != rm::DD_OK) return Fail("Could not create viewport");
  rm::ViewportData data;
  data.x = data.y = 0;
  data.width = data.height = 100;
  data.clipX = 0.5f, data.clipY = 0.5f, data.clipWidth = 1.0f, data.clipHeight = 1.0f;
  data.minZ = 0, data.maxZ = 1;
  if (device->AddViewport(viewport) != rm::DD_OK || viewport->SetViewport2(data) != rm::DD_OK ||
      device->SetCurrentViewport(viewport) != rm::DD_OK) {
    ReportWarning("Split test: the viewport could not be set");
    return false;
  }
  const uint32_t format = rm::FVF_XYZ | rm::FVF_NORMAL | rm::FVF_TEX1;
  rm::VertexBufferPtr source, dest;
  if (d3d->CreateVertexBuffer(rm::SCAPS_SYSTEMMEMORY, format, 3, &source) != rm::DD_OK ||
      d3d->CreateVertexBuffer(rm::SCAPS_SYSTEMMEMORY, format, 10, &dest) != rm::DD_OK) {
    ReportWarning("Split test: no vertex buffers");
    return false;
  }
  static constexpr float kTriangle[3][8] = {
      {0, 0, 0, 0, 1, 0, 0, 0}, {10, 0, 0, 0, 1, 0, 0, 0}, {10, 0, 10, 0, 1, 0, 0, 0}};
  std::copy(&kTriangle[0][0], &kTriangle[0][0] + 24, source->Lock().begin());
  if (dest->ProcessVertices(rm::VOP_TRANSFORM, 0, 3, *source, 0, *device, 0) != rm::DD_OK) {
    ReportWarning("Split test: the vertices could not be transformed");
    return false;
  }
  return true;
}
