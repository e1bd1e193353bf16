#include "launcher/link/server_connection.h"

#include <gtest/gtest.h>

#include "launcher/control/notices.h"
#include "tests/fakes/fake_network.h"
#include "tests/fakes/fake_view.h"
#include "tests/fakes/recording_debug_output.h"

namespace veltharn {
namespace {

std::string Frame(uint8_t type, const std::string& body) {
  size_t total = body.size() + 3;
  return std::string{static_cast<char>(total & 0xFF), static_cast<char>(total >> 8),
                     static_cast<char>(type)} +
         body;
}

class ServerConnectionTest : public ::testing::Test {
 protected:
  ServerConnectionTest() { EXPECT_TRUE(link.Connect(network, notices, "host", 2009)); }

  FakeView view;
  Notices notices{view};
  FakeNetwork network;
  ServerConnection link;
};

TEST_F(ServerConnectionTest, ConnectStartFailuresAreShownAndLeaveNoSocket) {
  struct Case {
    ConnectStart start;
    const char* box;  // null: only a debug report
  } const cases[] = {
      {ConnectStart::kNoSocketLayer, "The winsock.dll file does not exist."},
      {ConnectStart::kVersionTooLow, "Socket version is too low."},
      {ConnectStart::kNoSocket, "Invalid socket."},
      {ConnectStart::kSelectFailed, nullptr},
      {ConnectStart::kConnectFailed, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.start));
    RecordingDebugOutput debug;
    FakeView boxView;
    Notices boxNotices(boxView);
    FakeNetwork failing;
    failing.nextStart = c.start;
    ServerConnection record;
    EXPECT_FALSE(record.Connect(failing, boxNotices, "host", 2009));
    EXPECT_FALSE(record.HasSocket());
    if (c.box != nullptr) {
      ASSERT_EQ(boxView.boxes.size(), 1u);
      EXPECT_EQ(boxView.boxes[0].text, c.box);
      EXPECT_EQ(boxView.boxes[0].caption, "Error");
      EXPECT_FALSE(boxView.boxes[0].owned);
    } else {
      EXPECT_TRUE(boxView.boxes.empty());
      EXPECT_EQ(debug.lines.size(), 1u);
    }
  }
}

TEST_F(ServerConnectionTest, SendsFramesExactly) {
  ASSERT_EQ(link.SendPacket("cdd", {0, 61, 7}), ServerConnection::SendResult::kSent);
  ASSERT_EQ(link.SendPacket("c", {5}), ServerConnection::SendResult::kSent);
  EXPECT_EQ(network.current().sent,
            std::string("\x0B\x00\x00\x3D\x00\x00\x00\x07\x00\x00\x00\x03\x00\x05", 14));
}

TEST_F(ServerConnectionTest, SendsNothingWithoutABodyAndFailsOnAClosedLink) {
  std::string tooLong(9000, 'x');
  EXPECT_EQ(link.SendPacket("cs", {1, tooLong.c_str()}), ServerConnection::SendResult::kNothingSent);
  EXPECT_EQ(link.SendPacket("", {}), ServerConnection::SendResult::kNothingSent);
  link.Close();
  EXPECT_EQ(link.SendPacket("c", {5}), ServerConnection::SendResult::kFailed);
  EXPECT_TRUE(network.current().sent.empty());
  EXPECT_TRUE(network.current().closed);
}

TEST_F(ServerConnectionTest, ReportsAFailedSend) {
  network.current().sendFails = true;
  EXPECT_EQ(link.SendPacket("c", {5}), ServerConnection::SendResult::kFailed);
}

TEST_F(ServerConnectionTest, ReadsOneFrameAtATimeAndLeavesTheRestOnTheSocket) {
  network.current().incoming = Frame(5, "abcdefgh") + Frame(8, "") + "raw";
  Packet packet;
  ASSERT_EQ(link.ReadPacket(&packet), ServerConnection::ReadResult::kPacket);
  EXPECT_EQ(packet.type, 5);
  EXPECT_EQ(packet.payload().size(), 8u);
  EXPECT_EQ(packet.payloadWithZero.back(), std::byte{0});
  EXPECT_EQ(network.current().incoming, Frame(8, "") + "raw");
  ASSERT_EQ(link.ReadPacket(&packet), ServerConnection::ReadResult::kPacket);
  EXPECT_EQ(packet.type, 8);
  EXPECT_TRUE(packet.payload().empty());
  EXPECT_EQ(network.current().incoming, "raw");
}

TEST_F(ServerConnectionTest, KeepsAPartialFrameForTheNextRead) {
  std::string frame = Frame(1, std::string(100, 'n'));
  Packet packet;
  for (size_t cut : {size_t{1}, size_t{2}, size_t{50}}) {
    SCOPED_TRACE(cut);
    network.current().incoming = frame.substr(0, cut);
    EXPECT_EQ(link.ReadPacket(&packet), ServerConnection::ReadResult::kIncomplete);
    network.current().incoming = frame.substr(cut);
    ASSERT_EQ(link.ReadPacket(&packet), ServerConnection::ReadResult::kPacket);
    EXPECT_EQ(packet.type, 1);
    EXPECT_EQ(packet.payload().size(), 100u);
  }
  EXPECT_EQ(link.ReadPacket(&packet), ServerConnection::ReadResult::kClosed);
}

TEST_F(ServerConnectionTest, ReadsAFrameThatArrivesAByteAtATime) {
  network.current().incoming = Frame(4, "12345678");
  network.current().maxReceive = 1;
  Packet packet;
  EXPECT_EQ(link.ReadPacket(&packet), ServerConnection::ReadResult::kPacket);
  EXPECT_EQ(packet.type, 4);
}

TEST_F(ServerConnectionTest, FrameLengthsOutsideTheBufferBreakTheLink) {
  struct Case {
    size_t length;
    ServerConnection::ReadResult result;
  } const cases[] = {
      {0, ServerConnection::ReadResult::kBroken},     {1, ServerConnection::ReadResult::kBroken},
      {2, ServerConnection::ReadResult::kBroken},     {3, ServerConnection::ReadResult::kPacket},
      {16386, ServerConnection::ReadResult::kPacket}, {16387, ServerConnection::ReadResult::kBroken},
      {65535, ServerConnection::ReadResult::kBroken},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    std::string frame = {static_cast<char>(c.length & 0xFF), static_cast<char>(c.length >> 8)};
    frame += std::string(c.length > 2 ? c.length - 2 : 0, '\x07');
    network.current().incoming = frame;
    Packet packet;
    EXPECT_EQ(link.ReadPacket(&packet), c.result);
    if (c.result == ServerConnection::ReadResult::kPacket) {
      EXPECT_EQ(packet.payload().size(), c.length - 3);
    }
    network.current().incoming.clear();
  }
}

}  // namespace
}  // namespace veltharn
