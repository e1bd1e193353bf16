#pragma once
#include "ports/file_system.h"

namespace pellorix::win32 {

class Win32FileSystem final : public FileSystem {
 public:
  bool Exists(const std::string& path) override;
  CreateFolderResult CreateFolder(const std::string& path) override;
  bool Delete(const std::string& path) override;
  bool Copy(const std::string& from, const std::string& to) override;
  std::unique_ptr<FileReader> OpenForReading(const std::string& path) override;
  std::unique_ptr<FileWriter> CreateForWriting(const std::string& path) override;
};

}  // namespace pellorix::win32
