#include <array>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "seed/c_seed_cipher.h"
#include "seed/c_seed_hex_encoder.h"

namespace pellorix {
namespace {

std::array<std::uint8_t, 16> FromHex(const std::string& hex) {
  std::array<std::uint8_t, 16> bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<std::uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
  }
  return bytes;
}

std::string KeyText(const std::array<std::uint8_t, 16>& key) {
  return std::string(reinterpret_cast<const char*>(key.data()), key.size());
}

// RFC 4269, Appendix B.
TEST(SeedCipher, MatchesTheStandardTestVectors) {
  struct Case {
    const char* key;
    const char* plain;
    const char* cipher;
  };
  const Case cases[] = {
      {"00000000000000000000000000000000", "000102030405060708090A0B0C0D0E0F",
       "5EBAC6E0054E166819AFF1CC6D346CDB"},
      {"000102030405060708090A0B0C0D0E0F", "00000000000000000000000000000000",
       "C11F22F20140505084483597E4370F43"},
      {"4706480851E61BE85D74BFB3FD956185", "83A2F8A288641FB9A4E9A5CC2F131C7D",
       "EE54D13EBCAE706D226BC3142CD40D4A"},
      {"28DBC3BC49FFD87DCFA509B11D422BE7", "B41E6BE2EBA84A148E2EED84593C5EC7",
       "9B9B7BFCD1813CB95D0B3618F40F5122"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    CSeedCipher cipher;
    cipher.SetKey(KeyText(FromHex(c.key)));
    std::array<std::uint8_t, 16> out{};
    cipher.EncryptBlock(FromHex(c.plain), out);
    EXPECT_EQ(out, FromHex(c.cipher));
  }
}

TEST(SeedHexEncoder, RendersTheStandardVectorAsLowerCaseHex) {
  const auto key = FromHex("4706480851E61BE85D74BFB3FD956185");
  const auto plain = FromHex("83A2F8A288641FB9A4E9A5CC2F131C7D");
  CSeedHexEncoder encoder(KeyText(key));
  EXPECT_EQ(encoder.Encode(KeyText(plain)), "ee54d13ebcae706d226bc3142cd40d4a");
}

TEST(SeedHexEncoder, EnciphersOneBlockPerSixteenCharactersAndAtLeastOne) {
  struct Case {
    std::size_t length;
    std::size_t hexDigits;
  };
  const Case cases[] = {{0, 32}, {1, 32}, {15, 32}, {16, 32}, {17, 64}, {32, 64}, {259, 544}};
  const CSeedHexEncoder encoder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    const std::string hex = encoder.Encode(std::string(c.length, 'h'));
    EXPECT_EQ(hex.size(), c.hexDigits);
    EXPECT_EQ(hex.find_first_not_of("0123456789abcdef"), std::string::npos);
  }
}

TEST(SeedHexEncoder, PadsTheLastBlockWithZeroBytes) {
  const CSeedHexEncoder encoder("0123456789abcdef");
  EXPECT_EQ(encoder.Encode(""), encoder.Encode(std::string(16, '\0')));
  EXPECT_EQ(encoder.Encode("abc"), encoder.Encode(std::string("abc") + std::string(13, '\0')));
  // Blocks are enciphered independently (no chaining).
  const std::string a(16, 'a');
  const std::string b(16, 'b');
  EXPECT_EQ(encoder.Encode(a + b).substr(32), encoder.Encode(b));
}

TEST(SeedCipher, OnlyTheFirstSixteenKeyBytesCount) {
  const CSeedHexEncoder shortKey("0123456789abcdef");
  const CSeedHexEncoder longKey("0123456789abcdefXYZ-anything-after");
  const CSeedHexEncoder otherKey("0123456789abcdeF");
  EXPECT_EQ(shortKey.Encode("http://example"), longKey.Encode("http://example"));
  EXPECT_NE(shortKey.Encode("http://example"), otherKey.Encode("http://example"));
}

}  // namespace
}  // namespace pellorix
