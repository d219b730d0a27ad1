// The mapping from a renderer's limits to a device description, bit depths
// and device GUIDs.
#include <gtest/gtest.h>

#include "rm/DeviceDescription.h"

using namespace rm;

TEST(DeviceDescription, LimitsDecideTheirBitsAndFields) {
  RendererLimits full{.colourBits = 32, .depthBits = 24, .samples = 4, .maxTextureSize = 8192,
                      .maxVertices = 3000, .maxAnisotropy = 16, .lights = 8, .fixedFunction = true};
  const D3DDEVICEDESC d = DescribeRenderer(full);
  EXPECT_EQ(d.dwFlags, 0x7FFu);  // every part valid
  EXPECT_TRUE(HasHardwareColourModel(d));
  EXPECT_EQ(d.dwDeviceRenderBitDepth, DDBD_32);
  EXPECT_EQ(d.dwDeviceZBufferBitDepth, DDBD_24);
  EXPECT_EQ(d.dpcTriCaps.dwZCmpCaps, 0xFFu);
  EXPECT_TRUE(d.dpcTriCaps.dwRasterCaps & D3DPRASTERCAPS_ANISOTROPY);
  EXPECT_TRUE(d.dpcTriCaps.dwRasterCaps & D3DPRASTERCAPS_ANTIALIASSORTINDEPENDENT);
  // Culling belongs to triangles, line patterns to lines; stipples differ.
  EXPECT_TRUE(d.dpcTriCaps.dwMiscCaps & D3DPMISCCAPS_CULLCCW);
  EXPECT_FALSE(d.dpcLineCaps.dwMiscCaps & D3DPMISCCAPS_CULLCCW);
  EXPECT_TRUE(d.dpcLineCaps.dwMiscCaps & D3DPMISCCAPS_LINEPATTERNREP);
  EXPECT_FALSE(d.dpcTriCaps.dwMiscCaps & D3DPMISCCAPS_LINEPATTERNREP);
  // Saturation and the two one-setting modes are source factors only.
  EXPECT_EQ(d.dpcTriCaps.dwSrcBlendCaps, d.dpcTriCaps.dwDestBlendCaps | D3DPBLENDCAPS_SRCALPHASAT |
                                             D3DPBLENDCAPS_BOTHSRCALPHA | D3DPBLENDCAPS_BOTHINVSRCALPHA);

  // Without a depth buffer, colour, lights or a vertex limit, their parts are
  // not claimed.
  const D3DDEVICEDESC bare = DescribeRenderer({.maxTextureSize = 64});
  EXPECT_EQ(bare.dwFlags & (D3DDD_COLORMODEL | D3DDD_LIGHTINGCAPS | D3DDD_DEVICERENDERBITDEPTH |
                            D3DDD_DEVICEZBUFFERBITDEPTH | D3DDD_MAXVERTEXCOUNT),
            0u);
  EXPECT_FALSE(HasHardwareColourModel(bare));
  EXPECT_EQ(bare.dpcTriCaps.dwZCmpCaps, 0u);
  EXPECT_FALSE(bare.dpcTriCaps.dwRasterCaps & (D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_ANISOTROPY |
                                               D3DPRASTERCAPS_STIPPLE | D3DPRASTERCAPS_FOGVERTEX));
  EXPECT_EQ(bare.dwMaxStippleWidth, 0u);

  const D3DDEVICEDESC software = DescribeRenderer(SoftwareRendererLimits(8));
  EXPECT_EQ(software.dwMaxTextureWidth, 1024u);
  EXPECT_EQ(BitDepthFromFlags(software.dwDeviceZBufferBitDepth), 24);
}

TEST(DeviceDescription, BitDepthIsTheFirstOfEightSixteenTwentyFourThirtyTwo) {
  const std::pair<uint32_t, int32_t> cases[] = {{0, 0},       {DDBD_32, 32},          {DDBD_16 | DDBD_32, 16},
                                                {DDBD_24, 24}, {DDBD_8 | DDBD_16, 8}, {0x80u, 0}};
  for (const auto& [flags, bits] : cases) EXPECT_EQ(BitDepthFromFlags(flags), bits) << flags;
  for (uint32_t bits : {8u, 16u, 24u, 32u}) EXPECT_EQ(BitDepthFromFlags(FlagsFromBitDepth(bits)), int32_t(bits));
  EXPECT_EQ(FlagsFromBitDepth(15), 0u);
}

TEST(DeviceDescription, GuidsAreStableAndTellDevicesApart) {
  const DeviceGuid a = DeviceGuidFromStrings("llvmpipe", "Mesa");
  EXPECT_EQ(a, DeviceGuidFromStrings("llvmpipe", "Mesa"));
  EXPECT_NE(a, DeviceGuidFromStrings("llvmpipe", "Mesa "));
  EXPECT_NE(DeviceGuidFromStrings("ab", "c"), DeviceGuidFromStrings("a", "bc"));
  EXPECT_EQ(a[6] >> 4, 5);  // laid out as a name-based UUID
}
