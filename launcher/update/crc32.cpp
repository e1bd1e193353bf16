#include "launcher/update/crc32.h"

#include <zlib.h>

#include <algorithm>

#include "launcher/update/crc32_clmul.h"

namespace veltharn {

uint32_t Crc32(std::span<const std::byte> bytes, uint32_t previous) {
  return CanUseCrc32Clmul() ? Crc32Clmul(bytes, previous) : Crc32Zlib(bytes, previous);
}

uint32_t Crc32Zlib(std::span<const std::byte> bytes, uint32_t previous) {
  uLong crc = previous;
  const auto* data = reinterpret_cast<const Bytef*>(bytes.data());
  std::size_t left = bytes.size();
  // zlib counts in uInt; feed it in pieces it can count.
  while (left > 0) {
    auto piece = static_cast<uInt>(std::min<std::size_t>(left, 1u << 30));
    crc = crc32(crc, data, piece);
    data += piece;
    left -= piece;
  }
  return static_cast<uint32_t>(crc);
}

}  // namespace veltharn
