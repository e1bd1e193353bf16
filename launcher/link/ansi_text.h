#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace veltharn {

// Server paths travel as UTF-16; the launcher works with bytes of the ANSI code page.
inline constexpr std::size_t kAnsiTextSize = 260;

// Converts the zero-terminated UTF-16 `text` (null reads as empty) to the ANSI code page into one
// process-wide buffer of kAnsiTextSize bytes and returns that buffer; the next call overwrites it.
// The result is always terminated: a text too long for the buffer is cut after the last whole
// character that fits, never inside a double-byte one. A character the code page lacks becomes
// "?". Each platform's adapter supplies the body (WideCharToMultiByte on Windows, iconv else).
[[nodiscard]] const char* ToAnsi(const char16_t* text);

// The longest encoding of one character in an ANSI code page, with room to spare.
inline constexpr std::size_t kMaxAnsiCharacter = 8;

// For the adapters: fills `buffer` with `text` one character (a code unit, or a surrogate pair)
// at a time while it fits in front of the terminator. `encode(character, out)` writes the bytes of
// one character to `out` and returns their count, or 0 when it cannot ("?" is written instead).
template <typename Encode>
void FillAnsiText(const char16_t* text, std::span<char> buffer, Encode encode) {
  std::size_t used = 0;
  for (const char16_t* at = text; at != nullptr && *at != u'\0';) {
    const bool pair = at[0] >= 0xD800 && at[0] <= 0xDBFF && at[1] >= 0xDC00 && at[1] <= 0xDFFF;
    const std::u16string_view character(at, pair ? 2 : 1);
    at += character.size();
    char bytes[kMaxAnsiCharacter];
    std::size_t count = encode(character, std::span<char, kMaxAnsiCharacter>(bytes));
    if (count == 0 || count > kMaxAnsiCharacter) {
      bytes[0] = '?';
      count = 1;
    }
    if (count >= buffer.size() - used) break;  // keeps the terminator's byte
    for (std::size_t i = 0; i < count; ++i) buffer[used++] = bytes[i];
  }
  buffer[used] = '\0';
}

}  // namespace veltharn
