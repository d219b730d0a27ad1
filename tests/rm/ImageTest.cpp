#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BmpWriter.h"
#include "TestSupport.h"
#include "rm/Engine.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

using namespace rm;
using testsupport::BmpSpec;
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

void ExpectPixels(const Surface& s, const std::vector<uint32_t>& values) {
  for (uint32_t y = 0; y < s.GetHeight(); ++y)
    for (uint32_t x = 0; x < s.GetWidth(); ++x)
      ASSERT_EQ(s.GetPixel(x, y), values[y * s.GetWidth() + x]) << "at " << x << ", " << y;
}

BmpSpec Indexed(uint32_t w, uint32_t h, uint16_t bits, uint32_t colours) {
  BmpSpec spec;
  spec.width = static_cast<int32_t>(w), spec.height = static_cast<int32_t>(h), spec.bits = bits;
  spec.palette = Greys(colours);
  spec.pixelData = PackBmpRows(w, h, bits, Pattern(w, h, colours));
  return spec;
}

}  // namespace

TEST(Bmp, IndexedDepthsKeepTheirDepthAndColourTable) {
  struct Case {
    uint16_t bits;
    uint32_t colours;
    PixelFormatFlags flag;
    PaletteCaps caps;
  };
  for (const Case c : {Case{1, 2, PF_PALETTEINDEXED1, PCAPS_4BIT}, Case{4, 16, PF_PALETTEINDEXED4, PCAPS_4BIT},
                       Case{8, 256, PF_PALETTEINDEXED8, PCAPS_8BIT}, Case{8, 16, PF_PALETTEINDEXED8, PCAPS_4BIT}}) {
    SCOPED_TRACE(c.bits);
    BmpSpec spec = Indexed(13, 7, c.bits, c.colours);  // rows need padding at every depth
    spec.colorsUsed = c.colours == (1u << c.bits) ? 0 : c.colours;
    SurfacePtr s = DecodeBmp(MakeBmp(spec));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetWidth(), 13u);
    EXPECT_EQ(s->GetHeight(), 7u);
    EXPECT_EQ(s->GetPixelFormat().bitsPerPixel, c.bits);
    EXPECT_TRUE(s->GetPixelFormat().flags & c.flag);
    ASSERT_NE(s->GetPalette(), nullptr);
    EXPECT_EQ(s->GetPalette()->size(), c.colours);
    EXPECT_EQ(s->GetPalette()->GetCaps(), c.caps);
    ExpectPixels(*s, Pattern(13, 7, c.colours));
    EXPECT_EQ(s->GetColor(1, 0), 0xFF000000u | spec.palette[Pattern(13, 7, c.colours)[1]]);
  }
}

TEST(Bmp, TrueColourDepthsMasksAndRowOrder) {
  // 24 bits, top-down.
  std::vector<uint32_t> rgb(5 * 3);
  for (uint32_t i = 0; i < rgb.size(); ++i) rgb[i] = 0x102030u * i + 0x0A0B0Cu;
  BmpSpec spec;
  spec.width = 5, spec.height = -3, spec.bits = 24;
  spec.pixelData = PackBmpRows(5, 3, 24, rgb, true);
  SurfacePtr s = DecodeBmp(MakeBmp(spec));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetPixelFormat().bitsPerPixel, 24u);
  EXPECT_EQ(s->GetPalette(), nullptr);
  ExpectPixels(*s, rgb);
  EXPECT_EQ(s->GetColor(4, 2), 0xFF000000u | rgb[14]);

  // 16 bits without masks are 5-5-5.
  spec = BmpSpec{};
  spec.width = 3, spec.height = 2, spec.bits = 16;
  const std::vector<uint32_t> w16{0x7C00, 0x03E0, 0x001F, 0x7FFF, 0, 0x4210};
  spec.pixelData = PackBmpRows(3, 2, 16, w16);
  s = DecodeBmp(MakeBmp(spec));
  ASSERT_NE(s, nullptr);
  ExpectPixels(*s, w16);
  EXPECT_EQ(s->GetColor(0, 0), 0xFFFF0000u);
  EXPECT_EQ(s->GetColor(1, 0), 0xFF00FF00u);

  // 16 bits with 5-6-5 bit fields in a 40-byte header.
  spec.compression = 3;
  spec.masks = {0xF800, 0x07E0, 0x001F};
  s = DecodeBmp(MakeBmp(spec));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetPixelFormat().greenMask, 0x07E0u);
  EXPECT_EQ(s->GetColor(2, 0), 0xFF0000FFu);

  // 32 bits with alpha in the masks of a 124-byte header.
  spec = BmpSpec{};
  spec.width = 2, spec.height = 2, spec.bits = 32, spec.compression = 3, spec.headerSize = 124;
  spec.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  const std::vector<uint32_t> w32{0x80FF0000, 0x4000FF00, 0x000000FF, 0xFF123456};
  spec.pixelData = PackBmpRows(2, 2, 32, w32);
  s = DecodeBmp(MakeBmp(spec));
  ASSERT_NE(s, nullptr);
  EXPECT_TRUE(s->GetPixelFormat().flags & PF_ALPHAPIXELS);
  ExpectPixels(*s, w32);
  EXPECT_EQ(s->GetColor(0, 0), 0x80FF0000u);

  // Plain 32 bits: the top byte is not alpha.
  spec.compression = 0, spec.headerSize = 40, spec.masks.clear();
  s = DecodeBmp(MakeBmp(spec));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetColor(0, 0), 0xFFFF0000u);
}

TEST(Bmp, CoreHeaderHasThreeByteColourEntries) {
  BmpSpec spec = Indexed(6, 4, 8, 5);
  spec.headerSize = 12;
  // The core header has no colour count: the table runs up to the pixels.
  SurfacePtr s = DecodeBmp(MakeBmp(spec));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetPalette()->size(), 5u);
  ExpectPixels(*s, Pattern(6, 4, 5));
  EXPECT_EQ(s->GetColor(0, 0), 0xFF000000u | spec.palette[0]);
}

TEST(Bmp, RunLengthCodedImages) {
  for (const bool four : {false, true}) {
    SCOPED_TRACE(four ? "RLE4" : "RLE8");
    const uint32_t colours = four ? 16 : 256;
    const auto values = Pattern(11, 5, 7);
    BmpSpec spec;
    spec.width = 11, spec.height = 5, spec.bits = four ? 4 : 8, spec.compression = four ? 2 : 1;
    spec.palette = Greys(colours);
    spec.pixelData = testsupport::RleEncode(11, 5, four, values);
    SurfacePtr s = DecodeBmp(MakeBmp(spec));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetPixelFormat().bitsPerPixel, four ? 4u : 8u);
    ExpectPixels(*s, values);
  }
  // Absolute runs, a delta, and pixels past the right edge, by hand (RLE8).
  BmpSpec spec;
  spec.width = 4, spec.height = 3, spec.bits = 8, spec.compression = 1, spec.palette = Greys(256);
  spec.pixelData = {0, 3, 7, 8, 9, 0,  // absolute run of 3 (padded), bottom row
                    0, 2, 1, 1,        // delta: right 1, up 1 -> (4, 1 from bottom)
                    0, 0,              // end of line
                    6, 5,              // six 5s: two of them fall off the edge
                    0, 1};
  SurfacePtr s = DecodeBmp(MakeBmp(spec));
  ASSERT_NE(s, nullptr);
  ExpectPixels(*s, {5, 5, 5, 5, 0, 0, 0, 0, 7, 8, 9, 0});
}

TEST(Bmp, HostileFilesAreRefusedWithAReport) {
  testsupport::CapturedOutput out;
  const std::vector<uint8_t> good = MakeBmp(Indexed(9, 9, 8, 256));
  ASSERT_NE(DecodeBmp(good), nullptr);
  // Every truncation is refused, except of the last row's padding.
  for (size_t n = 0; n < good.size() - 3; n += 7)
    EXPECT_EQ(DecodeBmp(std::span(good.data(), n)), nullptr) << n;

  BmpSpec huge = Indexed(1, 1, 8, 256);
  huge.width = 100000;
  EXPECT_EQ(DecodeBmp(MakeBmp(huge)), nullptr);
  huge.width = 30000, huge.height = 30000;  // fits the limits, but the file holds one row
  EXPECT_EQ(DecodeBmp(MakeBmp(huge)), nullptr);

  BmpSpec rle = Indexed(4, 4, 8, 256);
  rle.compression = 1;
  rle.pixelData = {4, 1, 0, 0, 4, 1};  // no end of bitmap, rows missing
  EXPECT_EQ(DecodeBmp(MakeBmp(rle)), nullptr);
  rle.height = -4;
  rle.pixelData = testsupport::RleEncode(4, 4, false, Pattern(4, 4, 9));
  EXPECT_EQ(DecodeBmp(MakeBmp(rle)), nullptr);  // run-length coding is bottom-up only

  BmpSpec odd = Indexed(4, 4, 8, 256);
  odd.compression = 4;  // embedded JPEG
  EXPECT_EQ(DecodeBmp(MakeBmp(odd)), nullptr);
  odd = Indexed(4, 4, 8, 256);
  odd.bits = 3;
  EXPECT_EQ(DecodeBmp(MakeBmp(odd)), nullptr);
  odd = Indexed(4, 4, 8, 256);
  odd.headerSize = 64;
  EXPECT_EQ(DecodeBmp(MakeBmp(odd)), nullptr);
  EXPECT_TRUE(out.Contains("Bitmap refused"));
}

TEST(Ppm, BinaryAndTextImages) {
  const std::string p6 = std::string("P6\n# made by hand\n2 1\n255\n") + std::string("\xFF\x00\x00\x10\x20\x30", 6);
  SurfacePtr s = DecodeImage(std::span(reinterpret_cast<const uint8_t*>(p6.data()), p6.size()));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetColor(0, 0), 0xFFFF0000u);
  EXPECT_EQ(s->GetColor(1, 0), 0xFF102030u);

  const std::string p3 = "P3 1 2 15 15 0 0 # red\n 0 0 15\n";
  s = DecodeImage(std::span(reinterpret_cast<const uint8_t*>(p3.data()), p3.size()));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetColor(0, 0), 0xFFFF0000u);
  EXPECT_EQ(s->GetColor(0, 1), 0xFF0000FFu);

  const std::string wide = std::string("P6 1 1 65535\n") + std::string("\xFF\xFF\x80\x00\x00\x00", 6);
  s = DecodePpm(std::span(reinterpret_cast<const uint8_t*>(wide.data()), wide.size()));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetColor(0, 0), 0xFFFF8000u);

  testsupport::CapturedOutput out;
  for (const std::string bad : {"P6 2 1 255\n\xFF", "P3 1 1 255 1 2", "P6 0 1 255\n", "P6 1 1 0\n\x01\x01\x01",
                                "P6 99999999999 1 255\n"}) {
    EXPECT_EQ(DecodePpm(std::span(reinterpret_cast<const uint8_t*>(bad.data()), bad.size())), nullptr) << bad;
  }
}

TEST(StbImage, PngTgaAndJpegDecodeToArgb) {
  const uint8_t rgba[] = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 255, 10, 20, 30, 255};
  auto collect = [](void* context, void* data, int size) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(context);
    bytes->insert(bytes->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
  };
  std::vector<uint8_t> png, tga, jpg;
  ASSERT_TRUE(stbi_write_png_to_func(collect, &png, 2, 2, 4, rgba, 8));
  ASSERT_TRUE(stbi_write_tga_to_func(collect, &tga, 2, 2, 4, rgba));
  ASSERT_TRUE(stbi_write_jpg_to_func(collect, &jpg, 2, 2, 4, rgba, 90));
  for (const auto* bytes : {&png, &tga}) {
    SurfacePtr s = DecodeImage(*bytes);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetPixelFormat().bitsPerPixel, 32u);
    EXPECT_EQ(s->GetColor(0, 0), 0xFFFF0000u);
    EXPECT_EQ(s->GetColor(1, 0), 0x8000FF00u);
    EXPECT_EQ(s->GetColor(1, 1), 0xFF0A141Eu);
  }
  SurfacePtr s = DecodeImage(jpg);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetWidth(), 2u);

  testsupport::CapturedOutput out;
  png.resize(png.size() / 2);
  EXPECT_EQ(DecodeImage(png), nullptr);
  EXPECT_EQ(DecodeImage({}), nullptr);
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
  EXPECT_EQ(engine->SearchDirectories().size(), 2u);
  TexturePtr t = engine->LoadTexture("wall.bmp");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->GetName(), "wall.bmp");
  ASSERT_NE(t->GetSurface(), nullptr);
  EXPECT_EQ(t->GetSurface()->GetPixelFormat().bitsPerPixel, 4u);
  // A file found as given wins over the search path.
  EXPECT_NE(engine->LoadTexture(dir.File("b/wall.bmp")), nullptr);
  // Names written on Windows: either separator, any case.
  EXPECT_NE(engine->LoadTexture("WALL.Bmp"), nullptr);
  engine->AddSearchPath(dir.path().string());
  EXPECT_NE(engine->LoadTexture("b\\WALL.bmp"), nullptr);
  engine->SetSearchPath(dir.File("a"));
  EXPECT_EQ(engine->GetSearchPath(), dir.File("a"));
  EXPECT_EQ(engine->LoadTexture("wall.bmp"), nullptr);
}
