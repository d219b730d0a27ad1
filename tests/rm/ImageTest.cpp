#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "writers/BmpWriter.h"
#include "TestSupport.h"
#include "rm/Engine.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

using namespace rm;
using testsupport::BmpDesc;
using testsupport::MakeBmp;
using testsupport::PackBmpRows;

namespace {

// A w x h picture of palette indices 0 .. colours-1 that differs in every
// row and column, so a flipped or shifted decode shows.
std::vector<uint32_t> Pattern(uint32_t w, uint32_t h, uint32_t colours) {
  std::vector<uint32_t> v(w * h);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) v[y * w + x] = (x * 3 + y * 5 + x * y) % colours;
  return v;
}

std::vector<uint32_t> Greys(uint32_t n) {
  std::vector<uint32_t> p(n);
  for (uint32_t i = 0; i < n; ++i) p[i] = (i * 7 % 256) * 0x010101u;
  return p;
}

void ExpectPixels(const SurfacePtr& s, const std::vector<uint32_t>& values) {
  ASSERT_NE(s, nullptr);
  for (uint32_t y = 0; y < s->GetHeight(); ++y)
    for (uint32_t x = 0; x < s->GetWidth(); ++x)
      ASSERT_EQ(s->GetPixel(x, y), values[y * s->GetWidth() + x]) << "at " << x << ", " << y;
}

BmpDesc Desc(int32_t w, int32_t h, uint16_t bits, std::vector<uint32_t> palette = {}) {
  BmpDesc desc;
  desc.width = w, desc.height = h, desc.bits = bits, desc.palette = std::move(palette);
  return desc;
}

BmpDesc Indexed(uint32_t w, uint32_t h, uint16_t bits, uint32_t colours) {
  BmpDesc desc = Desc(static_cast<int32_t>(w), static_cast<int32_t>(h), bits, Greys(colours));
  desc.pixelData = PackBmpRows(w, h, bits, Pattern(w, h, colours));
  return desc;
}

SurfacePtr Decode(const std::string& text) {
  return DecodeImage(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

}  // namespace

TEST(Bmp, IndexedDepthsKeepTheirDepthAndColourTable) {
  struct Case {
    uint16_t bits;
    uint32_t colours, header;
    PixelFormatFlags flag;
    PaletteCaps caps;
  };
  // 13 x 7: rows need padding at every depth. The core header has no colour
  // count: its table of 3-byte entries runs up to the pixels.
  for (const Case c : {Case{1, 2, 40, PF_PALETTEINDEXED1, PCAPS_4BIT}, Case{4, 16, 40, PF_PALETTEINDEXED4, PCAPS_4BIT},
                       Case{8, 256, 40, PF_PALETTEINDEXED8, PCAPS_8BIT}, 
                       Case{8, 16, 40, PF_PALETTEINDEXED8, PCAPS_4BIT},
                       Case{8, 5, 12, PF_PALETTEINDEXED8, PCAPS_4BIT}}) {
    SCOPED_TRACE(testing::Message() << c.bits << " bits, " << c.colours << " colours, header " << c.header);
    BmpDesc desc = Indexed(13, 7, c.bits, c.colours);
    desc.colorsUsed = c.colours == (1u << c.bits) ? 0 : c.colours;
    desc.headerSize = c.header;
    SurfacePtr s = DecodeBmp(MakeBmp(desc));
    ExpectPixels(s, Pattern(13, 7, c.colours));
    EXPECT_EQ(s->GetHeight(), 7u);
    EXPECT_EQ(s->GetPixelFormat().bitsPerPixel, c.bits);
    EXPECT_TRUE(s->GetPixelFormat().flags & c.flag);
    ASSERT_NE(s->GetPalette(), nullptr);
    EXPECT_EQ(s->GetPalette()->size(), c.colours);
    if (c.header == 40) {
      EXPECT_EQ(s->GetPalette()->GetCaps(), c.caps);
    }
    EXPECT_EQ(s->GetColor(1, 0), 0xFF000000u | desc.palette[Pattern(13, 7, c.colours)[1]]);
  }
}

TEST(Bmp, TrueColourDepthsMasksAndRowOrder) {
  struct Case {
    int32_t height;  // negative: top-down
    uint16_t bits;
    uint32_t compression, header;
    std::vector<uint32_t> masks, values, firstRowColours;
  };
  const Case cases[] = {
      {-2, 24, 0, 40, {}, {0x0A0B0C, 0x1A2B3C, 0x102030, 0xFFFFFF}, {0xFF0A0B0C, 0xFF1A2B3C}},
      {2, 16, 0, 40, {}, {0x7C00, 0x03E0, 0x001F, 0x4210}, {0xFFFF0000, 0xFF00FF00}},  // 5-5-5 without masks
      {2, 16, 3, 40, {0xF800, 0x07E0, 0x001F}, {0x001F, 0x07E0, 0xF800, 0}, {0xFF0000FF, 0xFF00FF00}},
      // Alpha in the masks of a 124-byte header; plain 32 bits have no alpha.
      {2, 32, 3, 124, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, {0x80FF0000, 0x4000FF00, 0xFF, 0},
       {0x80FF0000, 0x4000FF00}},
      {2, 32, 0, 40, {}, {0x80FF0000, 0x4000FF00, 0xFF, 0}, {0xFFFF0000, 0xFF00FF00}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.bits << " bits, compression " << c.compression << ", height " << c.height);
    BmpDesc desc = Desc(2, c.height, c.bits);
    desc.compression = c.compression, desc.headerSize = c.header, desc.masks = c.masks;
    desc.pixelData = PackBmpRows(2, 2, c.bits, c.values, c.height < 0);
    SurfacePtr s = DecodeBmp(MakeBmp(desc));
    ExpectPixels(s, c.values);
    EXPECT_EQ(s->GetPixelFormat().bitsPerPixel, c.bits);
    EXPECT_EQ(s->GetPalette(), nullptr);
    EXPECT_EQ(std::vector<uint32_t>({s->GetColor(0, 0), s->GetColor(1, 0)}), c.firstRowColours);
    EXPECT_EQ((s->GetPixelFormat().flags & PF_ALPHAPIXELS) != 0, c.header == 124);
  }
}

TEST(Bmp, RunLengthCodedImages) {
  for (const bool four : {false, true}) {
    SCOPED_TRACE(four ? "RLE4" : "RLE8");
    const auto values = Pattern(11, 5, 7);
    BmpDesc desc = Desc(11, 5, four ? 4 : 8, Greys(four ? 16 : 256));
    desc.compression = four ? 2 : 1;
    desc.pixelData = testsupport::RleEncode(11, 5, four, values);
    SurfacePtr s = DecodeBmp(MakeBmp(desc));
    ExpectPixels(s, values);
    EXPECT_EQ(s->GetPixelFormat().bitsPerPixel, four ? 4u : 8u);
  }
  // Absolute runs, a delta, and pixels past the right edge, by hand (RLE8).
  BmpDesc desc = Desc(4, 3, 8, Greys(256));
  desc.compression = 1;
  desc.pixelData = {0, 3, 7, 8, 9, 0,  // absolute run of 3 (padded), bottom row
                    0, 2, 1, 1,        // delta: right 1, up 1 -> (4, 1 from bottom)
                    0, 0,              // end of line
                    6, 5,              // six 5s: two of them fall off the edge
                    0, 1};
  ExpectPixels(DecodeBmp(MakeBmp(desc)), {5, 5, 5, 5, 0, 0, 0, 0, 7, 8, 9, 0});
  // RLE4 runs starting on an odd pixel and running off the edge.
  desc = Desc(8, 2, 4, Greys(16));
  desc.compression = 2;
  desc.pixelData = {0, 2, 3, 0, 5, 0x12, 0, 0, 0, 2, 5, 0, 6, 0x34, 0, 1};
  ExpectPixels(DecodeBmp(MakeBmp(desc)), {0, 0, 0, 0, 0, 3, 4, 3, 0, 0, 0, 1, 2, 1, 2, 1});
}

TEST(Bmp, ImagesBeyondTheSizeLimitsAreRefusedFromTheirHeader) {
  testsupport::CapturedOutput out;
  const struct {
    int32_t width, height;
    const char* reason;  // null: accepted
  } cases[] = {
      {32006, 8192, "an image of 32,006 x 8,192 pixels is larger than the 16,384 pixels a side and 67,108,864"},
      {16385, 1, "16,385 x 1 pixels is larger"},
      {8193, 8192, "8,193 x 8,192 pixels is larger"},
      {0, 4, "0 x 4 pixels is empty"},
      {16384, 4096, nullptr},
  };
  for (const auto& c : cases) {
    BmpDesc desc = Desc(c.width, c.height, 4, Greys(16));
    desc.compression = 2;
    desc.pixelData = {255, 0x12, 0, 2, 255, 255, 0, 1};
    Failure why;
    const SurfacePtr s = DecodeBmp(MakeBmp(desc), &why);
    EXPECT_EQ(s == nullptr, c.reason != nullptr) << c.width;
    if (c.reason) {
      EXPECT_NE(why.what.find(c.reason), std::string::npos) << why.what;
    }
  }
}

TEST(Bmp, HostileFilesAreRefusedWithAReport) {
  testsupport::CapturedOutput out;
  const std::vector<uint8_t> good = MakeBmp(Indexed(9, 9, 8, 256));
  ASSERT_NE(DecodeBmp(good), nullptr);
  // Every truncation is refused, except of the last row's padding.
  for (size_t n = 0; n < good.size() - 3; n += 7)
    EXPECT_EQ(DecodeBmp(std::span(good.data(), n)), nullptr) << n;

  std::vector<BmpDesc> bad(7, Indexed(4, 4, 8, 256));
  bad[0].width = 100000;
  bad[1].width = 8192, bad[1].height = 8192;  // fits the limits, but the file holds four rows
  bad[2].compression = 1, bad[2].pixelData = {4, 1, 0, 0, 4, 1};  // no end of bitmap, rows missing
  bad[3].compression = 1, bad[3].height = -4;  // run-length coding is bottom-up only
  bad[3].pixelData = testsupport::RleEncode(4, 4, false, Pattern(4, 4, 9));
  bad[4].compression = 4;  // embedded JPEG
  bad[5].bits = 3;
  bad[6].headerSize = 64;
  for (size_t i = 0; i < bad.size(); ++i) EXPECT_EQ(DecodeBmp(MakeBmp(bad[i])), nullptr) << i;
  EXPECT_TRUE(out.Contains("Bitmap refused"));
}

TEST(Ppm, BinaryAndTextImages) {
  SurfacePtr s = Decode(std::string("P6\n# made by hand\n2 1\n255\n") + std::string("\xFF\x00\x00\x10\x20\x30", 6));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetColor(0, 0), 0xFFFF0000u);
  EXPECT_EQ(s->GetColor(1, 0), 0xFF102030u);
  s = Decode("P3 1 2 15 15 0 0 # red\n 0 0 15\n");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetColor(0, 0), 0xFFFF0000u);
  EXPECT_EQ(s->GetColor(0, 1), 0xFF0000FFu);
  s = Decode(std::string("P6 1 1 65535\n") + std::string("\xFF\xFF\x80\x00\x00\x00", 6));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetColor(0, 0), 0xFFFF8000u);

  testsupport::CapturedOutput out;
  for (const std::string bad : {"P6 2 1 255\n\xFF", "P3 1 1 255 1 2", "P6 0 1 255\n", "P6 1 1 0\n\x01\x01\x01",
                                "P6 99999999999 1 255\n"}) {
    EXPECT_EQ(DecodePpm(std::span(reinterpret_cast<const uint8_t*>(bad.data()), bad.size())), nullptr) << bad;
  }
}

// PNG, JPEG and TGA are the library's; this checks only how its pixels arrive.
TEST(StbImage, PngDecodesToArgb) {
  const uint8_t rgba[] = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 255, 10, 20, 30, 255};
  std::vector<uint8_t> png;
  ASSERT_TRUE(stbi_write_png_to_func(
      [](void* context, void* data, int size) {
        auto* bytes = static_cast<std::vector<uint8_t>*>(context);
        bytes->insert(bytes->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
      },
      &png, 2, 2, 4, rgba, 8));
  SurfacePtr s = DecodeImage(png);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetPixelFormat().bitsPerPixel, 32u);
  EXPECT_EQ(std::vector<uint32_t>({s->GetColor(0, 0), s->GetColor(1, 0), s->GetColor(1, 1)}),
            (std::vector<uint32_t>{0xFFFF0000u, 0x8000FF00u, 0xFF0A141Eu}));
  testsupport::CapturedOutput out;
  png.resize(png.size() / 2);
  EXPECT_EQ(DecodeImage(png), nullptr);
}

TEST(Engine, LoadTextureFollowsTheSearchPath) {
  testsupport::TempDir dir;
  std::filesystem::create_directories(dir.path() / "a");
  std::filesystem::create_directories(dir.path() / "b");
  testsupport::WriteFile(dir.File("b/wall.bmp"), MakeBmp(Indexed(4, 2, 4, 16)));
  auto engine = Engine::Create();
  testsupport::CapturedOutput out;
  EXPECT_EQ(engine->LoadTexture("wall.bmp"), nullptr);
  EXPECT_TRUE(out.Contains("wall.bmp not found"));
  engine->AddSearchPath(dir.File("a") + ";" + dir.File("b"));
  TexturePtr t = engine->LoadTexture("wall.bmp");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->GetName(), "wall.bmp");
  ASSERT_NE(t->GetSurface(), nullptr);
  EXPECT_EQ(t->GetSurface()->GetPixelFormat().bitsPerPixel, 4u);
  // Names written on Windows: either separator, any case.
  EXPECT_NE(engine->LoadTexture("WALL.Bmp"), nullptr);
  engine->AddSearchPath(dir.path().string());
  EXPECT_NE(engine->LoadTexture("b\\WALL.bmp"), nullptr);
  engine->SetSearchPath(dir.File("a"));
  EXPECT_EQ(engine->LoadTexture("wall.bmp"), nullptr);
}
