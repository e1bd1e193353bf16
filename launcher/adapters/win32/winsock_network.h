#pragma once

#include <windows.h>

#include "launcher/ports/network.h"

namespace veltharn {

// The window messages Winsock posts for the update connection.
inline constexpr UINT kUpdateConnectMessage = 2025;  // FD_CONNECT
inline constexpr UINT kUpdateSocketMessage = 2026;   // FD_READ, FD_OOB, FD_CLOSE

// Winsock 1.1 in asynchronous-select mode: notifications arrive as messages 2025 and 2026 to
// `window`, whose procedure hands them to the controller.
class WinsockNetwork : public Network {
 public:
  explicit WinsockNetwork(HWND window) : window_(window) {}
  ConnectAttempt Connect(const std::string& host, uint16_t port) override;

 private:
  HWND window_;
};

}  // namespace veltharn
