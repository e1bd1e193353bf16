#pragma once
// In-memory file system with case-insensitive paths. A path without a backslash ("C:") is a
// drive root and always exists; any other folder exists once created.
#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/text.h"
#include "ports/file_system.h"

namespace pellorix::testing {

class FakeFileSystem final : public FileSystem {
 public:
  // Puts a file, creating its folders.
  void Put(const std::string& path, const std::string& bytes) {
    AddFolders(ParentFolder(path));
    files_[ToUpperAscii(path)] = bytes;
  }
  std::optional<std::string> Contents(const std::string& path) const {
    const auto file = files_.find(ToUpperAscii(path));
    if (file == files_.end()) return std::nullopt;
    return file->second;
  }
  void AddFolders(const std::string& path) {
    for (std::string folder = path; folder.find('\\') != std::string::npos;
         folder = ParentFolder(folder)) {
      folders_.insert(ToUpperAscii(folder));
    }
  }
  bool HasFolder(const std::string& path) const { return FolderExists(path); }

  std::set<std::string> undeletable;
  std::set<std::string> unwritable;
  std::set<std::string> uncreatableFolders;
  bool copyFails = false;
  std::map<std::string, int> createdForWriting;  // upper-cased path -> count

  bool Exists(const std::string& path) override {
    return files_.count(ToUpperAscii(path)) != 0 || FolderExists(path);
  }
  CreateFolderResult CreateFolder(const std::string& path) override {
    if (FolderExists(path) || files_.count(ToUpperAscii(path))) return CreateFolderResult::AlreadyExists;
    if (uncreatableFolders.count(ToUpperAscii(path)) || !FolderExists(ParentFolder(path))) {
      return CreateFolderResult::Failed;
    }
    folders_.insert(ToUpperAscii(path));
    return CreateFolderResult::Created;
  }
  bool Delete(const std::string& path) override {
    if (undeletable.count(ToUpperAscii(path))) return false;
    return files_.erase(ToUpperAscii(path)) != 0;
  }
  bool Copy(const std::string& from, const std::string& to) override {
    const auto source = files_.find(ToUpperAscii(from));
    if (copyFails || source == files_.end() || !FolderExists(ParentFolder(to))) return false;
    files_[ToUpperAscii(to)] = source->second;
    return true;
  }
  std::unique_ptr<FileReader> OpenForReading(const std::string& path) override {
    const auto file = files_.find(ToUpperAscii(path));
    if (file == files_.end()) return nullptr;
    return std::make_unique<Reader>(file->second);
  }
  std::unique_ptr<FileWriter> CreateForWriting(const std::string& path) override {
    const std::string upper = ToUpperAscii(path);
    if (unwritable.count(upper) || !FolderExists(ParentFolder(path))) return nullptr;
    ++createdForWriting[upper];
    files_[upper].clear();
    return std::make_unique<Writer>(files_[upper]);
  }

 private:
  class Reader final : public FileReader {
   public:
    explicit Reader(std::string bytes) : bytes_(std::move(bytes)) {}
    std::optional<std::size_t> Read(std::span<std::uint8_t> buffer) override {
      const std::size_t count = std::min(buffer.size(), bytes_.size() - offset_);
      std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset_), count, buffer.begin());
      offset_ += count;
      return count;
    }

   private:
    std::string bytes_;
    std::size_t offset_ = 0;
  };
  class Writer final : public FileWriter {
   public:
    explicit Writer(std::string& target) : target_(target) {}
    bool Write(std::span<const std::uint8_t> bytes) override {
      target_.append(bytes.begin(), bytes.end());
      return true;
    }

   private:
    std::string& target_;
  };

  bool FolderExists(const std::string& path) const {
    if (path.empty()) return false;
    return path.find('\\') == std::string::npos || folders_.count(ToUpperAscii(path)) != 0;
  }

  std::map<std::string, std::string> files_;
  std::set<std::string> folders_;
};

}  // namespace pellorix::testing
