// The loaders under test read files, so each input is written to one scratch
// file per target first.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

class FuzzFile {
 public:
  // suffix: the extension the loader expects (".msh"), or "".
  explicit FuzzFile(const char* suffix) {
    std::string pattern = "/tmp/lwcs-fuzz-XXXXXX";
    pattern += suffix;
    const int fd = mkstemps(pattern.data(), static_cast<int>(std::strlen(suffix)));
    if (fd >= 0) close(fd);
    path_ = pattern;
  }
  ~FuzzFile() { unlink(path_.c_str()); }
  FuzzFile(const FuzzFile&) = delete;
  FuzzFile& operator=(const FuzzFile&) = delete;

  // Replaces the file's contents; false when it cannot be written.
  bool Write(const uint8_t* data, size_t size) const {
    FILE* f = std::fopen(path_.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
  }
  const char* path() const { return path_.c_str(); }

 private:
  std::string path_;
};
