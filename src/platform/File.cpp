#include "platform/File.h"

#include "diag/Dbug.h"

namespace {
int32_t g_openFiles = 0;
}

FILE* FileOpen(const char* name, const char* mode) {
  FILE* file = (name && mode) ? std::fopen(name, mode) : nullptr;
  if (!file) {
    ReportWarning(DebugFormat("Could not open file %s - mode %s", name ? name : "", mode ? mode : ""));
    return nullptr;
  }
  ++g_openFiles;
  return file;
}

void FileClose(FILE* file) {
  if (!file) {
    ReportWarning("Attempt to close a NULL file handle");
    return;
  }
  std::fclose(file);
  --g_openFiles;
}

size_t FileRead(void* buffer, size_t elementSize, size_t count, FILE* file) {
  bool ok = true;
  if (!buffer) {
    ReportWarning("Attempt to fread into an empty buffer");
    ok = false;
  }
  if (!file) {
    ReportWarning("Attempt to fread from a NULL file handle");
    ok = false;
  }
  return ok ? std::fread(buffer, elementSize, count, file) : 0;
}

size_t FileWrite(const void* buffer, size_t elementSize, size_t count, FILE* file) {
  bool ok = true;
  if (!buffer) {
    ReportWarning("Attempt to fwrite into an empty buffer");
    ok = false;
  }
  if (!file) {
    ReportWarning("Attempt to fwrite from a NULL file handle");
    ok = false;
  }
  return ok ? std::fwrite(buffer, elementSize, count, file) : 0;
}

int FileSeek(FILE* file, int64_t offset, int origin) {
  if (!file) {
    ReportWarning("Attempt to fseek with a NULL file handle");
    return -1;
  }
  const int whence = origin == 1 ? SEEK_CUR : origin == 2 ? SEEK_END : SEEK_SET;
  return fseeko(file, static_cast<off_t>(offset), whence);
}

int64_t FileTell(FILE* file) {
  if (!file) {
    ReportWarning("Attempt to ftell with a NULL file handle");
    return -1;
  }
  return ftello(file);
}

int64_t FileLength(FILE* file) {
  if (!file) {
    ReportWarning("Attempt to flen with a NULL file handle");
    return -1;
  }
  const int64_t position = FileTell(file);
  FileSeek(file, 0, 2);
  const int64_t length = FileTell(file);
  FileSeek(file, position, 0);
  return length;
}

bool FileExists(const char* name) {
  if (!name) return false;
  FILE* file = std::fopen(name, "rb");
  if (!file) return false;
  std::fclose(file);
  return true;
}

int32_t OpenFileCount() { return g_openFiles; }
