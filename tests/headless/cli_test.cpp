// veltharn-cli against the scripted update server on loopback: the frames and texts of whole
// exchanges, as an operator would see them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/headless/cli_process.h"
#include "tests/support/disk_files.h"
#include "tests/support/scripted_server.h"

namespace veltharn::test {
namespace {

namespace fs = std::filesystem;
using wire::BodyReader;

std::vector<int32_t> Ints(const Packet& packet, bool skipName = false) {
  BodyReader reader(packet.body);
  if (skipName) reader.Wide();
  std::vector<int32_t> values;
  while (auto value = reader.Int()) values.push_back(*value);
  return values;
}

// A client folder with a sentinel folder beside it, and the launcher's registry file.
class CliTest : public ::testing::Test {
 protected:
  CliTest() {
    base = fs::temp_directory_path() /
           ("veltharn-cli-test-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(base);
    client = base / "client";
    fs::create_directories(client);
    WriteFile(base / "sentinel" / "keep.txt", "outside the client folder");
  }
  ~CliTest() override { fs::remove_all(base); }

  void SetInstalledVersion(int32_t global) {
    char line[64];
    std::snprintf(line, sizeof line, "\"global_version\"=dword:%08x\n", global);
    WriteFile(
        client / ".veltharn.reg",
        std::string("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brennix\\QorTestClient]\n") + line);
  }

  std::unique_ptr<CliProcess> Start(std::vector<std::string> extra = {}) {
    std::vector<std::string> arguments = {"--root",    client.string(),
                                          "--server",  "127.0.0.1",
                                          "--port",    std::to_string(server.port()),
                                          "--timeout", "20"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    auto process = std::make_unique<CliProcess>(CliProgramPath(), arguments, base.string());
    EXPECT_TRUE(server.WaitForConnection());
    return process;
  }

  // Opens the exchange: ClientHello, then VersionInfo for a current client.
  void OpenExchange(int32_t serverVersion = 0) {
    auto hello = server.WaitForReply();
    ASSERT_TRUE(hello);
    ASSERT_EQ(hello->type, 0);
    server.SendFrame(5, Body().Int(serverVersion).Int(0));
    auto report = server.WaitForReply();
    ASSERT_TRUE(report);
    ASSERT_EQ(report->type, 1);
  }

  Packet Ask(uint8_t type, const Bytes& body) {
    EXPECT_TRUE(server.SendFrame(type, body));
    auto reply = server.WaitForReply();
    EXPECT_TRUE(reply);
    return reply.value_or(Packet{});
  }

  void ExpectSentinelUntouched() {
    EXPECT_EQ(ReadFile(base / "sentinel" / "keep.txt"), "outside the client folder");
    EXPECT_EQ(std::distance(fs::directory_iterator(base), fs::directory_iterator()), 2);
  }

  fs::path base;
  fs::path client;
  ScriptedServer server;
};

TEST_F(CliTest, ClientHelloCarriesTheInstalledVersion) {
  SetInstalledVersion(7);
  auto cli = Start();
  auto hello = server.WaitForFrame();
  ASSERT_TRUE(hello);
  Bytes expected = {0x0B, 0x00, 0x00, 0x3D, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00};
  Bytes received = server.ReceivedBytes();
  received.resize(std::min(received.size(), expected.size()));
  EXPECT_EQ(received, expected);
  EXPECT_TRUE(cli->WaitForLine("status: You are being connected to the update server."));
  EXPECT_TRUE(cli->WaitForLine("buttons: disabled"));
}

TEST_F(CliTest, AFullExchangeStoresTheVersionsAndEnablesStart) {
  auto cli = Start();
  OpenExchange(1200);
  server.SendFrame(8, Body().Int(2));
  server.SendFrame(4, Body().Int(1200).Int(3));
  EXPECT_EQ(cli->Wait(), 0) << cli->ErrorOutput();
  std::string registry = ReadFile(client / ".veltharn.reg");
  EXPECT_NE(registry.find("\"global_version\"=dword:000004b0"), std::string::npos) << registry;
  EXPECT_NE(registry.find("\"separate_version\"=dword:00000003"), std::string::npos);
  std::vector<std::string> lines = cli->Lines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 3], "status: Failed to call QEL library.");
  EXPECT_EQ(lines[lines.size() - 2], "status: All the files have been updated.");
  EXPECT_EQ(lines.back(), "buttons: enabled");
  EXPECT_TRUE(server.WaitForClose());
}

TEST_F(CliTest, ServerErrorsInBothLanguages) {
  struct Case {
    int32_t code;
    const char* language;
    const char* box;  // null: the launcher ends without a word
  } const cases[] = {
      {2, "en", "box: Error: The size is too big."},
      {6, "en", "box: Error: DB error has occurred."},
      {8, "en", "box: Announcement: The update server is not responding. Please try again later."},
      {5, "ko", "box: 오류: 설치된 버전이 업데이트서버 버전 보다 높습니다. 이상이 있습니다."},
      {8, "ko", "box: 알림: 업데이트 서버가 응답하지 않고 있습니다. 다시 시도하시기 바랍니다."},
      {9, "en", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    ScriptedServer peer;
    std::vector<std::string> arguments = {
        "--root", client.string(), "--server",  "127.0.0.1", "--port", std::to_string(peer.port()),
        "--lang", c.language,      "--timeout", "20"};
    CliProcess cli(CliProgramPath(), arguments, base.string());
    ASSERT_TRUE(peer.WaitForConnection());
    ASSERT_TRUE(peer.WaitForReply());
    peer.SendFrame(2, Body().Int(c.code));
    EXPECT_EQ(cli.Wait(), 1);
    std::vector<std::string> lines = cli.Lines();
    if (c.box != nullptr) {
      EXPECT_EQ(lines.back(), c.box);
    } else {
      EXPECT_EQ(lines.back().rfind("box:", 0), std::string::npos);
    }
  }
}

TEST_F(CliTest, InspectionsInQuickAndFullMode) {
  // 17 bytes: its last 16 are the trailer words, and it is shorter than a whole trailer.
  std::string seventeen = "A" + std::string("\x01\x00\x00\x00\x02\x00\x00\x00", 8) +
                          std::string("\x78\x56\x34\x12\x00\x00\x00\x00", 8);
  WriteFile(client / "seventeen.bin", seventeen);
  WriteFile(client / "sixteen.bin", std::string(16, 'x'));
  auto cli = Start();
  OpenExchange();
  Packet quick = Ask(1, Body().Wide(u"seventeen.bin"));
  EXPECT_EQ(quick.type, 2);
  EXPECT_EQ(Ints(quick, true), (std::vector<int32_t>{17, 1, 2, 0x12345678}));
  EXPECT_EQ(Ints(Ask(1, Body().Wide(u"sixteen.bin")), true), (std::vector<int32_t>{0, 0, 0, 0}));
  EXPECT_EQ(Ints(Ask(1, Body().Wide(u"missing.bin")), true), (std::vector<int32_t>{0, 0, 0, 0}));
  EXPECT_EQ(Ints(Ask(1, Body().Wide(u"..\\sentinel\\keep.txt")), true),
            (std::vector<int32_t>{0, 0, 0, 0}));

  // Full Check: a new connection whose VersionReport carries zeros, then computed checksums.
  server.SendFrame(4, Body().Int(0).Int(0));
  EXPECT_TRUE(cli->WaitForLine("buttons: enabled"));
  EXPECT_EQ(cli->Wait(), 0);
  ExpectSentinelUntouched();
}

TEST_F(CliTest, FullCheckComputesTheChecksums) {
  std::string body = "hello";
  std::string file = body + std::string(4, '\0') +
                     std::string("\x01\x00\x00\x00\x02\x00\x00\x00", 8) +
                     std::string("\xEE\xEE\xEE\xEE\x00\x00\x00\x00", 8);
  WriteFile(client / "data" / "a.bin", file);
  auto cli = Start({"--full-check"});
  OpenExchange();
  server.SendFrame(4, Body().Int(0).Int(0));
  ASSERT_TRUE(server.WaitForConnection());  // Full Check connects again
  auto hello = server.WaitForReply();
  ASSERT_TRUE(hello);
  server.SendFrame(5, Body().Int(0).Int(0));
  auto report = server.WaitForReply();
  ASSERT_TRUE(report);
  EXPECT_EQ(Ints(*report), (std::vector<int32_t>{61, 0, 0}));
  Packet full = Ask(1, Body().Wide(u"data\\a.bin"));
  EXPECT_EQ(Ints(full, true), (std::vector<int32_t>{25, 1, 2, 0x3610A686}));  // CRC of "hello"
  server.SendFrame(4, Body().Int(0).Int(0));
  EXPECT_EQ(cli->Wait(), 0);
  EXPECT_TRUE(cli->WaitForLine("status: Verification of files has begun."));
}

TEST_F(CliTest, SpecialFileQueries) {
  WriteFile(client / "Pellorix.dll", "hello");
  auto cli = Start();
  OpenExchange();
  for (int32_t index = 0; index <= 7; ++index) {
    SCOPED_TRACE(index);
    Packet reply = Ask(6, Body().Int(index));
    EXPECT_EQ(reply.type, 4);
    EXPECT_EQ(Ints(reply), (std::vector<int32_t>{index, index == 6 ? 0x3610A686 : 0}));
  }
  server.SendFrame(6, Body().Int(8));  // no answer
  Packet next = Ask(6, Body().Int(7));
  EXPECT_EQ(Ints(next), (std::vector<int32_t>{7, 0}));
}

TEST_F(CliTest, FramesJoinedOrSplitAreReadWhole) {
  WriteFile(client / "a.bin", std::string(40, 'a'));
  auto cli = Start();
  OpenExchange();
  Bytes first = Frame(1, Body().Wide(u"a.bin"));
  Bytes second = Frame(6, Body().Int(7));
  server.SendJoined({first, second});
  auto a = server.WaitForReply();
  auto b = server.WaitForReply();
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->type, 2);
  EXPECT_EQ(b->type, 4);
  server.SendInPieces(Frame(1, Body().Wide(u"a.bin")), {1, 5});
  auto c = server.WaitForReply();
  ASSERT_TRUE(c);
  EXPECT_EQ(c->type, 2);
  EXPECT_EQ(Ints(*c, true)[0], 40);
}

TEST_F(CliTest, RemovalsAreKeptInsideTheClientFolder) {
  WriteFile(client / "old.txt", "old");
  auto cli = Start();
  OpenExchange();
  Packet removed = Ask(3, Body().Int(11).Int(2).Int(0).Wide(u"old.txt"));
  EXPECT_EQ(Ints(removed), (std::vector<int32_t>{11, 0}));
  EXPECT_FALSE(fs::exists(client / "old.txt"));
  for (std::u16string name : {u"..\\sentinel\\keep.txt", u"../sentinel/keep.txt",
                              u"C:\\sentinel\\keep.txt", u"\\\\server\\share\\x"}) {
    Packet refused = Ask(3, Body().Int(12).Int(2).Int(0).Wide(name));
    EXPECT_EQ(Ints(refused), (std::vector<int32_t>{12, 1}));
  }
  ExpectSentinelUntouched();
}

TEST_F(CliTest, ABrokenFrameEndsTheLauncher) {
  auto cli = Start();
  OpenExchange();
  server.SendRaw({0x02, 0x00});
  EXPECT_EQ(cli->Wait(), 1);
  EXPECT_EQ(cli->Lines().back(),
            "box: Announcement: The connection to the update server has been terminated.");
}

TEST_F(CliTest, AResetEndsTheLauncherAndAnOrderlyCloseDoesNotAtOnce) {
  auto cli = Start();
  OpenExchange();
  server.Reset();
  EXPECT_EQ(cli->Wait(), 1);
  EXPECT_EQ(cli->Lines().back(),
            "box: Announcement: The connection to the update server has been terminated.");
}

TEST_F(CliTest, ALinkLostInTheMiddleOfATransferLeavesNoPartialFile) {
  for (bool reset : {true, false}) {
    SCOPED_TRACE(reset ? "reset" : "orderly close");
    ScriptedServer peer;
    CliProcess cli(CliProgramPath(),
                   {"--root", client.string(), "--server", "127.0.0.1", "--port",
                    std::to_string(peer.port()), "--timeout", "20"},
                   base.string());
    ASSERT_TRUE(peer.WaitForConnection());
    ASSERT_TRUE(peer.WaitForReply());
    peer.SendFrame(3, Body().Int(21).Int(1).Int(1000).Wide(u"system\\big.dat"));
    peer.SendRaw(Bytes(100, 0x5A));
    ASSERT_TRUE(cli.WaitForLine("status: Download system\\big.dat file"));
    if (reset) {
      peer.Reset();
      EXPECT_EQ(cli.Wait(), 1);
    } else {
      peer.Close();
      for (int i = 0; i < 200 && fs::exists(client / "system" / "big.dat"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    }
    EXPECT_FALSE(fs::exists(client / "system" / "big.dat"));
  }
}

TEST(CliStandaloneTest, ARefusedConnectShowsItsStatusThenTheBox) {
  int port;
  {
    ScriptedServer closed;  // a port that was just free
    port = closed.port();
  }
  CliProcess cli(
      CliProgramPath(),
      {"--root", fs::temp_directory_path().string(), "--registry",
       (fs::temp_directory_path() / ("veltharn-refused-" + std::to_string(getpid()) + ".reg"))
           .string(),
       "--server", "127.0.0.1", "--port", std::to_string(port), "--timeout", "20"},
      fs::temp_directory_path().string());
  EXPECT_EQ(cli.Wait(), 1);
  std::vector<std::string> lines = cli.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "status: Connection Failure");
  EXPECT_EQ(lines[1],
            "box: Announcement: The connection to the update server has been terminated.");
}

TEST(CliStandaloneTest, UsageErrorsAndTimeout) {
  for (std::vector<std::string> arguments : std::vector<std::vector<std::string>>{
           {"--lang", "fr"}, {"--port"}, {"--port", "70000"}, {"--bogus"}, {"--answer", "maybe"}}) {
    CliProcess cli(CliProgramPath(), arguments, fs::temp_directory_path().string());
    EXPECT_EQ(cli.Wait(), 2);
    EXPECT_NE(cli.ErrorOutput().find("usage:"), std::string::npos);
  }
}

}  // namespace
}  // namespace veltharn::test
