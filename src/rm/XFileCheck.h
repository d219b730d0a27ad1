// A look at a .X file's declared array sizes before the reading library sees
// it: the library allocates whatever a count says before it reads the
// elements, so a file of a few hundred bytes could make it reserve gigabytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "diag/Failure.h"

namespace rm {

// False (with the reason) when a count of a mesh, its normals, texture
// coordinates, vertex colours or material list, a face, a skin's weights or an
// animation's keys asks for more elements than the rest of the file could
// hold; compressed files are unpacked first and their counts bounded by the
// unpacked data. Anything else it cannot follow is left to the library.
bool CheckXCounts(const uint8_t* data, size_t size, Failure* why);

}  // namespace rm
