#pragma once
// A small HTTP server on 127.0.0.1 for the WinINet tests: fixed routes, one connection at a time.
#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <thread>

namespace pellorix::testing {

class HttpTestServer {
 public:
  struct Reply {
    int status = 200;
    std::string headers;  // extra header lines ended by CR LF
    std::string body;
  };

  HttpTestServer();
  ~HttpTestServer();
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  // Call before the first request.
  void Route(const std::string& path, Reply reply) { routes_[path] = std::move(reply); }
  std::uint16_t port() const { return port_; }
  std::string Address(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  bool started() const { return listener_ != ~std::uintptr_t{0}; }

 private:
  void Serve();
  std::map<std::string, Reply> routes_;
  std::uintptr_t listener_ = ~std::uintptr_t{0};
  std::uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace pellorix::testing
