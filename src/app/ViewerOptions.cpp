#include "app/ViewerOptions.h"

ViewOptions& GetViewOptions() {
  static ViewOptions options;
  return options;
}

RenderOptions& GetRenderOptions() {
  static RenderOptions options;
  return options;
}

DisplaySize ChooseFullScreenMode(int32_t width, int32_t height) {
  static constexpr DisplaySize kModes[] = {{320, 240}, {640, 480}, {800, 600}};
  for (const DisplaySize& mode : kModes)
    if (mode.width >= width && mode.height >= height) return mode;
  return {800, 600};
}
