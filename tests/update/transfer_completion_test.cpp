#include "launcher/update/transfer_completion.h"

#include <gtest/gtest.h>

#include "launcher/update/crc32.h"
#include "launcher/update/file_trailer.h"
#include "launcher/update/inflate_file.h"
#include "launcher/update/patch_application.h"
#include "tests/update/transfer_fixture.h"

namespace veltharn::test {
namespace {

using Replies = std::vector<std::vector<int32_t>>;

TEST(PatchTransferTest, ThePatchFileGoesToTheEngineAndNeverStays) {
  struct Case {
    int32_t kind;
    int32_t engineResult;
    const char* patchFile;
    const char* folder;
    Replies replies;
    const char* lastStatus;
  } const cases[] = {
      {kPatchInPlace, 0, "C:\\client\\system\\1234.rtp", "C:\\client\\system",
       {{kTransferResult, 1234, 0}}, "Patch has started 1234.rtp"},
      {kPatchInPlace, 5, "C:\\client\\system\\1234.rtp", "C:\\client\\system",
       {{kTransferResult, 1234, 3}}, "Since patch was unsuccessful, all files will be downloaded."},
      {kStagedPatch, 0, "C:\\client\\patch\\system\\1234.rtp", "C:\\client\\patch\\system",
       {{kStagedTransferResult, 1234, 0}}, "Patch has started 1234.rtp"},
      {kStagedPatch, -1, "C:\\client\\patch\\system\\1234.rtp", "C:\\client\\patch\\system",
       {{kStagedTransferResult, 1234, 3}},
       "Since patch was unsuccessful, all files will be downloaded."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    SCOPED_TRACE(c.engineResult);
    TransferClient client;
    client.host.fileSystem.AddFolder("system");
    client.host.fileSystem.AddFolder("Patch");
    client.host.engine.result = c.engineResult;
    client.Transfer(1234, c.kind, u"system\\Sample.dat", "patch bytes");

    ASSERT_EQ(client.host.engine.calls.size(), 1u);
    const FakePatchEngine::Call& call = client.host.engine.calls[0];
    EXPECT_EQ(call.commandLine,
              std::string("\"") + c.patchFile + "\" \"" + c.folder + "\" -q -notzcheck -nop");
    EXPECT_TRUE(call.patchFileFound);
    EXPECT_EQ(call.patchBytes, "patch bytes");
    EXPECT_EQ(client.Replies(), c.replies);
    EXPECT_TRUE(client.host.fileSystem.FileNames().empty()) << "the .rtp stayed";
    EXPECT_EQ(client.host.view.statuses.back(), c.lastStatus);
    for (const char* answer : client.host.engine.answers) {
      ASSERT_NE(answer, nullptr);
      EXPECT_STREQ(answer, "");
    }
  }
}

TEST(PatchTransferTest, ACommandLineThatDoesNotFitIsNotApplied) {
  // "<C:\client\F\id.rtp>" "<C:\client\F>" and the options: 54 + 2 x 103 = 260 with a 5-digit id.
  struct Case {
    int32_t id;
    bool applied;
  } const cases[] = {{1234, true}, {12345, false}};
  const std::string folder(103, 'f');
  const std::u16string name = std::u16string(folder.begin(), folder.end()) + u"\\x.dat";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    TransferClient client;
    client.Transfer(c.id, kPatchInPlace, name, "patch");
    EXPECT_EQ(client.host.engine.calls.size(), c.applied ? 1u : 0u);
    if (c.applied) {
      EXPECT_EQ(client.host.engine.calls[0].commandLine.size(), 259u);
    }
    EXPECT_EQ(client.Replies(), (Replies{{kTransferResult, c.id, c.applied ? 0 : 3}}));
    EXPECT_TRUE(client.host.fileSystem.FileNames().empty());
  }
}

TEST(PatchTransferTest, BuildPatchCommandLineIsZeroFilled) {
  auto line = BuildPatchCommandLine("C:\\Game\\system\\1234.rtp");
  ASSERT_TRUE(line);
  std::string text = line->data();
  EXPECT_EQ(text, "\"C:\\Game\\system\\1234.rtp\" \"C:\\Game\\system\" -q -notzcheck -nop");
  for (size_t i = text.size(); i < line->size(); ++i) ASSERT_EQ((*line)[i], '\0');
}

TEST(PatchCallBackTest, EachIdShowsItsProgress) {
  struct Case {
    uint32_t id;
    int32_t value;           // for id 5
    const char* path;        // for id 7
    std::vector<std::string> statuses;
    int position;            // file bar afterwards, -1: unchanged
  } const cases[] = {
      {4, 0, nullptr,
       {"Patch Failure", "Since patch was unsuccessful, all files will be downloaded."}, -1},
      {5, 16384, nullptr, {}, 50 * 32767 / 100},
      {5, 32768, nullptr, {}, 32767},
      {5, 0, nullptr, {}, 0},
      {5, 40000, nullptr, {}, 32767},  // beyond the scale: clamped
      {5, -2147483647, nullptr, {}, 0},
      {7, 0, "C:\\Game\\system\\Sample.dat", {"Patch has started Sample.dat"}, -1},
      {7, 0, "Sample.dat", {"Patch has started Sample.dat"}, -1},
      {8, 0, nullptr, {}, 0},  // "...Completed" is not shown
      {6, 0, nullptr, {}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    SCOPED_TRACE(c.value);
    FakeView view;
    Notices notices(view);
    notices.SetFileRange(32767);
    notices.SetFilePercent(10);
    const void* data = c.id == 5 ? static_cast<const void*>(&c.value) : c.path;
    const char* answer = PatchCallBack(notices, c.id, data);
    ASSERT_NE(answer, nullptr);
    EXPECT_STREQ(answer, "");
    EXPECT_EQ(view.pumps, 1);
    EXPECT_EQ(view.statuses, c.statuses);
    EXPECT_EQ(notices.fileProgress().position(), c.position < 0 ? 3276 : c.position);
  }
}

TEST(CompressedTransferTest, InflatesIntoTheNameAndLeavesNoZip) {
  struct Case {
    int32_t kind;
    size_t size;
    const char* target;
    uint8_t replyType;
  } const cases[] = {
      {kCompressedFile, 1000, "system\\a.dat", kTransferResult},
      {kCompressedFile, 0, "system\\a.dat", kTransferResult},
      {kCompressedFile, (1 << 20) * 2 + 12345, "system\\a.dat", kTransferResult},
      {kCompressedFile, 1 << 20, "system\\a.dat", kTransferResult},
      {kStagedCompressedFile, 5000, "Patch\\system\\a.dat", kStagedTransferResult},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    TransferClient client;
    client.host.fileSystem.AddFolder("Patch\\system");
    client.host.fileSystem.AddFile(std::string(c.target) + ".zip", "an old zip");
    const std::string plain = TransferClient::Pattern(c.size);
    client.Transfer(11, c.kind, u"system\\a.dat", TransferClient::Compressed(plain));
    EXPECT_EQ(client.Contents(c.target), plain);
    EXPECT_FALSE(client.host.fileSystem.HasFile(std::string(c.target) + ".zip"));
    EXPECT_EQ(client.Replies(), (Replies{{c.replyType, 11, 0}}));
    EXPECT_EQ(client.host.view.statuses.back(), "Decompression has finished.");
    // At least one pumped message per 1 MiB block written.
    size_t blocks = std::max<size_t>(1, (c.size + kInflateBlockSize - 1) / kInflateBlockSize);
    EXPECT_GE(client.host.view.pumps, static_cast<int>(blocks));
    EXPECT_FALSE(client.Ended());
  }
}

TEST(CompressedTransferTest, ABrokenStreamEndsTheLauncherAndLeavesNothing) {
  const std::string good = TransferClient::Compressed(TransferClient::Pattern(3 << 20));
  std::string corrupt = good;
  corrupt[corrupt.size() / 2] = static_cast<char>(corrupt[corrupt.size() / 2] ^ 0x55);
  std::string badChecksum = good;
  badChecksum.back() = static_cast<char>(badChecksum.back() ^ 1);
  struct Case {
    const char* what;
    std::string bytes;
  } const cases[] = {
      {"truncated", good.substr(0, good.size() - 100)},
      {"cut in the header", good.substr(0, 1)},
      {"corrupt", corrupt},
      {"wrong Adler-32", badChecksum},
      {"not zlib", "plain text, not a stream"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TransferClient client;
    client.Transfer(12, kCompressedFile, u"a.dat", c.bytes);
    ASSERT_EQ(client.host.view.boxes.size(), 1u);
    EXPECT_EQ(client.host.view.boxes[0].text,
              "The compression has failed. Please check your hard disk space.");
    EXPECT_EQ(client.host.view.boxes[0].caption, "Error");
    EXPECT_TRUE(client.Ended());
    EXPECT_TRUE(client.Replies().empty());
    EXPECT_FALSE(client.host.link.HasSocket());
    EXPECT_TRUE(client.host.fileSystem.FileNames().empty()) << "a partial file stayed";
  }
}

TEST(CompressedTransferTest, AFailedWriteOfTheInflatedFileIsAFailure) {
  TransferClient client;
  const std::string plain = TransferClient::Pattern(3 << 20);
  const std::string packed = TransferClient::Compressed(plain);
  client.host.fileSystem.AddFile("a.dat.zip", packed);
  auto source = client.host.fileSystem.OpenForRead("a.dat.zip", true);
  // The second 1 MiB block cannot be written.
  client.host.fileSystem.FailOnCall(MemoryFileSystem::Operation::kWrite, 2);
  EXPECT_FALSE(InflateFile(client.host.notices(), client.host.fileSystem, "a.dat", *source));
  EXPECT_FALSE(client.host.fileSystem.HasFile("a.dat"));
}

TEST(SpecialFileTransferTest, ReportsTheNextEntry) {
  struct Case {
    int32_t id;
    Replies replies;
  } const cases[] = {
      {2, {{kSpecialFileResult, 3, static_cast<int32_t>(0xCBF43926u)}}},
      {0, {{kSpecialFileResult, 1, 0}}},  // entry 1 is missing
      {6, {{kSpecialFileResult, 7, 0}}},
      {7, {}},
      {-1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    TransferClient client;
    client.host.fileSystem.AddFile(".\\system\\npkcrypt.vxd", "123456789");
    client.Transfer(c.id, kSpecialFile, u"system\\Veltharntest.ini", "ini");
    EXPECT_EQ(client.Contents("system\\Veltharntest.ini"), "ini");
    EXPECT_EQ(client.Replies(), c.replies);
  }
}

std::string Launcher(const std::string& body, bool rightCrc) {
  auto bytes = std::as_bytes(std::span(body.data(), body.size()));
  uint32_t crc = Crc32(bytes, 0) ^ (rightCrc ? 0u : 1u);
  auto trailer = BuildTrailer(61, 0, crc);
  return body + std::string(reinterpret_cast<const char*>(trailer.data()), trailer.size());
}

TEST(SelfUpdateTest, OnlyACopyThatPassesItsCheckIsStarted) {
  struct Case {
    const char* what;
    std::string program;
    bool started;
  } const cases[] = {
      {"sound", Launcher("new launcher program", true), true},
      {"wrong CRC", Launcher("new launcher program", false), false},
      {"16 bytes", std::string(16, 'x'), false},
      {"trailer only, wrong", std::string(20, 'x'), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TransferClient client;
    client.host.fileSystem.AddFile("Veltharn.exe", "running launcher");
    client.host.fileSystem.AddFile("Veltharn.nex", "leftover", /*readOnly=*/true);
    int exitCode = -1;
    try {
      client.Transfer(0, kSelfUpdate, u"ignored", c.program);
    } catch (const ProcessEnded& ended) {
      exitCode = ended.exitCode;
    }
    EXPECT_EQ(exitCode, c.started ? 0 : 1);
    EXPECT_EQ(client.host.process.started,
              c.started ? std::vector<std::string>{"Veltharn.nex"} : std::vector<std::string>{});
    EXPECT_EQ(client.host.process.releases, c.started ? 1 : 0);
    EXPECT_EQ(client.host.link.HasSocket(), !c.started);
    EXPECT_EQ(client.Contents("Veltharn.exe"), "running launcher");
    EXPECT_EQ(client.Contents("Veltharn.new"), c.program);
    EXPECT_EQ(client.Contents("Veltharn.nex"), c.program);
    EXPECT_TRUE(client.Replies().empty());
  }
}

TEST(SelfUpdateTest, ACopyThatCannotBeStartedEndsTheLauncher) {
  TransferClient client;
  client.host.process.startFails = true;
  client.Transfer(0, kSelfUpdate, u"", Launcher("new launcher program", true));
  EXPECT_EQ(client.host.process.started, std::vector<std::string>{"Veltharn.nex"});
  EXPECT_TRUE(client.Ended());
  EXPECT_FALSE(client.host.link.HasSocket());
}

}  // namespace
}  // namespace veltharn::test
