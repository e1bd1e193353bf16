#include "http/c_file_crc32.h"

#include <array>

#include <zlib.h>

namespace pellorix {

std::uint32_t CFileCrc32::Compute(const std::string& path) {
  const auto reader = files_.OpenForReading(path);
  if (!reader) return 0;
  uLong crc = crc32(0L, Z_NULL, 0);
  std::array<std::uint8_t, 4096> piece{};
  for (;;) {
    const auto count = reader->Read(piece);
    if (!count || *count == 0) break;
    crc = crc32(crc, piece.data(), static_cast<uInt>(*count));
  }
  return static_cast<std::uint32_t>(crc);
}

std::string CFileCrc32::ComputeText(const std::string& path) { return std::to_string(Compute(path)); }

}  // namespace pellorix
