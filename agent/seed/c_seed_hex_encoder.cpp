#include "seed/c_seed_hex_encoder.h"

#include <array>
#include <cstdint>
#include <vector>

#include "config/agent_config.h"

namespace pellorix {

CSeedHexEncoder::CSeedHexEncoder() {
  std::array<char, 260> work{};
  AssembleLinkText(work);
  cipher_.SetKey(std::string_view(work.data(), CSeedCipher::kKeySize));
  work.fill(0);
}

CSeedHexEncoder::CSeedHexEncoder(std::string_view keyText) { cipher_.SetKey(keyText); }

std::string CSeedHexEncoder::Encode(std::string_view text) const {
  constexpr std::size_t kBlock = CSeedCipher::kBlockSize;
  const std::size_t blocks = text.empty() ? 1 : (text.size() + kBlock - 1) / kBlock;
  // Our own zero-filled copy supplies the padding, so nothing is read past the caller's text.
  std::vector<std::uint8_t> plain(blocks * kBlock, 0);
  for (std::size_t i = 0; i < text.size(); ++i) plain[i] = static_cast<std::uint8_t>(text[i]);

  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(plain.size() * 2);
  std::array<std::uint8_t, kBlock> cipherBlock{};
  for (std::size_t offset = 0; offset < plain.size(); offset += kBlock) {
    cipher_.EncryptBlock(std::span<const std::uint8_t, kBlock>(plain.data() + offset, kBlock),
                         cipherBlock);
    for (std::uint8_t b : cipherBlock) {
      hex.push_back(kDigits[b >> 4]);
      hex.push_back(kDigits[b & 0x0f]);
    }
  }
  return hex;
}

}  // namespace pellorix
