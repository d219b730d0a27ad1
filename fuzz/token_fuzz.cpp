// Runs every token function over arbitrary text. The input becomes a text
// buffer with its end marker; the first byte picks the delimiter set.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "diag/Dbug.h"
#include "lwlib/scene/Parse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  RemoveDelimiter(0);
  for (char c : {' ', '\t', '\n', '\r'}) AddDelimiter(c);
  if (data[0] & 1) AddDelimiter(',');
  if (data[0] & 2) RemoveDelimiter(' ');
  std::vector<char> text(data + 1, data + size);
  text.push_back(TEXT_END);

  char token[TOKEN_BUFFER_SIZE];
  uint32_t position = 0;
  // Each round moves the position forward or ends: the functions must never
  // read past the end marker, whatever the text.
  for (int round = 0; round < 100000 && text[position] != TEXT_END; ++round) {
    const uint32_t before = position;
    int32_t i;
    float f;
    switch ((before + round) % 5) {
      case 0: GetToken(token, text.data(), position); break;
      case 1: GetLine(token, text.data(), position); break;
      case 2: GetInt(i, text.data(), position); break;
      case 3: GetFloat(f, text.data(), position); break;
      case 4: MatchToken(text.data(), "LoadObject", position); break;
    }
    if (position >= text.size()) std::abort();
    if (position == before) ++position;  // step over a token that would not end
    IsInteger(token);
    IsFloat(token);
  }
  RemoveDelimiter(0);
  if (ReportUnfreedMemory() != 0) std::abort();
  return 0;
}
