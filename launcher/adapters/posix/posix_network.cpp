#include "launcher/adapters/posix/posix_network.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>

namespace veltharn {
namespace {

constexpr int kHostNotFound = 11001;
constexpr int kSendWaitMs = 10000;

class PosixSocket : public TcpSocket {
 public:
  PosixSocket(int fd, SocketId id, PollEventLoop& loop, SocketNotifications*& notifications)
      : fd_(fd), id_(id), loop_(loop), notifications_(notifications) {}
  ~PosixSocket() override {
    *alive_ = false;
    loop_.Unwatch(fd_);
    close(fd_);
  }
  PosixSocket(const PosixSocket&) = delete;
  PosixSocket& operator=(const PosixSocket&) = delete;

  SocketId id() const override { return id_; }

  // Waits for the end of the connect.
  void WatchForConnect() {
    loop_.Watch(fd_, POLLOUT, [this](short) {
      int error = 0;
      socklen_t length = sizeof error;
      if (getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
      loop_.Unwatch(fd_);
      if (notifications_ != nullptr) {
        notifications_->OnConnectNotification(id_, error == 0 ? 0 : WinsockError(error));
      }
    });
  }

  // A connect that failed before it could start is told as a later connect notification, the
  // way Windows tells a pending connect's end; not at all once the socket is gone.
  void NotifyConnectFailure(int error) {
    loop_.Post([alive = alive_, id = id_, error, &notifications = notifications_] {
      if (*alive && notifications != nullptr) notifications->OnConnectNotification(id, error);
    });
  }

  bool WatchForData(int* /*error*/) override {
    loop_.Watch(fd_, POLLIN, [this](short ready) { OnReadable(ready); });
    return true;
  }

  int64_t Receive(std::span<std::byte> buffer) override {
    ssize_t count;
    do {
      count = recv(fd_, buffer.data(), buffer.size(), 0);
    } while (count < 0 && errno == EINTR);
    return count < 0 ? -1 : count;
  }

  bool SendAll(std::span<const std::byte> bytes, int* error) override {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSendWaitMs);
    while (!bytes.empty()) {
      ssize_t sent = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (sent > 0) {
        bytes = bytes.subspan(static_cast<size_t>(sent));
        continue;
      }
      if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        if (error != nullptr) *error = WinsockError(errno);
        return false;
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      pollfd writable{fd_, POLLOUT, 0};
      if (left.count() <= 0 ||
          (poll(&writable, 1, static_cast<int>(left.count())) < 0 && errno != EINTR)) {
        if (error != nullptr) *error = kErrorWouldBlock;
        return false;
      }
    }
    return true;
  }

 private:
  // Bytes waiting: a read notification (poll reports them again while they remain, as Winsock
  // re-posts FD_READ). The end of the stream: a close notification, once.
  void OnReadable(short ready) {
    if (notifications_ == nullptr) return;
    std::byte probe;
    ssize_t waiting = recv(fd_, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
    if (waiting > 0) {
      notifications_->OnSocketNotification(id_, kEventRead, 0);
      return;
    }
    int error = 0;
    if (waiting < 0) {
      bool nothingYet = errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
      if (nothingYet && (ready & (POLLERR | POLLHUP)) == 0) return;
      error = nothingYet ? PendingError() : WinsockError(errno);
    }
    loop_.Unwatch(fd_);
    notifications_->OnSocketNotification(id_, kEventClose, error);
  }

  int PendingError() const {
    int error = 0;
    socklen_t length = sizeof error;
    getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length);
    return error == 0 ? 0 : WinsockError(error);
  }

  int fd_;
  SocketId id_;
  PollEventLoop& loop_;
  SocketNotifications*& notifications_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace

int WinsockError(int errnoValue) {
  switch (errnoValue) {
    case ECONNREFUSED:
      return kErrorConnectionRefused;
    case ECONNRESET:
    case EPIPE:
      return kErrorConnectionReset;
    case ETIMEDOUT:
      return kErrorTimedOut;
    case ENETUNREACH:
      return 10051;
    case EHOSTUNREACH:
      return 10065;
    case EADDRNOTAVAIL:
      return 10049;
    case ECONNABORTED:
      return 10053;
    default:
      return 10000 + errnoValue;
  }
}

ConnectAttempt PosixNetwork::Connect(const std::string& host, uint16_t port) {
  ConnectAttempt attempt;
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) {
    attempt.start = ConnectStart::kNoSocket;
    return attempt;
  }
  auto socket = std::make_unique<PosixSocket>(fd, nextId_++, loop_, notifications_);

  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  bool resolved = getaddrinfo(host.c_str(), nullptr, &hints, &found) == 0 && found != nullptr;
  if (resolved) {
    address.sin_addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
  } else if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
    // A host that is neither a name nor an address: the connect fails, as it would on Windows.
    socket->NotifyConnectFailure(kHostNotFound);
    attempt.start = ConnectStart::kStarted;
    attempt.socket = std::move(socket);
    return attempt;
  }
  attempt.address = address.sin_addr.s_addr;

  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
      errno != EINPROGRESS) {
    // Refused at once (loopback does that): report it the way a pending connect ends.
    socket->NotifyConnectFailure(WinsockError(errno));
    attempt.start = ConnectStart::kStarted;
    attempt.socket = std::move(socket);
    return attempt;
  }
  socket->WatchForConnect();
  attempt.start = ConnectStart::kStarted;
  attempt.socket = std::move(socket);
  return attempt;
}

}  // namespace veltharn
