#include "launcher/update/file_transfer.h"

#include <gtest/gtest.h>

#include "tests/update/transfer_fixture.h"

namespace veltharn::test {
namespace {

using Replies = std::vector<std::vector<int32_t>>;

TEST(FileTransferTest, WholeAndSpecialFilesAreStoredUnderTheirName) {
  struct Case {
    int32_t kind;
    std::u16string name;
    const char* stored;
    Replies replies;
  } const cases[] = {
      {kWholeFile, u"system\\Sample.dat", "system\\Sample.dat", {{kTransferResult, 1234, 0}}},
      {kWholeFile, u"Sample.dat", "Sample.dat", {{kTransferResult, 1234, 0}}},
      {kWholeFile, u"new\\Sample.dat", "new\\Sample.dat", {{kTransferResult, 1234, 0}}},
      // Id 1234 has no next special file: nothing to report.
      {kSpecialFile, u"system\\GameGuard.des", "system\\GameGuard.des", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    TransferClient client;
    client.host.fileSystem.AddFolder("system");
    client.Transfer(1234, c.kind, c.name, "file bytes");
    EXPECT_EQ(client.Contents(c.stored), "file bytes");
    EXPECT_EQ(client.Replies(), c.replies);
    EXPECT_EQ(client.host.link.transferState, kReceivingPackets);
    EXPECT_FALSE(client.Ended());
  }
}

TEST(FileTransferTest, ReadsNeverPastTheAnnouncedSize) {
  struct Case {
    size_t size;
    size_t maxReceive;  // bytes the socket hands over per read at most
  } const cases[] = {{8193, 1 << 20}, {8192, 1 << 20}, {8193, 1000}, {1, 1}, {20000, 8191}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    SCOPED_TRACE(c.maxReceive);
    TransferClient client;
    client.host.socket().maxReceive = c.maxReceive;
    std::string data = TransferClient::Pattern(c.size);
    std::string next(
        reinterpret_cast<const char*>(wire::Frame(kFileCount, wire::Body().Int(3)).data()), 7);
    client.Announce(5, kWholeFile, static_cast<int32_t>(c.size), u"a.dat");
    client.Arrive(data + next);
    EXPECT_EQ(client.Contents("a.dat"), data);
    // The packet behind the data is left for the packet reader.
    EXPECT_EQ(client.host.socket().incoming, next);
    EXPECT_EQ(client.Replies(), (Replies{{kTransferResult, 5, 0}}));
    EXPECT_EQ(client.host.notices().fileProgress().position(), ProgressBarModel::kPercentScale);
  }
}

TEST(FileTransferTest, DataArrivingOverSeveralNotificationsIsJoined) {
  TransferClient client;
  std::string data = TransferClient::Pattern(10000);
  client.Announce(9, kWholeFile, 10000, u"a.dat");
  client.Arrive(data.substr(0, 3000));
  EXPECT_EQ(client.host.link.transferState, kWritingFileData);
  EXPECT_TRUE(client.Replies().empty());
  client.Arrive("");  // a notification with nothing to read
  client.Arrive(data.substr(3000));
  EXPECT_EQ(client.Contents("a.dat"), data);
  EXPECT_EQ(client.Replies(), (Replies{{kTransferResult, 9, 0}}));
}

TEST(FileTransferTest, ProgressUsesSizesBeyondThirtyTwoBitProducts) {
  // 30,000,000 received x 100 does not fit 32 bits.
  TransferClient client;
  const int32_t size = 40'000'000;
  const int32_t part = 30'000'000;
  client.Announce(1, kWholeFile, size, u"big.dat");
  const std::string piece(8192, 'x');
  for (int received = 0; received + 8192 <= part; received += 8192) client.Arrive(piece);
  client.Arrive(std::string(part % 8192, 'x'));
  EXPECT_EQ(client.host.notices().fileProgress().position(),
            75 * ProgressBarModel::kPercentScale / 100);
  EXPECT_EQ(client.host.view.statuses.back(), "Download big.dat file");
}

TEST(FileTransferTest, TheFileBarRisesThroughEachPercentOnce) {
  struct Case {
    size_t size;
    size_t maxReceive;
    size_t notifications;  // the data arrives in this many parts
    std::vector<int> percents;
  };
  std::vector<int> everyPercent;
  for (int p = 0; p <= 100; ++p) everyPercent.push_back(p);
  const Case cases[] = {
      {300, 1 << 20, 1, {0, 100}},
      {3 * 8192, 1 << 20, 1, {0, 33, 66, 100}},
      {4 << 20, 1 << 20, 3, everyPercent},  // 512 reads
      {1'000'000, 1000, 2, everyPercent},   // ten reads a percent
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    TransferClient client;
    client.host.socket().maxReceive = c.maxReceive;
    client.Announce(2, kWholeFile, static_cast<int32_t>(c.size), u"a.dat");
    const std::string data = TransferClient::Pattern(c.size);
    const size_t part = c.size / c.notifications + 1;
    for (size_t at = 0; at < c.size; at += part) client.Arrive(data.substr(at, part));
    ASSERT_EQ(client.Contents("a.dat"), data);
    std::vector<int> expected;
    for (int p : c.percents) expected.push_back(p * ProgressBarModel::kPercentScale / 100);
    EXPECT_EQ(client.host.view.filePositions, expected);
  }
}

TEST(FileTransferTest, OnlyTheLastFolderLevelIsMade) {
  struct Case {
    std::u16string name;
    bool stored;
  } const cases[] = {
      {u"fresh\\a.dat", true},      // one missing level
      {u"system\\a.dat", true},     // existing folder
      {u"one\\two\\a.dat", false},  // two missing levels
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
    TransferClient client;
    client.host.fileSystem.AddFolder("system");
    client.Announce(7, kWholeFile, 4, c.name);
    if (c.stored) {
      client.Arrive("data");
      EXPECT_EQ(client.Replies(), (Replies{{kTransferResult, 7, 0}}));
      EXPECT_FALSE(client.Ended());
      continue;
    }
    EXPECT_EQ(client.Replies(), (Replies{{kTransferResult, 7, 1}}));
    ASSERT_EQ(client.host.view.boxes.size(), 1u);
    EXPECT_EQ(client.host.view.boxes[0].buttons, BoxButtons::kOk);
    EXPECT_EQ(client.host.view.boxes[0].caption, "Error");
    EXPECT_TRUE(client.host.view.boxes[0].text.starts_with("The file cannot be created."));
    EXPECT_TRUE(client.Ended());
  }
}

TEST(FileTransferTest, AReadOnlyTargetIsOverwritten) {
  TransferClient client;
  client.host.fileSystem.AddFile("system\\a.dat", "old", /*readOnly=*/true);
  client.Transfer(1, kWholeFile, u"system\\a.dat", "new");
  EXPECT_EQ(client.Contents("system\\a.dat"), "new");
  EXPECT_EQ(client.Replies(), (Replies{{kTransferResult, 1, 0}}));
}

TEST(FileTransferTest, ARefusedCreationAsksAndDropsTheDataOnYes) {
  struct Case {
    int32_t kind;
    std::u16string name;
    int answer;
    Replies replies;  // after the data
  } const cases[] = {
      {kWholeFile, u"a.dat", kIdYes, {{kTransferResult, 3, 1}}},
      {kCompressedFile, u"a.dat", kIdYes, {{kTransferResult, 3, 1}}},
      {kStagedCompressedFile, u"a.dat", kIdYes, {{kStagedTransferResult, 3, 1}}},
      {kSpecialFile, u"a.dat", kIdYes, {{kSpecialFileResult, 4, 1}}},
      {kSelfUpdate, u"", kIdYes, {}},
      {kWholeFile, u"a.dat", kIdNo, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    SCOPED_TRACE(c.answer);
    TransferClient client;
    client.host.fileSystem.AddFolder("Patch");
    client.host.fileSystem.FailOnCall(MemoryFileSystem::Operation::kCreate, 1);
    client.host.view.answers.push_back(c.answer);
    client.Announce(3, c.kind, 5, c.name);
    ASSERT_EQ(client.host.view.boxes.size(), 1u);
    EXPECT_EQ(client.host.view.boxes[0].buttons, BoxButtons::kYesNo);
    EXPECT_TRUE(client.host.view.boxes[0].text.ends_with(
        "The file cannot be created. Please verify available disk space and write permissions. "
        "Do you wish to continue?"));
    EXPECT_EQ(client.host.view.statuses.back(), "file creation has failed.");
    if (c.answer == kIdNo) {
      EXPECT_TRUE(client.Ended());
      EXPECT_TRUE(client.Replies().empty());
      continue;
    }
    client.Arrive("12345next");
    EXPECT_EQ(client.host.socket().incoming, "next");
    EXPECT_EQ(client.Replies(), c.replies);
    EXPECT_EQ(client.host.link.transferState, kReceivingPackets);
    EXPECT_TRUE(client.host.fileSystem.FileNames().empty());
    EXPECT_FALSE(client.Ended());
  }
}

TEST(FileTransferTest, AFailedWriteIsAnsweredOnceAndTheRestDropped) {
  struct Case {
    int32_t kind;
    Replies replies;
  } const cases[] = {
      {kWholeFile, {{kTransferResult, 8, 1}}},
      {kStagedCompressedFile, {{kStagedTransferResult, 8, 1}}},
      {kStagedPatch, {{kStagedTransferResult, 8, 1}}},
      {kSpecialFile, {{kTransferResult, 8, 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    TransferClient client;
    client.host.fileSystem.AddFolder("Patch");
    client.host.socket().maxReceive = 100;
    client.host.fileSystem.FailOnCall(MemoryFileSystem::Operation::kWrite, 2);
    client.Announce(8, c.kind, 1000, u"a.dat");
    client.Arrive(std::string(1000, 'x') + "next");
    EXPECT_EQ(client.host.socket().incoming, "next");
    EXPECT_EQ(client.Replies(), c.replies);
    EXPECT_EQ(client.host.link.transferState, kReceivingPackets);
    EXPECT_TRUE(client.host.fileSystem.FileNames().empty()) << "partial file left";
    EXPECT_TRUE(client.host.engine.calls.empty());
  }
}

TEST(FileTransferTest, UnsafeNamesAreRefusedAfterTheirBytes) {
  const std::u16string names[] = {
      u"..\\outside.dat",  u"C:\\Windows\\x.dll", u"\\\\server\\x", u"a.dat:stream", u"",
      u"system\\..\\..\\x"};
  for (const std::u16string& name : names) {
    for (int32_t kind :
         {kPatchInPlace, kWholeFile, kCompressedFile, kStagedCompressedFile, kStagedPatch}) {
      SCOPED_TRACE(std::string(name.begin(), name.end()));
      SCOPED_TRACE(kind);
      TransferClient client;
      client.Announce(2, kind, 6, name);
      client.Arrive("abcdef");
      uint8_t type = kind == kStagedCompressedFile || kind == kStagedPatch ? kStagedTransferResult
                                                                           : kTransferResult;
      EXPECT_EQ(client.Replies(), (Replies{{type, 2, 1}}));
      EXPECT_TRUE(client.host.fileSystem.FileNames().empty());
      EXPECT_TRUE(client.host.engine.calls.empty());
      EXPECT_FALSE(client.Ended());
    }
  }
}

TEST(FileTransferTest, EmptyAndNegativeSizesEndWithoutWaiting) {
  struct Case {
    int32_t size;
    Replies replies;
    bool fileExists;
  } const cases[] = {
      {0, {{kTransferResult, 4, 0}}, true},
      {-1, {{kTransferResult, 4, 1}}, false},
      {-2147483647 - 1, {{kTransferResult, 4, 1}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    TransferClient client;
    client.host.fileSystem.AddFile("a.dat", "old");
    client.Announce(4, kWholeFile, c.size, u"a.dat");
    EXPECT_EQ(client.host.link.transferState, kReceivingPackets);
    EXPECT_EQ(client.Replies(), c.replies);
    EXPECT_EQ(client.Contents("a.dat"), c.fileExists ? "" : "old");
  }
}

TEST(FileTransferTest, RemovalsAndUnchangedStagedFilesAreAnsweredAtOnce) {
  struct Case {
    int32_t kind;
    std::u16string name;
    Replies replies;
    bool fileStays;
  } const cases[] = {
      {kRemoveFile, u"system\\a.dat", {{kTransferResult, 6, 0}}, false},
      {kRemoveFile, u"system\\missing.dat", {{kTransferResult, 6, 0}}, true},
      {kRemoveFile, u"..\\a.dat", {{kTransferResult, 6, 1}}, true},
      {kStagedUnchanged, u"system\\a.dat", {{kStagedTransferResult, 6, 0}}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    TransferClient client;
    client.host.fileSystem.AddFile("system\\a.dat", "x", /*readOnly=*/true);
    client.Announce(6, c.kind, 100, c.name);
    EXPECT_EQ(client.host.link.transferState, kReceivingPackets);
    EXPECT_EQ(client.Replies(), c.replies);
    EXPECT_EQ(client.host.fileSystem.HasFile("system\\a.dat"), c.fileStays);
  }
}

TEST(FileTransferTest, ALostLinkLeavesNoPartialFile) {
  TransferClient client;
  client.Announce(1, kWholeFile, 100, u"a.dat");
  client.Arrive("half");
  ASSERT_TRUE(client.host.fileSystem.HasFile("a.dat"));
  DropTransfer(client.host, client.host.link);
  EXPECT_FALSE(client.host.fileSystem.HasFile("a.dat"));
  EXPECT_EQ(client.host.link.transferState, kReceivingPackets);
  EXPECT_TRUE(client.Replies().empty());
}

}  // namespace
}  // namespace veltharn::test
