#include "launcher/link/packet_codec.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "tests/fakes/recording_debug_output.h"

namespace veltharn {
namespace {

using Bytes = std::vector<uint8_t>;

std::span<const std::byte> AsBytes(const Bytes& bytes) {
  return std::as_bytes(std::span(bytes));
}

Bytes Packed(std::string_view format, std::initializer_list<PackValue> values) {
  std::array<std::byte, kMaxPackedBody> buffer{};
  std::size_t size = PackFields(buffer, format, values);
  Bytes out(size);
  for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(buffer[i]);
  return out;
}

// UTF-16LE bytes of `text` without a terminator.
Bytes Wide(std::u16string_view text) {
  Bytes out;
  for (char16_t unit : text) {
    out.push_back(static_cast<uint8_t>(unit & 0xFF));
    out.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

TEST(PackFieldsTest, LaysOutFieldsLittleEndian) {
  const uint8_t raw[] = {0xDE, 0xAD, 0xBE};
  const ByteRun run{std::as_bytes(std::span(raw))};
  struct Case {
    const char* name;
    Bytes packed;
    Bytes expected;
  };
  const Case cases[] = {
      {"cdd", Packed("cdd", {0, 61, 7}), {0x00, 0x3D, 0, 0, 0, 0x07, 0, 0, 0}},
      {"c", Packed("c", {5}), {0x05}},
      {"c keeps the low 8 bits", Packed("c", {0x1FF}), {0xFF}},
      {"h", Packed("h", {0x12345}), {0x45, 0x23}},
      {"d negative", Packed("d", {-2}), {0xFE, 0xFF, 0xFF, 0xFF}},
      {"d unsigned", Packed("d", {0xCBF43926u}), {0x26, 0x39, 0xF4, 0xCB}},
      {"f", Packed("f", {1.0}), {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},
      {"f from an integer", Packed("f", {-2}), {0, 0, 0, 0, 0, 0, 0x00, 0xC0}},
      {"S", Packed("S", {u"a\uD55C"}), {0x61, 0x00, 0x5C, 0xD5, 0x00, 0x00}},
      {"S null", Packed("S", {static_cast<const char16_t*>(nullptr)}), {0x00, 0x00}},
      {"S nullptr", Packed("S", {nullptr}), {0x00, 0x00}},
      {"S empty", Packed("S", {u""}), {0x00, 0x00}},
      {"s", Packed("s", {"ab"}), {0x61, 0x62, 0x00}},
      {"s null", Packed("s", {static_cast<const char*>(nullptr)}), {0x00}},
      {"b", Packed("b", {run}), {0xDE, 0xAD, 0xBE}},
      {"b empty", Packed("cb", {1, ByteRun{}}), {0x01}},
      {"unknown letter takes no value", Packed("cxd", {1, 2}), {0x01, 0x02, 0, 0, 0}},
      {"cSdddd",
       Packed("cSdddd", {2, u"a", 3, 61, 317, -1}),
       {0x02, 0x61, 0,    0,    0, 0x03, 0,    0,    0,    0x3D, 0,
        0,    0,    0x3D, 0x01, 0, 0,    0xFF, 0xFF, 0xFF, 0xFF}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.packed, c.expected);
  }
}

TEST(PackFieldsTest, RefusesABodyPastTheLimit) {
  const std::vector<std::byte> bytes8189(8189), bytes8190(8190);
  const std::u16string units4093(4093, u'x');  // 8186 bytes and the 2-byte terminator
  const std::string chars8189(8189, 'x');
  std::array<std::byte, kMaxPackedBody + 16> buffer{};
  struct Case {
    const char* name;
    std::size_t result;
    std::size_t expected;
  };
  const Case cases[] = {
      {"b ending at 8190", PackFields(buffer, "b", {ByteRun{bytes8190}}), 8190},
      {"c then b ending at 8190", PackFields(buffer, "cb", {1, ByteRun{bytes8189}}), 8190},
      {"b then c ending at 8191", PackFields(buffer, "bc", {ByteRun{bytes8190}, 1}), 0},
      {"d ending at 8193", PackFields(buffer, "bd", {ByteRun{bytes8189}, 1}), 0},
      {"S ending at 8190", PackFields(buffer, "ccS", {1, 2, units4093.c_str()}), 8190},
      {"S ending at 8191", PackFields(buffer, "cccS", {1, 2, 3, units4093.c_str()}), 0},
      {"s ending at 8190", PackFields(buffer, "s", {chars8189.c_str()}), 8190},
      {"s ending at 8191", PackFields(buffer, "cs", {1, chars8189.c_str()}), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.result, c.expected);
  }
}

TEST(PackFieldsTest, NeverWritesPastASmallBuffer) {
  std::vector<std::byte> buffer(4);  // exactly sized, so the sanitizer sees any overrun
  EXPECT_EQ(PackFields(buffer, "d", {7}), 4u);
  EXPECT_EQ(PackFields(buffer, "cd", {1, 7}), 0u);
  EXPECT_EQ(PackFields(buffer, "s", {"abcd"}), 0u);
  EXPECT_EQ(PackFields(buffer, "S", {u"ab"}), 0u);
}

TEST(PackFieldsTest, RefusesValuesThatDoNotMatchTheLetters) {
  std::array<std::byte, 64> buffer{};
  struct Case {
    const char* name;
    std::size_t result;
  };
  RecordingDebugOutput output;
  const Case cases[] = {
      {"double for d", PackFields(buffer, "d", {1.5})},
      {"byte string for S", PackFields(buffer, "S", {"a"})},
      {"UTF-16 string for s", PackFields(buffer, "s", {u"a"})},
      {"integer for s", PackFields(buffer, "s", {0})},
      {"integer for b", PackFields(buffer, "b", {3})},
      {"too few values", PackFields(buffer, "cd", {1})},
      {"too many values", PackFields(buffer, "c", {1, 2})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.result, 0u);
  }
  EXPECT_EQ(output.lines.size(), std::size(cases));
}

TEST(UnpackFieldsTest, ReadsNumbersAndZeroesThoseTheBodyLacks) {
  const Bytes full = {0x07, 0x34, 0x12, 0x3D, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
  struct Case {
    const char* name;
    Bytes body;
    uint8_t c;
    int16_t h;
    int32_t d;
    double f;
    std::size_t position;
  };
  const Case cases[] = {
      {"whole body", full, 7, 0x1234, 61, 1.0, 15},
      {"body ends inside f", Bytes(full.begin(), full.end() - 1), 7, 0x1234, 61, 0, 14},
      {"body ends inside d", Bytes(full.begin(), full.begin() + 5), 7, 0x1234, 0, 0, 5},
      {"body of one byte", {0x07}, 7, 0, 0, 0, 1},
      {"empty body", {}, 0, 0, 0, 0, 0},
      {"negative numbers",
       {0xFF, 0xFE, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0xC0},
       0xFF,
       -2,
       -2,
       -2.0,
       15},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    uint8_t byte = 0xAA;
    int16_t word = 0x5555;
    int32_t value = 0x55555555;
    double real = 99;
    EXPECT_EQ(UnpackFields(AsBytes(c.body), "chdf", {&byte, &word, &value, &real}), c.position);
    EXPECT_EQ(byte, c.c);
    EXPECT_EQ(word, c.h);
    EXPECT_EQ(value, c.d);
    EXPECT_EQ(real, c.f);
  }
}

TEST(UnpackFieldsTest, ReadsUtf16StringsWithinCapacityAndBody) {
  const std::u16string long300(300, u'x');
  struct Case {
    const char* name;
    Bytes body;
    std::size_t capacityUnits;
    std::u16string expected;
    std::size_t position;
  };
  const Case cases[] = {
      {"terminated", Concat({Wide(u"ab"), {0, 0}, {9}}), 260, u"ab", 6},
      {"empty", {0, 0}, 260, u"", 2},
      {"capacity 520 bytes keeps 259 units", Concat({Wide(long300), {0, 0}}), 260,
       long300.substr(0, 259), 520},
      {"fills the capacity exactly", Concat({Wide(u"abc"), {0, 0}}), 4, u"abc", 8},
      {"capacity of one unit copies none", Concat({Wide(u"ab"), {0, 0}}), 1, u"", 2},
      {"no terminator in the body", Wide(u"abc"), 260, u"", 6},
      {"body ends inside a unit", Concat({Wide(u"ab"), {0x63}}), 260, u"", 5},
      {"empty body", {}, 260, u"", 0},
      {"cut string ends the body", Wide(u"abcd"), 3, u"ab", 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<char16_t> text(c.capacityUnits, u'?');  // exactly sized: overruns are caught
    EXPECT_EQ(UnpackFields(AsBytes(c.body), "S", {std::span(text)}), c.position);
    EXPECT_EQ(std::u16string(text.data()), c.expected);
  }
}

TEST(UnpackFieldsTest, ReadsByteStringsWithinCapacityAndBody) {
  struct Case {
    const char* name;
    Bytes body;
    std::size_t capacity;
    std::string expected;
    std::size_t position;
  };
  const Case cases[] = {
      {"terminated", {'a', 'b', 'c', 0, 9}, 10, "abc", 4},
      {"string as long as the capacity", {'a', 'b', 'c', 'd', 0, 9}, 4, "abc", 5},
      {"string longer than the capacity", {'a', 'b', 'c', 'd', 'e', 'f', 0}, 4, "abc", 5},
      {"no terminator in the body", {'a', 'b'}, 10, "", 2},
      {"capacity reached at the body's end", {'a', 'b'}, 2, "a", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<char> text(c.capacity, '?');
    EXPECT_EQ(UnpackFields(AsBytes(c.body), "s", {std::span(text)}), c.position);
    EXPECT_EQ(std::string(text.data()), c.expected);
  }
}

TEST(UnpackFieldsTest, ByteStringOfNoCapacityWritesNothing) {
  const Bytes body = {'a', 0, 5, 0, 0, 0};
  int32_t value = 0;
  EXPECT_EQ(UnpackFields(AsBytes(body), "sd", {std::span<char>(), &value}), 5u);
  EXPECT_EQ(value, 0x0500);  // no character passed over, the terminator byte only: d starts at 1
  const Bytes shortText = {0, 5, 0, 0, 0};
  EXPECT_EQ(UnpackFields(AsBytes(shortText), "sd", {std::span<char>(), &value}), 5u);
  EXPECT_EQ(value, 5);
}

TEST(UnpackFieldsTest, CutStringLeavesThePositionInsideIt) {
  // 6 units into a capacity of 3 (2 copied): the next field starts 2 * 2 + 2 bytes in.
  const Bytes body = Concat({Wide(u"ab"), {0x11, 0x22}, {0x33, 0x44}, Wide(u"ef"), {0, 0}});
  char16_t text[3];
  int32_t next = 0;
  EXPECT_EQ(UnpackFields(AsBytes(body), "Sd", {text, &next}), 10u);
  EXPECT_EQ(std::u16string(text), u"ab");
  EXPECT_EQ(next, 0x00654433);
}

TEST(UnpackFieldsTest, UnknownLetterTakesNoDestination) {
  RecordingDebugOutput output;
  const Bytes body = {1, 0, 0, 0, 2, 0, 0, 0};
  int32_t first = 0, second = 0;
  EXPECT_EQ(UnpackFields(AsBytes(body), "dbd", {&first, &second}), 8u);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 2);
  ASSERT_EQ(output.lines.size(), 1u);
  EXPECT_EQ(output.lines[0], "unknown type b in dbd\r\n");
}

TEST(UnpackFieldsTest, WrongOrMissingDestinationStopsAndLeavesTheRestUntouched) {
  RecordingDebugOutput output;
  const Bytes body = {1, 0, 0, 0, 2, 0, 0, 0};
  int32_t first = -1, second = -1;
  uint8_t byte = 0xAA;
  EXPECT_EQ(UnpackFields(AsBytes(body), "dd", {&first, &byte}), 4u);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(byte, 0xAA);
  EXPECT_EQ(UnpackFields(AsBytes(body), "ddd", {&first, &second}), 8u);
  EXPECT_EQ(second, 2);
  EXPECT_EQ(output.lines.size(), 2u);
}

TEST(UnpackFieldsTest, NullOrEmptyDestinationsFollowTheAdvanceRules) {
  const Bytes body = Concat({Wide(u"ab"), {0, 0}, {7, 0, 0, 0}});
  int32_t value = 0;
  // No capacity: no unit copied, and the position advances by the 2 bytes of a terminator only.
  EXPECT_EQ(UnpackFields(AsBytes(body), "Sd", {std::span<char16_t>(), &value}), 6u);
  EXPECT_EQ(value, 0x62);
  // A null number destination reads its field and drops it.
  EXPECT_EQ(UnpackFields(AsBytes(body), "dd", {static_cast<int32_t*>(nullptr), &value}), 8u);
  EXPECT_EQ(value, 0x00070000);
}

TEST(PacketCodecTest, UnpackReadsWhatPackWrote) {
  std::array<std::byte, 256> buffer{};
  std::size_t size = PackFields(buffer, "cSdhfs", {6, u"Patch\\a.dat", -5, 300, 0.25, "x"});
  ASSERT_GT(size, 0u);
  uint8_t type = 0;
  char16_t name[260];
  int32_t number = 0;
  int16_t word = 0;
  double real = 0;
  char text[260];
  EXPECT_EQ(UnpackFields(std::span(buffer.data(), size), "cSdhfs",
                         {&type, name, &number, &word, &real, text}),
            size);
  EXPECT_EQ(type, 6);
  EXPECT_EQ(std::u16string(name), u"Patch\\a.dat");
  EXPECT_EQ(number, -5);
  EXPECT_EQ(word, 300);
  EXPECT_EQ(real, 0.25);
  EXPECT_STREQ(text, "x");
}

}  // namespace
}  // namespace veltharn
