#pragma once

#include <string>
#include <string_view>

namespace veltharn {

// The ANSI code page of this process on POSIX hosts, where there is no system one: 949 for
// Korean, 1252 for English (the default). The headless launcher sets it from its language before
// any text is converted. Converting with a code page iconv does not know gives "?" for every
// character.
void SetAnsiCodePage(int codePage);
[[nodiscard]] int AnsiCodePage();

// Between the ANSI code page and UTF-8, for the terminal and the catalogue's UTF-8 texts. What
// cannot be converted (an invalid sequence, a character the code page lacks) becomes "?".
[[nodiscard]] std::string AnsiToUtf8(std::string_view text);
[[nodiscard]] std::string Utf8ToAnsi(std::string_view text);

}  // namespace veltharn
