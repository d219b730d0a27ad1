#include "platform/Memory.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

void PrefaultForWriting(void* data, size_t size) {
#if defined(__linux__)
  if (size < (size_t{1} << 20)) return;
  // Linux 5.14 and later; older kernels refuse the advice and the pages
  // fault in one by one as before.
  constexpr int kPopulateWrite = 23;  // MADV_POPULATE_WRITE, missing from older headers
  static const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto begin = (reinterpret_cast<uintptr_t>(data) + page - 1) & ~(page - 1);
  const auto end = (reinterpret_cast<uintptr_t>(data) + size) & ~(page - 1);
  if (end <= begin) return;
  // Whole 2 MiB extents inside the range may be mapped as single large pages
  // (where the system has them): one fault's bookkeeping instead of 512.
  madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
  madvise(reinterpret_cast<void*>(begin), end - begin, kPopulateWrite);
#else
  (void)data, (void)size;
#endif
}
