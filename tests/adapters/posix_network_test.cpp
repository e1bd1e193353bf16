// Real non-blocking TCP on loopback: the notifications a Windows socket would give, with
// Winsock's numbers. The peer is a plain socket in the test.
#include "launcher/adapters/posix/posix_network.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace veltharn {
namespace {

// A descriptor, closed when it goes.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Reset(); }
  Fd(Fd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Fd& operator=(Fd&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  [[nodiscard]] int get() const { return fd_; }
  void Reset() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// A listening socket on 127.0.0.1; `listening` false gives a bound port that refuses connects.
struct Listener {
  explicit Listener(bool listening = true) : fd(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    EXPECT_EQ(bind(fd.get(), reinterpret_cast<sockaddr*>(&address), length), 0);
    EXPECT_EQ(getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &length), 0);
    port = ntohs(address.sin_port);
    if (listening) {
      EXPECT_EQ(listen(fd.get(), 4), 0);
    }
  }
  // The launcher's connection, as the peer sees it.
  Fd Accept() const {
    pollfd ready{fd.get(), POLLIN, 0};
    if (poll(&ready, 1, 5000) != 1) return Fd();
    return Fd(accept(fd.get(), nullptr, nullptr));
  }
  Fd fd;
  uint16_t port = 0;
};

struct Notification {
  std::string kind;  // "connect", "read", "close"
  SocketId socket;
  int error;
  bool operator==(const Notification&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Notification& n) {
  return out << n.kind << " " << n.socket << " " << n.error;
}

class PosixNetworkTest : public testing::Test, public SocketNotifications {
 protected:
  PosixNetworkTest() { network.SetNotifications(this); }

  void OnConnectNotification(SocketId socket, int error) override {
    notifications.push_back({"connect", socket, error});
  }
  void OnSocketNotification(SocketId socket, int event, int error) override {
    notifications.push_back({event == kEventRead    ? "read"
                             : event == kEventClose ? "close"
                                                    : "?",
                             socket, error});
    if (event == kEventRead && connection != nullptr) {
      // Takes less than is there, so that the rest must be told again.
      std::byte buffer[readSize];
      int64_t count = connection->Receive(buffer);
      if (count > 0) received.append(reinterpret_cast<const char*>(buffer), count);
    }
  }

  // Runs the loop until `count` notifications have come (or five seconds have gone).
  void PumpUntil(size_t count) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (notifications.size() < count && std::chrono::steady_clock::now() < deadline) {
      if (!loop.PumpOne()) poll(nullptr, 0, 1);
    }
  }
  // Runs what is pending now and what arrives within `ms`.
  void PumpFor(int ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < deadline) {
      if (!loop.PumpOne()) poll(nullptr, 0, 1);
    }
  }

  // Connects to `listener`, waits for the connect notification and asks for data.
  Fd Connected(const Listener& listener) {
    ConnectAttempt attempt = network.Connect("127.0.0.1", listener.port);
    EXPECT_EQ(attempt.start, ConnectStart::kStarted);
    EXPECT_EQ(attempt.address, htonl(INADDR_LOOPBACK));
    connection = std::move(attempt.socket);
    Fd peer = listener.Accept();
    PumpUntil(1);
    EXPECT_EQ(notifications, (std::vector<Notification>{{"connect", connection->id(), 0}}));
    int error = 0;
    EXPECT_TRUE(connection->WatchForData(&error));
    notifications.clear();
    return peer;
  }

  static constexpr size_t readSize = 2;
  PollEventLoop loop;
  PosixNetwork network{loop};
  std::unique_ptr<TcpSocket> connection;
  std::vector<Notification> notifications;
  std::string received;
};

TEST_F(PosixNetworkTest, ReadsAreToldWhileBytesRemainThenAnOrderlyCloseWithoutError) {
  Listener listener;
  Fd peer = Connected(listener);
  ASSERT_EQ(send(peer.get(), "hello", 5, 0), 5);
  PumpUntil(3);
  ASSERT_EQ(shutdown(peer.get(), SHUT_WR), 0);
  PumpUntil(4);
  SocketId id = connection->id();
  EXPECT_EQ(notifications,
            (std::vector<Notification>{
                {"read", id, 0}, {"read", id, 0}, {"read", id, 0}, {"close", id, 0}}));
  EXPECT_EQ(received, "hello");
  PumpFor(20);
  EXPECT_EQ(notifications.size(), 4u);  // the close is told once
}

TEST_F(PosixNetworkTest, AResetIsACloseWithConnectionReset) {
  Listener listener;
  Fd peer = Connected(listener);
  linger abortive{1, 0};
  ASSERT_EQ(setsockopt(peer.get(), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive), 0);
  peer.Reset();
  PumpUntil(1);
  EXPECT_EQ(notifications,
            (std::vector<Notification>{{"close", connection->id(), kErrorConnectionReset}}));
}

TEST_F(PosixNetworkTest, ARefusedConnectIsToldWithItsWinsockNumber) {
  Listener closed(/*listening=*/false);
  ConnectAttempt attempt = network.Connect("127.0.0.1", closed.port);
  ASSERT_EQ(attempt.start, ConnectStart::kStarted);
  PumpUntil(1);
  EXPECT_EQ(
      notifications,
      (std::vector<Notification>{{"connect", attempt.socket->id(), kErrorConnectionRefused}}));
}

TEST_F(PosixNetworkTest, ADestroyedSocketTellsNothingAndItsIdIsNotReused) {
  Listener closed(/*listening=*/false);
  ConnectAttempt first = network.Connect("127.0.0.1", closed.port);
  SocketId firstId = first.socket->id();
  first.socket.reset();  // before its refusal is told
  ConnectAttempt second = network.Connect("127.0.0.1", closed.port);
  EXPECT_NE(second.socket->id(), firstId);
  PumpUntil(1);
  PumpFor(20);
  EXPECT_EQ(notifications,
            (std::vector<Notification>{{"connect", second.socket->id(), kErrorConnectionRefused}}));
}

TEST_F(PosixNetworkTest, AHostIsResolvedByName) {
  Listener listener;
  ConnectAttempt attempt = network.Connect("localhost", listener.port);
  ASSERT_EQ(attempt.start, ConnectStart::kStarted);
  EXPECT_EQ(attempt.address, htonl(INADDR_LOOPBACK));
  Fd peer = listener.Accept();
  PumpUntil(1);
  EXPECT_EQ(notifications, (std::vector<Notification>{{"connect", attempt.socket->id(), 0}}));
}

TEST_F(PosixNetworkTest, SendAllWaitsForRoomAndSendsEverything) {
  Listener listener;
  Fd peer = Connected(listener);
  // Far more than the socket buffers hold, so that SendAll must wait for the reader.
  std::vector<std::byte> bytes(8 << 20);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::byte>(i * 7 + i / 251);
  std::vector<std::byte> arrived;
  std::thread reader([&] {
    std::byte buffer[65536];
    while (arrived.size() < bytes.size()) {
      pollfd ready{peer.get(), POLLIN, 0};
      if (poll(&ready, 1, 5000) != 1) break;
      ssize_t count = recv(peer.get(), buffer, sizeof buffer, 0);
      if (count <= 0) break;
      arrived.insert(arrived.end(), buffer, buffer + count);
    }
  });
  int error = 0;
  EXPECT_TRUE(connection->SendAll(bytes, &error));
  reader.join();
  EXPECT_EQ(error, 0);
  EXPECT_TRUE(arrived == bytes);
}

TEST_F(PosixNetworkTest, SendingToAResetPeerFailsWithConnectionReset) {
  Listener listener;
  Fd peer = Connected(listener);
  linger abortive{1, 0};
  ASSERT_EQ(setsockopt(peer.get(), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive), 0);
  peer.Reset();
  PumpUntil(1);
  std::vector<std::byte> bytes(16);
  int error = 0;
  EXPECT_FALSE(connection->SendAll(bytes, &error));
  EXPECT_EQ(error, kErrorConnectionReset);
}

}  // namespace
}  // namespace veltharn
