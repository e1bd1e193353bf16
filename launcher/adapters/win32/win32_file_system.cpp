#include "launcher/adapters/win32/win32_file_system.h"

#include <windows.h>

#include <algorithm>
#include <optional>

#include "launcher/adapters/win32/unique_handle.h"

// <windows.h> renames the port's operation to SetCurrentDirectoryA.
#undef SetCurrentDirectory

namespace veltharn {
namespace {

// FILE_FLAG_SEQUENTIAL_SCAN with the read-only, hidden, system and archive bits: the flags the
// whole-file checks have always opened with.
constexpr DWORD kSequentialReadFlags = 0x08000027;

class Win32ReadableFile : public ReadableFile {
 public:
  explicit Win32ReadableFile(UniqueFile file) : file_(std::move(file)) {}
  // Files are opened sharing reads only, so no one can change the size while this one is open:
  // it is asked for once.
  int64_t Size() override {
    if (!size_) {
      LARGE_INTEGER size;
      if (!GetFileSizeEx(file_.get(), &size)) return -1;
      size_ = size.QuadPart;
    }
    return *size_;
  }
  bool Seek(int64_t offset) override {
    LARGE_INTEGER to;
    to.QuadPart = offset;
    return offset >= 0 && SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN);
  }
  int64_t Read(std::span<std::byte> buffer) override {
    const auto wanted = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 1u << 30));
    DWORD got = 0;
    if (!ReadFile(file_.get(), buffer.data(), wanted, &got, nullptr)) return -1;
    return got;
  }

 private:
  UniqueFile file_;
  std::optional<int64_t> size_;
};

class Win32WritableFile : public WritableFile {
 public:
  explicit Win32WritableFile(UniqueFile file) : file_(std::move(file)) {}
  bool Write(std::span<const std::byte> bytes) override {
    while (!bytes.empty()) {
      const auto piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
      DWORD written = 0;
      if (!file_.valid() || !WriteFile(file_.get(), bytes.data(), piece, &written, nullptr) ||
          written == 0) {
        return false;
      }
      bytes = bytes.subspan(written);
    }
    return true;
  }
  bool Close() override {
    if (!file_.valid()) return false;
    return CloseHandle(file_.release()) != FALSE;
  }

 private:
  UniqueFile file_;
};

DWORD AttributeBits(FileAttributes attributes) {
  switch (attributes) {
    case FileAttributes::kArchive:
      return FILE_ATTRIBUTE_ARCHIVE;
    case FileAttributes::kReadOnly:
      return FILE_ATTRIBUTE_READONLY;
    case FileAttributes::kNormal:
      break;
  }
  return FILE_ATTRIBUTE_NORMAL;
}

}  // namespace

std::unique_ptr<ReadableFile> Win32FileSystem::OpenForRead(const std::string& path,
                                                           bool sequential) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              sequential ? kSequentialReadFlags : FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return nullptr;
  return std::make_unique<Win32ReadableFile>(std::move(file));
}

std::unique_ptr<WritableFile> Win32FileSystem::Create(const std::string& path) {
  // Windows refuses to truncate a read-only file; Wine run by root does not, so ask first.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return nullptr;
  }
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return nullptr;
  return std::make_unique<Win32WritableFile>(std::move(file));
}

bool Win32FileSystem::Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32FileSystem::SetAttributes(const std::string& path, FileAttributes attributes) {
  return SetFileAttributesA(path.c_str(), AttributeBits(attributes)) != FALSE;
}

bool Win32FileSystem::Delete(const std::string& path) {
  return DeleteFileA(path.c_str()) != FALSE;
}

bool Win32FileSystem::Move(const std::string& from, const std::string& to) {
  return MoveFileA(from.c_str(), to.c_str()) != FALSE;
}

bool Win32FileSystem::Copy(const std::string& from, const std::string& to, bool overwrite) {
  return CopyFileA(from.c_str(), to.c_str(), overwrite ? FALSE : TRUE) != FALSE;
}

FolderResult Win32FileSystem::CreateFolder(const std::string& path) {
  if (CreateDirectoryA(path.c_str(), nullptr)) return FolderResult::kCreated;
  return GetLastError() == ERROR_ALREADY_EXISTS ? FolderResult::kAlreadyExists
                                                : FolderResult::kFailed;
}

std::optional<std::vector<FolderEntry>> Win32FileSystem::ListFolder(const std::string& path) {
  WIN32_FIND_DATAA found;
  UniqueFind search(FindFirstFileA((path + "\\*.*").c_str(), &found));
  if (!search) return std::nullopt;
  std::vector<FolderEntry> entries;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    const DWORD bits = found.dwFileAttributes;
    entries.push_back({name, (bits & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                                 (bits & FILE_ATTRIBUTE_REPARSE_POINT) == 0});
  } while (FindNextFileA(search.get(), &found));
  return entries;
}

bool Win32FileSystem::RemoveFolder(const std::string& path) {
  return RemoveDirectoryA(path.c_str()) != FALSE;
}

std::optional<std::string> Win32FileSystem::FullPath(const std::string& path) {
  // The first call tells the size, terminator included.
  const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return std::nullopt;
  std::string full(needed, '\0');
  const DWORD length = GetFullPathNameA(path.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return std::nullopt;
  full.resize(length);
  return full;
}

std::optional<std::string> Win32FileSystem::CurrentDirectory() {
  const DWORD needed = GetCurrentDirectoryA(0, nullptr);
  if (needed == 0) return std::nullopt;
  std::string folder(needed, '\0');
  const DWORD length = GetCurrentDirectoryA(needed, folder.data());
  if (length == 0 || length >= needed) return std::nullopt;
  folder.resize(length);
  return folder;
}

bool Win32FileSystem::SetCurrentDirectory(const std::string& path) {
  return SetCurrentDirectoryA(path.c_str()) != FALSE;
}

}  // namespace veltharn
