#include "tests/support/scripted_server.h"

#include <gtest/gtest.h>

#include <sys/socket.h>

#include <cerrno>
#include <string>

namespace veltharn::test {
namespace {

using namespace std::chrono_literals;

// A plain blocking client standing in for the launcher.
net::UniqueFd Connect(const ScriptedServer& server) {
  net::UniqueFd client = net::ConnectToLoopback(server.port());
  if (client) net::SetTimeouts(client.get(), ScriptedServer::kWait);
  return client;
}

// Reads exactly `count` bytes, or what arrived before the end, an error or the timeout.
Bytes ReadBytes(int fd, std::size_t count) {
  Bytes bytes(count);
  std::size_t have = 0;
  while (have < count) {
    const ssize_t got = ::recv(fd, bytes.data() + have, count - have, 0);
    if (got <= 0) break;
    have += static_cast<std::size_t>(got);
  }
  bytes.resize(have);
  return bytes;
}

TEST(ScriptedServerTest, SendsFramesByteForByte) {
  struct Case {
    const char* name;
    std::uint8_t type;
    Bytes body;
    Bytes expected;
  };
  const Case cases[] = {
      {"empty body", 0, {}, {0x03, 0x00, 0x00}},
      {"two integers", 5, Body().Int(1200).Int(0), {0x0B, 0x00, 0x05, 0xB0, 0x04, 0, 0, 0, 0, 0, 0}},
      {"negative integer", 2, Body().Int(-2), {0x07, 0x00, 0x02, 0xFE, 0xFF, 0xFF, 0xFF}},
      {"wide name with terminator", 1, Body().Wide(u"a\\\uD55C"),
       {0x0B, 0x00, 0x01, 0x61, 0x00, 0x5C, 0x00, 0x5C, 0xD5, 0x00, 0x00}},
      {"integer and name", 3, Body().Int(7).Wide(u"x"), {0x0B, 0x00, 0x03, 0x07, 0, 0, 0, 0x78, 0x00, 0x00, 0x00}},
  };
  ScriptedServer server;
  net::UniqueFd client = Connect(server);
  ASSERT_TRUE(client);
  ASSERT_TRUE(server.WaitForConnection());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(server.SendFrame(c.type, c.body));
    EXPECT_EQ(ReadBytes(client.get(), c.expected.size()), c.expected);
  }
}

TEST(ScriptedServerTest, SplitAndJoinedSendsDeliverTheSameStream) {
  const Bytes first = Frame(5, Body().Int(1200).Int(0));
  const Bytes second = Frame(8, Body().Int(2));
  Bytes both = first;
  both.insert(both.end(), second.begin(), second.end());

  ScriptedServer server;
  net::UniqueFd client = Connect(server);
  ASSERT_TRUE(client);
  ASSERT_TRUE(server.WaitForConnection());
  ASSERT_TRUE(server.SendInPieces(first, {1, 5}));  // three pieces: 1, 5 and the last 5 bytes
  ASSERT_TRUE(server.SendJoined({second}));
  EXPECT_EQ(ReadBytes(client.get(), both.size()), both);
  ASSERT_TRUE(server.SendJoined({first, second}));
  EXPECT_EQ(ReadBytes(client.get(), both.size()), both);
}

TEST(ScriptedServerTest, RecordsFramesHoweverTheyArrive) {
  const Bytes hello = Frame(0, Body().Int(61).Int(7));
  const Bytes keepAlive = Frame(5);
  const Bytes reply = Frame(2, Body().Wide(u"system\\qor.exe").Int(1234).Int(61).Int(317).Int(-1));

  ScriptedServer server;
  net::UniqueFd client = Connect(server);
  ASSERT_TRUE(client);
  ASSERT_TRUE(server.WaitForConnection());
  // The hello split after its first byte, then a keep-alive and a reply in one write.
  ASSERT_TRUE(net::SendAll(client.get(), Bytes(hello.begin(), hello.begin() + 1)));
  std::this_thread::sleep_for(ScriptedServer::kPause);
  ASSERT_TRUE(net::SendAll(client.get(), Bytes(hello.begin() + 1, hello.end())));
  Bytes joined = keepAlive;
  joined.insert(joined.end(), reply.begin(), reply.end());
  ASSERT_TRUE(net::SendAll(client.get(), joined));

  const auto first = server.WaitForFrame();
  ASSERT_TRUE(first);
  EXPECT_EQ(*first, (Packet{0, {0x3D, 0, 0, 0, 0x07, 0, 0, 0}}));
  const auto second = server.WaitForFrame();
  ASSERT_TRUE(second);
  EXPECT_EQ(*second, (Packet{5, {}}));
  const auto third = server.WaitForFrame();
  ASSERT_TRUE(third);
  EXPECT_EQ(third->type, 2);
  EXPECT_EQ(ParseInspectReply(third->body), (InspectReply{u"system\\qor.exe", 1234, 61, 317, -1}));

  EXPECT_FALSE(server.WaitForFrame(100ms));
  EXPECT_EQ(server.ReceivedFrames().size(), 3u);

  // Replies wanted without the keep-alive ticks in between.
  ASSERT_TRUE(net::SendAll(client.get(), joined));
  const auto answer = server.WaitForReply();
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->type, 2);
  EXPECT_FALSE(server.WaitForReply(100ms));
  Bytes all = hello;
  all.insert(all.end(), joined.begin(), joined.end());
  all.insert(all.end(), joined.begin(), joined.end());
  EXPECT_EQ(server.ReceivedBytes(), all);
  EXPECT_FALSE(server.ReceivedMalformed());
}

TEST(ScriptedServerTest, ParsesOnlyCompleteInspectReplies) {
  struct Case {
    const char* name;
    Bytes body;
    std::optional<InspectReply> expected;
  };
  const Case cases[] = {
      {"full reply", Body().Wide(u"a.txt").Int(17).Int(1).Int(2).Int(3), InspectReply{u"a.txt", 17, 1, 2, 3}},
      {"empty name, zeros", Body().Wide(u"").Int(0).Int(0).Int(0).Int(0), InspectReply{u"", 0, 0, 0, 0}},
      {"short staged form", Body().Wide(u"a.txt").Int(0).Int(0).Int(0), std::nullopt},
      {"name without terminator", Bytes{0x61, 0x00}, std::nullopt},
      {"trailing byte", Body().Wide(u"a").Int(1).Int(2).Int(3).Int(4).Byte(0), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ParseInspectReply(c.body), c.expected);
  }
}

TEST(ScriptedServerTest, FlagsALengthBelowThree) {
  ScriptedServer server;
  net::UniqueFd client = Connect(server);
  ASSERT_TRUE(client);
  ASSERT_TRUE(server.WaitForConnection());
  ASSERT_TRUE(net::SendAll(client.get(), Bytes{0x02, 0x00, 0x05}));
  client.reset();
  ASSERT_TRUE(server.WaitForClose());
  EXPECT_TRUE(server.ReceivedMalformed());
  EXPECT_TRUE(server.ReceivedFrames().empty());
}

TEST(ScriptedServerTest, OrderlyCloseLetsTheLauncherFinish) {
  ScriptedServer server;
  net::UniqueFd client = Connect(server);
  ASSERT_TRUE(client);
  ASSERT_TRUE(server.WaitForConnection());
  ASSERT_TRUE(server.SendFrame(4, Body().Int(1200).Int(3)));
  server.Close();
  EXPECT_EQ(ReadBytes(client.get(), 64).size(), 11u);  // the frame, then the end of the stream

  // A last frame from the launcher after the server's close is still recorded.
  ASSERT_TRUE(net::SendAll(client.get(), Frame(5)));
  ASSERT_TRUE(server.WaitForFrame());
  EXPECT_FALSE(server.WaitForClose(100ms));
  client.reset();
  EXPECT_TRUE(server.WaitForClose());
}

TEST(ScriptedServerTest, ResetAbortsAndALaterConnectionIsServed) {
  ScriptedServer server;
  net::UniqueFd first = Connect(server);
  ASSERT_TRUE(first);
  ASSERT_TRUE(server.WaitForConnection());
  server.Reset();
  EXPECT_TRUE(server.WaitForClose());
  char byte;
  EXPECT_EQ(::recv(first.get(), &byte, 1, 0), -1);
  EXPECT_EQ(errno, ECONNRESET);
  EXPECT_FALSE(server.SendFrame(5));

  net::UniqueFd second = Connect(server);
  ASSERT_TRUE(second);
  ASSERT_TRUE(server.WaitForConnection());
  ASSERT_TRUE(net::SendAll(second.get(), Frame(0, Body().Int(61).Int(0))));
  const auto hello = server.WaitForFrame();
  ASSERT_TRUE(hello);
  EXPECT_EQ(hello->type, 0);
  ASSERT_TRUE(server.SendFrame(5, Body().Int(1).Int(0)));
  EXPECT_EQ(ReadBytes(second.get(), 11).size(), 11u);
  EXPECT_FALSE(server.WaitForClose(100ms));
}

TEST(ScriptedServerTest, WaitsEndWithoutAPeer) {
  ScriptedServer server;
  EXPECT_FALSE(server.WaitForConnection(100ms));
  EXPECT_FALSE(server.WaitForFrame(100ms));
  EXPECT_FALSE(server.SendRaw({1, 2, 3}));
}

}  // namespace
}  // namespace veltharn::test
