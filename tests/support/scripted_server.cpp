#include "tests/support/scripted_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <stdexcept>

namespace veltharn::test {
namespace {

// The thread looks at its flags at least this often, whatever arrives.
constexpr int kPollMs = 50;

}  // namespace

ScriptedServer::ScriptedServer() : listener_(net::ListenOnLoopback(0)) {
  int ends[2];
  if (!listener_ || ::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("scripted server cannot listen");
  wakeRead_.reset(ends[0]);
  wakeWrite_.reset(ends[1]);
  port_ = net::LocalPort(listener_.get());
  thread_ = std::thread([this] { Run(); });
}

ScriptedServer::~ScriptedServer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  Wake();
  thread_.join();
}

bool ScriptedServer::WaitForConnection(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  if (!changed_.wait_for(lock, timeout, [&] { return accepted_ > waitedFor_; })) return false;
  ++waitedFor_;
  return true;
}

bool ScriptedServer::SendRaw(const Bytes& bytes) {
  std::lock_guard lock(mutex_);
  return connection_ && net::SendAll(connection_.get(), bytes);
}

bool ScriptedServer::SendFrame(std::uint8_t type, const Bytes& body) { return SendRaw(Frame(type, body)); }

bool ScriptedServer::SendInPieces(const Bytes& bytes, const std::vector<std::size_t>& sizes,
                                  std::chrono::milliseconds pause) {
  std::size_t at = 0;
  for (std::size_t size : sizes) {
    if (size > bytes.size() - at) size = bytes.size() - at;
    if (!SendRaw(Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                       bytes.begin() + static_cast<std::ptrdiff_t>(at + size))))
      return false;
    at += size;
    std::this_thread::sleep_for(pause);
  }
  return at == bytes.size() || SendRaw(Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end()));
}

bool ScriptedServer::SendJoined(const std::vector<Bytes>& frames) {
  Bytes joined;
  for (const Bytes& frame : frames) joined.insert(joined.end(), frame.begin(), frame.end());
  return SendRaw(joined);
}

void ScriptedServer::Close() {
  std::lock_guard lock(mutex_);
  if (connection_) ::shutdown(connection_.get(), SHUT_WR);
}

void ScriptedServer::Reset() {
  std::unique_lock lock(mutex_);
  if (!connection_) return;
  resetRequested_ = true;
  lock.unlock();
  Wake();
  lock.lock();
  changed_.wait_for(lock, kWait, [&] { return !resetRequested_; });
}

std::optional<Packet> ScriptedServer::WaitForFrame(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  if (!changed_.wait_for(lock, timeout, [&] { return frames_.size() > handedOut_; })) return std::nullopt;
  return frames_[handedOut_++];
}

std::optional<Packet> ScriptedServer::WaitForReply(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::unique_lock lock(mutex_);
  for (;;) {
    if (!changed_.wait_until(lock, deadline, [&] { return frames_.size() > handedOut_; })) return std::nullopt;
    const Packet& next = frames_[handedOut_++];
    if (next.type != kKeepAlive) return next;
  }
}

std::vector<Packet> ScriptedServer::ReceivedFrames() const {
  std::lock_guard lock(mutex_);
  return frames_;
}

Bytes ScriptedServer::ReceivedBytes() const {
  std::lock_guard lock(mutex_);
  return received_;
}

bool ScriptedServer::ReceivedMalformed() const {
  std::lock_guard lock(mutex_);
  return reader_.broken();
}

bool ScriptedServer::WaitForClose(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return ended_ >= std::max(waitedFor_, 1); });
}

void ScriptedServer::Wake() {
  const char byte = 1;
  // A full pipe already holds a wake-up, so a failed write loses nothing.
  [[maybe_unused]] ssize_t written = ::write(wakeWrite_.get(), &byte, 1);
}

void ScriptedServer::Run() {
  for (;;) {
    int connection;
    {
      std::lock_guard lock(mutex_);
      if (stopping_) return;
      connection = connection_.get();
    }
    std::array<pollfd, 2> watched{{{wakeRead_.get(), POLLIN, 0},
                                   {connection >= 0 ? connection : listener_.get(), POLLIN, 0}}};
    if (::poll(watched.data(), watched.size(), kPollMs) <= 0) continue;

    if (watched[0].revents != 0) {
      std::array<char, 64> drained;
      while (::read(wakeRead_.get(), drained.data(), drained.size()) > 0) {
      }
      std::lock_guard lock(mutex_);
      if (resetRequested_) {
        if (connection_) EndConnection(true);
        resetRequested_ = false;
        changed_.notify_all();
        continue;  // the descriptor polled above is gone
      }
    }
    if (watched[1].revents == 0) continue;
    if (connection >= 0) {
      Read(connection);
    } else {
      Accept();
    }
  }
}

void ScriptedServer::Accept() {
  net::UniqueFd accepted(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
  if (!accepted) return;
  net::SetNoDelay(accepted.get());
  net::SetTimeouts(accepted.get(), kWait);
  std::lock_guard lock(mutex_);
  connection_ = std::move(accepted);
  reader_ = wire::FrameReader();
  ++accepted_;
  changed_.notify_all();
}

void ScriptedServer::Read(int connection) {
  std::array<std::uint8_t, 4096> chunk;
  const ssize_t count = ::recv(connection, chunk.data(), chunk.size(), MSG_DONTWAIT);
  if (count < 0 && (errno == EAGAIN || errno == EINTR)) return;
  std::lock_guard lock(mutex_);
  if (count <= 0) {  // closed by the launcher, or reset
    EndConnection(false);
    return;
  }
  const std::span<const std::uint8_t> bytes(chunk.data(), static_cast<std::size_t>(count));
  received_.insert(received_.end(), bytes.begin(), bytes.end());
  reader_.Append(bytes);
  while (auto packet = reader_.Next()) frames_.push_back(std::move(*packet));
  changed_.notify_all();
}

void ScriptedServer::EndConnection(bool abortive) {
  if (abortive) {
    const linger now{1, 0};
    ::setsockopt(connection_.get(), SOL_SOCKET, SO_LINGER, &now, sizeof now);
  }
  connection_.reset();
  ++ended_;
  changed_.notify_all();
}

}  // namespace veltharn::test
