// Why an operation on input failed, as data the caller can show: what went
// wrong and where. Loaders fill one when they are handed one; the developer
// reports they make on the way stay as they are.
#pragma once

#include <cstdint>
#include <string>

struct Failure {
  std::string file;     // the file as the caller named it; empty for memory input
  std::string chunk;    // "POLS" for a chunk of an IFF file, a section name in text files
  int64_t offset = -1;  // byte offset in the file, -1 when it does not apply
  int32_t line = 0;     // 1-based line of a text file, 0 when it does not apply
  std::string what;     // "polygon 17 names point 3,000 of 2,400"

  bool empty() const { return what.empty(); }
  // "POLS chunk at byte 1,204: polygon 17 names point 3,000 of 2,400",
  // "line 12: ..." or the bare text; the file is left to the caller.
  std::string Text() const;
  // Text() behind the file name: "ball.lwo: POLS chunk at byte 1,204: ...".
  std::string FileText() const;
};

// Fills *why (when there is one, and only when it holds no reason yet, so the
// innermost reason wins) and returns false, so a failing path reads
// `return Fail(why, "...")`. printf formatting.
bool Fail(Failure* why, const char* format, ...) __attribute__((format(printf, 2, 3)));
bool FailAt(Failure* why, const char* chunk, int64_t offset, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
bool FailAtLine(Failure* why, int32_t line, const char* format, ...) __attribute__((format(printf, 3, 4)));

// 1204 -> "1,204": counts and offsets in reasons are read by people.
std::string Thousands(int64_t value);
