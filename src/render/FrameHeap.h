// The C library's heap tuned for drawing frames through a software rasteriser.
#pragma once

namespace render {

// Keeps the memory a frame's drawing frees for the next frame instead of
// handing it back to the kernel. Call once at start, before the first frame.
// False when the C library refuses the setting.
bool KeepFrameMemory();

}  // namespace render
