#pragma once
// Enciphers a text with SEED under the link key, block by block (ECB, zero padding), and renders
// the cipher text as lower-case hexadecimal.
#include <string>
#include <string_view>

#include "seed/c_seed_cipher.h"

namespace pellorix {

class CSeedHexEncoder {
 public:
  // Uses the link key assembled from the configuration.
  CSeedHexEncoder();
  // For tests and tools: any key text (its first 16 bytes count).
  explicit CSeedHexEncoder(std::string_view keyText);

  // max(1, ceil(n / 16)) blocks; the last block is padded with zero bytes.
  std::string Encode(std::string_view text) const;

 private:
  CSeedCipher cipher_;
};

}  // namespace pellorix
