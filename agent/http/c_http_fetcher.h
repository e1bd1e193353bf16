#pragma once
// Downloads one file from the agent service and accepts it only with the expected CRC-32.
// All failures are reported as false; a partly written file stays on disk and is replaced by the
// next fetch, which finds its checksum wrong.
#include <cstdint>
#include <string>

#include "ports/file_system.h"
#include "ports/http.h"

namespace pellorix {

// INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_NO_AUTO_REDIRECT: redirects are followed here,
// once, and only to HTTP.
inline constexpr std::uint32_t kRequestFlags = 0x20200000;
// Reads of 2047 bytes, as the agent service has always been read.
inline constexpr std::size_t kReadPieceSize = 2047;
// No agent program comes near this; a larger body is refused rather than filling the disk.
inline constexpr std::uint64_t kMaxDownloadBytes = 128ull * 1024 * 1024;

class CHttpFetcher {
 public:
  CHttpFetcher(HttpSession& session, FileSystem& files) : session_(session), files_(files) {}

  // GET with one 401 retry through the credentials dialog and one redirect to HTTP. The body is
  // written to the local path; true only when it arrived whole (as long as Content-Length says).
  bool Download(const std::string& address, const std::string& localPath);

  // True when the local file ends up with the expected checksum text (compared without regard to
  // case); a file that already has it is used without any network access.
  bool FetchAndVerify(const std::string& address, const std::string& localPath,
                      const std::string& expectedCrc);

 private:
  bool SaveBody(HttpRequest& request, const std::string& rawHeaders, const std::string& localPath);
  HttpSession& session_;
  FileSystem& files_;
};

}  // namespace pellorix
