#include "adapters/win32/win32_file_system.h"

#include "adapters/win32/unique_handle.h"

namespace pellorix::win32 {
namespace {

class Win32Reader final : public FileReader {
 public:
  explicit Win32Reader(UniqueFile file) : file_(std::move(file)) {}
  std::optional<std::size_t> Read(std::span<std::uint8_t> buffer) override {
    DWORD read = 0;
    if (!::ReadFile(file_.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) {
      return std::nullopt;
    }
    return read;
  }

 private:
  UniqueFile file_;
};

class Win32Writer final : public FileWriter {
 public:
  explicit Win32Writer(UniqueFile file) : file_(std::move(file)) {}
  bool Write(std::span<const std::uint8_t> bytes) override {
    DWORD written = 0;
    return ::WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) &&
           written == bytes.size();
  }

 private:
  UniqueFile file_;
};

}  // namespace

bool Win32FileSystem::Exists(const std::string& path) {
  // An exact attribute query: unlike a file search, wildcards in the path match nothing.
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

CreateFolderResult Win32FileSystem::CreateFolder(const std::string& path) {
  if (::CreateDirectoryA(path.c_str(), nullptr)) return CreateFolderResult::Created;
  return ::GetLastError() == ERROR_ALREADY_EXISTS ? CreateFolderResult::AlreadyExists
                                                  : CreateFolderResult::Failed;
}

bool Win32FileSystem::Delete(const std::string& path) {
  // A read-only file would refuse the deletion.
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_ARCHIVE);
  return ::DeleteFileA(path.c_str()) != 0;
}

bool Win32FileSystem::Copy(const std::string& from, const std::string& to) {
  return ::CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

std::unique_ptr<FileReader> Win32FileSystem::OpenForReading(const std::string& path) {
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return nullptr;
  return std::make_unique<Win32Reader>(std::move(file));
}

std::unique_ptr<FileWriter> Win32FileSystem::CreateForWriting(const std::string& path) {
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return nullptr;
  return std::make_unique<Win32Writer>(std::move(file));
}

}  // namespace pellorix::win32
