#pragma once
// CRC-32 of a file (reflected polynomial 0xEDB88320, as zlib's crc32) and its checksum text.
#include <cstdint>
#include <string>

#include "ports/file_system.h"

namespace pellorix {

class CFileCrc32 {
 public:
  explicit CFileCrc32(FileSystem& files) : files_(files) {}
  // 0 for a file that cannot be opened.
  std::uint32_t Compute(const std::string& path);
  // The checksum as unsigned decimal ("%u").
  std::string ComputeText(const std::string& path);

 private:
  FileSystem& files_;
};

}  // namespace pellorix
