#include "rm/Image.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <vector>

#include "diag/Dbug.h"
#include "platform/File.h"

// PNG, JPEG and TGA only; images are bounded like our own surfaces.
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS (rm::MAX_IMAGE_SIDE)
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace rm {

SurfacePtr DecodeImage(std::span<const uint8_t> data, Failure* why) {
  if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') return DecodeBmp(data, why);
  if (data.size() >= 2 && data[0] == 'P' && (data[1] == '3' || data[1] == '6')) return DecodePpm(data, why);
  return DecodeStbImage(data, why);
}

SurfacePtr LoadImageFile(const std::string& path, Failure* why) {
  const auto fail = [&](const char* what) -> SurfacePtr {
    Fail(why, "%s", what);
    if (why && why->file.empty()) why->file = path;
    return nullptr;
  };
  std::ifstream in(FindFileAnyCase(path), std::ios::binary);
  if (!in) {
    ReportWarning(DebugFormat("Cannot open image %s", path.c_str()));
    return fail("cannot be opened");
  }
  in.seekg(0, std::ios::end);
  const std::streamoff length = in.tellg();
  in.seekg(0);
  if (length < 0 || length > (512 << 20)) {
    ReportWarning(DebugFormat("Cannot read image %s", path.c_str()));
    return fail(length < 0 ? "cannot be read" : "larger than 512 MB");
  }
  std::vector<uint8_t> data(static_cast<size_t>(length));
  if (!in.read(reinterpret_cast<char*>(data.data()), length)) {
    ReportWarning(DebugFormat("Cannot read image %s", path.c_str()));
    return fail("cannot be read");
  }
  SurfacePtr surface = DecodeImage(data, why);
  if (!surface) {
    ReportWarning(DebugFormat("Image %s cannot be decoded", path.c_str()));
    return fail("cannot be decoded");
  }
  return surface;
}

namespace {

SurfacePtr Refuse(Failure* why, const char* kind, const char* reason) {
  const std::string text = reason;  // `reason` may live in the shared format buffer
  ReportWarning(DebugFormat("%s refused: %s", kind, text.c_str()));
  Fail(why, "%s", text.c_str());
  return nullptr;
}

// PPM header and text samples: numbers separated by white space, with
// comments from '#' to the end of the line.
class PpmReader {
 public:
  explicit PpmReader(std::span<const uint8_t> data) : data_(data) {}
  bool Number(uint32_t* value) {
    for (;;) {
      while (at_ < data_.size() && std::isspace(data_[at_])) ++at_;
      if (at_ < data_.size() && data_[at_] == '#') {
        while (at_ < data_.size() && data_[at_] != '\n') ++at_;
        continue;
      }
      break;
    }
    uint64_t v = 0;
    const size_t start = at_;
    while (at_ < data_.size() && std::isdigit(data_[at_]) && v <= 0xFFFFFFFFu) v = v * 10 + (data_[at_++] - '0');
    if (at_ == start || v > 0xFFFFFFFFu) return false;
    *value = static_cast<uint32_t>(v);
    return true;
  }
  size_t at() const { return at_; }
  void Skip(size_t n) { at_ += n; }

 private:
  std::span<const uint8_t> data_;
  size_t at_ = 0;
};

}  // namespace

SurfacePtr DecodePpm(std::span<const uint8_t> data, Failure* why) {
  if (data.size() < 2 || data[0] != 'P' || (data[1] != '3' && data[1] != '6')) return Refuse(why, "PPM", "no P3 or P6 magic");
  const bool binary = data[1] == '6';
  PpmReader in(data);
  in.Skip(2);
  uint32_t width, height, maximum;
  if (!in.Number(&width) || !in.Number(&height) || !in.Number(&maximum)) return Refuse(why, "PPM", "truncated header");
  if (maximum == 0 || maximum > 65535) return Refuse(why, "PPM", DebugFormat("maximum value %u", maximum));
  if (Failure size; !ImageSizeAllowed(width, height, &size)) return Refuse(why, "PPM", size.what.c_str());
  const size_t sampleBytes = maximum > 255 ? 2 : 1;
  const size_t samples = static_cast<size_t>(width) * height * 3;
  size_t at = in.at() + 1;  // one white-space character ends the header
  if (binary && (in.at() >= data.size() || at > data.size() || samples * sampleBytes > data.size() - at))
    return Refuse(why, "PPM", "truncated pixel data");
  if (!binary && samples > data.size()) return Refuse(why, "PPM", "truncated pixel data");
  SurfacePtr s = Surface::Create(width, height, PixelFormat::Rgb(24));
  if (!s) return Refuse(why, "PPM", "no surface");
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      uint32_t rgb[3];
      for (uint32_t& c : rgb) {
        if (binary) {
          c = sampleBytes == 2 ? (data[at] << 8 | data[at + 1]) : data[at];
          at += sampleBytes;
        } else if (!in.Number(&c)) {
          return Refuse(why, "PPM", "truncated pixel data");
        }
        c = (std::min(c, maximum) * 255 + maximum / 2) / maximum;
      }
      s->SetPixel(x, y, rgb[0] << 16 | rgb[1] << 8 | rgb[2]);
    }
  }
  return s;
}

SurfacePtr DecodeStbImage(std::span<const uint8_t> data, Failure* why) {
  if (data.empty() || data.size() > static_cast<size_t>(INT32_MAX)) return Refuse(why, "Image", "empty or too large");
  int width = 0, height = 0, channels = 0;
  // A small file may claim a huge image; ask its size before decoding.
  if (!stbi_info_from_memory(data.data(), static_cast<int>(data.size()), &width, &height, &channels))
    return Refuse(why, "Image", stbi_failure_reason());
  if (Failure size; !ImageSizeAllowed(width, height, &size)) return Refuse(why, "Image", size.what.c_str());
  stbi_uc* pixels =
      stbi_load_from_memory(data.data(), static_cast<int>(data.size()), &width, &height, &channels, 4);
  if (!pixels) return Refuse(why, "Image", stbi_failure_reason());
  std::unique_ptr<stbi_uc, void (*)(void*)> owner(pixels, stbi_image_free);
  SurfacePtr s = Surface::Create(static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                                 PixelFormat::Rgb(32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000));
  if (!s) return Refuse(why, "Image", "no surface");
  const stbi_uc* p = pixels;
  for (uint32_t y = 0; y < s->GetHeight(); ++y) {
    for (uint32_t x = 0; x < s->GetWidth(); ++x, p += 4)
      s->SetPixel(x, y, static_cast<uint32_t>(p[3]) << 24 | p[0] << 16 | p[1] << 8 | p[2]);
  }
  return s;
}

}  // namespace rm
