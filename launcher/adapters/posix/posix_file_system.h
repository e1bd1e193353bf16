#pragma once

#include "launcher/ports/file_system.h"

namespace veltharn {

// The file system on a POSIX host, with the launcher's Windows-form paths: "\" becomes "/".
// Windows' rules are kept where the launcher relies on them: a read-only file (no write bit)
// cannot be overwritten or deleted, a move does not replace an existing file, and folders cannot
// be opened as files. Read-only clears every write bit; normal and archive set the owner's.
class PosixFileSystem : public FileSystem {
 public:
  std::unique_ptr<ReadableFile> OpenForRead(const std::string& path, bool sequential) override;
  // Opens first and gives the write bit to what it opened: one lookup of the path, not two.
  std::unique_ptr<ReadableFile> OpenForInspection(const std::string& path) override;
  std::unique_ptr<WritableFile> Create(const std::string& path) override;
  bool Exists(const std::string& path) override;
  bool SetAttributes(const std::string& path, FileAttributes attributes) override;
  bool Delete(const std::string& path) override;
  bool Move(const std::string& from, const std::string& to) override;
  bool Copy(const std::string& from, const std::string& to, bool overwrite) override;
  FolderResult CreateFolder(const std::string& path) override;
  std::optional<std::vector<FolderEntry>> ListFolder(const std::string& path) override;
  bool RemoveFolder(const std::string& path) override;
  // Lexical, as on Windows: the file need not exist.
  std::optional<std::string> FullPath(const std::string& path) override;
  std::optional<std::string> CurrentDirectory() override;
  bool SetCurrentDirectory(const std::string& path) override;
};

}  // namespace veltharn
