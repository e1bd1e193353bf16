#include "http/http_url.h"

#include "common/text.h"

namespace pellorix {
namespace {

// The longest address WinINet accepts.
constexpr std::size_t kMaxUrlLength = 2083;
constexpr std::string_view kScheme = "http://";

}  // namespace

std::optional<HttpUrl> ParseHttpUrl(const std::string& address) {
  if (address.size() > kMaxUrlLength) return std::nullopt;
  if (address.size() < kScheme.size() ||
      !EqualsNoCase(std::string_view(address).substr(0, kScheme.size()), kScheme)) {
    return std::nullopt;
  }
  const std::string rest = address.substr(kScheme.size());
  const auto pathStart = rest.find('/');
  std::string authority = rest.substr(0, pathStart);
  HttpUrl url;
  if (pathStart != std::string::npos) url.objectPath = rest.substr(pathStart);

  if (authority.find('@') != std::string::npos) return std::nullopt;
  const auto colon = authority.find(':');
  if (colon != std::string::npos) {
    const std::string portText = authority.substr(colon + 1);
    if (portText.empty() || portText.size() > 5) return std::nullopt;
    unsigned long port = 0;
    for (char c : portText) {
      if (c < '0' || c > '9') return std::nullopt;
      port = port * 10 + static_cast<unsigned long>(c - '0');
    }
    if (port == 0 || port > 65535) return std::nullopt;
    url.port = static_cast<std::uint16_t>(port);
    authority.resize(colon);
  }
  if (authority.empty()) return std::nullopt;
  url.server = authority;
  return url;
}

}  // namespace pellorix
