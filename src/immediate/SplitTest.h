// The "Split test" command: checks that the newer immediate-mode interfaces
// work on this display, by making a small software device and transforming a
// triangle. Shows nothing on success; each failing step says which in a box.
#pragma once

#include "rm/ImmediateDevice.h"

bool SplitTest(const rm::DirectDrawPtr& directDraw);
