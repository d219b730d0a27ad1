#include "writers/LwobWriter.h"

#include <cstdio>

#include "writers/ByteWriter.h"

namespace writers {

namespace {
std::vector<uint8_t> PaddedName(const std::string& text) {
  std::vector<uint8_t> b(text.begin(), text.end());
  b.push_back(0);
  if (b.size() % 2) b.push_back(0);
  return b;
}

std::vector<uint8_t> PolygonWords(const std::vector<LwobPolygon>& polygons) {
  ByteWriter w;
  for (const LwobPolygon& p : polygons) {
    w.BeU2(static_cast<uint16_t>(p.points.size()));
    for (uint16_t i : p.points) w.BeU2(i);
    w.BeI2(p.surface);
  }
  return w.bytes();
}
}  // namespace

LwobSurface& LwobSurface::Sub(const std::string& id, const std::vector<uint8_t>& data) {
  ByteWriter w;
  w.Text(id.substr(0, 4)).BeU2(static_cast<uint16_t>(data.size())).Bytes(data);
  subs_.insert(subs_.end(), w.bytes().begin(), w.bytes().end());
  return *this;
}
LwobSurface& LwobSurface::U2(const std::string& id, uint16_t value) { return Sub(id, ByteWriter().BeU2(value).bytes()); }
LwobSurface& LwobSurface::F4(const std::string& id, float value) { return Sub(id, ByteWriter().BeF4(value).bytes()); }
LwobSurface& LwobSurface::Vec(const std::string& id, float x, float y, float z) {
  return Sub(id, ByteWriter().BeF4(x).BeF4(y).BeF4(z).bytes());
}
LwobSurface& LwobSurface::Name(const std::string& id, const std::string& text) { return Sub(id, PaddedName(text)); }
std::vector<uint8_t> LwobSurface::Body() const {
  std::vector<uint8_t> b = PaddedName(name_);
  b.insert(b.end(), subs_.begin(), subs_.end());
  return b;
}

LwobWriter& LwobWriter::Chunk(const std::string& id, const std::vector<uint8_t>& body) {
  ByteWriter w;
  w.Chunk(id, body);
  chunks_.insert(chunks_.end(), w.bytes().begin(), w.bytes().end());
  return *this;
}

LwobWriter& LwobWriter::Points(const std::vector<std::array<float, 3>>& points) {
  ByteWriter w;
  for (const auto& p : points) w.BeF4(p[0]).BeF4(p[1]).BeF4(p[2]);
  return Chunk("PNTS", w.bytes());
}

LwobWriter& LwobWriter::SurfaceNames(const std::vector<std::string>& names) {
  std::vector<uint8_t> b;
  for (const std::string& n : names) {
    const std::vector<uint8_t> p = PaddedName(n);
    b.insert(b.end(), p.begin(), p.end());
  }
  return Chunk("SRFS", b);
}

LwobWriter& LwobWriter::Polygons(const std::vector<LwobPolygon>& polygons) {
  return Chunk("POLS", PolygonWords(polygons));
}
LwobWriter& LwobWriter::Curves(const std::vector<LwobPolygon>& curves) { return Chunk("CRVS", PolygonWords(curves)); }
LwobWriter& LwobWriter::Surface(const LwobSurface& surface) { return Chunk("SURF", surface.Body()); }

LwobWriter& LwobWriter::UvImages(const std::vector<std::string>& names) {
  std::vector<uint8_t> b;
  for (const std::string& n : names) {
    b.insert(b.end(), n.begin(), n.end());
    b.push_back(0);
    if ((n.size() + 1) % 2 == 0) b.push_back(0);
  }
  return Chunk("UVIM", b);
}

LwobWriter& LwobWriter::UvCoordinates(const std::vector<std::vector<std::array<float, 2>>>& polygons) {
  ByteWriter w;
  int16_t index = 0;
  for (const auto& pairs : polygons) {
    w.BeI2(index++).BeI2(static_cast<int16_t>(pairs.size()));
    for (const auto& uv : pairs) w.BeF4(uv[0]).BeF4(uv[1]).BeU4(0);
  }
  return Chunk("UVCV", w.bytes());
}

std::vector<uint8_t> LwobWriter::Bytes() const {
  ByteWriter w;
  w.Text("FORM").BeU4(static_cast<uint32_t>(chunks_.size() + 4)).Text("LWOB").Bytes(chunks_);
  return w.bytes();
}

bool LwobWriter::Save(const std::string& path) const { return SaveBytes(path, Bytes()); }

std::vector<std::array<float, 3>> CubePoints() {
  return {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}};
}

std::vector<LwobPolygon> CubeFaces(int16_t surface) {
  return {{{0, 3, 2, 1}, surface}, {{4, 5, 6, 7}, surface}, {{0, 1, 5, 4}, surface},
          {{2, 3, 7, 6}, surface}, {{1, 2, 6, 5}, surface}, {{0, 4, 7, 3}, surface}};
}

std::string UvFileText(int kind, const std::vector<std::string>& surfaceNames,
                       const std::vector<std::string>& imageNames, const std::vector<UvFilePolygon>& polygons) {
  std::string t = std::to_string(kind) + "\n" + std::to_string(surfaceNames.size()) + "\n";
  for (const std::string& n : surfaceNames) t += n + "\n";
  for (const std::string& n : imageNames) t += n + "\n";
  t += std::to_string(polygons.size()) + "\n";
  for (const UvFilePolygon& p : polygons) {
    const int corners = p.declaredCorners >= 0 ? p.declaredCorners : static_cast<int>(p.pairs.size());
    t += std::to_string(p.number) + " " + std::to_string(corners) + "\n";
    for (const auto& uv : p.pairs) {
      char line[96];
      std::snprintf(line, sizeof line, "%.9g %.9g 0\n", static_cast<double>(uv[0]), static_cast<double>(uv[1]));
      t += line;
    }
  }
  return t;
}

}  // namespace writers
