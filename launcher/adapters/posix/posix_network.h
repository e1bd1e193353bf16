#pragma once

#include "launcher/adapters/posix/poll_event_loop.h"
#include "launcher/ports/network.h"

namespace veltharn {

// Non-blocking TCP over the poll loop, delivering the notifications a Windows socket gives:
// the end of a connect with its error, a read notification while bytes are waiting, and a close
// (error 0 for an orderly end, 10054 for a reset). Errors carry Winsock's numbers. Socket ids are
// never reused within one PosixNetwork (descriptors are), so a notification about a socket that
// has been replaced is never taken for its successor's; a destroyed socket notifies nothing.
// `loop` must outlive the network and its sockets.
class PosixNetwork : public Network {
 public:
  explicit PosixNetwork(PollEventLoop& loop) : loop_(loop) {}
  void SetNotifications(SocketNotifications* notifications) { notifications_ = notifications; }

  ConnectAttempt Connect(const std::string& host, uint16_t port) override;

 private:
  PollEventLoop& loop_;
  SocketNotifications* notifications_ = nullptr;
  SocketId nextId_ = 1;
};

// The Winsock number for an errno value.
int WinsockError(int errnoValue);

}  // namespace veltharn
