#include "immediate/UserVisual.h"

#include <new>

#include "diag/Dbug.h"

namespace {

void ReleaseInterfaces(UserVisualRecord& r) {
  r.interfaces = {};
  r.newer = {};
}

void FetchInterfaces(UserVisualRecord& r, rm::Device* device, rm::Viewport* viewport) {
  ReleaseInterfaces(r);
  if (!device) return;
  r.interfaces.device = device->GetDirect3DDevice();
  if (r.interfaces.device) r.interfaces.device->GetDirect3D(&r.interfaces.d3d);
  if (viewport) r.interfaces.viewport = viewport->GetDirect3DViewport();
  if (r.flags & USERVISUAL_NEWER_INTERFACES) {
    // The newer set comes from the display's surface maker; the drawing
    // devices here offer no newer device or viewport of their own.
    rm::DDSurfacePtr target;
    if (r.interfaces.device && r.interfaces.device->GetRenderTarget(&target) == rm::DD_OK && target)
      if (rm::DirectDrawPtr draw = target->GetDDInterface()) {
        rm::DirectDraw4Ptr draw4;
        if (draw->QueryDirectDraw4(&draw4) == rm::DD_OK) draw4->QueryDirect3D3(&r.newer.d3d);
      }
  }
}

void RefreshInterfaces(UserVisualRecord& r, rm::Device* device, rm::Viewport* viewport) {
  const bool missing = !r.interfaces.device || !r.interfaces.d3d || !r.interfaces.viewport;
  if (!(r.flags & USERVISUAL_KEEP_INTERFACES) || missing) FetchInterfaces(r, device, viewport);
}

void* CallArgument(UserVisualRecord& r, void* arg) {
  if (!(r.flags & USERVISUAL_PASS_INTERFACES)) return arg;
  const bool newer = (r.flags & USERVISUAL_NEWER_INTERFACES) != 0;
  r.call = {newer ? nullptr : &r.interfaces, newer ? &r.newer : nullptr, arg};
  return &r.call;
}

}  // namespace

int AlwaysVisible(void*, rm::Frame*, rm::Engine*, rm::Device*, rm::Viewport*) { return 1; }

bool UserVisualCallbackFn(UserVisualRecord* record, rm::UserVisualEvent event, rm::Device* device,
                          rm::Viewport* viewport) {
  if (!record) return false;
  UserVisualRecord& r = *record;
  switch (event) {
    case rm::USERVISUAL_CANSEE:
      if (!r.initCallback) return true;
      if (r.flags & USERVISUAL_PASS_INTERFACES) RefreshInterfaces(r, device, viewport);
      return r.initCallback(CallArgument(r, r.initArg), r.frame.get(), r.rm.get(), device, viewport) != 0;
    case rm::USERVISUAL_RENDER:
      if (!r.renderCallback) return true;
      return r.renderCallback(CallArgument(r, r.renderArg), r.frame.get(), r.rm.get(), device, viewport) != 0;
    default: return false;
  }
}

UserVisualRecord* AttachUserVisual(const rm::FramePtr& frame, const rm::EnginePtr& rm, UserVisualCallback initCallback,
                                   void* initArg, UserVisualCallback renderCallback, void* renderArg,
                                   uint32_t flags) {
  if (!frame || !rm) return nullptr;
  void* block = TrackedAlloc(sizeof(UserVisualRecord));
  if (!block) return nullptr;
  auto* record = new (block) UserVisualRecord;
  record->initCallback = initCallback;
  record->initArg = initArg;
  record->renderCallback = renderCallback;
  record->renderArg = renderArg;
  record->flags = flags;
  record->rm = rm;
  record->frame = frame;
  record->visual = rm->CreateUserVisual(
      [record](rm::UserVisual&, void*, rm::UserVisualEvent event, rm::Device* device, rm::Viewport* viewport) {
        return UserVisualCallbackFn(record, event, device, viewport);
      },
      record);
  if (!record->visual || !frame->AddVisual(record->visual)) {
    record->~UserVisualRecord();
    TrackedFree(block);
    return nullptr;
  }
  return record;
}

void DetachUserVisual(UserVisualRecord* record) {
  if (!record) return;
  record->rm.reset();
  if (record->frame) record->frame->DeleteVisual(record->visual);
  record->frame.reset();
  if (record->flags & USERVISUAL_PASS_INTERFACES) ReleaseInterfaces(*record);
  record->visual.reset();
  record->~UserVisualRecord();
  TrackedFree(record);
}

void ForgetImmediateInterfaces(UserVisualRecord* record) {
  // Only our references go; whatever else holds the old device decides when
  // it ends.
  if (record && (record->flags & USERVISUAL_PASS_INTERFACES)) ReleaseInterfaces(*record);
}
