#pragma once
#include <cstddef>

// Asks the system to map the pages of [data, data + size) now, ready for
// writing, in one call, as large pages where it has them: a fresh large
// buffer about to be filled then takes no page fault per page (each costs
// microseconds, more in a virtual machine).
// Only whole pages inside the range are touched; nothing happens where the
// system cannot do it, nor for less than a mebibyte (not worth the call).
void PrefaultForWriting(void* data, size_t size);
