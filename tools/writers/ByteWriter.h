// Byte-level helpers shared by the file writers: numbers and text appended in
// either byte order, and a whole-file save that says whether it worked.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace writers {

class ByteWriter {
 public:
  ByteWriter& U1(uint8_t v);
  ByteWriter& BeU2(uint16_t v);
  ByteWriter& BeI2(int16_t v) { return BeU2(static_cast<uint16_t>(v)); }
  ByteWriter& BeU4(uint32_t v);
  ByteWriter& BeF4(float v);
  ByteWriter& LeU2(uint16_t v);
  ByteWriter& LeI2(int16_t v) { return LeU2(static_cast<uint16_t>(v)); }
  ByteWriter& LeU4(uint32_t v);
  ByteWriter& LeI4(int32_t v) { return LeU4(static_cast<uint32_t>(v)); }
  ByteWriter& LeF4(float v);
  ByteWriter& Text(std::string_view s);   // the characters only
  ByteWriter& Bytes(const std::vector<uint8_t>& b);
  // An IFF chunk: id, big-endian size, body (no pad byte added).
  ByteWriter& Chunk(std::string_view id, const std::vector<uint8_t>& body);
  const std::vector<uint8_t>& bytes() const { return bytes_; }
  size_t size() const { return bytes_.size(); }

 private:
  std::vector<uint8_t> bytes_;
};

// Writes the whole file; false when it could not be created or written.
bool SaveBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace writers
