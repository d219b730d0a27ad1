#include "platform/File.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "diag/Dbug.h"

namespace {
int32_t g_openFiles = 0;

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
           return lower(x) == lower(y);
         });
}

// The entry of `directory` (with its trailing '/', or empty for the current
// one) that `part` names in any case, or empty.
std::string MatchEntry(const std::string& directory, std::string_view part, bool wantDirectory) {
  namespace fs = std::filesystem;
  std::vector<std::string> matches;
  std::error_code ec;
  for (fs::directory_iterator it(directory.empty() ? fs::path(".") : fs::path(directory), ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string entry = it->path().filename().string();
    std::error_code typeError;
    if (SameIgnoringCase(entry, part) && it->is_directory(typeError) == wantDirectory) matches.push_back(entry);
  }
  if (matches.empty()) return {};
  std::sort(matches.begin(), matches.end());
  if (matches.size() > 1) {
    const std::string wanted(part);
    ReportWarning(DebugFormat("%zu names in %s match %s in any case; %s is used", matches.size(),
                              directory.empty() ? "." : directory.c_str(), wanted.c_str(), matches[0].c_str()));
  }
  return matches[0];
}
}  // namespace

std::string FindFileAnyCase(std::string_view name) {
  std::string written(name);
  std::error_code ec;
  if (name.empty() || std::filesystem::exists(written, ec)) return written;
  std::string resolved;
  size_t at = 0;
  while (at < name.size()) {
    size_t end = name.find('/', at);
    if (end == std::string_view::npos) end = name.size();
    const std::string_view part = name.substr(at, end - at);
    const bool last = end == name.size();
    std::string next = resolved + std::string(part);
    if (!part.empty() && part != "." && part != ".." && !std::filesystem::exists(next, ec)) {
      const std::string entry = MatchEntry(resolved, part, !last);
      if (entry.empty()) return written;
      next = resolved + entry;
    }
    resolved = last ? next : next + '/';
    at = end + 1;
  }
  return resolved;
}

FILE* FileOpen(const char* name, const char* mode) {
  FILE* file = nullptr;
  if (name && mode) file = std::fopen(mode[0] == 'r' ? FindFileAnyCase(name).c_str() : name, mode);
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
  FILE* file = std::fopen(FindFileAnyCase(name).c_str(), "rb");
  if (!file) return false;
  std::fclose(file);
  return true;
}

int32_t OpenFileCount() { return g_openFiles; }
