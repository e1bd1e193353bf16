#pragma once
// Text helpers for ANSI texts. Comparisons ignore case for ASCII letters, as the system's own
// comparisons of program and value names do.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pellorix {

// The fixed buffers of the agent interfaces hold 260 bytes: 259 characters and a zero.
inline constexpr std::size_t kTextBufferSize = 260;
inline constexpr std::size_t kMaxTextLength = kTextBufferSize - 1;

bool EqualsNoCase(std::string_view a, std::string_view b);
std::string ToUpperAscii(std::string_view text);

// The text as a 260-byte buffer would hold it: cut after 259 characters.
std::string CutToBuffer(std::string_view text);
// The text, or nullopt when it would not fit a 260-byte buffer.
std::optional<std::string> FitToBuffer(std::string text);

// Text before the last backslash; empty when there is none.
std::string ParentFolder(std::string_view path);
// Removes one trailing backslash.
std::string WithoutTrailingBackslash(std::string text);

}  // namespace pellorix
