#pragma once

#include "launcher/adapters/posix/poll_event_loop.h"
#include "launcher/ports/network.h"

namespace veltharn {

// Non-blocking TCP over the poll loop, delivering the notifications a Windows socket gives:
// the end of a connect with its error, a read notification while bytes are waiting, and a close
// (error 0 for an orderly end, 10054 for a reset). Errors carry Winsock's numbers.
class PosixNetwork : public Network {
 public:
  explicit PosixNetwork(PollEventLoop& loop) : loop_(loop) {}
  void SetNotifications(SocketNotifications* notifications) { notifications_ = notifications; }

  ConnectAttempt Connect(const std::string& host, uint16_t port) override;

 private:
  PollEventLoop& loop_;
  SocketNotifications* notifications_ = nullptr;
};

// The Winsock number for an errno value.
int WinsockError(int errnoValue);

}  // namespace veltharn
