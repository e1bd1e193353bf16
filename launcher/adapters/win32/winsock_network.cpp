#include "launcher/adapters/win32/winsock_network.h"

#include <winsock2.h>

#include "launcher/adapters/win32/unique_handle.h"

namespace veltharn {
namespace {

constexpr long kSendWaitSeconds = 10;

class WinsockSocket : public TcpSocket {
 public:
  WinsockSocket(UniqueSocket socket, HWND window) : socket_(std::move(socket)), window_(window) {}

  SocketId id() const override { return static_cast<SocketId>(socket_.get()); }

  bool WatchForData(int* error) override {
    if (WSAAsyncSelect(socket_.get(), window_, kUpdateSocketMessage,
                       FD_READ | FD_OOB | FD_CLOSE) == 0) {
      return true;
    }
    *error = WSAGetLastError();
    return false;
  }

  int64_t Receive(std::span<std::byte> buffer) override {
    int count = recv(socket_.get(), reinterpret_cast<char*>(buffer.data()),
                     static_cast<int>(buffer.size()), 0);
    return count == SOCKET_ERROR ? -1 : count;
  }

  bool SendAll(std::span<const std::byte> bytes, int* error) override {
    while (!bytes.empty()) {
      int sent = send(socket_.get(), reinterpret_cast<const char*>(bytes.data()),
                      static_cast<int>(bytes.size()), 0);
      if (sent > 0) {
        bytes = bytes.subspan(static_cast<size_t>(sent));
        continue;
      }
      int cause = WSAGetLastError();
      if (cause != WSAEWOULDBLOCK) {
        *error = cause;
        return false;
      }
      // The socket is full: wait a bounded time for room instead of dropping half a frame.
      fd_set writable;
      FD_ZERO(&writable);
      FD_SET(socket_.get(), &writable);
      timeval wait{kSendWaitSeconds, 0};
      if (select(0, nullptr, &writable, nullptr, &wait) != 1) {
        *error = WSAEWOULDBLOCK;
        return false;
      }
    }
    return true;
  }

 private:
  UniqueSocket socket_;
  HWND window_;
};

}  // namespace

ConnectAttempt WinsockNetwork::Connect(const std::string& host, uint16_t port) {
  ConnectAttempt attempt;
  WSADATA data;
  if (WSAStartup(MAKEWORD(1, 1), &data) != 0) {
    attempt.start = ConnectStart::kNoSocketLayer;
    return attempt;
  }
  if (LOBYTE(data.wVersion) != 1 || HIBYTE(data.wVersion) != 1) {
    WSACleanup();
    attempt.start = ConnectStart::kVersionTooLow;
    return attempt;
  }
  UniqueSocket socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (!socket.valid()) {
    attempt.start = ConnectStart::kNoSocket;
    return attempt;
  }
  if (WSAAsyncSelect(socket.get(), window_, kUpdateConnectMessage, FD_CONNECT) != 0) {
    attempt.start = ConnectStart::kSelectFailed;
    attempt.error = WSAGetLastError();
    return attempt;
  }

  sockaddr_in address = {};
  if (hostent* entry = gethostbyname(host.c_str());
      entry != nullptr && entry->h_length == sizeof address.sin_addr) {
    memcpy(&address.sin_addr, entry->h_addr_list[0], sizeof address.sin_addr);
  } else {
    address.sin_addr.s_addr = inet_addr(host.c_str());
  }
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  attempt.address = address.sin_addr.s_addr;

  if (connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
      WSAGetLastError() != WSAEWOULDBLOCK) {
    attempt.start = ConnectStart::kConnectFailed;
    attempt.error = WSAGetLastError();
    return attempt;
  }
  attempt.start = ConnectStart::kStarted;
  attempt.socket = std::make_unique<WinsockSocket>(std::move(socket), window_);
  return attempt;
}

}  // namespace veltharn
