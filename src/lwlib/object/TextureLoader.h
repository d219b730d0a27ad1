// The texture loader contract: given a texture file name and the loader's own
// data, put a texture in *texture and return 0, or return a failure code.
#pragma once

#include <cstdint>

#include "rm/Types.h"

using TextureCallback = int32_t (*)(const char* name, void* callbackData, rm::TexturePtr* texture);

// Failure codes of the loaders (any non-zero result is a failure).
constexpr int32_t RMERR_BADVALUE = 1;
constexpr int32_t RMERR_UNABLETOEXECUTE = 2;
