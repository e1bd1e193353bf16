#include "common/text.h"

namespace pellorix {
namespace {

char ToUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ToUpper(a[i]) != ToUpper(b[i])) return false;
  }
  return true;
}

std::string ToUpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = ToUpper(c);
  return upper;
}

std::string CutToBuffer(std::string_view text) {
  return std::string(text.substr(0, kMaxTextLength));
}

std::optional<std::string> FitToBuffer(std::string text) {
  if (text.size() > kMaxTextLength) return std::nullopt;
  return text;
}

std::string ParentFolder(std::string_view path) {
  const auto slash = path.rfind('\\');
  if (slash == std::string_view::npos) return {};
  return std::string(path.substr(0, slash));
}

std::string WithoutTrailingBackslash(std::string text) {
  if (!text.empty() && text.back() == '\\') text.pop_back();
  return text;
}

}  // namespace pellorix
