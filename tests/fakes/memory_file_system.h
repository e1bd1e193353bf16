#pragma once

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "launcher/ports/file_system.h"

namespace veltharn {

// An in-memory client folder ("C:\client") with Windows' rules: "\" and "/" separate, names
// compare without regard to case, a folder is made one level at a time, read-only files cannot
// be deleted or overwritten. Each operation can be made to fail on its Nth call (from 1).
class MemoryFileSystem : public FileSystem {
 public:
  struct Entry {
    std::string bytes;
    bool readOnly = false;
  };
  enum class Operation {
    kOpen,
    kCreate,
    kWrite,
    kDelete,
    kMove,
    kCopy,
    kCreateFolder,
    kFullPath,
    kList,
    kRemoveFolder,
  };

  MemoryFileSystem() { folders_.insert(""); }

  // Test set-up and inspection; paths as the launcher writes them.
  void AddFile(const std::string& path, std::string bytes, bool readOnly = false) {
    AddFoldersFor(Key(path));
    files_[Key(path)] = Entry{std::move(bytes), readOnly};
  }
  void AddFolder(const std::string& path) { AddFoldersFor(Key(path) + "\\x"); }
  [[nodiscard]] bool HasFile(const std::string& path) const { return files_.count(Key(path)); }
  [[nodiscard]] bool HasFolder(const std::string& path) const { return folders_.count(Key(path)); }
  [[nodiscard]] const Entry* Find(const std::string& path) const {
    auto it = files_.find(Key(path));
    return it == files_.end() ? nullptr : &it->second;
  }
  [[nodiscard]] std::vector<std::string> FileNames() const {
    std::vector<std::string> names;
    for (const auto& [name, entry] : files_) names.push_back(name);
    return names;
  }
  // Makes the `nth` next call of `operation` fail (1: the very next one); calls add up.
  void FailOnCall(Operation operation, int nth) {
    failAt_[operation].insert(calls_[operation] + nth);
  }
  int openedForRead = 0;
  // Paths of changes the launcher asked for outside the client folder. The folder's own paths
  // clamp a climb at the root, so without this record an escape would look like a harmless name.
  std::vector<std::string> outside;

  // True when `path` names something outside the client folder (C:\client): another drive or
  // folder, a UNC or device path, or a ".." that climbs above the root.
  static bool LeavesRoot(const std::string& path) { return Resolve(path).leavesRoot; }

  std::unique_ptr<ReadableFile> OpenForRead(const std::string& path, bool) override {
    if (Fails(Operation::kOpen)) return nullptr;
    auto it = files_.find(Key(path));
    if (it == files_.end()) return nullptr;
    ++openedForRead;
    return std::make_unique<Reader>(it->second.bytes);
  }
  std::unique_ptr<WritableFile> Create(const std::string& path) override {
    NoteIfOutside(path);
    std::string key = Key(path);
    if (Fails(Operation::kCreate) || !folders_.count(Parent(key)) || folders_.count(key)) {
      return nullptr;
    }
    auto it = files_.find(key);
    if (it != files_.end() && it->second.readOnly) return nullptr;
    files_[key] = Entry{};
    return std::make_unique<Writer>(*this, key);
  }
  bool Exists(const std::string& path) override {
    return files_.count(Key(path)) || folders_.count(Key(path));
  }
  bool SetAttributes(const std::string& path, FileAttributes attributes) override {
    NoteIfOutside(path);
    auto it = files_.find(Key(path));
    if (it == files_.end()) return false;
    it->second.readOnly = attributes == FileAttributes::kReadOnly;
    return true;
  }
  bool Delete(const std::string& path) override {
    NoteIfOutside(path);
    auto it = files_.find(Key(path));
    if (Fails(Operation::kDelete) || it == files_.end() || it->second.readOnly) return false;
    files_.erase(it);
    return true;
  }
  bool Move(const std::string& from, const std::string& to) override {
    NoteIfOutside(from);
    NoteIfOutside(to);
    auto it = files_.find(Key(from));
    if (Fails(Operation::kMove) || it == files_.end() || Exists(to) ||
        !folders_.count(Parent(Key(to)))) {
      return false;
    }
    Entry entry = it->second;
    files_.erase(it);
    files_[Key(to)] = entry;
    return true;
  }
  bool Copy(const std::string& from, const std::string& to, bool overwrite) override {
    NoteIfOutside(to);
    auto it = files_.find(Key(from));
    std::string target = Key(to);
    if (Fails(Operation::kCopy) || it == files_.end() || !folders_.count(Parent(target))) {
      return false;
    }
    auto existing = files_.find(target);
    if (existing != files_.end() && (!overwrite || existing->second.readOnly)) return false;
    files_[target] = Entry{it->second.bytes, false};
    return true;
  }
  FolderResult CreateFolder(const std::string& path) override {
    NoteIfOutside(path);
    std::string key = Key(path);
    if (folders_.count(key)) return FolderResult::kAlreadyExists;
    if (Fails(Operation::kCreateFolder) || !folders_.count(Parent(key)) || files_.count(key)) {
      return FolderResult::kFailed;
    }
    folders_.insert(key);
    return FolderResult::kCreated;
  }
  std::optional<std::vector<FolderEntry>> ListFolder(const std::string& path) override {
    std::string key = Key(path);
    if (Fails(Operation::kList) || !folders_.count(key)) return std::nullopt;
    std::vector<FolderEntry> entries;
    for (const std::string& folder : folders_) {
      if (!folder.empty() && Parent(folder) == key) entries.push_back({Name(folder), true});
    }
    for (const auto& [file, entry] : files_) {
      if (Parent(file) == key) entries.push_back({Name(file), false});
    }
    return entries;
  }
  bool RemoveFolder(const std::string& path) override {
    NoteIfOutside(path);
    std::string key = Key(path);
    if (Fails(Operation::kRemoveFolder) || key.empty() || !folders_.count(key)) return false;
    for (const std::string& folder : folders_) {
      if (Parent(folder) == key && folder != key) return false;
    }
    for (const auto& [file, entry] : files_) {
      if (Parent(file) == key) return false;
    }
    folders_.erase(key);
    return true;
  }
  std::optional<std::string> FullPath(const std::string& path) override {
    if (Fails(Operation::kFullPath)) return std::nullopt;
    std::string key = Key(path);
    return key.empty() ? std::string(kRoot) : std::string(kRoot) + "\\" + key;
  }
  std::optional<std::string> CurrentDirectory() override { return std::string(kRoot); }
  bool SetCurrentDirectory(const std::string&) override { return true; }

  static constexpr const char* kRoot = "C:\\client";

 private:
  class Reader : public ReadableFile {
   public:
    explicit Reader(std::string bytes) : bytes_(std::move(bytes)) {}
    int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }
    bool Seek(int64_t offset) override {
      if (offset < 0 || offset > Size()) return false;
      position_ = static_cast<size_t>(offset);
      return true;
    }
    int64_t Read(std::span<std::byte> buffer) override {
      size_t count = std::min(buffer.size(), bytes_.size() - position_);
      std::memcpy(buffer.data(), bytes_.data() + position_, count);
      position_ += count;
      return static_cast<int64_t>(count);
    }

   private:
    std::string bytes_;
    size_t position_ = 0;
  };
  class Writer : public WritableFile {
   public:
    Writer(MemoryFileSystem& owner, std::string key) : owner_(owner), key_(std::move(key)) {}
    bool Write(std::span<const std::byte> bytes) override {
      if (owner_.Fails(Operation::kWrite)) return false;
      auto it = owner_.files_.find(key_);
      if (it == owner_.files_.end()) return false;
      it->second.bytes.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
      return true;
    }
    bool Close() override { return true; }

   private:
    MemoryFileSystem& owner_;
    std::string key_;
  };

  struct Resolved {
    std::string key;  // the path below the root, its parts joined by "\"
    bool leavesRoot = false;
  };
  // "C:\client\a\b", ".\a\b", "a/b" and "A\B" all have the key "a\b". A ".." above the root
  // stays at the root in the key, and is told in `leavesRoot`.
  static Resolved Resolve(const std::string& path) {
    std::string text = path;
    std::replace(text.begin(), text.end(), '/', '\\');
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::string root = "c:\\client";
    Resolved resolved;
    const bool belowRoot = text == root || text.rfind(root + "\\", 0) == 0;
    resolved.leavesRoot =
        !belowRoot && (text.find(':') != std::string::npos || text.rfind('\\', 0) == 0);
    if (text.rfind(root, 0) == 0) text = text.substr(root.size());
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find('\\', start);
      if (end == std::string::npos) end = text.size();
      std::string part = text.substr(start, end - start);
      if (part == "..") {
        if (parts.empty()) {
          resolved.leavesRoot = true;
        } else {
          parts.pop_back();
        }
      } else if (!part.empty() && part != ".") {
        parts.push_back(part);
      }
      start = end + 1;
    }
    for (const std::string& part : parts) {
      resolved.key += (resolved.key.empty() ? "" : "\\") + part;
    }
    return resolved;
  }
  static std::string Key(const std::string& path) { return Resolve(path).key; }
  static std::string Parent(const std::string& key) {
    size_t cut = key.rfind('\\');
    return cut == std::string::npos ? std::string() : key.substr(0, cut);
  }
  static std::string Name(const std::string& key) {
    size_t cut = key.rfind('\\');
    return cut == std::string::npos ? key : key.substr(cut + 1);
  }
  void AddFoldersFor(const std::string& key) {
    for (std::string folder = Parent(key); !folder.empty(); folder = Parent(folder)) {
      folders_.insert(folder);
    }
  }
  void NoteIfOutside(const std::string& path) {
    if (LeavesRoot(path)) outside.push_back(path);
  }
  bool Fails(Operation operation) {
    int call = ++calls_[operation];
    auto it = failAt_.find(operation);
    return it != failAt_.end() && it->second.count(call) != 0;
  }

  std::map<std::string, Entry> files_;
  std::set<std::string> folders_;
  std::map<Operation, int> calls_;
  std::map<Operation, std::set<int>> failAt_;
};

}  // namespace veltharn
