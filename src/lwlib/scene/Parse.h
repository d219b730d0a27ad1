// The tokenizer under the scene parser: tokens cut at a process-wide set of
// delimiter characters, whole lines, and validated numbers. Texts end with
// TEXT_END; positions are byte offsets the caller owns.
#pragma once

#include <cstdint>

inline constexpr char TEXT_END = static_cast<char>(0xFF);
// Every output buffer handed to these functions holds this many bytes, so a
// token or line keeps at most 1023 characters. Longer ones are cut: the
// output keeps the first 1023 characters, and the position still moves past
// the whole token or line.
inline constexpr uint32_t TOKEN_BUFFER_SIZE = 1024;

bool AddDelimiter(char c);
// c != 0: removes the newest entry for c (false when there is none).
// c == 0: empties the whole set.
bool RemoveDelimiter(char c);
bool IsDelimiter(char c);

// Where the last token or line read began (an offset into its text), and
// whether the text ended before one was whole: what a caller points at when
// a value does not read.
struct TokenSpot {
  uint32_t start = 0;
  bool ended = false;
};
TokenSpot LastTokenSpot();

bool GetToken(char* token, const char* text, uint32_t& position);
bool GetLine(char* line, const char* text, uint32_t& position);
bool GetInt(int32_t& value, const char* text, uint32_t& position);
bool GetFloat(float& value, const char* text, uint32_t& position);
bool MatchToken(const char* text, const char* keyword, uint32_t& position);
bool IsInteger(const char* s);
bool IsFloat(const char* s);
int32_t FindKeyword(const char* const* table, const char* token, int32_t count);
