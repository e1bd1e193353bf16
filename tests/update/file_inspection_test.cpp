#include "launcher/update/file_inspection.h"

#include <gtest/gtest.h>

#include "launcher/update/crc32.h"
#include "launcher/update/file_trailer.h"
#include "launcher/update/packet_types.h"
#include "launcher/update/update_protocol.h"
#include "tests/update/exchange_test_host.h"

namespace veltharn::test {
namespace {

using wire::Body;
using wire::BodyReader;

// `content` followed by a trailer with words 0 and 1 and the CRC-32 of `content` (or `crc`).
std::string WithTrailer(const std::string& content, uint32_t word0, uint32_t word1,
                        std::optional<uint32_t> crc = std::nullopt) {
  uint32_t actual = Crc32(std::as_bytes(std::span(content.data(), content.size())));
  auto trailer = BuildTrailer(word0, word1, crc.value_or(actual));
  return content + std::string(reinterpret_cast<const char*>(trailer.data()), trailer.size());
}

uint32_t CrcOf(const std::string& text) {
  return Crc32(std::as_bytes(std::span(text.data(), text.size())));
}

struct Reply {
  uint8_t type = 0;
  std::u16string name;
  std::vector<int32_t> values;
};

class FileInspectionTest : public ::testing::Test {
 protected:
  Reply Inspect(uint8_t type, std::u16string_view name) {
    size_t before = host.SentFrames().size();
    DispatchPacket(host, host.link, ExchangeTestHost::MakePacket(type, Body().Wide(name)));
    std::vector<wire::Packet> sent = host.SentFrames();
    EXPECT_EQ(sent.size(), before + 1);
    Reply reply;
    if (sent.size() != before + 1) return reply;
    reply.type = sent.back().type;
    BodyReader reader(sent.back().body);
    reply.name = reader.Wide().value_or(u"?");
    while (auto value = reader.Int()) reply.values.push_back(*value);
    return reply;
  }

  ExchangeTestHost host;
};

TEST_F(FileInspectionTest, ReportsSizeTrailerWordsAndChecksumByMode) {
  std::string good = WithTrailer("hello world", 7, 9);
  std::string damaged = WithTrailer("hello world", 7, 9, 0x1234);
  std::string seventeen(17, 'x');
  seventeen[1] = 1;  // word 0 starts at offset 1
  struct Case {
    const char* what;
    std::string bytes;
    bool quick;
    std::vector<int32_t> expected;  // size, word 0, word 1, checksum
  } const cases[] = {
      {"quick reports the stored CRC", good, true,
       {31, 7, 9, static_cast<int32_t>(CrcOf("hello world"))}},
      {"full computes it", good, false,
       {31, 7, 9, static_cast<int32_t>(CrcOf("hello world"))}},
      {"quick trusts a damaged file", damaged, true, {31, 7, 9, 0x1234}},
      {"full finds it", damaged, false, {31, 7, 9, static_cast<int32_t>(CrcOf("hello world"))}},
      {"16 bytes are all trailer", std::string(16, 'a'), false, {0, 0, 0, 0}},
      {"empty", std::string(), true, {0, 0, 0, 0}},
      {"17 bytes, full: the whole file", seventeen, false,
       {17, 0x78787801, 0x78787878, static_cast<int32_t>(CrcOf(seventeen))}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host.fileSystem.AddFile("system\\qor.exe", c.bytes);
    host.exchangeFlags.quickCheck = c.quick;
    Reply reply = Inspect(kInspectFile, u"system\\qor.exe");
    EXPECT_EQ(reply.type, kInspectResult);
    EXPECT_EQ(reply.name, u"system\\qor.exe");
    EXPECT_EQ(reply.values, c.expected);
  }
}

TEST_F(FileInspectionTest, FullModePumpsWhileReadingALargeFile) {
  host.fileSystem.AddFile("big.pak", WithTrailer(std::string(3 * 4096 + 100, 'b'), 1, 2));
  host.exchangeFlags.quickCheck = false;
  Inspect(kInspectFile, u"big.pak");
  EXPECT_EQ(host.view.pumps, 4);
}

TEST_F(FileInspectionTest, MissingAndRefusedNamesAnswerAsMissing) {
  host.fileSystem.AddFile("secret.txt", WithTrailer("outside", 1, 1));
  for (std::u16string name : {u"missing.dat", u"..\\secret.txt", u"C:\\client\\secret.txt",
                              u"\\\\server\\share\\x", u"secret.txt:stream", u"CON", u""}) {
    SCOPED_TRACE(testing::PrintToString(std::string(name.begin(), name.end())));
    Reply reply = Inspect(kInspectFile, name);
    EXPECT_EQ(reply.name, name);
    EXPECT_EQ(reply.values, (std::vector<int32_t>{0, 0, 0, 0}));
  }
  EXPECT_EQ(host.fileSystem.openedForRead, 0);
}

TEST_F(FileInspectionTest, ProgressStepsOncePerNameAndEachInspectionKeepsItsOwnName) {
  host.notices().SetTotalRange(10);
  Inspect(kInspectFile, u"a.txt");
  Inspect(kInspectFile, u"a.txt");
  EXPECT_EQ(host.notices().totalProgress().position(), 1);
  Inspect(kInspectStagedFile, u"a.txt");
  EXPECT_EQ(host.notices().totalProgress().position(), 2);
  Inspect(kInspectFile, u"b.txt");
  Inspect(kInspectFile, u"a.txt");
  EXPECT_EQ(host.notices().totalProgress().position(), 4);
  EXPECT_EQ(host.view.statuses.back(), "File Inspection a.txt .. completed");
}

TEST_F(FileInspectionTest, AnInspectedReadOnlyFileIsLeftNormal) {
  host.fileSystem.AddFile("ro.ini", WithTrailer("x", 0, 0), /*readOnly=*/true);
  Inspect(kInspectFile, u"ro.ini");
  EXPECT_FALSE(host.fileSystem.Find("ro.ini")->readOnly);
}

TEST_F(FileInspectionTest, StagedInspectionPrefersTheStagedCopy) {
  host.fileSystem.AddFile("system\\a.dll", WithTrailer("in place", 1, 1));
  host.fileSystem.AddFile("Patch\\system\\a.dll", WithTrailer("staged!", 2, 2));
  host.exchangeFlags.quickCheck = true;
  Reply reply = Inspect(kInspectStagedFile, u"system\\a.dll");
  EXPECT_EQ(reply.type, kStagedInspectResult);
  EXPECT_EQ(reply.values, (std::vector<int32_t>{27, 2, 2, static_cast<int32_t>(CrcOf("staged!"))}));
}

TEST_F(FileInspectionTest, StagedInspectionCopiesAFileFoundOnlyInPlace) {
  std::string bytes = WithTrailer("in place", 1, 1);
  host.fileSystem.AddFile("system\\a.dll", bytes);
  host.fileSystem.AddFolder("Patch");
  host.exchangeFlags.quickCheck = true;
  Reply reply = Inspect(kInspectStagedFile, u"system\\a.dll");
  EXPECT_EQ(reply.values,
            (std::vector<int32_t>{28, 1, 1, static_cast<int32_t>(CrcOf("in place"))}));
  ASSERT_TRUE(host.fileSystem.HasFile("Patch\\system\\a.dll"));
  EXPECT_EQ(host.fileSystem.Find("Patch\\system\\a.dll")->bytes, bytes);
}

TEST_F(FileInspectionTest, StagedInspectionOfAFileFoundNowhereSendsTheShortForm) {
  Reply reply = Inspect(kInspectStagedFile, u"system\\none.dll");
  EXPECT_EQ(reply.type, kStagedInspectResult);
  EXPECT_EQ(reply.values, (std::vector<int32_t>{0, 0, 0}));
  reply = Inspect(kInspectStagedFile, u"..\\..\\boot.ini");
  EXPECT_EQ(reply.values, (std::vector<int32_t>{0, 0, 0}));
}

TEST_F(FileInspectionTest, StagedInspectionAnswersZerosWhenTheStagingFolderCannotBeMade) {
  host.fileSystem.AddFile("deep\\er\\a.dll", WithTrailer("x", 1, 1));
  Reply reply = Inspect(kInspectStagedFile, u"deep\\er\\a.dll");  // Patch\deep is missing
  EXPECT_EQ(reply.values, (std::vector<int32_t>{0, 0, 0, 0}));
  EXPECT_FALSE(host.fileSystem.HasFile("Patch\\deep\\er\\a.dll"));
}

TEST_F(FileInspectionTest, SpecialFileQueryWalksTheList) {
  host.fileSystem.AddFile(".\\Pellorix.dll", "library");
  host.fileSystem.AddFile(".\\system\\GameGuard.des", "guard");
  struct Case {
    int32_t index;
    bool answered;
    int32_t crc;
  } const cases[] = {
      {0, true, 0}, {1, true, static_cast<int32_t>(CrcOf("guard"))}, {5, true, 0},
      {6, true, static_cast<int32_t>(CrcOf("library"))}, {7, true, 0}, {8, false, 0},
      {-1, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    size_t before = host.SentFrames().size();
    DispatchPacket(host, host.link,
                   ExchangeTestHost::MakePacket(kSpecialFileQuery, Body().Int(c.index)));
    std::vector<wire::Packet> sent = host.SentFrames();
    ASSERT_EQ(sent.size(), before + (c.answered ? 1 : 0));
    if (!c.answered) continue;
    EXPECT_EQ(sent.back().type, kSpecialFileResult);
    BodyReader reader(sent.back().body);
    EXPECT_EQ(reader.Int(), c.index);
    EXPECT_EQ(reader.Int(), c.crc);
  }
  EXPECT_TRUE(host.view.statuses.empty());
}

}  // namespace
}  // namespace veltharn::test
