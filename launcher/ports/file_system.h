#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace veltharn {

// Paths are ANSI texts in Windows form ("\" separators), relative to the current directory, which
// is the client folder. Adapters map them to the host. Deciding whether a server's path may be
// used at all is not the file system's business (see update/client_path.h once it exists).

enum class FileAttributes { kNormal, kArchive, kReadOnly };

enum class FolderResult { kCreated, kAlreadyExists, kFailed };

// One entry of a folder listing.
struct FolderEntry {
  std::string name;  // the entry's own name, without its folder
  bool isFolder = false;
};

// An open file for reading. Closed when destroyed.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // The file's size in bytes, or -1 when it cannot be told. An adapter may answer with the size
  // the file had when it was opened: the launcher never writes a file it has open for reading.
  [[nodiscard]] virtual int64_t Size() = 0;
  // Moves the read position to `offset` bytes from the start.
  [[nodiscard]] virtual bool Seek(int64_t offset) = 0;
  // Reads up to buffer.size() bytes; the count read (0 at the end of the file), or -1 on failure.
  [[nodiscard]] virtual int64_t Read(std::span<std::byte> buffer) = 0;
};

// A file open for writing, created or truncated. Closed when destroyed; Close reports the result of
// flushing so that a full disk is not mistaken for success.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // Writes all of `bytes`; false when not all of them could be written.
  [[nodiscard]] virtual bool Write(std::span<const std::byte> bytes) = 0;
  [[nodiscard]] virtual bool Close() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Null when the file cannot be opened. `sequential` hints a front-to-back scan.
  [[nodiscard]] virtual std::unique_ptr<ReadableFile> OpenForRead(const std::string& path,
                                                                  bool sequential) = 0;
  // Sets the attributes of `path` to normal, then opens it for reading, as every inspection does;
  // null when it cannot be opened. The attributes are reset even then, when the file is there. An
  // adapter may do both with fewer system calls.
  [[nodiscard]] virtual std::unique_ptr<ReadableFile> OpenForInspection(const std::string& path) {
    SetAttributes(path, FileAttributes::kNormal);
    return OpenForRead(path, /*sequential=*/false);
  }
  // Creates the file, or truncates an existing one; null when that fails.
  [[nodiscard]] virtual std::unique_ptr<WritableFile> Create(const std::string& path) = 0;

  [[nodiscard]] virtual bool Exists(const std::string& path) = 0;
  virtual bool SetAttributes(const std::string& path, FileAttributes attributes) = 0;
  virtual bool Delete(const std::string& path) = 0;
  // Renames `from` to `to`; fails when `to` exists.
  virtual bool Move(const std::string& from, const std::string& to) = 0;
  virtual bool Copy(const std::string& from, const std::string& to, bool overwrite) = 0;
  // One level: the parent must exist.
  virtual FolderResult CreateFolder(const std::string& path) = 0;
  // The entries of folder `path`, without "." and "..", in no particular order; empty when the
  // folder cannot be listed.
  [[nodiscard]] virtual std::optional<std::vector<FolderEntry>> ListFolder(
      const std::string& path) = 0;
  // Removes folder `path`, which must be empty.
  virtual bool RemoveFolder(const std::string& path) = 0;
  // The absolute form of `path` (Windows form on Windows, host form elsewhere); empty on failure.
  [[nodiscard]] virtual std::optional<std::string> FullPath(const std::string& path) = 0;
  [[nodiscard]] virtual std::optional<std::string> CurrentDirectory() = 0;
  virtual bool SetCurrentDirectory(const std::string& path) = 0;
};

}  // namespace veltharn
