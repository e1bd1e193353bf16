#include "launcher/link/server_connection.h"

#include "launcher/control/debug_report.h"
#include "launcher/control/message_ids.h"
#include "launcher/control/notices.h"

namespace veltharn {
namespace {

constexpr std::size_t kLengthSize = 2;
// The send buffer: the largest body behind its 2-byte length.
constexpr std::size_t kSendBufferSize = kMaxPackedBody + kLengthSize;

std::size_t FrameLength(const std::array<std::byte, kReceiveBufferSize>& frame) {
  return std::to_integer<std::size_t>(frame[0]) | std::to_integer<std::size_t>(frame[1]) << 8;
}

}  // namespace

bool ServerConnection::Connect(Network& network, Notices& notices, const std::string& host,
                               uint16_t port) {
  ConnectAttempt attempt = network.Connect(host, port);
  serverAddress_ = attempt.address;
  switch (attempt.start) {
    case ConnectStart::kStarted:
      socket_ = std::move(attempt.socket);
      return true;
    case ConnectStart::kNoSocketLayer:
      notices.ShowNotice(msg::kWinsockMissing, /*owned=*/false, msg::kCaptionError);
      return false;
    case ConnectStart::kVersionTooLow:
      notices.ShowNotice(msg::kSocketVersionTooLow, /*owned=*/false, msg::kCaptionError);
      return false;
    case ConnectStart::kNoSocket:
      notices.ShowNotice(msg::kInvalidSocket, /*owned=*/false, msg::kCaptionError);
      return false;
    case ConnectStart::kSelectFailed:
      ReportDebug("WSAAsyncSelect Error: %d  sock: %d", attempt.error, 0);
      return false;
    case ConnectStart::kConnectFailed:
      ReportDebug("Connect Error: %d: %x", attempt.error, attempt.address);
      return false;
  }
  return false;
}

ServerConnection::ReadResult ServerConnection::ReadPacket(Packet* packet) {
  if (socket_ == nullptr) return ReadResult::kClosed;
  // First the length, then exactly the rest of this frame.
  while (frameReceived_ < kLengthSize) {
    int64_t count = socket_->Receive(std::span(frame_).subspan(frameReceived_,
                                                                kLengthSize - frameReceived_));
    if (count <= 0) return frameReceived_ == 0 ? ReadResult::kClosed : ReadResult::kIncomplete;
    frameReceived_ += static_cast<std::size_t>(count);
  }
  std::size_t length = FrameLength(frame_);
  if (length < kFrameHeaderSize || length > kReceiveBufferSize) {
    frameReceived_ = 0;
    return ReadResult::kBroken;
  }
  while (frameReceived_ < length) {
    int64_t count =
        socket_->Receive(std::span(frame_).subspan(frameReceived_, length - frameReceived_));
    if (count <= 0) return ReadResult::kIncomplete;
    frameReceived_ += static_cast<std::size_t>(count);
  }
  frameReceived_ = 0;
  packet->type = std::to_integer<uint8_t>(frame_[2]);
  packet->payloadWithZero.assign(frame_.begin() + kFrameHeaderSize, frame_.begin() + length);
  packet->payloadWithZero.push_back(std::byte{0});
  return ReadResult::kPacket;
}

ServerConnection::SendResult ServerConnection::SendPacket(std::string_view format,
                                                          std::initializer_list<PackValue> values) {
  if (format.empty()) return SendResult::kNothingSent;
  // A send on a closed link fails, as a send on a closed socket does.
  if (socket_ == nullptr) return SendResult::kFailed;
  std::array<std::byte, kSendBufferSize> buffer;
  std::size_t body = PackFields(std::span(buffer).subspan(kLengthSize), format, values);
  if (body < 1) return SendResult::kNothingSent;
  std::size_t total = body + kLengthSize;
  buffer[0] = static_cast<std::byte>(total & 0xFF);
  buffer[1] = static_cast<std::byte>(total >> 8);
  int error = 0;
  if (!socket_->SendAll(std::span(buffer).first(total), &error)) return SendResult::kFailed;
  return SendResult::kSent;
}

}  // namespace veltharn
