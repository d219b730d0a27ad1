// The heap setting for drawing frames.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "render/FrameHeap.h"

// A block of the size a software rasteriser frees every frame stays in the
// heap once freed, instead of going back to the kernel to be faulted in again.
TEST(FrameHeap, FreedFrameMemoryStaysInTheHeap) {
#if !defined(__GLIBC__) || defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "only the GNU C library's own allocator takes the setting";
#else
  ASSERT_TRUE(render::KeepFrameMemory());
  const size_t before = mallinfo2().arena;
  constexpr size_t kFrame = 8u << 20;
  void* block = std::malloc(kFrame);
  ASSERT_NE(block, nullptr);
  std::memset(block, 1, kFrame);
  std::free(block);
  EXPECT_GE(mallinfo2().arena, before + kFrame);
#endif
}
