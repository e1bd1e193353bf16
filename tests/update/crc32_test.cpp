#include "launcher/update/crc32.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace veltharn {
namespace {

std::span<const std::byte> AsBytes(std::string_view text) {
  return std::as_bytes(std::span(text.data(), text.size()));
}

// The byte-at-a-time reflected CRC-32 with its 256-entry table, written out independently.
uint32_t ReferenceCrc32(std::string_view text) {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : text) crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

TEST(Crc32Test, KnownValues) {
  struct Case {
    std::string_view text;
    uint32_t crc;
  };
  const Case cases[] = {
      {"123456789", 0xCBF43926u},
      {"", 0u},
      {"a", 0xE8B7BE43u},
      {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    EXPECT_EQ(Crc32(AsBytes(c.text)), c.crc);
    EXPECT_EQ(ReferenceCrc32(c.text), c.crc);
  }
}

TEST(Crc32Test, MatchesTheByteTableOnEveryByteValueAndLength) {
  std::string text;
  for (int i = 0; i < 9000; ++i) text.push_back(static_cast<char>((i * 7 + i / 256) & 0xFF));
  for (std::size_t length : {1u, 255u, 256u, 4095u, 4096u, 4097u, 9000u}) {
    SCOPED_TRACE(length);
    std::string_view part(text.data(), length);
    EXPECT_EQ(Crc32(AsBytes(part)), ReferenceCrc32(part));
  }
}

TEST(Crc32Test, ContinuesAcrossPieces) {
  const std::string_view text = "123456789";
  for (std::size_t cut = 0; cut <= text.size(); ++cut) {
    SCOPED_TRACE(cut);
    uint32_t crc = Crc32(AsBytes(text.substr(0, cut)));
    EXPECT_EQ(Crc32(AsBytes(text.substr(cut)), crc), 0xCBF43926u);
  }
}

}  // namespace
}  // namespace veltharn
