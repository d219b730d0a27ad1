#include "platform/Path.h"

#include <cctype>

namespace {
bool IsSeparator(char c) { return c == '/' || c == '\\'; }
}  // namespace

PathParts SplitPath(std::string_view path) {
  PathParts parts;
  if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
    parts.drive = std::string(path.substr(0, 2));
    path.remove_prefix(2);
  }
  size_t nameStart = 0;
  for (size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1])) {
      nameStart = i;
      break;
    }
  }
  parts.directory = std::string(path.substr(0, nameStart));
  std::string_view file = path.substr(nameStart);
  const size_t dot = file.rfind('.');
  if (dot == std::string_view::npos) {
    parts.name = std::string(file);
  } else {
    parts.name = std::string(file.substr(0, dot));
    parts.extension = std::string(file.substr(dot));
  }
  return parts;
}

std::string JoinPath(const PathParts& parts) {
  return parts.drive + parts.directory + parts.name + parts.extension;
}

std::string_view PathFileName(std::string_view path) {
  for (size_t i = path.size(); i > 0; --i)
    if (IsSeparator(path[i - 1]) || (i == 2 && path[1] == ':')) return path.substr(i);
  return path;
}

std::string_view PathDirectory(std::string_view path) {
  return path.substr(0, path.size() - PathFileName(path).size());
}

std::string PathExtensionLower(std::string_view path) {
  std::string ext = SplitPath(path).extension;
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}
