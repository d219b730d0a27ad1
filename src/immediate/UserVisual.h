// User visuals: application drawing hung in a frame of the scene. The engine
// asks the visual, while it draws that frame, whether it can be seen and then
// to render, so the drawing shares the frame's camera, viewport and
// transforms. The callbacks may be given the immediate-mode interfaces of the
// device that draws (cached in the record).
#pragma once

#include <cstdint>

#include "rm/Rm.h"

// Callbacks: an answer of 1 means visible / drawn.
using UserVisualCallback = int (*)(void* arg, rm::Frame* frame, rm::Engine* rm, rm::Device* device,
                                   rm::Viewport* viewport);

enum UserVisualFlags : uint32_t {
  // Fetch the cached interfaces only when one is missing (otherwise before
  // every visibility question).
  USERVISUAL_KEEP_INTERFACES = 1,
  // The callbacks get an ImmediateCall instead of their bare argument.
  USERVISUAL_PASS_INTERFACES = 2,
  // Set by the viewer; carried, no effect.
  USERVISUAL_VIEWER = 4,
  // Pass the newer interface set instead.
  USERVISUAL_NEWER_INTERFACES = 8,
};

struct ImmediateInterfaces {
  rm::ImDevicePtr device;
  rm::Direct3DPtr d3d;
  rm::ImViewportPtr viewport;
};
struct NewerInterfaces {
  rm::Device3Ptr device;
  rm::Direct3D3Ptr d3d;
  rm::Viewport3Ptr viewport;
};

// What a callback gets with USERVISUAL_PASS_INTERFACES: one of the two
// interface sets (the other null) and its own argument.
struct ImmediateCall {
  ImmediateInterfaces* interfaces = nullptr;
  NewerInterfaces* newer = nullptr;
  void* arg = nullptr;
};

struct UserVisualRecord {
  UserVisualCallback initCallback = nullptr;
  void* initArg = nullptr;
  UserVisualCallback renderCallback = nullptr;
  void* renderArg = nullptr;
  rm::FramePtr frame;
  rm::EnginePtr rm;
  rm::UserVisualPtr visual;
  uint32_t flags = 0;
  ImmediateInterfaces interfaces;
  NewerInterfaces newer;
  ImmediateCall call;  // filled before each callback
};

// Hangs a user visual in `frame`. Null (nothing kept) without a frame or
// engine, or when the visual cannot be made.
UserVisualRecord* AttachUserVisual(const rm::FramePtr& frame, const rm::EnginePtr& rm, UserVisualCallback initCallback,
                                   void* initArg, UserVisualCallback renderCallback, void* renderArg, uint32_t flags);
// Takes the visual out of its frame and gives everything back; null is allowed.
void DetachUserVisual(UserVisualRecord* record);
// Drops the cached interfaces after the display was made again (they were
// the old device's); the next visibility question fetches the new ones.
void ForgetImmediateInterfaces(UserVisualRecord* record);

// The engine's callback, for tests that ask a visual directly.
bool UserVisualCallbackFn(UserVisualRecord* record, rm::UserVisualEvent event, rm::Device* device,
                          rm::Viewport* viewport);

// An init callback that always answers visible.
int AlwaysVisible(void* arg, rm::Frame* frame, rm::Engine* rm, rm::Device* device, rm::Viewport* viewport);
