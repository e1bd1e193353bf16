// Every transfer kind end to end: veltharn-cli against the scripted server, with the files on
// disk and the reply frames checked.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/headless/cli_process.h"
#include "tests/support/disk_files.h"
#include "tests/support/scripted_server.h"

namespace veltharn::test {
namespace {

namespace fs = std::filesystem;
using wire::BodyReader;

std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
  return bytes;
}

// `content` with its trailer: 0, word 0 = 61, word 1 = 317, CRC-32, 0.
std::string WithTrailer(const std::string& content, bool rightCrc = true) {
  uint32_t crc = static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(content.data()), static_cast<uInt>(content.size())));
  if (!rightCrc) crc ^= 1;
  std::string trailer;
  for (uint32_t word : {0u, 61u, 317u, crc, 0u}) {
    for (int shift = 0; shift < 32; shift += 8) trailer.push_back(static_cast<char>(word >> shift));
  }
  return content + trailer;
}

class CliTransferTest : public ::testing::Test {
 protected:
  CliTransferTest() {
    base = fs::temp_directory_path() /
           ("veltharn-transfer-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(base);
    client = base / "client";
    fs::create_directories(client);
    WriteFile(base / "sentinel" / "keep.txt", "outside");
  }
  ~CliTransferTest() override { fs::remove_all(base); }

  void Open(const std::string& answer = "no") {
    cli = std::make_unique<CliProcess>(
        CliProgramPath(),
        std::vector<std::string>{"--root", client.string(), "--server", "127.0.0.1", "--port",
                                 std::to_string(server.port()), "--answer", answer, "--timeout",
                                 "30"},
        base.string());
    ASSERT_TRUE(server.WaitForConnection());
    ASSERT_TRUE(server.WaitForReply());  // ClientHello
    server.SendFrame(5, Body().Int(0).Int(0));
    ASSERT_TRUE(server.WaitForReply());  // VersionReport
  }
  // Announces a transfer and sends its data (in pieces, when given).
  void Transfer(int32_t id, int32_t kind, const std::u16string& name, const std::string& data,
                std::vector<size_t> pieces = {}) {
    server.SendFrame(3, Body().Int(id).Int(kind).Int(static_cast<int32_t>(data.size())).Wide(name));
    if (pieces.empty()) {
      server.SendRaw(ToBytes(data));
    } else {
      server.SendInPieces(ToBytes(data), pieces);
    }
  }
  // The next reply: its type and numbers.
  std::pair<int, std::vector<int32_t>> Reply() {
    auto reply = server.WaitForReply();
    if (!reply) return {-1, {}};
    BodyReader reader(reply->body);
    std::vector<int32_t> values;
    while (auto value = reader.Int()) values.push_back(*value);
    return {reply->type, values};
  }
  void Finish() {
    server.SendFrame(4, Body().Int(1).Int(0));
    EXPECT_EQ(cli->Wait(), 0) << cli->ErrorOutput();
    EXPECT_EQ(ReadFile(base / "sentinel" / "keep.txt"), "outside");
  }
  // Names of every file below the client folder, but the launcher's own registry.
  std::vector<std::string> ClientFiles() {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(client)) {
      std::string name = fs::relative(entry.path(), client).string();
      if (entry.is_regular_file() && name != ".veltharn.reg") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path base;
  fs::path client;
  ScriptedServer server;
  std::unique_ptr<CliProcess> cli;
};

using Replies = std::pair<int, std::vector<int32_t>>;

TEST_F(CliTransferTest, AWholeFileArrivesInPiecesAndReplacesAReadOnlyOne) {
  std::string data = Pattern(8193);
  WriteFile(client / "system" / "qor.exe", "old");
  fs::permissions(client / "system" / "qor.exe", fs::perms::owner_read);
  Open();
  Transfer(7, 1, u"system\\qor.exe", data, {8192});
  EXPECT_EQ(Reply(), (Replies{3, {7, 0}}));
  EXPECT_EQ(ReadFile(client / "system" / "qor.exe"), data);
  EXPECT_TRUE(cli->WaitForLine("status: Download system\\qor.exe file"));
  Finish();
}

TEST_F(CliTransferTest, AnEmptyFileAndACreatedFolder) {
  Open();
  Transfer(8, 1, u"newdir\\empty.txt", "");
  EXPECT_EQ(Reply(), (Replies{3, {8, 0}}));
  EXPECT_TRUE(fs::exists(client / "newdir" / "empty.txt"));
  EXPECT_EQ(fs::file_size(client / "newdir" / "empty.txt"), 0u);
  Finish();
}

TEST_F(CliTransferTest, AFolderTwoLevelsBelowAMissingOneEndsTheLauncher) {
  Open();
  server.SendFrame(3, Body().Int(9).Int(1).Int(10).Wide(u"a\\b\\c.txt"));
  EXPECT_EQ(Reply(), (Replies{3, {9, 1}}));
  EXPECT_EQ(cli->Wait(), 1);
  EXPECT_EQ(cli->Lines().back(),
            "box: Error: The file cannot be created. Please verify available disk space and write "
            "permissions. Do you wish to continue?");
  EXPECT_TRUE(ClientFiles().empty());
}

TEST_F(CliTransferTest, ARefusedCreationAnsweredYesDropsTheDataAndGoesOn) {
  fs::create_directories(client / "blocked.dat");  // a folder where the file should go
  Open("yes");
  Transfer(10, 1, u"blocked.dat", Pattern(20000), {5000, 5000});
  EXPECT_EQ(Reply(), (Replies{3, {10, 1}}));
  EXPECT_TRUE(cli->WaitForLine("answer: yes"));
  server.SendFrame(6, Body().Int(7));  // packets are read as packets again
  EXPECT_EQ(Reply(), (Replies{4, {7, 0}}));
  Finish();
}

TEST_F(CliTransferTest, ARefusedCreationAnsweredNoEndsTheLauncher) {
  fs::create_directories(client / "blocked.dat");
  Open("no");
  server.SendFrame(3, Body().Int(11).Int(1).Int(100).Wide(u"blocked.dat"));
  EXPECT_EQ(cli->Wait(), 1);
  EXPECT_EQ(cli->Lines().back(), "answer: no");
}

TEST_F(CliTransferTest, ACompressedFileIsInflatedInPlace) {
  std::string content = Pattern(1536 * 1024 + 17);
  WriteFile(client / "data" / "big.pak.zip", "an old leftover");
  Open();
  Transfer(12, 4, u"data\\big.pak", Compress(content));
  EXPECT_EQ(Reply(), (Replies{3, {12, 0}}));
  EXPECT_EQ(ReadFile(client / "data" / "big.pak"), content);
  EXPECT_EQ(ClientFiles(), std::vector<std::string>{"data/big.pak"});
  EXPECT_TRUE(cli->WaitForLine("status: Decompression has finished."));
  Finish();
}

TEST_F(CliTransferTest, ATruncatedStreamEndsTheLauncherAndLeavesNothing) {
  std::string stream = Compress(Pattern(300000));
  stream.resize(stream.size() / 2);
  Open();
  Transfer(13, 4, u"data\\cut.pak", stream);
  EXPECT_EQ(cli->Wait(), 1);
  EXPECT_EQ(cli->Lines().back(),
            "box: Error: The compression has failed. Please check your hard disk space.");
  EXPECT_TRUE(ClientFiles().empty());
}

TEST_F(CliTransferTest, StagedKindsWorkBelowTheStagingFolder) {
  std::string content = Pattern(5000);
  Open();
  Transfer(14, 6, u"system\\staged.dll", Compress(content));
  EXPECT_EQ(Reply(), (Replies{7, {14, 0}}));
  EXPECT_EQ(ReadFile(client / "Patch" / "system" / "staged.dll"), content);
  server.SendFrame(3, Body().Int(15).Int(8).Int(0).Wide(u"system\\same.dll"));
  EXPECT_EQ(Reply(), (Replies{7, {15, 0}}));
  Finish();
}

TEST_F(CliTransferTest, PatchesWithoutAnEngineAreNotAppliedAndLeaveNoPatchFile) {
  WriteFile(client / "system" / "Sample.dat", "original");
  fs::create_directories(client / "Patch" / "system");
  Open();
  Transfer(1234, 0, u"system\\Sample.dat", Pattern(300));
  EXPECT_EQ(Reply(), (Replies{3, {1234, 3}}));
  Transfer(1234, 7, u"system\\Sample.dat", Pattern(300));
  EXPECT_EQ(Reply(), (Replies{7, {1234, 3}}));
  Finish();  // the launcher has ended: whatever it cleans up after a reply is done
  EXPECT_EQ(ReadFile(client / "system" / "Sample.dat"), "original");
  EXPECT_FALSE(fs::exists(client / "system" / "1234.rtp"));
  EXPECT_FALSE(fs::exists(client / "Patch" / "system" / "1234.rtp"));
}

TEST_F(CliTransferTest, SpecialFilesReportTheNextEntryOfTheList) {
  WriteFile(client / "system" / "npkcrypt.vxd", "next entry");
  uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>("next entry"), 10));
  Open();
  Transfer(2, 5, u"system\\Veltharntest.ini", "[video]");
  EXPECT_EQ(Reply(), (Replies{4, {3, static_cast<int32_t>(crc)}}));
  EXPECT_EQ(ReadFile(client / "system" / "Veltharntest.ini"), "[video]");
  Transfer(6, 5, u"Pellorix.dll", "library");
  EXPECT_EQ(Reply(), (Replies{4, {7, 0}}));
  Finish();
}

TEST_F(CliTransferTest, TheCommitMovesStagedFoldersAndDropsLooseFiles) {
  WriteFile(client / "Patch" / "system" / "new.dll", "staged");
  WriteFile(client / "Patch" / "loose.txt", "loose");
  WriteFile(client / "system" / "new.dll", "old");
  cli = std::make_unique<CliProcess>(
      CliProgramPath(),
      std::vector<std::string>{"--root", client.string(), "--server", "127.0.0.1", "--port",
                               std::to_string(server.port()), "--timeout", "30"},
      base.string());
  ASSERT_TRUE(server.WaitForConnection());
  ASSERT_TRUE(server.WaitForReply());
  server.SendFrame(5, Body().Int(5).Int(0));  // newer than installed, not held: commit
  EXPECT_EQ(Reply(), (Replies{1, {61, 0, 0}}));
  EXPECT_EQ(ReadFile(client / "system" / "new.dll"), "staged");
  EXPECT_FALSE(fs::exists(client / "Patch" / "loose.txt"));
  EXPECT_FALSE(fs::exists(client / "loose.txt"));
  Finish();
}

TEST_F(CliTransferTest, ASelfUpdateWithAWrongChecksumNeverStarts) {
  WriteFile(client / "Veltharn.exe", "the running launcher");
  Open();
  Transfer(3, 3, u"ignored", WithTrailer("#!/bin/sh\nexit 0\n", /*rightCrc=*/false));
  EXPECT_EQ(cli->Wait(), 1);
  EXPECT_EQ(ReadFile(client / "Veltharn.exe"), "the running launcher");
}

TEST_F(CliTransferTest, ASelfUpdateThatPassesReplacesTheProcess) {
  Open();
  std::string program = "#!/bin/sh\necho replaced >\"$(dirname \"$0\")/replaced.txt\"\nexit 0\n";
  Transfer(3, 3, u"ignored", WithTrailer(program));
  EXPECT_EQ(cli->Wait(), 0);
  EXPECT_EQ(ReadFile(client / "replaced.txt"), "replaced\n");
  EXPECT_TRUE(server.WaitForClose());
}

}  // namespace
}  // namespace veltharn::test
