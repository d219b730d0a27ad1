#include "psx/Tim.h"

#include <cstdio>
#include <memory>

#include "platform/File.h"

namespace {

uint32_t Le16(const uint8_t* p) { return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8; }
uint32_t Le32(const uint8_t* p) { return Le16(p) | Le16(p + 2) << 16; }

struct RecordHead {
  size_t offset;  // of the record's first byte
  uint16_t x, y, width, height;
};

// Walks the records of the block whose length word is at `at`, and hands each
// to `visit`. False when the block does not fit the data or its records do not
// fill it exactly. `end` receives the offset just past the block.
// `block` names the block in the reason put in *why.
template <typename Visit>
bool WalkBlock(std::span<const uint8_t> data, size_t at, size_t& end, Visit&& visit, const char* block = nullptr,
               Failure* why = nullptr) {
  const auto fail = [&](int64_t offset, const std::string& what) {
    return FailAt(why, block, offset, "%s", what.c_str());
  };
  if (at > data.size() || data.size() - at < 4)
    return fail(static_cast<int64_t>(at), "the file ends before the block's length");
  const uint32_t length = Le32(data.data() + at);
  if (length < 4) return fail(static_cast<int64_t>(at), "a length of " + Thousands(length) + " bytes");
  if (length > data.size() - at)
    return fail(static_cast<int64_t>(at), "the block's " + Thousands(length) +
                                              " bytes run past the end of the file (" +
                                              Thousands(static_cast<int64_t>(data.size())) + " bytes)");
  end = at + length;
  size_t p = at + 4;
  while (p < end) {
    if (end - p < 8)
      return fail(static_cast<int64_t>(at), Thousands(static_cast<int64_t>(end - p)) + " bytes left over at byte " +
                                                Thousands(static_cast<int64_t>(p)) + " make no record");
    const uint8_t* r = data.data() + p;
    const RecordHead head{p, static_cast<uint16_t>(Le16(r)), static_cast<uint16_t>(Le16(r + 2)),
                          static_cast<uint16_t>(Le16(r + 4)), static_cast<uint16_t>(Le16(r + 6))};
    const uint64_t bytes = 8 + uint64_t{head.width} * head.height * 2;
    if (bytes > end - p)
      return fail(static_cast<int64_t>(at), "the " + std::to_string(head.width) + " x " +
                                                std::to_string(head.height) + " record at byte " +
                                                Thousands(static_cast<int64_t>(p)) + " runs past the end of the block");
    if (!visit(head)) return fail(static_cast<int64_t>(p), "out of memory");
    p += static_cast<size_t>(bytes);
  }
  return true;
}

}  // namespace

bool ParseTim(TimImage& tim, std::span<const uint8_t> data, Failure* why) {
  FreeTim(tim);
  if (data.size() < 8)
    return FailAt(why, nullptr, 0, "the file ends after %s bytes, inside the 8-byte header",
                  Thousands(static_cast<int64_t>(data.size())).c_str());
  tim.id = Le32(data.data());
  tim.flags = Le32(data.data() + 4);

  size_t imageBlock = 8;
  if (tim.flags & TIM_FLAG_PALETTE) {
    uint32_t count = 0;
    if (!WalkBlock(data, 8, imageBlock, [&](const RecordHead&) { return ++count, true; }, "palette", why))
      return FreeTim(tim), false;
    tim.palettes.resize(count);
    uint32_t i = 0;
    const bool ok = WalkBlock(data, 8, imageBlock, [&](const RecordHead& h) {
      TimPalette& pal = tim.palettes[i++];
      pal.x = h.x, pal.y = h.y, pal.width = h.width, pal.height = h.height;
      const size_t n = size_t{h.width} * h.height;
      if (!pal.colours.Allocate(n)) return false;
      const uint8_t* c = data.data() + h.offset + 8;
      for (size_t k = 0; k < n; ++k) pal.colours[k] = ConvertTimColour(static_cast<uint16_t>(Le16(c + 2 * k)));
      return true;
    });
    if (!ok) return FreeTim(tim), false;
    tim.paletteCount = count;
  }

  size_t end = 0;
  uint32_t count = 0;
  if (!WalkBlock(data, imageBlock, end, [&](const RecordHead&) { return ++count, true; }, "image", why))
    return FreeTim(tim), false;
  if (count == 0) return FreeTim(tim), FailAt(why, "image", static_cast<int64_t>(imageBlock), "no image in the block");
  if (!tim.images.Allocate(count)) return FreeTim(tim), Fail(why, "out of memory");
  uint32_t i = 0;
  WalkBlock(data, imageBlock, end, [&](const RecordHead& h) {
    tim.images[i++] = TimRect{data.data() + h.offset + 8, h.x, h.width, h.y, h.height};
    return true;
  });
  tim.imageCount = count;
  return true;
}

bool LoadTim(TimImage& tim, const char* path, Failure* why) {
  FreeTim(tim);
  const std::string found = FindFileAnyCase(path ? path : "");
  const auto read = [&] {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(found.c_str(), "rb"), std::fclose);
    if (!file) return Fail(why, "cannot be opened");
    if (std::fseek(file.get(), 0, SEEK_END) != 0) return Fail(why, "cannot be read");
    const long size = std::ftell(file.get());
    if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) return Fail(why, "cannot be read");
    if (size == 0) return Fail(why, "the file is empty");
    TrackedBuffer<uint8_t> bytes;
    if (!bytes.Allocate(static_cast<size_t>(size))) return Fail(why, "out of memory");
    if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) return Fail(why, "cannot be read");
    if (!ParseTim(tim, bytes.span(), why)) return false;
    tim.bytes = std::move(bytes);  // the rectangles point into these bytes, which do not move
    return true;
  };
  const bool ok = read();
  if (!ok && why && why->file.empty()) why->file = found;
  return ok;
}

void FreeTim(TimImage& tim) {
  tim.palettes.clear();
  tim.images.Reset();
  tim.bytes.Reset();
  tim.imageCount = tim.paletteCount = 0;
}

int32_t TimBitsPerPixel(const TimImage& tim, uint32_t index) {
  if (tim.flags & TIM_FLAG_PALETTE) {
    if (index >= tim.paletteCount) return -1;
    const uint32_t entries = TimPaletteEntryCount(tim, index);
    return entries == 16 ? 4 : entries == 256 ? 8 : -1;
  }
  switch (tim.flags & 7) {
    case 0: return 4;
    case 1: return 8;
    case 2: return 15;
    case 3: return 24;
    case 4: return 0;
    default: return -1;
  }
}

uint32_t TimImageX(const TimImage& t, uint32_t i) { return i < t.imageCount ? t.images[i].x : 0; }
uint32_t TimImageY(const TimImage& t, uint32_t i) { return i < t.imageCount ? t.images[i].y : 0; }
uint32_t TimImageWidth(const TimImage& t, uint32_t i) { return i < t.imageCount ? t.images[i].width : 0; }
uint32_t TimImageHeight(const TimImage& t, uint32_t i) { return i < t.imageCount ? t.images[i].height : 0; }
const uint8_t* TimImagePixels(const TimImage& t, uint32_t i) { return i < t.imageCount ? t.images[i].pixels : nullptr; }
uint32_t TimPaletteX(const TimImage& t, uint32_t i) { return i < t.paletteCount ? t.palettes[i].x : 0; }
uint32_t TimPaletteY(const TimImage& t, uint32_t i) { return i < t.paletteCount ? t.palettes[i].y : 0; }
uint32_t TimPaletteWidth(const TimImage& t, uint32_t i) { return i < t.paletteCount ? t.palettes[i].width : 0; }
uint32_t TimPaletteHeight(const TimImage& t, uint32_t i) { return i < t.paletteCount ? t.palettes[i].height : 0; }
uint32_t TimPaletteEntryCount(const TimImage& t, uint32_t i) {
  return i < t.paletteCount ? static_cast<uint32_t>(t.palettes[i].colours.size()) : 0;
}
namespace {
uint32_t Colour(const TimImage& t, uint32_t i, uint32_t j) {
  return i < t.paletteCount && j < t.palettes[i].colours.size() ? t.palettes[i].colours[j] : 0;
}
}  // namespace
uint32_t TimPaletteRed(const TimImage& t, uint32_t i, uint32_t j) { return TimColourRed(Colour(t, i, j)); }
uint32_t TimPaletteGreen(const TimImage& t, uint32_t i, uint32_t j) { return TimColourGreen(Colour(t, i, j)); }
uint32_t TimPaletteBlue(const TimImage& t, uint32_t i, uint32_t j) { return TimColourBlue(Colour(t, i, j)); }
uint32_t TimPaletteFlag(const TimImage& t, uint32_t i, uint32_t j) { return TimColourFlag(Colour(t, i, j)); }
