#pragma once
// HTTP over WinINet: one session per object (opened at the first request, with the system's
// preconfigured proxy settings), one connection and one request per download.
#include "adapters/win32/unique_handle.h"
#include "ports/http.h"

namespace pellorix::win32 {

class WinInetSession final : public HttpSession {
 public:
  std::unique_ptr<HttpRequest> OpenGet(const std::string& server, std::uint16_t port,
                                       const std::string& objectPath, std::uint32_t flags) override;

 private:
  UniqueInternet session_;
};

}  // namespace pellorix::win32
