#include "launcher/update/update_protocol.h"

#include <gtest/gtest.h>

#include "launcher/update/packet_types.h"
#include "tests/update/exchange_test_host.h"

namespace veltharn::test {
namespace {

using wire::Body;
using wire::BodyReader;

class UpdateProtocolTest : public ::testing::Test {
 protected:
  void Receive(uint8_t type, const wire::Bytes& body = {}) {
    DispatchPacket(host, host.link, ExchangeTestHost::MakePacket(type, body));
  }
  std::vector<int32_t> Ints(const wire::Packet& frame) {
    BodyReader reader(frame.body);
    std::vector<int32_t> values;
    while (auto value = reader.Int()) values.push_back(*value);
    return values;
  }

  ExchangeTestHost host;
};

TEST_F(UpdateProtocolTest, VersionInfoChoosesItsReplyByTheFirstRowThatApplies) {
  struct Case {
    const char* what;
    int32_t installed;
    int32_t server;
    int32_t hold;
    bool fullCheck;
    std::vector<int32_t> report;
    int commits;
    bool fullCheckAfter;
    bool quickAfter;
  } const cases[] = {
      {"current", 5, 5, 0, false, {61, 5, 3}, 0, false, true},
      {"older, not held", 4, 5, 0, false, {61, 4, 0}, 1, false, true},
      {"older, held", 4, 5, 1, false, {61, 4, 3}, 0, false, true},
      {"full check, current", 5, 5, 0, true, {61, 0, 0}, 0, false, false},
      {"full check, older, held", 4, 5, 1, true, {61, 0, 0}, 0, false, false},
      {"full check waits for the commit", 4, 5, 0, true, {61, 4, 0}, 1, true, true},
      {"newer than the server", 9, 5, 0, false, {61, 9, 3}, 0, false, true},
      {"signed comparison", -1, 0, 0, false, {61, -1, 0}, 1, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ExchangeTestHost fresh;
    fresh.global = c.installed;
    fresh.separate = 3;
    fresh.exchangeFlags.fullCheckRequested = c.fullCheck;
    DispatchPacket(fresh, fresh.link,
                   ExchangeTestHost::MakePacket(kVersionInfo, Body().Int(c.server).Int(c.hold)));
    std::vector<wire::Packet> sent = fresh.SentFrames();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].type, kVersionReport);
    EXPECT_EQ(Ints(sent[0]), c.report);
    EXPECT_EQ(fresh.commits, c.commits);
    EXPECT_EQ(fresh.exchangeFlags.fullCheckRequested, c.fullCheckAfter);
    EXPECT_EQ(fresh.exchangeFlags.quickCheck, c.quickAfter);
    EXPECT_TRUE(fresh.fileSystem.HasFolder("Patch"));
    EXPECT_EQ(fresh.view.statuses.back(), "All the files have been updated.");
    EXPECT_FALSE(fresh.view.IsEnabled(ControlId::kStart));
  }
}

TEST_F(UpdateProtocolTest, VersionInfoEndsTheLauncherWhenTheStagingFolderCannotBeMade) {
  host.fileSystem.FailOnCall(MemoryFileSystem::Operation::kCreateFolder, 1);
  Receive(kVersionInfo, Body().Int(5).Int(0));
  ASSERT_EQ(host.view.boxes.size(), 1u);
  EXPECT_EQ(host.view.boxes[0].text, "Unable to create a folder.");
  EXPECT_EQ(host.view.boxes[0].caption, "Error");
  EXPECT_EQ(host.view.endResults, std::vector<int>{kIdCancel});
  EXPECT_TRUE(host.SentFrames().empty());
}

TEST_F(UpdateProtocolTest, VersionInfoAcceptsAnExistingStagingFolder) {
  host.fileSystem.AddFolder("Patch");
  Receive(kVersionInfo, Body().Int(0).Int(0));
  EXPECT_TRUE(host.view.boxes.empty());
  EXPECT_EQ(host.SentFrames().size(), 1u);
}

TEST_F(UpdateProtocolTest, ServerErrorExplainsAndAlwaysEnds) {
  struct Case {
    int32_t code;
    const char* status;  // null: none
    const char* text;    // null: no box
    const char* caption;
    bool closes;
  } const cases[] = {
      {0, nullptr, nullptr, nullptr, false},
      {1, nullptr, nullptr, nullptr, false},
      {2, nullptr, "The size is too big.", "Error", true},
      {3, nullptr, "Invalid version", "Error", true},
      {4, nullptr, "The update client version is not valid.", "Error", true},
      {5, nullptr,
       "The installed version is a more recent one than the update server version.  An error is "
       "found.",
       "Error", true},
      {6, nullptr, "DB error has occurred.", "Error", true},
      {7, nullptr, "No file exists in the server.", "Error", true},
      {8, "The update server is currently down.",
       "The update server is not responding. Please try again later.", "Announcement", true},
      {9, nullptr, nullptr, nullptr, false},
      {-1, nullptr, nullptr, nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    ExchangeTestHost fresh;
    DispatchPacket(fresh, fresh.link,
                   ExchangeTestHost::MakePacket(kServerError, Body().Int(c.code)));
    EXPECT_EQ(fresh.view.endResults, std::vector<int>{kIdCancel});
    EXPECT_EQ(fresh.link.HasSocket(), !c.closes);
    EXPECT_TRUE(fresh.SentFrames().empty());
    if (c.status != nullptr) {
      ASSERT_EQ(fresh.view.statuses.size(), 1u);
      EXPECT_EQ(fresh.view.statuses[0], c.status);
    } else {
      EXPECT_TRUE(fresh.view.statuses.empty());
    }
    if (c.text != nullptr) {
      ASSERT_EQ(fresh.view.boxes.size(), 1u);
      EXPECT_EQ(fresh.view.boxes[0].text, c.text);
      EXPECT_EQ(fresh.view.boxes[0].caption, c.caption);
      EXPECT_FALSE(fresh.view.boxes[0].owned);
    } else {
      EXPECT_TRUE(fresh.view.boxes.empty());
    }
  }
}

TEST_F(UpdateProtocolTest, ServerErrorTextsInKorean) {
  host.view.language = Language::kKorean;
  Receive(kServerError, Body().Int(8));
  ASSERT_EQ(host.view.boxes.size(), 1u);
  EXPECT_EQ(host.view.statuses.at(0), "업데이트 서버가 다운되었습니다.");
  EXPECT_EQ(host.view.boxes[0].text, "업데이트 서버가 응답하지 않고 있습니다. 다시 시도하시기 바랍니다.");
  EXPECT_EQ(host.view.boxes[0].caption, "알림");
}

TEST_F(UpdateProtocolTest, UpdateCompleteStoresClosesAndStartsTheAgentStep) {
  host.exchangeFlags.connected = true;
  host.exchangeFlags.quickCheck = true;
  host.notices().SetTotalRange(4);
  Receive(kUpdateComplete, Body().Int(1200).Int(3));
  EXPECT_EQ(host.stored, (std::vector<std::pair<int32_t, int32_t>>{{1200, 3}}));
  EXPECT_EQ(host.notices().totalProgress().position(), 4);
  EXPECT_EQ(host.view.statuses.back(), "All the files have been updated.");
  EXPECT_FALSE(host.exchangeFlags.quickCheck);
  EXPECT_FALSE(host.exchangeFlags.connected);
  EXPECT_FALSE(host.link.HasSocket());
  EXPECT_EQ(host.agentChecks, 1);
  EXPECT_TRUE(host.SentFrames().empty());
}

TEST_F(UpdateProtocolTest, FileCountSetsTheOverallRangeOnly) {
  struct Case {
    int32_t count;
    int upper;
  } const cases[] = {{0, 0}, {7, 7}, {-1, 0}, {2147483647, 2147483647}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    Receive(kFileCount, Body().Int(c.count));
    EXPECT_EQ(host.notices().totalProgress().upperBound(), c.upper);
    EXPECT_EQ(host.notices().totalProgress().position(), 0);
  }
  EXPECT_TRUE(host.SentFrames().empty());
}

TEST_F(UpdateProtocolTest, TypesWithoutAHandlerAreIgnored) {
  for (uint8_t type : {uint8_t{0}, uint8_t{9}, uint8_t{200}, uint8_t{255}}) {
    SCOPED_TRACE(static_cast<int>(type));
    Receive(type, Body().Int(1).Int(2));
  }
  EXPECT_TRUE(host.SentFrames().empty());
  EXPECT_TRUE(host.view.boxes.empty());
  EXPECT_TRUE(host.view.endResults.empty());
}

TEST_F(UpdateProtocolTest, BodiesShorterThanTheirFormatReadAsZero) {
  Receive(kVersionInfo, Body().Byte(9));
  std::vector<wire::Packet> sent = host.SentFrames();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(Ints(sent[0]), (std::vector<int32_t>{61, 0, 0}));
  Receive(kUpdateComplete);
  EXPECT_EQ(host.stored.back(), std::make_pair(0, 0));
}

}  // namespace
}  // namespace veltharn::test
