#include "launcher/adapters/posix/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <utility>
#include <vector>

namespace veltharn {
namespace {

std::string HostPath(const std::string& path) {
  std::string host = path;
  std::replace(host.begin(), host.end(), '\\', '/');
  return host;
}

// A file descriptor, closed when it goes.
class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  [[nodiscard]] int get() const { return fd_; }
  [[nodiscard]] bool valid() const { return fd_ >= 0; }
  // Closes now and tells whether that succeeded.
  bool Close() { return ::close(std::exchange(fd_, -1)) == 0; }
  // Hands the descriptor over without closing it.
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

bool IsReadOnly(const struct stat& info) {
  return (info.st_mode & kWriteBits) == 0;
}

bool Stat(const std::string& hostPath, struct stat& info) {
  return ::stat(hostPath.c_str(), &info) == 0;
}

// A quick check asks each file for its size twice and reads 16 bytes from a position: it costs
// more in system calls than in reading. So the size is the one the opening fstat found, and a
// seek only moves the position that the next read (pread) starts from.
class PosixReadableFile : public ReadableFile {
 public:
  PosixReadableFile(int fd, int64_t size) : fd_(fd), size_(size) {}
  int64_t Size() override { return size_; }
  bool Seek(int64_t offset) override {
    if (offset < 0) return false;
    position_ = offset;
    return true;
  }
  int64_t Read(std::span<std::byte> buffer) override {
    for (;;) {
      const ssize_t got =
          ::pread(fd_.get(), buffer.data(), std::min<std::size_t>(buffer.size(), SSIZE_MAX),
                  static_cast<off_t>(position_));
      if (got >= 0) {
        position_ += got;
        return got;
      }
      if (errno != EINTR) return -1;
    }
  }

 private:
  UniqueFd fd_;
  int64_t size_;
  int64_t position_ = 0;
};

class PosixWritableFile : public WritableFile {
 public:
  explicit PosixWritableFile(int fd) : fd_(fd) {}
  bool Write(std::span<const std::byte> bytes) override {
    while (!bytes.empty()) {
      if (!fd_.valid()) return false;
      const ssize_t written = ::write(fd_.get(), bytes.data(), bytes.size());
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return false;
      bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
  }
  bool Close() override { return fd_.valid() && fd_.Close(); }

 private:
  UniqueFd fd_;
};

}  // namespace

std::unique_ptr<ReadableFile> PosixFileSystem::OpenForRead(const std::string& path,
                                                           bool sequential) {
  UniqueFd fd(::open(HostPath(path).c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info;
  if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  if (sequential) ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  return std::make_unique<PosixReadableFile>(fd.Release(), static_cast<int64_t>(info.st_size));
}

std::unique_ptr<ReadableFile> PosixFileSystem::OpenForInspection(const std::string& path) {
  UniqueFd fd(::open(HostPath(path).c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info;
  if (!fd.valid() || ::fstat(fd.get(), &info) != 0) {
    // A file that is there but cannot be read still has its attributes reset.
    SetAttributes(path, FileAttributes::kNormal);
    return nullptr;
  }
  const mode_t mode = info.st_mode & 07777;
  if ((mode | S_IWUSR) != mode) ::fchmod(fd.get(), mode | S_IWUSR);
  if (!S_ISREG(info.st_mode)) return nullptr;
  return std::make_unique<PosixReadableFile>(fd.Release(), static_cast<int64_t>(info.st_size));
}

std::unique_ptr<WritableFile> PosixFileSystem::Create(const std::string& path) {
  const std::string host = HostPath(path);
  struct stat info;
  if (Stat(host, info) && (IsReadOnly(info) || !S_ISREG(info.st_mode))) return nullptr;
  const int fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixWritableFile>(fd);
}

bool PosixFileSystem::Exists(const std::string& path) {
  struct stat info;
  return Stat(HostPath(path), info);
}

bool PosixFileSystem::SetAttributes(const std::string& path, FileAttributes attributes) {
  const std::string host = HostPath(path);
  struct stat info;
  if (!Stat(host, info)) return false;
  const mode_t mode = info.st_mode & 07777;
  const mode_t wanted =
      attributes == FileAttributes::kReadOnly ? (mode & ~kWriteBits) : (mode | S_IWUSR);
  // Every inspection sets its file's attributes; a chmod that changes nothing still dirties the
  // inode, which costs a quick check more than its read.
  if (wanted == mode) return true;
  return ::chmod(host.c_str(), wanted) == 0;
}

bool PosixFileSystem::Delete(const std::string& path) {
  const std::string host = HostPath(path);
  struct stat info;
  if (!Stat(host, info) || IsReadOnly(info) || S_ISDIR(info.st_mode)) return false;
  return ::unlink(host.c_str()) == 0;
}

bool PosixFileSystem::Move(const std::string& from, const std::string& to) {
  const std::string target = HostPath(to);
  struct stat info;
  if (Stat(target, info)) return false;
  return ::rename(HostPath(from).c_str(), target.c_str()) == 0;
}

bool PosixFileSystem::Copy(const std::string& from, const std::string& to, bool overwrite) {
  const std::string target = HostPath(to);
  struct stat sourceInfo, targetInfo;
  UniqueFd source(::open(HostPath(from).c_str(), O_RDONLY | O_CLOEXEC));
  if (!source.valid() || ::fstat(source.get(), &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode)) {
    return false;
  }
  if (Stat(target, targetInfo) && (!overwrite || IsReadOnly(targetInfo))) return false;
  UniqueFd copy(
      ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, sourceInfo.st_mode & 07777));
  if (!copy.valid()) return false;
  std::vector<char> block(64 * 1024);
  for (;;) {
    const ssize_t got = ::read(source.get(), block.data(), block.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    for (ssize_t done = 0; done < got;) {
      const ssize_t written =
          ::write(copy.get(), block.data() + done, static_cast<std::size_t>(got - done));
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return false;
      done += written;
    }
  }
  // Like CopyFile, the copy keeps the source's attributes.
  return ::fchmod(copy.get(), sourceInfo.st_mode & 07777) == 0 && copy.Close();
}

FolderResult PosixFileSystem::CreateFolder(const std::string& path) {
  if (::mkdir(HostPath(path).c_str(), 0777) == 0) return FolderResult::kCreated;
  return errno == EEXIST ? FolderResult::kAlreadyExists : FolderResult::kFailed;
}

std::optional<std::vector<FolderEntry>> PosixFileSystem::ListFolder(const std::string& path) {
  const std::string host = HostPath(path);
  std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(host.c_str()), &::closedir);
  if (folder == nullptr) return std::nullopt;
  std::vector<FolderEntry> entries;
  while (const dirent* entry = ::readdir(folder.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat info;
    // A link is not a folder of ours: walking into it could reach outside the client folder.
    const bool isFolder = ::lstat((host + "/" + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    entries.push_back({name, isFolder});
  }
  return entries;
}

bool PosixFileSystem::RemoveFolder(const std::string& path) {
  return ::rmdir(HostPath(path).c_str()) == 0;
}

std::optional<std::string> PosixFileSystem::FullPath(const std::string& path) {
  std::filesystem::path host(HostPath(path));
  if (host.empty()) return std::nullopt;
  std::error_code error;
  if (host.is_relative()) {
    std::filesystem::path current = std::filesystem::current_path(error);
    if (error) return std::nullopt;
    host = current / host;
  }
  std::string full = host.lexically_normal().string();
  // "a/." normalises to "a/"; the full path names the folder itself.
  if (full.size() > 1 && full.back() == '/') full.pop_back();
  return full;
}

std::optional<std::string> PosixFileSystem::CurrentDirectory() {
  std::error_code error;
  std::string current = std::filesystem::current_path(error).string();
  if (error) return std::nullopt;
  return current;
}

bool PosixFileSystem::SetCurrentDirectory(const std::string& path) {
  return ::chdir(HostPath(path).c_str()) == 0;
}

}  // namespace veltharn
