#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "launcher/ports/file_system.h"

namespace veltharn {

// Every managed file ends in a 20-byte trailer of five little-endian 32-bit words:
//   -20  not read (0 in what we stamp)      -8  word 2: CRC-32 of the file before the trailer
//   -16  word 0, reported to the server     -4  word 3, not used (0 in what we stamp)
//   -12  word 1, reported to the server
// The launcher reads only the last 16 bytes, words 0 to 3, whatever the file holds.
inline constexpr std::size_t kTrailerSize = 20;
inline constexpr std::size_t kTrailerWordsSize = 16;

struct TrailerWords {
  uint32_t word0 = 0;
  uint32_t word1 = 0;
  uint32_t crc = 0;  // word 2
  uint32_t word3 = 0;

  friend bool operator==(const TrailerWords&, const TrailerWords&) = default;
};

// Words 0 to 3 of the last 16 bytes of `bytes`.
[[nodiscard]] TrailerWords ParseTrailerWords(std::span<const std::byte, kTrailerWordsSize> bytes);

// Words 0 to 3 of `file`, read from its last 16 bytes (the read position moves). Empty when the
// file is 16 bytes or shorter (it would be all trailer and no content), its size cannot be told,
// or the read fails.
[[nodiscard]] std::optional<TrailerWords> ReadTrailerWords(ReadableFile& file);

// The 20 bytes to append to a file whose content has CRC-32 `crc`: 0, word0, word1, crc, 0.
[[nodiscard]] std::array<std::byte, kTrailerSize> BuildTrailer(uint32_t word0, uint32_t word1,
                                                               uint32_t crc);

}  // namespace veltharn
