#pragma once
// Splits an address into server, port and object path. Only HTTP addresses are accepted.
#include <cstdint>
#include <optional>
#include <string>

namespace pellorix {

struct HttpUrl {
  std::string server;
  std::uint16_t port = 80;
  std::string objectPath = "/";
};

// nullopt for another scheme, an empty host, a bad port or an over-long address.
std::optional<HttpUrl> ParseHttpUrl(const std::string& address);

}  // namespace pellorix
