// Path splitting that understands both separators: LightWave files written on
// Windows carry paths such as "C:\Objects\ball.lwo".
#pragma once

#include <string>
#include <string_view>

struct PathParts {
  std::string drive;      // "C:" or empty
  std::string directory;  // with its trailing separator: "\Objects\"
  std::string name;       // "ball"
  std::string extension;  // with its dot: ".lwo", or empty
};

PathParts SplitPath(std::string_view path);
std::string JoinPath(const PathParts& parts);

// The last component of a path, whichever separator came before it.
std::string_view PathFileName(std::string_view path);
// The directory part of a path with its trailing separator, or empty.
std::string_view PathDirectory(std::string_view path);
// Lower-cased extension with its dot ("" when there is none).
std::string PathExtensionLower(std::string_view path);
