#pragma once
// File system port. Paths are ANSI texts; names compare without regard to case.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace pellorix {

enum class CreateFolderResult { Created, AlreadyExists, Failed };

class FileReader {
 public:
  virtual ~FileReader() = default;
  // Bytes read (0 at the end); nullopt when the read fails.
  virtual std::optional<std::size_t> Read(std::span<std::uint8_t> buffer) = 0;
};

class FileWriter {
 public:
  virtual ~FileWriter() = default;
  // True when every byte was written.
  virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // True when a file or folder of exactly that path exists.
  virtual bool Exists(const std::string& path) = 0;
  // Creates one folder level.
  virtual CreateFolderResult CreateFolder(const std::string& path) = 0;
  virtual bool Delete(const std::string& path) = 0;
  // Copies over an existing target.
  virtual bool Copy(const std::string& from, const std::string& to) = 0;
  // Shared for reading; nullptr when the file cannot be opened.
  virtual std::unique_ptr<FileReader> OpenForReading(const std::string& path) = 0;
  // Creates or truncates the file, write-only and not shared; nullptr on failure.
  virtual std::unique_ptr<FileWriter> CreateForWriting(const std::string& path) = 0;
};

}  // namespace pellorix
