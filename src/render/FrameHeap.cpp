#include "render/FrameHeap.h"

// Any C library header names the library; without one __GLIBC__ is not yet
// defined below and the setting would silently never be made.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace render {

namespace {
// A software rasteriser allocates and frees tens of megabytes of bins and
// vertex scratch in every frame (about 25 MB at 100,000 triangles, well over
// that at a million). By default the C library trims the top of the heap once
// 128 KiB or more is free and puts large blocks in their own mappings, so every
// frame page-faults all of that in again: thousands of faults, a third of a
// frame's time. A trim threshold above a frame's peak keeps it; the mmap
// threshold must be set as well, because setting the trim threshold turns off
// the library's own adjustment of it, and 32 MiB is the largest it takes.
constexpr int kTrimThreshold = 512 << 20;
constexpr int kMmapThreshold = 32 << 20;
}  // namespace

bool KeepFrameMemory() {
#if defined(__GLIBC__)
  return mallopt(M_MMAP_THRESHOLD, kMmapThreshold) == 1 && mallopt(M_TRIM_THRESHOLD, kTrimThreshold) == 1;
#else
  return true;
#endif
}

}  // namespace render
