#include <array>
#include <string>

#include <gtest/gtest.h>

#include "config/agent_config.h"
#include "launch_file/launch_file.h"
#include "seed/c_seed_hex_encoder.h"
#include "tests/fakes/fake_file_system.h"
#include "tests/fakes/fake_runtime.h"

namespace pellorix {
namespace {

constexpr char kProfile[] = "C:\\Users\\kim";
constexpr char kFile[] = "C:\\Users\\kim\\AppData\\LocalLow\\Kelvaro\\PortalQel\\PInfo.dat";

LaunchOrder Order() {
  LaunchOrder order;
  order.window = 0x1234;
  order.serviceUrl = "http://svc.test";
  order.pst = 0;
  order.launcher = 12;
  order.appFullPath = "C:\\Game\\Veltharn.exe";
  order.userName = "kim";
  return order;
}

TEST(LaunchFile, IsWrittenByteForByteWithTextModeLineEnds) {
  const LaunchOrder order = Order();
  const std::string expected =
      "[PortalKey]\r\r\n"
      "Key=Brennix\r\n\r\n"
      "[ServerInfo]\r\r\n"
      "ServerURL=" + std::string(kFixedServiceUrl) + "\r\r\n"
      "ServerURL2=" + EncodeServerUrl2(order.serviceUrl) + "\r\r\n"
      "\r\r\n"
      "[ClientInfo]\r\r\n"
      "User=kim\r\r\n"
      "show=0\r\r\n"
      "ExeCount=1\r\r\n"
      "UpdateType=0\r\r\n"
      "SendClientInfo=0\r\r\n"
      "ActiveXFileName=Pellorix.ocx\r\r\n"
      "ActiveXVer=\r\r\n"
      "ActiveXPath=C:\\Windows\\system32\r\r\n"
      "PST=0\r\r\n"
      "Launcher=12\r\r\n"
      "HANDLE=4660\r\r\n"
      "AppFullPath=C:\\Game\\Veltharn.exe\r\r\n";
  EXPECT_EQ(BuildLaunchFileBytes(order), expected);
  // The first line on disk: eleven characters, then 0D 0D 0A.
  EXPECT_EQ(expected.substr(0, 14), std::string("[PortalKey]") + "\x0d\x0d\x0a");
}

TEST(LaunchFile, LinesThatDependOnTheOrder) {
  struct Case {
    const char* label;
    std::int32_t window;
    int pst;
    int launcher;
    std::string appPath;
    const char* tail;
  };
  const Case cases[] = {
      {"install", 77, 0, 11, "", "PST=0\r\r\nLauncher=11\r\r\nHANDLE=77\r\r\n"},
      {"execute", 77, 3, 13, "", "PST=3\r\r\nLauncher=13\r\r\nHANDLE=77\r\r\n"},
      {"window 0", 0, 0, 12, "", "HANDLE=0\r\r\n"},
      {"negative window", -2, 0, 12, "", "HANDLE=-2\r\r\n"},
      {"inspect", 5, 0, 12, "C:\\a b\\%s.exe",
       "HANDLE=5\r\r\nAppFullPath=C:\\a b\\%s.exe\r\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    LaunchOrder order = Order();
    order.window = c.window;
    order.pst = c.pst;
    order.launcher = c.launcher;
    order.appFullPath = c.appPath;
    const std::string bytes = BuildLaunchFileBytes(order);
    const std::string tail = c.tail;
    ASSERT_GE(bytes.size(), tail.size());
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);
    EXPECT_EQ(bytes.find("AppFullPath") != std::string::npos, !c.appPath.empty());
  }
}

TEST(LaunchFile, ServerUrl2GroupsTheCipherTextInPairs) {
  struct Case {
    std::size_t length;
    std::size_t groups;
  };
  const Case cases[] = {{0, 16}, {16, 16}, {17, 32}, {259, 272}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    const std::string encoded = EncodeServerUrl2(std::string(c.length, 'u'));
    EXPECT_EQ(encoded.size(), c.groups * 3 - 1);
    for (std::size_t i = 2; i < encoded.size(); i += 3) EXPECT_EQ(encoded[i], ',');
    EXPECT_NE(encoded.front(), ',');
    EXPECT_NE(encoded.back(), ',');
  }
  std::string joined = EncodeServerUrl2("http://svc.test");
  std::erase(joined, ',');
  EXPECT_EQ(joined, CSeedHexEncoder().Encode("http://svc.test"));
  // A text longer than its 260-byte buffer is cut to 259 characters.
  EXPECT_EQ(EncodeServerUrl2(std::string(300, 'u')), EncodeServerUrl2(std::string(259, 'u')));
}

TEST(LaunchFile, TheLinkKeyIsTheFirstSixteenCharactersOfTheLinkText) {
  std::array<char, 260> work{};
  AssembleLinkText(work);
  const std::string text(work.data());
  EXPECT_EQ(text.size(), 36u);
  for (char ch : text) EXPECT_TRUE(ch > ' ' && ch < 127);
  EXPECT_EQ(CSeedHexEncoder().Encode("x"), CSeedHexEncoder(text.substr(0, 16)).Encode("x"));
}

TEST(LaunchFile, WriteReplacesTheFileInTheUserFolder) {
  testing::FakeFileSystem files;
  files.AddFolders(kProfile);
  testing::FakeNotice notice;
  files.Put(kFile, "old contents that are longer than anything");
  WriteLaunchFile(files, notice, kProfile, Order());
  EXPECT_EQ(files.Contents(kFile), BuildLaunchFileBytes(Order()));
  EXPECT_TRUE(notice.messages.empty());
}

TEST(LaunchFile, AnUndeletableFileIsReportedOnceAndOverwritten) {
  testing::FakeFileSystem files;
  testing::FakeNotice notice;
  files.Put(kFile, "old");
  files.undeletable.insert(ToUpperAscii(kFile));
  WriteLaunchFile(files, notice, kProfile, Order());
  EXPECT_EQ(notice.messages, std::vector<std::string>{"PInfo Delete Failed"});
  EXPECT_EQ(files.Contents(kFile), BuildLaunchFileBytes(Order()));
}

TEST(LaunchFile, AFileThatCannotBeCreatedIsLeftAlone) {
  testing::FakeFileSystem files;
  testing::FakeNotice notice;
  files.AddFolders(kProfile);
  files.unwritable.insert(ToUpperAscii(kFile));
  WriteLaunchFile(files, notice, kProfile, Order());
  EXPECT_FALSE(files.Contents(kFile));
  // A profile path that leaves no room for the file name in its buffer writes nothing.
  WriteLaunchFile(files, notice, "C:\\" + std::string(240, 'p'), Order());
  EXPECT_TRUE(notice.messages.empty());
}

}  // namespace
}  // namespace pellorix
