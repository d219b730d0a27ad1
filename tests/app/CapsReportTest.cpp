// The capability reports of the device description dialog, from hand-made
// descriptions.
#include <gtest/gtest.h>

#include <cstring>

#include "TestSupport.h"
#include "app/CapsReport.h"

using namespace rm;

namespace {

CapsLines Report(int button, const D3DDEVICEDESC& d) {
  const CapsGroup* group = FindCapsGroup(button);
  EXPECT_NE(group, nullptr) << button;
  return group ? CapsReport(*group, &d) : CapsLines{};
}

// The flag names of a report's lines.
std::vector<std::string> Names(const CapsLines& lines) {
  std::vector<std::string> names;
  for (const std::string& line : lines) names.push_back(line.substr(0, line.find(" : ")));
  return names;
}

D3DDEVICEDESC AllSet() {
  D3DDEVICEDESC d;
  std::memset(&d, 0xFF, sizeof d);
  return d;
}

}  // namespace

TEST(CapsReport, FlagGroupsListEverySetFlagInNameOrder) {
  // Every bit set: each list shows all its flags, alphabetically; the line
  // groups read the line caps, the triangle groups the triangle caps.
  const D3DDEVICEDESC all = AllSet();
  std::string text;
  for (int button : {1032, 1037, 1038, 1039, 1040, 1041, 1042, 1044, 1045, 1047, 1048, 1049, 1052, 1054}) {
    text += std::to_string(button) + "\n";
    for (const std::string& name : Names(Report(button, all))) text += "  " + name + "\n";
  }
  EXPECT_EQ(text, testsupport::Golden("app/golden/every-flag.txt", text));

  D3DDEVICEDESC d{};
  d.dwFlags = D3DDD_TRICAPS;
  d.dpcTriCaps.dwTextureBlendCaps = D3DPTBLENDCAPS_MODULATE | D3DPTBLENDCAPS_ADD;
  d.dpcTriCaps.dwTextureFilterCaps = D3DPTFILTERCAPS_LINEAR;
  d.dpcTriCaps.dwZCmpCaps = D3DPCMPCAPS_NEVER;
  d.dpcLineCaps.dwZCmpCaps = D3DPCMPCAPS_ALWAYS;
  EXPECT_EQ(Names(Report(1044, d)), (std::vector<std::string>{"D3DPTBLENDCAPS_ADD", "D3DPTBLENDCAPS_MODULATE"}));
  EXPECT_TRUE(Report(1040, d).empty());  // the texture group is not the filter group
  EXPECT_EQ(Report(1039, d), CapsLines{"D3DPCMPCAPS_NEVER : Always fail the test."});
  EXPECT_TRUE(Report(1051, d).empty());  // line caps without D3DDD_LINECAPS
  d.dwFlags = D3DDD_LINECAPS;
  EXPECT_TRUE(Report(1039, d).empty());
  EXPECT_EQ(Names(Report(1051, d)), std::vector<std::string>{"D3DPCMPCAPS_ALWAYS"});
  EXPECT_TRUE(Report(1047, d).empty());  // no alpha comparisons at all
}

TEST(CapsReport, DeviceWideGroupsAndTheGeneralFields) {
  D3DDEVICEDESC d{};
  d.dwFlags = 0x7FF;
  d.dcmColorModel = D3DCOLOR_RGB | D3DCOLOR_MONO;
  d.dtcTransformCaps.dwCaps = D3DTRANSFORMCAPS_CLIP;
  d.dlcLightingCaps = {16, D3DLIGHTCAPS_SPOT | D3DLIGHTCAPS_DIRECTIONAL, D3DLIGHTINGMODEL_RGB, 8};
  d.bClipping = 1;
  d.dwDeviceRenderBitDepth = DDBD_16 | DDBD_32;
  d.dwDeviceZBufferBitDepth = DDBD_24;
  d.dwMaxBufferSize = 65536;
  d.dwMaxVertexCount = 3000;
  d.dwMinTextureWidth = d.dwMinTextureHeight = 1;
  d.dwMaxTextureWidth = 2048, d.dwMaxTextureHeight = 1024;
  d.dpcTriCaps.dwStippleWidth = 32, d.dpcTriCaps.dwStippleHeight = 16;
  std::string text;
  for (int button : {1035, 1034, 1033, 1046, 1036}) {
    text += std::to_string(button) + "\n";
    for (const std::string& line : Report(button, d)) text += "  " + line + "\n";
  }
  EXPECT_EQ(text, testsupport::Golden("app/golden/device-wide-caps.txt", text));

  // Parts the flags do not declare are left out; the ranges always show. The
  // transform line needs exactly the clip bit.
  d.dwFlags = D3DDD_TRANSFORMCAPS;
  d.dtcTransformCaps.dwCaps = 3;
  for (int button : {1032, 1033, 1034, 1035}) EXPECT_TRUE(Report(button, d).empty()) << button;
  EXPECT_EQ(Report(1036, d).size(), 4u);
  d.dwFlags = D3DDD_BCLIPPING, d.bClipping = 2;
  EXPECT_EQ(Report(1036, d)[0], "Clip in 3D : No");
  EXPECT_TRUE(CapsReport(CapsGroups()[4], nullptr).empty());  // no description at all
}
