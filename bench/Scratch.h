// A folder of the benchmark's own under the system's temporary folder for the
// inputs it writes, removed when the program ends (the inputs are tens of MB).
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

inline const std::filesystem::path& BenchScratch(const char* name) {
  struct Folder {
    std::filesystem::path path;
    ~Folder() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  };
  static const Folder folder{[name] {
    const auto path = std::filesystem::temp_directory_path() / (std::string(name) + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    return path;
  }()};
  return folder.path;
}
