#include "launcher/adapters/posix/ansi_text_iconv.h"

#include <gtest/gtest.h>

#include <string>

#include "launcher/link/ansi_text.h"

namespace veltharn {
namespace {

// Restores the process-wide code page when a test is done with it.
class AnsiCodePageTest : public testing::Test {
 protected:
  ~AnsiCodePageTest() override { SetAnsiCodePage(saved_); }

 private:
  int saved_ = AnsiCodePage();
};

TEST_F(AnsiCodePageTest, DefaultsToWesternEuropean) {
  EXPECT_EQ(AnsiCodePage(), 1252);
}

TEST_F(AnsiCodePageTest, ConvertsToTheChosenCodePage) {
  struct Case {
    int codePage;
    std::u16string text;
    std::string expected;
  };
  const Case cases[] = {
      {949, u"\uD55C\uAE00", "\xC7\xD1\xB1\xDB"},
      {949, u"Patch\\\uD55C.dat", "Patch\\\xC7\xD1.dat"},
      {1252, u"caf\u00E9 \u20AC", "caf\xE9 \x80"},
      {1252, u"\uD55C", "?"},
      {949, u"\U0001F600", "?"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    SetAnsiCodePage(c.codePage);
    EXPECT_EQ(std::string(ToAnsi(c.text.c_str())), c.expected);
  }
}

TEST_F(AnsiCodePageTest, NeverCutsADoubleByteCharacter) {
  SetAnsiCodePage(949);
  // 130 characters of two bytes: 129 fit in front of the terminator.
  const std::u16string text(130, u'\uD55C');
  std::string expected;
  for (int i = 0; i < 129; ++i) expected += "\xC7\xD1";
  EXPECT_EQ(std::string(ToAnsi(text.c_str())), expected);
  const std::u16string odd = u"a" + text;  // 1 + 2 * 129 = 259 bytes
  EXPECT_EQ(std::string(ToAnsi(odd.c_str())), "a" + expected);
  const std::u16string even = u"ab" + text;  // the 129th would need the terminator's byte
  EXPECT_EQ(std::string(ToAnsi(even.c_str())), "ab" + expected.substr(2));
}

TEST_F(AnsiCodePageTest, ConvertsAnsiTextToUtf8) {
  struct Case {
    int codePage;
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {949, "\xC7\xD1\xB1\xDB", "\xED\x95\x9C\xEA\xB8\x80"},
      {949, "ok \xC7", "ok ?"},  // a lead byte with nothing after it
      {1252, "caf\xE9", "caf\xC3\xA9"},
      {1252, "", ""},
      {1252, std::string(1000, 'x'), std::string(1000, 'x')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected.substr(0, 16));
    SetAnsiCodePage(c.codePage);
    EXPECT_EQ(AnsiToUtf8(c.text), c.expected);
  }
}

TEST_F(AnsiCodePageTest, ConvertsUtf8TextToAnsi) {
  struct Case {
    int codePage;
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {949, "\xED\x95\x9C\xEA\xB8\x80 ok", "\xC7\xD1\xB1\xDB ok"},
      {1252, "caf\xC3\xA9", "caf\xE9"},
      {1252, "\xED\x95\x9C!", "?!"},  // a character CP1252 lacks, passed over whole
      {949,
       "a\xFF"
       "b",
       "a?b"},  // not UTF-8 at all
      {1252, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SetAnsiCodePage(c.codePage);
    EXPECT_EQ(Utf8ToAnsi(c.text), c.expected);
  }
}

}  // namespace
}  // namespace veltharn
