#include "launcher/update/client_path.h"

#include <array>
#include <cctype>
#include <string>

namespace veltharn {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices whatever extension follows them.
bool IsDeviceName(std::string_view part) {
  std::string base = Upper(part.substr(0, part.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  static constexpr std::array<std::string_view, 5> kDevices = {"CON", "PRN", "AUX", "NUL",
                                                               "CONIN$"};
  for (std::string_view device : kDevices) {
    if (base == device) return true;
  }
  if (base == "CONOUT$") return true;
  return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) &&
         base[3] >= '0' && base[3] <= '9';
}

bool HasForbiddenCharacter(std::string_view path) {
  for (char c : path) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
        c == '|') {
      return true;
    }
  }
  return false;
}

}  // namespace

bool IsSafeClientPath(std::string_view path) {
  if (path.empty() || IsSeparator(path.front()) || HasForbiddenCharacter(path)) return false;

  int depth = 0;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    std::string_view part = path.substr(start, end - start);
    if (part == "..") {
      if (--depth < 0) return false;
    } else if (!part.empty() && part != ".") {
      if (part.back() == '.' || part.back() == ' ' || IsDeviceName(part)) return false;
      ++depth;
    }
    start = end + 1;
  }
  return depth > 0;
}

}  // namespace veltharn
