#include "writers/ByteWriter.h"

#include <cstring>
#include <fstream>

namespace writers {

ByteWriter& ByteWriter::U1(uint8_t v) {
  bytes_.push_back(v);
  return *this;
}
ByteWriter& ByteWriter::BeU2(uint16_t v) { return U1(static_cast<uint8_t>(v >> 8)).U1(static_cast<uint8_t>(v)); }
ByteWriter& ByteWriter::BeU4(uint32_t v) {
  return BeU2(static_cast<uint16_t>(v >> 16)).BeU2(static_cast<uint16_t>(v));
}
ByteWriter& ByteWriter::BeF4(float v) {
  uint32_t u;
  std::memcpy(&u, &v, 4);
  return BeU4(u);
}
ByteWriter& ByteWriter::LeU2(uint16_t v) { return U1(static_cast<uint8_t>(v)).U1(static_cast<uint8_t>(v >> 8)); }
ByteWriter& ByteWriter::LeU4(uint32_t v) {
  return LeU2(static_cast<uint16_t>(v)).LeU2(static_cast<uint16_t>(v >> 16));
}
ByteWriter& ByteWriter::LeF4(float v) {
  uint32_t u;
  std::memcpy(&u, &v, 4);
  return LeU4(u);
}
ByteWriter& ByteWriter::Text(std::string_view s) {
  bytes_.insert(bytes_.end(), s.begin(), s.end());
  return *this;
}
ByteWriter& ByteWriter::Bytes(const std::vector<uint8_t>& b) {
  bytes_.insert(bytes_.end(), b.begin(), b.end());
  return *this;
}
ByteWriter& ByteWriter::Chunk(std::string_view id, const std::vector<uint8_t>& body) {
  return Text(id.substr(0, 4)).BeU4(static_cast<uint32_t>(body.size())).Bytes(body);
}

bool SaveBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace writers
