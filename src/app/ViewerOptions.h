// The two settings records the option dialogs edit and the frame step reads,
// and the choice of display size.
#pragma once

#include <cstdint>

struct ViewVector {
  float x = 0, y = 0, z = 0;
};

struct ViewOptions {
  uint8_t moveObject = 0;
  uint8_t moveCamera = 0;
  ViewVector cameraPosition{0, 10, -20};
  ViewVector cameraDirection{0, -0.5f, 1};
  ViewVector cameraUp{0, 1, 0};
  uint8_t reset = 0;  // one-shot requests, cleared by the frame step
  uint8_t objectLarger = 0, objectSmaller = 0;
  uint8_t cameraNearer = 0, cameraFarther = 0;
  uint8_t gridOn = 0;
  int32_t gridCells = 10;  // half the cells along each axis
  float gridSpacing = 1.0f;
};

struct RenderOptions {
  float backClippingPlane = 200.0f;
  float fieldOfView = 0.5f;
  uint8_t flatShading = 0;
  uint8_t perspectiveCorrection = 0;
  uint8_t dithering = 0;
  uint8_t bilinearFiltering = 0;
};

// The process-wide records the dialogs open on.
ViewOptions& GetViewOptions();
RenderOptions& GetRenderOptions();

// Full-screen mode for a client size: the first of 320 x 240, 640 x 480 and
// 800 x 600 that holds it, else 800 x 600.
struct DisplaySize {
  int32_t width = 0, height = 0;
};
DisplaySize ChooseFullScreenMode(int32_t width, int32_t height);
