// The capability reports of the "Device Description..." dialog, free of
// widgets: each group button turns one part of a device description into
// lines, one per capability flag that is set. Titles are kept as the dialog
// has always shown them, misspellings included, on purpose.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "rm/DeviceDescription.h"

// At most this many lines of at most this many characters (the terminating
// zero included) make one report.
constexpr size_t CAPS_MAX_LINES = 500;
constexpr size_t CAPS_LINE_LENGTH = 1024;
using CapsLines = std::vector<std::string>;

enum CapsKind : int {
  CAPS_DEVICE,
  CAPS_LIGHTING,
  CAPS_TRANSFORM,
  CAPS_COLOUR_MODEL,
  CAPS_GENERAL,
  CAPS_MISC,
  CAPS_RASTER,
  CAPS_Z_COMPARE,
  CAPS_TEXTURE,
  CAPS_SHADE,
  CAPS_TEXTURE_FILTER,
  CAPS_TEXTURE_BLEND,
  CAPS_TEXTURE_ADDRESS,
  CAPS_STIPPLE,
  CAPS_ALPHA_COMPARE,
  CAPS_DEST_BLEND,
  CAPS_SOURCE_BLEND,
};

// One group button: its number, label, the title its report shows, and the
// part of the description it reads (triangle or line caps for the primitive
// groups).
struct CapsGroup {
  int button;
  const char* label;
  const char* title;
  CapsKind kind;
  bool lines;  // the line caps rather than the triangle caps
};

// The 29 groups: the five of the whole device, the twelve of triangles, the
// twelve of lines.
std::span<const CapsGroup> CapsGroups();
// The group of a button, or null.
const CapsGroup* FindCapsGroup(int button);

// A group's lines for a description; none for a missing description.
CapsLines CapsReport(const CapsGroup& group, const rm::D3DDEVICEDESC* description);
