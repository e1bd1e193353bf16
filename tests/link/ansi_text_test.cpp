#include "launcher/link/ansi_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace veltharn {
namespace {

// What holds in every ANSI code page: ASCII passes unchanged, the buffer is never overrun.
TEST(ToAnsiTest, AsciiTextPassesUnchanged) {
  struct Case {
    const char16_t* text;
    const char* expected;
  };
  const Case cases[] = {
      {u".\\system\\qor.exe", ".\\system\\qor.exe"},
      {u"", ""},
      {nullptr, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_STREQ(ToAnsi(c.text), c.expected);
  }
}

TEST(ToAnsiTest, CutsLongTextsAndTerminates) {
  const std::u16string text259(259, u'a'), text260(260, u'b'), text1000(1000, u'c');
  struct Case {
    const char16_t* text;
    std::string expected;
  };
  const Case cases[] = {
      {text259.c_str(), std::string(259, 'a')},
      {text260.c_str(), std::string(259, 'b')},
      {text1000.c_str(), std::string(259, 'c')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected.substr(0, 1));
    const char* result = ToAnsi(c.text);
    EXPECT_EQ(std::strlen(result), c.expected.size());
    EXPECT_EQ(result, c.expected);
  }
}

TEST(ToAnsiTest, TheNextCallOverwritesTheSharedBuffer) {
  const char* first = ToAnsi(u"first");
  const char* second = ToAnsi(u"2nd");
  EXPECT_EQ(first, second);
  EXPECT_STREQ(first, "2nd");
}

// The filling rule itself, with a made-up code page of one to three bytes per character.
TEST(FillAnsiTextTest, KeepsOnlyWholeCharactersThatFit) {
  auto encode = [](std::u16string_view character, std::span<char> out) -> std::size_t {
    if (character.size() == 2) {  // a surrogate pair: three bytes
      out[0] = 'P', out[1] = 'P', out[2] = 'P';
      return 3;
    }
    if (character[0] == u'?') return 0;  // "cannot encode"
    if (character[0] >= 0x80) {
      out[0] = 'W', out[1] = 'w';
      return 2;
    }
    out[0] = static_cast<char>(character[0]);
    return 1;
  };
  struct Case {
    const char* name;
    std::u16string text;
    std::size_t size;
    std::string expected;
  };
  const Case cases[] = {
      {"double-byte fits exactly", u"a\uD55C", 4, "aWw"},
      {"double-byte would need the terminator's byte", u"ab\uD55C", 4, "ab"},
      {"pair kept whole", u"\U0001F600", 4, "PPP"},
      {"pair not split", u"a\U0001F600", 4, "a"},
      {"lone high surrogate is one character", u"\xD800x", 8, "Wwx"},
      {"unencodable becomes ?", u"a?b", 8, "a?b"},
      {"buffer of one byte", u"abc", 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<char> buffer(c.size, '#');
    FillAnsiText(c.text.c_str(), buffer, encode);
    EXPECT_EQ(std::string(buffer.data()), c.expected);
  }
}

}  // namespace
}  // namespace veltharn
