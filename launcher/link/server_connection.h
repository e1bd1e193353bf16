#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/link/packet_codec.h"
#include "launcher/ports/file_system.h"
#include "launcher/ports/network.h"

namespace veltharn {

class Notices;

inline constexpr uint16_t kUpdateServerPort = 2009;
// The largest frame the launcher accepts, its 2-byte length included.
inline constexpr std::size_t kReceiveBufferSize = 16386;
// Length and type: the smallest frame there is.
inline constexpr std::size_t kFrameHeaderSize = 3;

// What the bytes arriving on the socket are: packets, or the data of a file being received.
enum TransferState : int { kReceivingPackets = 0, kWritingFileData = 1, kDiscardingFileData = 2 };

// One packet as the dispatcher hands it on: its type, and its fields followed by one zero byte so
// that a payload can be read as a string. The payload is the packet's own copy.
struct Packet {
  uint8_t type = 0;
  std::vector<std::byte> payloadWithZero;
  [[nodiscard]] std::span<const std::byte> payload() const {
    return std::span<const std::byte>(payloadWithZero).first(payloadWithZero.size() - 1);
  }
};

// The record of the one TCP connection to the update server: its socket, the frame being
// received, and the state of a file transfer (kept here, owned by the transfer code).
class ServerConnection {
 public:
  ServerConnection() = default;
  ServerConnection(const ServerConnection&) = delete;
  ServerConnection& operator=(const ServerConnection&) = delete;

  // Starts the connect to `host`:`port`. Failures to start are shown here (boxes 513, 514 and
  // 515, or a debug report) and answered false; the launcher then stays without a connection.
  bool Connect(Network& network, Notices& notices, const std::string& host, uint16_t port);

  [[nodiscard]] bool HasSocket() const { return socket_ != nullptr; }
  [[nodiscard]] TcpSocket* socket() { return socket_.get(); }
  // True for a notification about this record's current socket.
  [[nodiscard]] bool Owns(SocketId id) const { return socket_ != nullptr && socket_->id() == id; }
  // Closes the socket, if there is one.
  void Close() { socket_.reset(); }

  enum class ReadResult {
    kPacket,      // `*packet` holds a whole frame
    kIncomplete,  // the frame's rest has not arrived yet; what has is kept for the next read
    kClosed,      // nothing to read, or the peer has closed
    kBroken,      // a frame length below 3 or above kReceiveBufferSize: the link is unusable
  };
  // Reads toward the next frame, never past its end: whatever follows it (another frame, or the
  // data of a file transfer) stays on the socket.
  [[nodiscard]] ReadResult ReadPacket(Packet* packet);

  enum class SendResult { kSent, kNothingSent, kFailed };
  // Packs `values` by `format` (which starts with the type letter "c"), frames and sends them.
  // kNothingSent when the packing fails; kFailed when the socket is closed or refused the bytes
  // (the caller ends the link).
  [[nodiscard]] SendResult SendPacket(std::string_view format,
                                      std::initializer_list<PackValue> values);

  // The current file transfer, set and used by the transfer code.
  int transferState = kReceivingPackets;
  int transferKind = 0;
  int32_t transferId = 0;
  int64_t transferSize = 0;
  int64_t transferReceived = 0;
  std::unique_ptr<WritableFile> transferFile;
  std::string transferPath;
  // The server has had the transfer's failure reply already; its dropped rest ends silently.
  bool transferAnswered = false;

 private:
  std::unique_ptr<TcpSocket> socket_;
  uint32_t serverAddress_ = 0;
  std::array<std::byte, kReceiveBufferSize> frame_{};
  std::size_t frameReceived_ = 0;
};

}  // namespace veltharn
