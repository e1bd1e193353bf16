#pragma once
// HTTP port: one GET request over a connection of its own.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace pellorix {

class HttpRequest {
 public:
  virtual ~HttpRequest() = default;  // closes the request and then its connection
  virtual bool AddHeaders(const std::string& headers) = 0;
  // Sends the request; the status code, or nullopt when sending failed.
  virtual std::optional<int> Send() = 0;
  // Shows the system's credentials dialog after a 401; true when the user asks for a retry.
  virtual bool AskCredentials() = 0;
  // The raw response headers, lines ended by CR LF.
  virtual std::optional<std::string> RawHeaders() = 0;
  // Bytes read (0 at the end of the body); nullopt when the read fails.
  virtual std::optional<std::size_t> Read(std::span<std::uint8_t> buffer) = 0;
};

class HttpSession {
 public:
  virtual ~HttpSession() = default;
  // Opens a connection and a GET request for the object path; nullptr on failure.
  virtual std::unique_ptr<HttpRequest> OpenGet(const std::string& server, std::uint16_t port,
                                               const std::string& objectPath,
                                               std::uint32_t flags) = 0;
};

}  // namespace pellorix
