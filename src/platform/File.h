// Checked file operations: standard buffered streams with every misuse
// reported as a warning, and a count of the files open through them.
#pragma once

#include <cstdint>
#include <cstdio>

FILE* FileOpen(const char* name, const char* mode);
void FileClose(FILE* file);
// Both return the number of whole elements transferred (0 after a misuse).
size_t FileRead(void* buffer, size_t elementSize, size_t count, FILE* file);
size_t FileWrite(const void* buffer, size_t elementSize, size_t count, FILE* file);
// origin: 0 start, 1 current, 2 end. Returns 0 on success.
int FileSeek(FILE* file, int64_t offset, int origin);
int64_t FileTell(FILE* file);  // -1 after a misuse
int64_t FileLength(FILE* file);  // keeps the position; -1 after a misuse
bool FileExists(const char* name);
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
