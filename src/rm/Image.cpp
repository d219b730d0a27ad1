#include "rm/Image.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "diag/Dbug.h"

namespace rm {

SurfacePtr DecodeImage(std::span<const uint8_t> data) {
  if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') return DecodeBmp(data);
  if (data.size() >= 2 && data[0] == 'P' && (data[1] == '3' || data[1] == '6')) return DecodePpm(data);
  return DecodeStbImage(data);
}

SurfacePtr LoadImageFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    ReportWarning(DebugFormat("Cannot open image %s", path.c_str()));
    return nullptr;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff length = in.tellg();
  in.seekg(0);
  if (length < 0 || length > (512 << 20)) {
    ReportWarning(DebugFormat("Cannot read image %s", path.c_str()));
    return nullptr;
  }
  std::vector<uint8_t> data(static_cast<size_t>(length));
  if (!in.read(reinterpret_cast<char*>(data.data()), length)) {
    ReportWarning(DebugFormat("Cannot read image %s", path.c_str()));
    return nullptr;
  }
  SurfacePtr surface = DecodeImage(data);
  if (!surface) ReportWarning(DebugFormat("Image %s cannot be decoded", path.c_str()));
  return surface;
}

SurfacePtr DecodeBmp(std::span<const uint8_t>) { return nullptr; }
SurfacePtr DecodePpm(std::span<const uint8_t>) { return nullptr; }
SurfacePtr DecodeStbImage(std::span<const uint8_t>) { return nullptr; }

}  // namespace rm
