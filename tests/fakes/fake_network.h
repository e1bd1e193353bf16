#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "launcher/ports/network.h"

namespace veltharn {

// An in-memory socket: the test puts the server's bytes in `incoming` and reads what the
// launcher sent from `sent`. It stays owned by the FakeNetwork, so tests can look at it after the
// launcher has closed it.
struct FakeSocketState {
  SocketId id = 0;
  std::string incoming;
  std::string sent;
  bool closed = false;
  bool watchFails = false;
  bool sendFails = false;
  bool peerClosed = false;
  size_t maxReceive = 1 << 20;  // bytes per Receive at most, to split the stream
};

class FakeNetwork : public Network {
 public:
  ConnectAttempt Connect(const std::string& host, uint16_t port) override {
    hosts.push_back(host + ":" + std::to_string(port));
    ConnectAttempt attempt;
    attempt.start = nextStart;
    attempt.error = nextError;
    if (attempt.start != ConnectStart::kStarted) return attempt;
    auto state = std::make_shared<FakeSocketState>();
    state->id = ++lastId;
    sockets.push_back(state);
    attempt.socket = std::make_unique<Socket>(state);
    return attempt;
  }

  [[nodiscard]] FakeSocketState& current() { return *sockets.back(); }

  ConnectStart nextStart = ConnectStart::kStarted;
  int nextError = 0;
  std::vector<std::string> hosts;
  std::vector<std::shared_ptr<FakeSocketState>> sockets;
  SocketId lastId = 100;

 private:
  class Socket : public TcpSocket {
   public:
    explicit Socket(std::shared_ptr<FakeSocketState> state) : state_(std::move(state)) {}
    ~Socket() override { state_->closed = true; }
    SocketId id() const override { return state_->id; }
    bool WatchForData(int* error) override {
      if (state_->watchFails) *error = 10022;
      return !state_->watchFails;
    }
    int64_t Receive(std::span<std::byte> buffer) override {
      if (state_->incoming.empty()) return state_->peerClosed ? 0 : -1;
      size_t count = std::min({buffer.size(), state_->incoming.size(), state_->maxReceive});
      std::memcpy(buffer.data(), state_->incoming.data(), count);
      state_->incoming.erase(0, count);
      return static_cast<int64_t>(count);
    }
    bool SendAll(std::span<const std::byte> bytes, int* error) override {
      if (state_->sendFails) {
        *error = 10054;
        return false;
      }
      state_->sent.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
      return true;
    }

   private:
    std::shared_ptr<FakeSocketState> state_;
  };
};

}  // namespace veltharn
