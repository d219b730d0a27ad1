// Everything of the engine in one include.
#pragma once

#include "rm/Engine.h"
#include "rm/Object.h"
