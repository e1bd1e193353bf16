#include <string>

#include <gtest/gtest.h>

#include "http/c_file_crc32.h"
#include "http/c_http_fetcher.h"
#include "http/folder_creation.h"
#include "http/http_url.h"
#include "tests/fakes/fake_file_system.h"
#include "tests/fakes/fake_http.h"

namespace pellorix {
namespace {

using testing::FakeFileSystem;
using testing::FakeHttpService;
using testing::FakeResponse;

constexpr char kAddress[] = "http://agent.test/PortalQelService/tavuup.exe";
constexpr char kRoute[] = "agent.test:80/PortalQelService/tavuup.exe";
constexpr char kLocal[] = "C:\\Users\\kim\\AppData\\Local\\Temp\\tavuup.exe";

std::string CrcTextOf(FakeFileSystem& files, const std::string& path) {
  return CFileCrc32(files).ComputeText(path);
}

TEST(HttpUrl, Parses) {
  struct Case {
    const char* address;
    bool ok;
    const char* server;
    int port;
    const char* path;
  };
  const Case cases[] = {
      {"http://host/a/b.exe", true, "host", 80, "/a/b.exe"},
      {"HTTP://host:8080/x", true, "host", 8080, "/x"},
      {"http://host", true, "host", 80, "/"},
      {"https://host/a", false, "", 0, ""},
      {"ftp://host/a", false, "", 0, ""},
      {"http:///a", false, "", 0, ""},
      {"http://host:0/a", false, "", 0, ""},
      {"http://host:99999/a", false, "", 0, ""},
      {"http://host:8x/a", false, "", 0, ""},
      {"host/a", false, "", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    const auto url = ParseHttpUrl(c.address);
    ASSERT_EQ(url.has_value(), c.ok);
    if (!url) continue;
    EXPECT_EQ(url->server, c.server);
    EXPECT_EQ(url->port, c.port);
    EXPECT_EQ(url->objectPath, c.path);
  }
  EXPECT_FALSE(ParseHttpUrl("http://host/" + std::string(3000, 'a')));
}

class HttpFetcherTest : public ::testing::Test {
 protected:
  HttpFetcherTest() { files.AddFolders("C:\\Users\\kim\\AppData\\Local"); }
  bool Download() { return CHttpFetcher(http, files).Download(kAddress, kLocal); }
  FakeFileSystem files;
  FakeHttpService http;
};

TEST_F(HttpFetcherTest, SavesTheBodyOfA200) {
  http.Route(kRoute, FakeResponse{200, "", "MZ-body", 200});
  EXPECT_TRUE(Download());
  EXPECT_EQ(files.Contents(kLocal), "MZ-body");
  ASSERT_EQ(http.headersAdded.size(), 1u);
  EXPECT_EQ(http.headersAdded[0], "Accept: */*\r\nUser-Agent: Trelvix\r\nRange:Bytes=0\r\n\r\n");
  EXPECT_EQ(http.flags[0], 0x20200000u);
  EXPECT_EQ(http.openRequests, 0);
}

TEST_F(HttpFetcherTest, ReadsInPiecesOf2047UntilAnEmptyRead) {
  struct Case {
    std::size_t size;
    std::size_t reads;
  };
  const Case cases[] = {{0, 1}, {2047, 2}, {4094, 3}, {4095, 4}, {100000, 50}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    http.readSizes.clear();
    std::string body(c.size, 'b');
    for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>('a' + i % 26);
    http.Route(kRoute, FakeResponse{200, "", body, 200});
    EXPECT_TRUE(Download());
    EXPECT_EQ(files.Contents(kLocal), body);
    EXPECT_EQ(http.readSizes.size(), c.reads);
    for (std::size_t size : http.readSizes) EXPECT_EQ(size, 2047u);
  }
}

TEST_F(HttpFetcherTest, AShortReadIsNotTheEndOfTheBody) {
  http.maxPiece = 1000;
  const std::string body(5000, 'z');
  http.Route(kRoute, FakeResponse{200, "Content-Length: 5000\r\n", body, 200});
  EXPECT_TRUE(Download());
  EXPECT_EQ(files.Contents(kLocal), body);
}

TEST_F(HttpFetcherTest, ABodyShorterThanItsContentLengthFails) {
  http.Route(kRoute, FakeResponse{200, "Content-Length: 5000\r\n", std::string(4000, 'z'), 200});
  EXPECT_FALSE(Download());
}

TEST_F(HttpFetcherTest, AnAnnouncedBodyBeyondTheLimitIsRefused) {
  http.Route(kRoute, FakeResponse{200, "Content-Length: 999999999999\r\n", "x", 200});
  EXPECT_FALSE(Download());
  EXPECT_TRUE(http.readSizes.empty());
}

TEST_F(HttpFetcherTest, StatusHandling) {
  struct Case {
    const char* label;
    FakeResponse first;
    bool retry;
    bool ok;
    int dialogs;
  };
  const Case cases[] = {
      {"404", FakeResponse{404, "", "", 404}, false, false, 0},
      {"500", FakeResponse{500, "", "", 500}, false, false, 0},
      {"206 is not whole", FakeResponse{206, "", "x", 206}, false, false, 0},
      {"send fails", FakeResponse{200, "", "", 200, true}, false, false, 0},
      {"401 cancelled", FakeResponse{401, "", "body", 200}, false, false, 1},
      {"401 retried", FakeResponse{401, "", "body", 200}, true, true, 1},
      {"401 retried, 401 again", FakeResponse{401, "", "body", 401}, true, false, 1},
      {"read fails", FakeResponse{200, "", "body", 200, false, true}, false, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FakeHttpService service;
    service.credentialsRetry = c.retry;
    service.Route(kRoute, c.first);
    FakeFileSystem disk;
    disk.AddFolders("C:\\Users\\kim\\AppData\\Local\\Temp");
    EXPECT_EQ(CHttpFetcher(service, disk).Download(kAddress, kLocal), c.ok);
    EXPECT_EQ(service.credentialDialogs, c.dialogs);
    EXPECT_EQ(service.openRequests, 0);
  }
}

TEST_F(HttpFetcherTest, FollowsOneRedirectToHttpOnly) {
  struct Case {
    const char* label;
    int status;
    std::string location;
    FakeResponse target;
    bool ok;
  };
  const Case cases[] = {
      {"302 to http", 302, "Location: http://mirror.test:8080/files/tavuup.exe\r\n",
       FakeResponse{200, "", "moved", 200}, true},
      {"301", 301, "Location: http://mirror.test:8080/files/tavuup.exe\r\n",
       FakeResponse{200, "", "moved", 200}, true},
      {"303", 303, "Location: http://mirror.test:8080/files/tavuup.exe\r\n",
       FakeResponse{200, "", "moved", 200}, true},
      {"302 to https", 302, "Location: https://mirror.test:8080/files/tavuup.exe\r\n",
       FakeResponse{200, "", "moved", 200}, false},
      {"second redirect", 302, "Location: http://mirror.test:8080/files/tavuup.exe\r\n",
       FakeResponse{302, "Location: http://agent.test/PortalQelService/tavuup.exe\r\n", "", 302},
       false},
      {"no Location", 302, "", FakeResponse{200, "", "moved", 200}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FakeHttpService service;
    service.Route(kRoute, FakeResponse{c.status, c.location, "", c.status});
    service.Route("mirror.test:8080/files/tavuup.exe", c.target);
    FakeFileSystem disk;
    disk.AddFolders("C:\\Users\\kim\\AppData\\Local\\Temp");
    EXPECT_EQ(CHttpFetcher(service, disk).Download(kAddress, kLocal), c.ok);
    if (c.ok) {
      EXPECT_EQ(disk.Contents(kLocal), "moved");
      ASSERT_EQ(service.headersAdded.size(), 2u);
      EXPECT_EQ(service.headersAdded[1], "Accept: */*\r\nUser-Agent: Trelvix\r\n");
    }
    EXPECT_LE(service.requested.size(), 2u);
  }
}

TEST_F(HttpFetcherTest, CreatesOneFolderLevelForTheFile) {
  http.Route(kRoute, FakeResponse{200, "", "x", 200});
  EXPECT_TRUE(Download());
  EXPECT_TRUE(files.HasFolder("C:\\Users\\kim\\AppData\\Local\\Temp"));
  FakeFileSystem bare;
  EXPECT_FALSE(CHttpFetcher(http, bare).Download(kAddress, kLocal));
}

TEST_F(HttpFetcherTest, FetchAndVerifyUsesAMatchingLocalFileWithoutNetwork) {
  files.Put(kLocal, "already here");
  const std::string crc = CrcTextOf(files, kLocal);
  EXPECT_TRUE(CHttpFetcher(http, files).FetchAndVerify(kAddress, kLocal, crc));
  EXPECT_TRUE(http.requested.empty());
  // "0" is the checksum text of a file that cannot be opened.
  EXPECT_TRUE(CHttpFetcher(http, files).FetchAndVerify(kAddress, "C:\\none\\missing.exe", "0"));
  EXPECT_TRUE(http.requested.empty());
}

TEST_F(HttpFetcherTest, FetchAndVerifyReplacesAWrongFile) {
  files.Put(kLocal, "stale and much longer than the new body");
  http.Route(kRoute, FakeResponse{200, "", "fresh", 200});
  FakeFileSystem reference;
  reference.Put("C:\\r", "fresh");
  const std::string expected = CrcTextOf(reference, "C:\\r");
  EXPECT_TRUE(CHttpFetcher(http, files).FetchAndVerify(kAddress, kLocal, expected));
  EXPECT_EQ(files.Contents(kLocal), "fresh");
}

TEST_F(HttpFetcherTest, FetchAndVerifyFailures) {
  struct Case {
    const char* label;
    bool undeletable;
    FakeResponse response;
  };
  const Case cases[] = {
      {"cannot delete the old file", true, FakeResponse{200, "", "fresh", 200}},
      {"download fails", false, FakeResponse{404, "", "", 404}},
      {"checksum still differs", false, FakeResponse{200, "", "tampered", 200}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FakeFileSystem disk;
    disk.Put(kLocal, "old");
    if (c.undeletable) disk.undeletable.insert(ToUpperAscii(kLocal));
    FakeHttpService service;
    service.Route(kRoute, c.response);
    FakeFileSystem reference;
    reference.Put("C:\\r", "fresh");
    EXPECT_FALSE(CHttpFetcher(service, disk).FetchAndVerify(kAddress, kLocal,
                                                            CrcTextOf(reference, "C:\\r")));
    if (c.undeletable) {
      EXPECT_TRUE(service.requested.empty());
    }
  }
}

TEST(FolderCreation, CreatesMissingParents) {
  FakeFileSystem files;
  EXPECT_TRUE(CreateFolderWithParents(files, "C:\\a\\b\\c"));
  EXPECT_TRUE(files.HasFolder("C:\\a"));
  EXPECT_TRUE(files.HasFolder("C:\\a\\b\\c"));
  EXPECT_TRUE(CreateFolderWithParents(files, "C:\\a\\b\\c"));
  EXPECT_FALSE(CreateFolderWithParents(files, ""));
  files.uncreatableFolders.insert("C:\\X");
  EXPECT_TRUE(CreateFolderWithParents(files, "C:\\X\\Y"));
  EXPECT_FALSE(files.HasFolder("C:\\X\\Y"));
}

}  // namespace
}  // namespace pellorix
