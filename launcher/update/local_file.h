#pragma once

#include <string>
#include <string_view>

#include "launcher/ports/file_system.h"

namespace veltharn {

// Sets the attributes of `path` to archive (which clears read-only) and deletes it; a missing
// file is no failure anyone acts on.
inline bool DeleteLocalFile(FileSystem& files, const std::string& path) {
  if (path.empty()) return false;
  files.SetAttributes(path, FileAttributes::kArchive);
  return files.Delete(path);
}

// The folder part of a full path: everything before its last separator ("\" or "/").
inline std::string FolderOf(std::string_view fullPath) {
  size_t cut = fullPath.find_last_of("\\/");
  return std::string(cut == std::string_view::npos ? std::string_view() : fullPath.substr(0, cut));
}

// True when the full path `fullPath` names something below the full path `root`. A second line of
// defence behind IsSafeClientPath, for paths the launcher builds from a server's name.
inline bool IsBelowFolder(std::string_view root, std::string_view fullPath) {
  if (root.empty() || !fullPath.starts_with(root)) return false;
  if (root.back() == '\\' || root.back() == '/') return fullPath.size() > root.size();
  char separator = fullPath.size() > root.size() + 1 ? fullPath[root.size()] : '\0';
  return separator == '\\' || separator == '/';
}

}  // namespace veltharn
