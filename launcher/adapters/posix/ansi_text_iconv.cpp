#include "launcher/adapters/posix/ansi_text_iconv.h"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <memory>
#include <string>

#include "launcher/link/ansi_text.h"

namespace veltharn {
namespace {

int codePage = 1252;

std::string IconvName(int page) {
  return "CP" + std::to_string(page);
}

// char16_t in memory is in the host's byte order.
constexpr const char* kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// An iconv descriptor, closed when it goes.
class Converter {
 public:
  Converter(const std::string& to, const std::string& from)
      : handle_(iconv_open(to.c_str(), from.c_str())) {}
  ~Converter() {
    if (valid()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  [[nodiscard]] bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
  // Converts as much of `in` as it can into `out`; advances both.
  std::size_t Convert(const char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft) {
    return iconv(handle_, const_cast<char**>(&in), &inLeft, &out, &outLeft);
  }
  void Reset() { iconv(handle_, nullptr, nullptr, nullptr, nullptr); }

 private:
  iconv_t handle_;
};

// Converts all of `text`, writing "?" for each sequence iconv refuses; `skip` tells how many bytes
// of the refused sequence at the front of its argument to pass over.
template <typename Skip>
std::string ConvertAll(const std::string& to, const std::string& from, std::string_view text,
                       Skip skip) {
  Converter converter(to, from);
  if (!converter.valid()) return std::string(text.size(), '?');
  std::string result;
  const char* in = text.data();
  std::size_t inLeft = text.size();
  char chunk[256];
  while (inLeft > 0) {
    char* out = chunk;
    std::size_t outLeft = sizeof chunk;
    const std::size_t done = converter.Convert(in, inLeft, out, outLeft);
    result.append(chunk, static_cast<std::size_t>(out - chunk));
    if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
      result.push_back('?');
      const auto passed = std::min<std::size_t>(inLeft, skip(std::string_view(in, inLeft)));
      in += passed;
      inLeft -= passed;
      converter.Reset();
    }
  }
  return result;
}

// Converts one character (a code unit or a surrogate pair) into `out`; 0 when it cannot.
std::size_t ConvertCharacter(Converter& converter, std::u16string_view character,
                             std::span<char> out) {
  if (!converter.valid()) return 0;
  const char* in = reinterpret_cast<const char*>(character.data());
  std::size_t inLeft = character.size() * sizeof(char16_t);
  char* written = out.data();
  std::size_t outLeft = out.size();
  converter.Reset();
  if (converter.Convert(in, inLeft, written, outLeft) == static_cast<std::size_t>(-1)) return 0;
  return static_cast<std::size_t>(written - out.data());
}

// The converter to the current code page. Opening one costs more than converting a path, and
// every inspected file's name comes through here: one for the life of the program, opened again
// only when the code page changes.
struct AnsiConverter {
  explicit AnsiConverter(int number) : page(number), converter(IconvName(number), kUtf16) {
    // Names are mostly ASCII, which the ANSI code pages keep as it is; where this one does, those
    // characters need no call into iconv.
    keepsAscii = converter.valid();
    for (char16_t c = 1; c < 0x80 && keepsAscii; ++c) {
      char out[kMaxAnsiCharacter];
      keepsAscii = ConvertCharacter(converter, std::u16string_view(&c, 1), out) == 1 &&
                   out[0] == static_cast<char>(c);
    }
  }
  int page;
  Converter converter;
  bool keepsAscii = false;
};

}  // namespace

void SetAnsiCodePage(int page) {
  codePage = page;
}

int AnsiCodePage() {
  return codePage;
}

const char* ToAnsi(const char16_t* text) {
  static char buffer[kAnsiTextSize];
  static std::unique_ptr<AnsiConverter> ansi;
  if (ansi == nullptr || ansi->page != codePage) ansi = std::make_unique<AnsiConverter>(codePage);
  FillAnsiText(text, buffer, [](std::u16string_view character, std::span<char> out) {
    if (ansi->keepsAscii && character.size() == 1 && character[0] < 0x80) {
      out[0] = static_cast<char>(character[0]);
      return std::size_t{1};
    }
    return ConvertCharacter(ansi->converter, character, out);
  });
  return buffer;
}

std::string AnsiToUtf8(std::string_view text) {
  // An invalid or unfinished sequence is passed over from its first byte.
  return ConvertAll("UTF-8", IconvName(codePage), text, [](std::string_view) { return 1; });
}

std::string Utf8ToAnsi(std::string_view text) {
  // An invalid sequence, or a character the code page lacks, is passed over whole.
  return ConvertAll(IconvName(codePage), "UTF-8", text, [](std::string_view rest) {
    const auto lead = static_cast<unsigned char>(rest[0]);
    const int length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    int whole = 1;
    while (whole < length && whole < static_cast<int>(rest.size()) &&
           (static_cast<unsigned char>(rest[whole]) & 0xC0) == 0x80) {
      ++whole;
    }
    return whole;
  });
}

}  // namespace veltharn
