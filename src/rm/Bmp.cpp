// Windows bitmap decoder. Keeps what the texture code needs to see: the bit
// depth, the colour table of indexed images and the channel masks. Every read
// is checked against the data, so a short or lying file is refused, never
// read past.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "diag/Dbug.h"
#include "rm/Image.h"

namespace rm {

namespace {

enum : uint32_t {
  BI_RGB = 0,
  BI_RLE8 = 1,
  BI_RLE4 = 2,
  BI_BITFIELDS = 3,
  BI_ALPHABITFIELDS = 6,
};

class Reader {
 public:
  explicit Reader(std::span<const uint8_t> data) : data_(data) {}
  bool Has(size_t at, size_t count) const { return at <= data_.size() && count <= data_.size() - at; }
  uint16_t U2(size_t at) const { return static_cast<uint16_t>(data_[at] | data_[at + 1] << 8); }
  uint32_t U4(size_t at) const {
    return data_[at] | data_[at + 1] << 8 | data_[at + 2] << 16 | static_cast<uint32_t>(data_[at + 3]) << 24;
  }
  int32_t I4(size_t at) const { return static_cast<int32_t>(U4(at)); }
  const uint8_t* At(size_t at) const { return data_.data() + at; }
  size_t size() const { return data_.size(); }

 private:
  std::span<const uint8_t> data_;
};

SurfacePtr Refuse(Failure* why, const char* reason) {
  const std::string text = reason;  // `reason` may live in the shared format buffer
  ReportWarning(DebugFormat("Bitmap refused: %s", text.c_str()));
  Fail(why, "%s", text.c_str());
  return nullptr;
}

// Run-length decoding into an indexed surface (zeroed, so skipped pixels are
// index 0 and cost nothing). Rows run bottom-up as in the file; pixels past
// the right edge are dropped. Runs are filled a row span at a time: a few
// hundred bytes may declare millions of pixels. Returns false when the data
// ends before the end-of-bitmap mark or the last row.
bool DecodeRle(const Reader& in, size_t at, bool four, Surface& s) {
  const uint32_t width = s.GetWidth(), height = s.GetHeight();
  uint32_t x = 0, row = 0;  // row counts from the bottom
  auto put = [&](uint32_t value) {
    if (x < width && row < height) s.SetPixel(x, height - 1 - row, value);
    ++x;
  };
  // `count` pixels alternating `first` and `second` (the same for RLE8).
  auto run = [&](uint32_t count, uint8_t first, uint8_t second) {
    if (x < width && row < height) {
      uint32_t n = std::min(count, width - x), px = x;
      uint8_t* line = s.Row(height - 1 - row).data();
      if (!four) {
        std::memset(line + px, first, n);
      } else {
        if (px % 2) {  // a run starting at an odd pixel begins in a low nibble
          line[px / 2] = static_cast<uint8_t>((line[px / 2] & 0xF0) | first);
          std::swap(first, second);
          ++px, --n;
        }
        std::memset(line + px / 2, first << 4 | second, n / 2);
        if (n % 2) line[(px + n) / 2] = static_cast<uint8_t>((line[(px + n) / 2] & 0x0F) | first << 4);
      }
    }
    x += count;
  };
  while (row < height) {
    if (!in.Has(at, 2)) return false;
    const uint8_t count = *in.At(at), value = *in.At(at + 1);
    at += 2;
    if (count > 0) {
      if (four)
        run(count, value >> 4, value & 0x0F);
      else
        run(count, value, value);
      if (x > 65535) x = 65535;
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0, ++row;
        break;
      case 1:  // end of bitmap
        return true;
      case 2:  // delta
        if (!in.Has(at, 2)) return false;
        x += *in.At(at), row += *in.At(at + 1);
        at += 2;
        break;
      default: {  // absolute run of `value` pixels, padded to a word
        const size_t bytes = four ? (value + 1u) / 2 : value;
        if (!in.Has(at, bytes)) return false;
        for (uint32_t i = 0; i < value; ++i) {
          const uint8_t b = *in.At(at + (four ? i / 2 : i));
          put(four ? (i % 2 ? b & 0x0F : b >> 4) : b);
        }
        at += (bytes + 1) & ~size_t{1};
      }
    }
    if (x > 65535) x = 65535;  // a long run of deltas cannot overflow
  }
  return true;
}

}  // namespace

SurfacePtr DecodeBmp(std::span<const uint8_t> data, Failure* why) {
  const Reader in(data);
  if (!in.Has(0, 18) || data[0] != 'B' || data[1] != 'M') return Refuse(why, "no BM file header");
  const uint32_t offBits = in.U4(10);
  const uint32_t headerSize = in.U4(14);
  if (headerSize != 12 && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
      headerSize != 124)
    return Refuse(why, DebugFormat("unknown info header of %u bytes", headerSize));
  if (!in.Has(14, headerSize)) return Refuse(why, "truncated info header");

  int64_t width, height;
  uint32_t bits, compression = BI_RGB, colorsUsed = 0;
  uint32_t masks[4] = {0, 0, 0, 0};
  size_t tableAt = 14 + headerSize, entrySize = 4;
  if (headerSize == 12) {
    width = in.U2(18), height = static_cast<int16_t>(in.U2(20)), bits = in.U2(24);
    entrySize = 3;
  } else {
    width = in.I4(18), height = in.I4(22), bits = in.U2(28);
    compression = in.U4(30);
    colorsUsed = in.U4(46);
    const bool fields = compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS;
    if (fields) {
      const size_t maskCount = compression == BI_ALPHABITFIELDS || headerSize >= 56 ? 4 : 3;
      // The masks are part of the larger headers and follow the 40-byte one.
      const size_t masksAt = 54;
      if (!in.Has(masksAt, maskCount * 4)) return Refuse(why, "truncated colour masks");
      for (size_t i = 0; i < maskCount; ++i) masks[i] = in.U4(masksAt + 4 * i);
      if (headerSize == 40) tableAt += (compression == BI_ALPHABITFIELDS ? 16 : 12);
    }
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (Failure size; !ImageSizeAllowed(width, height, &size)) return Refuse(why, size.what.c_str());
  const bool indexed = bits == 1 || bits == 4 || bits == 8;
  if (!indexed && bits != 16 && bits != 24 && bits != 32)
    return Refuse(why, DebugFormat("%u bits per pixel", bits));
  switch (compression) {
    case BI_RGB:
      break;
    case BI_RLE8:
    case BI_RLE4:
      if (bits != (compression == BI_RLE8 ? 8u : 4u)) return Refuse(why, "run-length coding of the wrong depth");
      if (topDown) return Refuse(why, "a top-down bitmap cannot be run-length coded");
      break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
      if (bits != 16 && bits != 32) return Refuse(why, "bit fields on a depth other than 16 or 32");
      if ((masks[0] | masks[1] | masks[2]) == 0) return Refuse(why, "bit fields without masks");
      break;
    default:
      return Refuse(why, DebugFormat("compression %u", compression));
  }

  PixelFormat format;
  PalettePtr palette;
  if (indexed) {
    const uint32_t maximum = 1u << bits;
    uint32_t count = colorsUsed == 0 ? maximum : std::min(colorsUsed, maximum);
    // Writers of the smaller headers often store a short table; it ends
    // where the pixels begin.
    if (offBits > tableAt) count = std::min<uint32_t>(count, static_cast<uint32_t>((offBits - tableAt) / entrySize));
    if (count == 0) return Refuse(why, "no colour table");
    if (!in.Has(tableAt, count * entrySize)) return Refuse(why, "truncated colour table");
    std::vector<PaletteEntry> entries(count);
    for (uint32_t i = 0; i < count; ++i) {
      const uint8_t* e = in.At(tableAt + i * entrySize);
      entries[i] = {e[2], e[1], e[0], 0};
    }
    palette = std::make_shared<Palette>(Palette::CapsForCount(count), entries);
    format = PixelFormat::Indexed(bits);
  } else if (compression == BI_RGB) {
    format = PixelFormat::Rgb(bits);  // 5-5-5 or 8-8-8, the top byte of 32 unused
  } else {
    format = PixelFormat::Rgb(bits, masks[0], masks[1], masks[2], masks[3]);
  }

  if (offBits >= data.size()) return Refuse(why, "no pixel data");
  // Uncompressed pixels must all be there before any memory is taken for
  // them; the last row may lack its padding.
  const size_t stride = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
  const size_t rows = static_cast<size_t>(height);
  const bool rle = compression == BI_RLE8 || compression == BI_RLE4;
  if (!rle && !in.Has(offBits, stride * (rows - 1) + (static_cast<size_t>(width) * bits + 7) / 8))
    return Refuse(why, "truncated pixel data");

  SurfacePtr s = Surface::Create(static_cast<uint32_t>(width), static_cast<uint32_t>(height), format);
  if (!s) return Refuse(why, "no surface");
  s->SetPalette(palette);

  if (rle) {
    if (!DecodeRle(in, offBits, compression == BI_RLE4, *s)) return Refuse(why, "truncated run-length data");
    return s;
  }
  // The surface's rows are laid out exactly as the file's.
  for (size_t r = 0; r < rows; ++r) {
    const size_t fileRow = topDown ? r : rows - 1 - r;
    const size_t at = offBits + fileRow * stride;
    const size_t n = std::min(stride, data.size() - at);  // the last row may lack its padding
    std::memcpy(s->Row(static_cast<uint32_t>(r)).data(), in.At(at), n);
  }
  return s;
}

}  // namespace rm
