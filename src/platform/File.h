// Checked file operations: standard buffered streams with every misuse
// reported as a warning, and a count of the files open through them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// The file a name means, whatever the case of its letters: files copied from
// Windows and Amiga disks name each other in any case. The name as written
// wins when it exists; otherwise each directory and the file itself may differ
// from an entry of its directory in ASCII case only (among several such, the
// first in byte order is taken, and that is reported). Returns the name as
// written when nothing matches, so a failure names what was asked for.
std::string FindFileAnyCase(std::string_view name);

// Modes that read ("r", "rb", "r+") find the file with FindFileAnyCase.
FILE* FileOpen(const char* name, const char* mode);
void FileClose(FILE* file);
// Both return the number of whole elements transferred (0 after a misuse).
size_t FileRead(void* buffer, size_t elementSize, size_t count, FILE* file);
size_t FileWrite(const void* buffer, size_t elementSize, size_t count, FILE* file);
// origin: 0 start, 1 current, 2 end. Returns 0 on success.
int FileSeek(FILE* file, int64_t offset, int origin);
int64_t FileTell(FILE* file);  // -1 after a misuse
int64_t FileLength(FILE* file);  // keeps the position; -1 after a misuse
bool FileExists(const char* name);  // finds the name as FileOpen does
int32_t OpenFileCount();

// Closes a checked file when the scope is left.
class ScopedFile {
 public:
  explicit ScopedFile(FILE* file) : file_(file) {}
  ~ScopedFile() { Close(); }
  ScopedFile(const ScopedFile&) = delete;
  ScopedFile& operator=(const ScopedFile&) = delete;
  FILE* get() const { return file_; }
  explicit operator bool() const { return file_ != nullptr; }
  // Closes now; false when buffered data could not be written out.
  bool Close() {
    if (!file_) return true;
    const bool flushed = std::fflush(file_) == 0 && !std::ferror(file_);
    FileClose(file_);
    file_ = nullptr;
    return flushed;
  }

 private:
  FILE* file_;
};
