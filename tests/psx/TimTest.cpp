#include <gtest/gtest.h>

#include "TestSupport.h"
#include "writers/TimWriter.h"
#include "psx/Tim.h"

using namespace testsupport;

TEST(TimLoader, PaletteSizeDecidesBitsPerPixel) {
  TimImage tim;
  const auto four = MakeTim(Tim4Bit(640, 0, 8, 32, 16, 480));
  ASSERT_TRUE(ParseTim(tim, four));
  EXPECT_EQ(tim.paletteCount, 1u);
  EXPECT_EQ(TimPaletteEntryCount(tim, 0), 16u);
  EXPECT_EQ(TimBitsPerPixel(tim, 0), 4);
  EXPECT_EQ(TimImageX(tim, 0), 640u);
  EXPECT_EQ(TimImageHeight(tim, 0), 32u);
  EXPECT_EQ(TimPaletteY(tim, 0), 480u);
  EXPECT_EQ(TimImagePixels(tim, 0), four.data() + 8 + (4 + 8 + 32) + 4 + 8);

  // Only the palette's entry count is looked at: sixteen 16-entry palettes
  // in one rectangle make 8 bits; 32 entries make none of the known sizes.
  TimLayout sixteenPalettes = Tim4Bit(0, 0, 4, 4), odd = Tim4Bit(0, 0, 4, 4);
  sixteenPalettes.palettes[0].height = 16;
  odd.palettes[0].width = 32;
  const std::pair<TimLayout, int> cases[] = {{Tim8Bit(0, 0, 4, 4), 8}, {sixteenPalettes, 8}, {odd, -1}};
  for (const auto& [layout, bits] : cases) {
    ASSERT_TRUE(ParseTim(tim, MakeTim(layout)));
    EXPECT_EQ(TimBitsPerPixel(tim, 0), bits);
  }

  // Direct colour has no palettes: the palette accessors give 0.
  ASSERT_TRUE(ParseTim(tim, MakeTim(Tim15Bit(64, 256, 2, 2))));
  EXPECT_EQ(tim.paletteCount, 0u);
  EXPECT_EQ(TimPaletteX(tim, 0), 0u);
  EXPECT_EQ(TimPaletteWidth(tim, 0), 0u);
  EXPECT_EQ(TimPaletteRed(tim, 0, 0), 0u);
  EXPECT_EQ(TimBitsPerPixel(tim, 0), 15);
  TimLayout s = Tim15Bit(0, 0, 1, 1);
  for (uint32_t mode : {3u, 4u, 5u}) {
    s.mode = mode;
    ASSERT_TRUE(ParseTim(tim, MakeTim(s)));
    EXPECT_EQ(TimBitsPerPixel(tim, 0), mode == 3 ? 24 : mode == 4 ? 0 : -1);
  }
}

TEST(TimLoader, RecordsKeepFileOrderAndColoursAreConverted) {
  TimLayout s = Tim4Bit(0, 0, 2, 1);
  s.palettes[0].values.assign(16, 0);
  s.palettes[0].values[0] = 0x8000;  // flag only
  s.palettes[0].values[1] = 31;      // pure red
  s.palettes[0].values[2] = 0x7FFF;
  s.palettes.push_back({5, 6, 16, 1, {}});
  s.images.push_back({7, 8, 1, 1, {}});
  TimImage tim;
  ASSERT_TRUE(ParseTim(tim, MakeTim(s)));
  ASSERT_EQ(tim.paletteCount, 2u);
  ASSERT_EQ(tim.imageCount, 2u);
  EXPECT_EQ(TimPaletteX(tim, 1), 5u);
  EXPECT_EQ(TimImageY(tim, 1), 8u);
  EXPECT_EQ(tim.palettes[0].colours[0], 1u);
  EXPECT_EQ(tim.palettes[0].colours[1], 62u);
  EXPECT_EQ(TimPaletteRed(tim, 0, 2), 31u);
  EXPECT_EQ(TimPaletteGreen(tim, 0, 2), 31u);
  EXPECT_EQ(TimPaletteBlue(tim, 0, 2), 31u);
  EXPECT_EQ(TimPaletteFlag(tim, 0, 2), 0u);
  EXPECT_EQ(ConvertTimColour(0x03E0), 31u << 6);
  EXPECT_EQ(ConvertTimColour(0x7C00), 31u << 11);
}

TEST(TimLoader, MalformedBlocksAreRefusedWithoutLeaks) {
  const int32_t live = LiveTrackedBlocks();
  const auto good = MakeTim(Tim4Bit(0, 0, 2, 2));
  std::vector<std::vector<uint8_t>> bad(6, good);
  bad[0] = {1, 2, 3};                   // no header
  bad[1].pop_back();                    // image runs past the file
  bad[2][8] += 2;                       // palette block claims two more bytes than its record: leftover too short
  bad[3][8] -= 2;                       // palette record runs past its block
  bad[4][16] = bad[4][17] = 0xFF;       // palette width 65535
  bad[5][8] = 2, bad[5][9] = bad[5][10] = bad[5][11] = 0;  // block shorter than its length word
  TimLayout noImage = Tim15Bit(0, 0, 1, 1);
  noImage.images.clear();
  bad.push_back(MakeTim(noImage));
  for (size_t i = 0; i < bad.size(); ++i) {
    TimImage tim;
    EXPECT_FALSE(ParseTim(tim, bad[i])) << "case " << i;
    EXPECT_EQ(tim.imageCount + tim.paletteCount, 0u);
  }
  EXPECT_EQ(LiveTrackedBlocks(), live);
}
