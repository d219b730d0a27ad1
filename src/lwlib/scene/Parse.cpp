#include "lwlib/scene/Parse.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "diag/Dbug.h"

namespace {

struct DelimiterEntry {
  char character;
  DelimiterEntry* next;
};

DelimiterEntry* g_delimiters = nullptr;
// How many entries each character has in the list, so IsDelimiter (called for
// every character of a scene file) does not walk the list.
std::array<uint16_t, 256> g_delimiterCount{};

uint8_t Index(char c) { return static_cast<uint8_t>(c); }

TokenSpot g_lastSpot;

}  // namespace

bool AddDelimiter(char c) {
  if (IsDelimiter(c)) return true;
  auto* entry = static_cast<DelimiterEntry*>(TrackedAlloc(sizeof(DelimiterEntry)));
  if (!entry) return false;
  entry->character = c;
  entry->next = g_delimiters;
  g_delimiters = entry;
  ++g_delimiterCount[Index(c)];
  return true;
}

bool RemoveDelimiter(char c) {
  if (c == 0) {
    while (g_delimiters) {
      DelimiterEntry* next = g_delimiters->next;
      TrackedFree(g_delimiters);
      g_delimiters = next;
    }
    g_delimiterCount.fill(0);
    return true;
  }
  for (DelimiterEntry** link = &g_delimiters; *link; link = &(*link)->next) {
    if ((*link)->character == c) {
      DelimiterEntry* gone = *link;
      *link = gone->next;
      TrackedFree(gone);
      --g_delimiterCount[Index(c)];
      return true;
    }
  }
  return false;
}

bool IsDelimiter(char c) { return g_delimiterCount[Index(c)] != 0; }

TokenSpot LastTokenSpot() { return g_lastSpot; }

bool GetToken(char* token, const char* text, uint32_t& position) {
  token[0] = 0;
  const char* p = text + position;
  uint32_t n = 0;
  uint32_t kept = 0;
  g_lastSpot = {position, true};
  if (*p == TEXT_END) return false;
  while (IsDelimiter(*p)) {
    ++p;
    ++n;
    if (*p == TEXT_END) return g_lastSpot.start = position + n, false;
  }
  g_lastSpot.start = position + n;
  while (!IsDelimiter(*p)) {
    if (kept < TOKEN_BUFFER_SIZE - 1) token[kept++] = *p;
    ++p;
    ++n;
    if (*p == TEXT_END) {
      token[kept] = 0;
      return false;
    }
  }
  token[kept] = 0;
  position += n;
  g_lastSpot.ended = false;
  return true;
}

bool GetLine(char* line, const char* text, uint32_t& position) {
  line[0] = 0;
  g_lastSpot = {position, true};
  if (text[position] == TEXT_END) return false;
  while (IsDelimiter(text[position])) {
    ++position;
    g_lastSpot.start = position;
    if (text[position] == TEXT_END) return false;
  }
  g_lastSpot.start = position;
  uint32_t kept = 0;
  for (;;) {
    const char c = text[position];
    if (c == TEXT_END) {
      line[kept] = 0;
      return false;
    }
    if (c == '\n' || c == '\r') break;
    if (kept < TOKEN_BUFFER_SIZE - 1) line[kept++] = c;
    ++position;
  }
  line[kept] = 0;
  g_lastSpot.ended = false;
  return true;
}

bool GetInt(int32_t& value, const char* text, uint32_t& position) {
  char token[TOKEN_BUFFER_SIZE];
  GetToken(token, text, position);
  if (!IsInteger(token)) return false;
  value = static_cast<int32_t>(std::strtol(token, nullptr, 10));
  return true;
}

bool GetFloat(float& value, const char* text, uint32_t& position) {
  char token[TOKEN_BUFFER_SIZE];
  GetToken(token, text, position);
  if (!IsFloat(token)) return false;
  const double d = std::strtod(token, nullptr);
  // Narrowing a double beyond the float range is undefined; such values
  // become the infinity of their sign, as the hardware conversion gives.
  if (d > std::numeric_limits<float>::max()) {
    value = std::numeric_limits<float>::infinity();
  } else if (d < -std::numeric_limits<float>::max()) {
    value = -std::numeric_limits<float>::infinity();
  } else {
    value = static_cast<float>(d);
  }
  return true;
}

bool MatchToken(const char* text, const char* keyword, uint32_t& position) {
  char token[TOKEN_BUFFER_SIZE];
  GetToken(token, text, position);
  return std::strcmp(token, keyword) == 0;
}

bool IsInteger(const char* s) {
  int minus = 0;
  for (; *s; ++s) {
    if (*s == '-') {
      if (++minus > 1) return false;
    } else if (*s < '0' || *s > '9') {
      return false;
    }
  }
  return true;
}

bool IsFloat(const char* s) {
  int points = 0, minus = 0, exponents = 0;
  for (; *s; ++s) {
    const char c = *s;
    if (c == '.') {
      if (++points == 2) return false;
    } else if (c == '-') {
      if (++minus == 3) return false;
    } else if (c == 'e' || c == 'E') {
      if (++exponents == 2) return false;
    } else if (c < '0' || c > '9') {
      return false;
    }
  }
  return minus < 2 || exponents == 1;
}

int32_t FindKeyword(const char* const* table, const char* token, int32_t count) {
  for (int32_t i = 0; i < count; ++i)
    if (std::strcmp(table[i], token) == 0) return i;
  return count;
}
