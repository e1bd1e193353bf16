#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace veltharn {

// Socket notifications, with the numbers Winsock gives them. The platform delivers them to the
// controller as connect and socket notifications (see SocketNotifications); a notification names
// the socket it is about, so one that arrives for a socket already replaced can be told apart.
enum SocketEvent : int {
  kEventRead = 0x01,
  kEventWrite = 0x02,
  kEventOutOfBand = 0x04,
  kEventConnect = 0x10,
  kEventClose = 0x20,
};

// Winsock error numbers the launcher tells apart; other platforms map their errors onto them.
inline constexpr int kErrorWouldBlock = 10035;
inline constexpr int kErrorConnectionRefused = 10061;
inline constexpr int kErrorConnectionReset = 10054;
inline constexpr int kErrorTimedOut = 10060;

using SocketId = uintptr_t;

class SocketNotifications {
 public:
  virtual ~SocketNotifications() = default;
  // The connect of `socket` has finished; `error` 0 means it succeeded.
  virtual void OnConnectNotification(SocketId socket, int error) = 0;
  // `event` (one SocketEvent) happened on `socket`; `error` 0 means none.
  virtual void OnSocketNotification(SocketId socket, int event, int error) = 0;
};

// One TCP socket to the update server. Destroying it closes it; no notification about it is
// delivered afterwards.
class TcpSocket {
 public:
  virtual ~TcpSocket() = default;
  [[nodiscard]] virtual SocketId id() const = 0;
  // After a successful connect: ask for read, out-of-band and close notifications. On failure
  // `*error` holds the platform's error.
  [[nodiscard]] virtual bool WatchForData(int* error) = 0;
  // Up to buffer.size() bytes that have arrived: the count, 0 when the peer has closed, -1 when
  // nothing is there or the receive failed.
  [[nodiscard]] virtual int64_t Receive(std::span<std::byte> buffer) = 0;
  // Sends all of `bytes`, waiting a bounded time for room when the socket is full. False on
  // failure, with the platform's error in `*error`.
  [[nodiscard]] virtual bool SendAll(std::span<const std::byte> bytes, int* error) = 0;
};

enum class ConnectStart {
  kStarted,        // the outcome arrives as a connect notification
  kNoSocketLayer,  // the socket library cannot be started
  kVersionTooLow,  // the socket library is not the version asked for
  kNoSocket,       // no socket could be made
  kSelectFailed,   // notifications cannot be requested; `error` tells why
  kConnectFailed,  // the connect call failed at once; `error` and `address` tell why
};

struct ConnectAttempt {
  ConnectStart start = ConnectStart::kNoSocket;
  std::unique_ptr<TcpSocket> socket;  // set for kStarted
  int error = 0;
  uint32_t address = 0;  // the IPv4 address tried, in network order
};

class Network {
 public:
  virtual ~Network() = default;
  // Resolves `host` by name, else as dotted IPv4 text, and starts a non-blocking connect to
  // `port`; its outcome is delivered to the installed notifications.
  [[nodiscard]] virtual ConnectAttempt Connect(const std::string& host, uint16_t port) = 0;
};

}  // namespace veltharn
