#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace veltharn {

// The standard CRC-32 (IEEE 802.3, zlib: reflected polynomial 0xEDB88320) of `bytes`, continued
// from `previous` (the CRC of the bytes before them; 0 to start). The CRC of nothing is 0. Uses
// the carry-less-multiply engine (crc32_clmul.h) where the processor has it, else zlib's.
[[nodiscard]] uint32_t Crc32(std::span<const std::byte> bytes, uint32_t previous = 0);

// The same CRC by zlib's crc32 alone: the engine for processors without carry-less multiply.
[[nodiscard]] uint32_t Crc32Zlib(std::span<const std::byte> bytes, uint32_t previous = 0);

}  // namespace veltharn
