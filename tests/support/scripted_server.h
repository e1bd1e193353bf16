#pragma once

// A scriptable update-server peer for tests. It listens on 127.0.0.1 on a free port, serves one
// connection at a time (a later one once the current has ended, for a launcher that reconnects)
// and records, frame by frame, what the launcher sends. A thread of its own accepts and reads;
// the test sends from its own thread. Every wait has a timeout, and the destructor stops the
// thread and closes everything, so a failing test ends instead of hanging.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "tools/update_server/socket.h"
#include "tools/update_server/wire.h"

namespace veltharn::test {

using wire::Body;
using wire::Bytes;
using wire::Frame;
using wire::InspectReply;
using wire::Packet;
using wire::ParseInspectReply;

class ScriptedServer {
 public:
  static constexpr std::chrono::milliseconds kWait{5000};
  static constexpr std::chrono::milliseconds kPause{30};
  static constexpr std::uint8_t kKeepAlive = 5;

  // Throws std::runtime_error when it cannot listen.
  ScriptedServer();
  ~ScriptedServer();
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  std::uint16_t port() const { return port_; }

  // Waits for the next connection not waited for yet; the sends below go to the current one.
  bool WaitForConnection(std::chrono::milliseconds timeout = kWait);

  // Each send answers false when there is no connection or the launcher has gone.
  bool SendRaw(const Bytes& bytes);
  bool SendFrame(std::uint8_t type, const Bytes& body = {});
  // Sends `bytes` in pieces of the given sizes (what is left goes last), pausing between them so
  // that each piece arrives in a segment of its own.
  bool SendInPieces(const Bytes& bytes, const std::vector<std::size_t>& sizes,
                    std::chrono::milliseconds pause = kPause);
  // Sends the frames in one write, so that they arrive together.
  bool SendJoined(const std::vector<Bytes>& frames);

  // Orderly close: the launcher reads the end of the stream; recording goes on until it closes.
  void Close();
  // Abortive close (SO_LINGER 0): the launcher sees a reset. Returns when it has been done.
  void Reset();

  // The next received frame not handed out yet, of any connection, in order of arrival.
  std::optional<Packet> WaitForFrame(std::chrono::milliseconds timeout = kWait);
  // The same, passing over KeepAlive frames (type 5), which a launcher sends on every timer tick.
  std::optional<Packet> WaitForReply(std::chrono::milliseconds timeout = kWait);
  std::vector<Packet> ReceivedFrames() const;
  // Every byte received, of all connections, as it arrived.
  Bytes ReceivedBytes() const;
  // True once a length below 3 arrived on the current connection.
  bool ReceivedMalformed() const;

  // Waits until the connection last waited for (or the first) has ended: closed by the launcher
  // or reset here.
  bool WaitForClose(std::chrono::milliseconds timeout = kWait);

 private:
  void Run();
  void Wake();
  void Accept();
  void Read(int connection);
  void EndConnection(bool abortive);  // with mutex_ held

  net::UniqueFd listener_;
  net::UniqueFd wakeRead_;
  net::UniqueFd wakeWrite_;
  std::uint16_t port_ = 0;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  // The connection is closed only by the thread, with mutex_ held; sends hold mutex_ too, so a
  // descriptor is never used after it was closed (or reused by another socket of the process).
  net::UniqueFd connection_;
  wire::FrameReader reader_;
  std::vector<Packet> frames_;
  std::size_t handedOut_ = 0;
  Bytes received_;
  int accepted_ = 0;
  int waitedFor_ = 0;
  int ended_ = 0;
  bool resetRequested_ = false;
  bool stopping_ = false;

  std::thread thread_;  // last: starts when everything above is ready
};

}  // namespace veltharn::test
