// Our SEED against Debian's libgcrypt on random keys and blocks.
#include <array>
#include <cstdint>
#include <random>
#include <string>

#include <gcrypt.h>
#include <gtest/gtest.h>

#include "seed/c_seed_cipher.h"

namespace pellorix {
namespace {

TEST(SeedCrossCheck, AgreesWithLibgcryptOnRandomInputs) {
  ASSERT_NE(gcry_check_version(nullptr), nullptr);
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 2000; ++round) {
    std::array<std::uint8_t, 16> key{};
    std::array<std::uint8_t, 16> plain{};
    for (auto& b : key) b = static_cast<std::uint8_t>(byte(random));
    for (auto& b : plain) b = static_cast<std::uint8_t>(byte(random));

    CSeedCipher ours;
    ours.SetKey(std::string(reinterpret_cast<const char*>(key.data()), key.size()));
    std::array<std::uint8_t, 16> ourCipher{};
    ours.EncryptBlock(plain, ourCipher);

    gcry_cipher_hd_t handle = nullptr;
    ASSERT_EQ(gcry_cipher_open(&handle, GCRY_CIPHER_SEED, GCRY_CIPHER_MODE_ECB, 0), 0);
    ASSERT_EQ(gcry_cipher_setkey(handle, key.data(), key.size()), 0);
    std::array<std::uint8_t, 16> theirCipher{};
    ASSERT_EQ(gcry_cipher_encrypt(handle, theirCipher.data(), theirCipher.size(), plain.data(),
                                  plain.size()),
              0);
    gcry_cipher_close(handle);

    ASSERT_EQ(ourCipher, theirCipher) << "round " << round;
  }
}

}  // namespace
}  // namespace pellorix
