#include "launcher/adapters/win32/winsock_network.h"

#include <gtest/gtest.h>
#include <winsock2.h>

#include <cstring>
#include <string>

#include "launcher/adapters/win32/unique_handle.h"
#include "tests/adapters/win32/message_window.h"

namespace veltharn {
namespace {

using testing::MessageWindow;

constexpr DWORD kWaitMs = 5000;

// A blocking listener on 127.0.0.1 with a port of the system's choosing.
class Listener {
 public:
  Listener() {
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
    socket_.reset(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    bind(socket_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(socket_.get(), 1);
    int size = sizeof address;
    getsockname(socket_.get(), reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
  }
  ~Listener() { WSACleanup(); }
  [[nodiscard]] uint16_t port() const { return port_; }
  UniqueSocket Accept() { return UniqueSocket(accept(socket_.get(), nullptr, nullptr)); }
  void Close() { socket_.reset(); }

 private:
  UniqueSocket socket_;
  uint16_t port_ = 0;
};

bool IsMessage(const MessageWindow::Message& m, UINT message, SocketId socket, int event) {
  return m.message == message && m.wParam == socket && WSAGETSELECTEVENT(m.lParam) == event;
}

TEST(WinsockNetworkTest, ConnectsByNameOrAddressAndReportsThroughMessage2025) {
  struct Case {
    const char* host;
  } const cases[] = {{"127.0.0.1"}, {"localhost"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.host);
    Listener listener;
    MessageWindow window;
    WinsockNetwork network(window.handle());
    ConnectAttempt attempt = network.Connect(c.host, listener.port());
    ASSERT_EQ(attempt.start, ConnectStart::kStarted);
    ASSERT_NE(attempt.socket, nullptr);
    EXPECT_EQ(attempt.address, inet_addr("127.0.0.1"));
    const SocketId id = attempt.socket->id();
    const MessageWindow::Message* connected = window.WaitFor(
        [&](const auto& m) { return IsMessage(m, kUpdateConnectMessage, id, FD_CONNECT); },
        kWaitMs);
    ASSERT_NE(connected, nullptr);
    EXPECT_EQ(WSAGETSELECTERROR(connected->lParam), 0);
  }
}

TEST(WinsockNetworkTest, ARefusedPortReports10061) {
  uint16_t closedPort = 0;
  {
    Listener listener;  // a port that was just free, closed again
    closedPort = listener.port();
    listener.Close();
  }
  MessageWindow window;
  WinsockNetwork network(window.handle());
  ConnectAttempt attempt = network.Connect("127.0.0.1", closedPort);
  ASSERT_EQ(attempt.start, ConnectStart::kStarted);
  const SocketId id = attempt.socket->id();
  const MessageWindow::Message* outcome = window.WaitFor(
      [&](const auto& m) { return IsMessage(m, kUpdateConnectMessage, id, FD_CONNECT); }, kWaitMs);
  ASSERT_NE(outcome, nullptr);
  EXPECT_EQ(WSAGETSELECTERROR(outcome->lParam), kErrorConnectionRefused);
}

TEST(WinsockNetworkTest, DataBothWaysThenTheCloseArriveAsMessage2026) {
  Listener listener;
  MessageWindow window;
  WinsockNetwork network(window.handle());
  ConnectAttempt attempt = network.Connect("127.0.0.1", listener.port());
  ASSERT_EQ(attempt.start, ConnectStart::kStarted);
  TcpSocket& socket = *attempt.socket;
  const SocketId id = socket.id();
  ASSERT_NE(window.WaitFor(
                [&](const auto& m) { return IsMessage(m, kUpdateConnectMessage, id, FD_CONNECT); },
                kWaitMs),
            nullptr);
  UniqueSocket peer = listener.Accept();
  ASSERT_TRUE(peer.valid());
  int error = 0;
  ASSERT_TRUE(socket.WatchForData(&error)) << error;

  // The launcher sends a frame; the peer receives it whole.
  const char hello[] = "\x07\x00\x00\x3d\x00\x00\x00";
  ASSERT_TRUE(socket.SendAll(std::as_bytes(std::span(hello, 7)), &error)) << error;
  char received[16] = {};
  int got = 0;
  while (got < 7) {
    int n = recv(peer.get(), received + got, static_cast<int>(sizeof received) - got, 0);
    ASSERT_GT(n, 0);
    got += n;
  }
  EXPECT_EQ(std::memcmp(received, hello, 7), 0);

  // The peer answers; FD_READ arrives and Receive hands the bytes over.
  const char answer[] = "abc";
  ASSERT_EQ(send(peer.get(), answer, 3, 0), 3);
  ASSERT_NE(
      window.WaitFor([&](const auto& m) { return IsMessage(m, kUpdateSocketMessage, id, FD_READ); },
                     kWaitMs),
      nullptr);
  std::byte buffer[16];
  ASSERT_EQ(socket.Receive(buffer), 3);
  EXPECT_EQ(std::memcmp(buffer, answer, 3), 0);
  // Nothing more is there: -1, not a close.
  EXPECT_EQ(socket.Receive(buffer), -1);

  // The peer closes: FD_CLOSE without an error, and Receive reports the end.
  peer.reset();
  const MessageWindow::Message* closed = window.WaitFor(
      [&](const auto& m) { return IsMessage(m, kUpdateSocketMessage, id, FD_CLOSE); }, kWaitMs);
  ASSERT_NE(closed, nullptr);
  EXPECT_EQ(WSAGETSELECTERROR(closed->lParam), 0);
  EXPECT_EQ(socket.Receive(buffer), 0);
}

}  // namespace
}  // namespace veltharn
