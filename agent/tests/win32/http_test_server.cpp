#include "tests/win32/http_test_server.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace pellorix::testing {
namespace {

const char* ReasonOf(int status) {
  switch (status) {
    case 200: return "OK";
    case 302: return "Found";
    case 401: return "Unauthorized";
    default: return "Other";
  }
}

}  // namespace

HttpTestServer::HttpTestServer() {
  WSADATA data{};
  ::WSAStartup(MAKEWORD(2, 2), &data);
  const SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener == INVALID_SOCKET) return;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  int length = sizeof address;
  if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener, 8) != 0 ||
      ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::closesocket(listener);
    return;
  }
  listener_ = static_cast<std::uintptr_t>(listener);
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

HttpTestServer::~HttpTestServer() {
  stopping_ = true;
  if (started()) ::closesocket(static_cast<SOCKET>(listener_));
  if (thread_.joinable()) thread_.join();
  ::WSACleanup();
}

void HttpTestServer::Serve() {
  while (!stopping_) {
    const SOCKET client = ::accept(static_cast<SOCKET>(listener_), nullptr, nullptr);
    if (client == INVALID_SOCKET) return;
    std::string request;
    char piece[1024];
    while (request.find("\r\n\r\n") == std::string::npos) {
      const int got = ::recv(client, piece, sizeof piece, 0);
      if (got <= 0) break;
      request.append(piece, static_cast<std::size_t>(got));
    }
    const auto pathStart = request.find(' ') + 1;
    const std::string path = request.substr(pathStart, request.find(' ', pathStart) - pathStart);
    const auto route = routes_.find(path);
    const Reply reply = route == routes_.end() ? Reply{404, "", "missing"} : route->second;
    const std::string response = "HTTP/1.1 " + std::to_string(reply.status) + " " +
                                 ReasonOf(reply.status) + "\r\nContent-Length: " +
                                 std::to_string(reply.body.size()) + "\r\n" + reply.headers +
                                 "Connection: close\r\n\r\n" + reply.body;
    for (std::size_t sent = 0; sent < response.size();) {
      const int n = ::send(client, response.data() + sent, static_cast<int>(response.size() - sent), 0);
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
    }
    ::shutdown(client, SD_SEND);
    ::closesocket(client);
  }
}

}  // namespace pellorix::testing
