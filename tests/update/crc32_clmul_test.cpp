#include "launcher/update/crc32_clmul.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

#include "launcher/update/crc32.h"

namespace veltharn {
namespace {

// What the launcher has always computed: zlib's crc32, fed in pieces it can count.
uint32_t ZlibCrc(std::span<const std::byte> bytes, uint32_t previous) {
  uLong crc = previous;
  const auto* data = reinterpret_cast<const Bytef*>(bytes.data());
  for (std::size_t left = bytes.size(); left > 0;) {
    const auto piece = static_cast<uInt>(std::min<std::size_t>(left, 1u << 20));
    crc = crc32(crc, data, piece);
    data += piece;
    left -= piece;
  }
  return static_cast<uint32_t>(crc);
}

std::vector<std::byte> RandomBytes(std::size_t count, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::byte> bytes(count);
  for (std::byte& b : bytes) b = static_cast<std::byte>(random() & 0xFF);
  return bytes;
}

class Crc32ClmulTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!CanUseCrc32Clmul()) GTEST_SKIP() << "no carry-less multiply on this processor";
  }
};

TEST(ReflectedXPowerModTest, SmallPowersAndThePolynomial) {
  for (unsigned n = 0; n < 32; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(ReflectedXPowerMod(n), 0x80000000u >> n);
  }
  // x^32 = P - x^32 modulo P: the polynomial's own low terms.
  EXPECT_EQ(ReflectedXPowerMod(32), 0xEDB88320u);
}

// The CRC register after a message that is one 1 bit followed by zeros, started empty and not
// inverted at the end, is x^(bits - 1 + 32) mod P: the powers the fold constants are made of,
// checked against zlib, which shares none of their code.
TEST(ReflectedXPowerModTest, MatchesZlibOnASingleBitFollowedByZeros) {
  for (std::size_t zeros : {0u, 1u, 3u, 7u, 8u, 11u, 12u, 15u, 16u, 60u, 63u, 64u, 68u}) {
    SCOPED_TRACE(zeros);
    std::vector<std::byte> message(zeros + 1);
    message[0] = std::byte{0x01};  // the first bit of a reflected CRC's message is bit 0
    const uint32_t raw = ~ZlibCrc(message, 0xFFFFFFFFu);
    EXPECT_EQ(ReflectedXPowerMod(static_cast<unsigned>(8 * message.size() - 1 + 32)), raw);
  }
}

TEST_F(Crc32ClmulTest, KnownAnswers) {
  struct Case {
    std::size_t count;
    std::byte value;
    uint32_t crc;
  };
  // Runs of one byte value, long enough that all of the folding runs.
  std::vector<std::byte> digits(9 * 1000);
  for (std::size_t i = 0; i < digits.size(); ++i) digits[i] = std::byte('1' + i % 9);
  EXPECT_EQ(Crc32Clmul(std::span(digits).first(9), 0), 0xCBF43926u);
  EXPECT_EQ(Crc32Clmul(digits, 0), ZlibCrc(digits, 0));
  const Case cases[] = {
      {32, std::byte{0x00}, 0x190A55ADu},
      {32, std::byte{0xFF}, 0xFF6CAB0Bu},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.crc);
    std::vector<std::byte> run(c.count, c.value);
    EXPECT_EQ(Crc32Clmul(run, 0), c.crc);
    // The same run twice over, continued, crosses the folding threshold.
    std::vector<std::byte> twice(2 * c.count, c.value);
    EXPECT_EQ(Crc32Clmul(std::span(twice).subspan(c.count), c.crc), ZlibCrc(twice, 0));
  }
}

TEST_F(Crc32ClmulTest, EqualsZlibForEveryLengthStartAndStartValue) {
  constexpr std::size_t kMiB = 1 << 20;
  const std::vector<std::byte> data = RandomBytes(kMiB + 3 + 16, 7);
  const std::size_t lengths[] = {0,  1,   15,  16,  17,   63,   64,   65,      79,
                                 80, 127, 128, 129, 4095, 4096, 4097, kMiB + 3};
  const uint32_t previous[] = {0, 0xFFFFFFFFu, 0xCBF43926u, 0x00000001u};
  for (std::size_t length : lengths) {
    for (std::size_t start = 0; start < 16; ++start) {
      for (uint32_t before : previous) {
        SCOPED_TRACE(testing::Message()
                     << "length " << length << " start " << start << " from " << before);
        const auto range = std::span(data).subspan(start, length);
        EXPECT_EQ(Crc32Clmul(range, before), ZlibCrc(range, before));
      }
    }
  }
}

TEST_F(Crc32ClmulTest, ChainedPiecesEqualOneCall) {
  const std::vector<std::byte> data = RandomBytes(20000, 11);
  const uint32_t whole = ZlibCrc(data, 0);
  // Two pieces, cut around the folding's block and step sizes.
  for (std::size_t cut : {0u, 1u, 15u, 16u, 63u, 64u, 65u, 4096u, 19936u, 19999u, 20000u}) {
    SCOPED_TRACE(cut);
    const uint32_t first = Crc32Clmul(std::span(data).first(cut), 0);
    EXPECT_EQ(Crc32Clmul(std::span(data).subspan(cut), first), whole);
  }
  // Many pieces of random sizes, short and long mixed.
  std::mt19937 random(3);
  uint32_t crc = 0;
  for (std::size_t at = 0; at < data.size();) {
    const std::size_t size = std::min<std::size_t>(random() % 300, data.size() - at);
    crc = Crc32Clmul(std::span(data).subspan(at, size), crc);
    at += size;
  }
  EXPECT_EQ(crc, whole);
}

TEST(Crc32EnginesTest, BothEnginesGiveTheLauncherTheSameCrc) {
  const std::vector<std::byte> data = RandomBytes(3 * 4096 + 5, 5);
  for (std::size_t length : {0u, 20u, 64u, 4096u, 3u * 4096u + 5u}) {
    SCOPED_TRACE(length);
    const auto range = std::span(data).first(length);
    EXPECT_EQ(Crc32(range, 0x1234u), ZlibCrc(range, 0x1234u));
    EXPECT_EQ(Crc32Zlib(range, 0x1234u), ZlibCrc(range, 0x1234u));
  }
}

}  // namespace
}  // namespace veltharn
