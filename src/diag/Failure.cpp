#include "diag/Failure.h"

#include <cstdarg>
#include <cstdio>

namespace {

std::string Vformat(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const int size = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (size <= 0) return {};
  std::string text(static_cast<size_t>(size), '\0');
  std::vsnprintf(text.data(), text.size() + 1, format, args);
  return text;
}

bool Set(Failure* why, const char* chunk, int64_t offset, int32_t line, const char* format, va_list args) {
  if (!why || !why->empty()) return false;
  why->chunk = chunk ? chunk : "";
  why->offset = offset;
  why->line = line;
  why->what = Vformat(format, args);
  if (why->what.empty()) why->what = "failed";
  return false;
}

}  // namespace

std::string Thousands(int64_t value) {
  std::string digits = std::to_string(value < 0 ? -(value + 1) + 1ULL : static_cast<uint64_t>(value));
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return value < 0 ? "-" + out : out;
}

std::string Failure::Text() const {
  std::string where;
  if (!chunk.empty() && offset >= 0) where = chunk + " chunk at byte " + Thousands(offset);
  else if (!chunk.empty()) where = chunk;
  else if (offset >= 0) where = "at byte " + Thousands(offset);
  if (line > 0) where += (where.empty() ? "line " : ", line ") + Thousands(line);
  return where.empty() ? what : where + ": " + what;
}

std::string Failure::FileText() const { return file.empty() ? Text() : file + ": " + Text(); }

bool Fail(Failure* why, const char* format, ...) {
  va_list args;
  va_start(args, format);
  Set(why, nullptr, -1, 0, format, args);
  va_end(args);
  return false;
}

bool FailAt(Failure* why, const char* chunk, int64_t offset, const char* format, ...) {
  va_list args;
  va_start(args, format);
  Set(why, chunk, offset, 0, format, args);
  va_end(args);
  return false;
}

bool FailAtLine(Failure* why, int32_t line, const char* format, ...) {
  va_list args;
  va_start(args, format);
  Set(why, nullptr, -1, line, format, args);
  va_end(args);
  return false;
}
