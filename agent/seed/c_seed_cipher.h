#pragma once
// SEED block cipher (RFC 4269): 128-bit key, 16 rounds, encryption direction only, as the agent
// only ever deciphers what the library writes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace pellorix {

class CSeedCipher {
 public:
  static constexpr std::size_t kBlockSize = 16;
  static constexpr std::size_t kKeySize = 16;

  // Takes the first 16 bytes of the text (zero bytes stand in for a shorter text) and computes
  // the round keys at once.
  void SetKey(std::string_view keyText);
  // Block and key bytes are in the standard's order: each 32-bit word big-endian.
  void EncryptBlock(std::span<const std::uint8_t, kBlockSize> in,
                    std::span<std::uint8_t, kBlockSize> out) const;

 private:
  std::array<std::uint8_t, kKeySize> key_{};
  std::array<std::uint32_t, 32> roundKeys_{};
};

}  // namespace pellorix
