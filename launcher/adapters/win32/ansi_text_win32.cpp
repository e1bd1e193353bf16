#include <windows.h>

#include "launcher/link/ansi_text.h"

namespace veltharn {

const char* ToAnsi(const char16_t* text) {
  static char buffer[kAnsiTextSize];
  const UINT codePage = GetACP();
  FillAnsiText(text, buffer, [&](std::u16string_view character, std::span<char> out) {
    // Without flags a character the code page lacks becomes its default character.
    const int count =
        WideCharToMultiByte(codePage, 0, reinterpret_cast<const wchar_t*>(character.data()),
                            static_cast<int>(character.size()), out.data(),
                            static_cast<int>(out.size()), nullptr, nullptr);
    return count > 0 ? static_cast<std::size_t>(count) : std::size_t{0};
  });
  return buffer;
}

}  // namespace veltharn
