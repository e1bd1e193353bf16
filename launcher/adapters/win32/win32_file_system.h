#pragma once

#include "launcher/ports/file_system.h"

namespace veltharn {

// The file system through the ANSI Win32 functions; paths are passed as they stand.
class Win32FileSystem : public FileSystem {
 public:
  std::unique_ptr<ReadableFile> OpenForRead(const std::string& path, bool sequential) override;
  std::unique_ptr<WritableFile> Create(const std::string& path) override;
  bool Exists(const std::string& path) override;
  bool SetAttributes(const std::string& path, FileAttributes attributes) override;
  bool Delete(const std::string& path) override;
  bool Move(const std::string& from, const std::string& to) override;
  bool Copy(const std::string& from, const std::string& to, bool overwrite) override;
  FolderResult CreateFolder(const std::string& path) override;
  // Junctions and other reparse points are listed as files, so that nothing walks through them.
  std::optional<std::vector<FolderEntry>> ListFolder(const std::string& path) override;
  bool RemoveFolder(const std::string& path) override;
  std::optional<std::string> FullPath(const std::string& path) override;
  std::optional<std::string> CurrentDirectory() override;
  bool SetCurrentDirectory(const std::string& path) override;
};

}  // namespace veltharn
