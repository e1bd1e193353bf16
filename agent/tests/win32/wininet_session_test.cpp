// The WinINet fetcher against a real HTTP server on loopback.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "adapters/win32/win32_file_system.h"
#include "adapters/win32/wininet_session.h"
#include "http/c_file_crc32.h"
#include "http/c_http_fetcher.h"
#include "tests/win32/http_test_server.h"

namespace pellorix {
namespace {

std::string Body(std::size_t size) {
  std::string body(size, '\0');
  for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>((i * 31 + 7) & 0xff);
  return body;
}

std::string TempFolder() {
  char folder[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + "pellorix-http-" + std::to_string(::GetCurrentProcessId());
}

std::string ReadAll(const std::string& path) {
  std::string bytes;
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  char piece[4096];
  DWORD read = 0;
  while (::ReadFile(file, piece, sizeof piece, &read, nullptr) && read > 0) bytes.append(piece, read);
  ::CloseHandle(file);
  return bytes;
}

TEST(WinInetFetcher, DownloadsFromALoopbackServer) {
  testing::HttpTestServer server;
  ASSERT_TRUE(server.started());
  server.Route("/empty", {200, "", ""});
  server.Route("/b2047", {200, "", Body(2047)});
  server.Route("/b4094", {200, "", Body(4094)});
  server.Route("/b100000", {200, "", Body(100000)});
  server.Route("/moved", {302, "Location: " + server.Address("/b4094") + "\r\n", ""});
  server.Route("/twice", {302, "Location: " + server.Address("/moved") + "\r\n", ""});
  server.Route("/secure", {302, "Location: https://127.0.0.1:1/b4094\r\n", ""});
  server.Route("/locked", {401, "WWW-Authenticate: Basic realm=\"agent\"\r\n", ""});

  struct Case {
    const char* path;
    bool ok;
    std::size_t size;
  };
  const Case cases[] = {
      {"/empty", true, 0},        {"/b2047", true, 2047},  {"/b4094", true, 4094},
      {"/b100000", true, 100000}, {"/moved", true, 4094},  {"/twice", false, 0},
      {"/secure", false, 0},      {"/locked", false, 0},   {"/nothing", false, 0},
  };
  const std::string folder = TempFolder();
  win32::Win32FileSystem files;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    win32::WinInetSession session;
    const std::string local = folder + "\\download.bin";
    files.Delete(local);
    EXPECT_EQ(CHttpFetcher(session, files).Download(server.Address(c.path), local), c.ok);
    if (c.ok) {
      EXPECT_EQ(ReadAll(local), Body(c.size));
    }
  }

  // Fetch and verify creates the missing folders and accepts the body by its checksum.
  const std::string reference = folder + "\\ref.bin";
  const std::string body = Body(100000);
  {
    auto writer = files.CreateForWriting(reference);
    ASSERT_TRUE(writer);
    writer->Write(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(body.data()),
                                                body.size()));
  }
  const std::string expected = CFileCrc32(files).ComputeText(reference);
  const std::string local = folder + "\\deep\\er\\tavuup.exe";
  win32::WinInetSession session;
  EXPECT_TRUE(CHttpFetcher(session, files).FetchAndVerify(server.Address("/b100000"), local, expected));
  EXPECT_EQ(ReadAll(local), body);
  EXPECT_FALSE(CHttpFetcher(session, files).FetchAndVerify(server.Address("/b4094"), local, "1"));
  files.Delete(local);
  files.Delete(reference);
  files.Delete(folder + "\\download.bin");
}

}  // namespace
}  // namespace pellorix
