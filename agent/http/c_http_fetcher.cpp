#include "http/c_http_fetcher.h"

#include <memory>
#include <optional>
#include <vector>

#include "common/text.h"
#include "http/c_file_crc32.h"
#include "http/folder_creation.h"
#include "http/http_url.h"

namespace pellorix {
namespace {

constexpr char kBaseHeaders[] = "Accept: */*\r\nUser-Agent: Trelvix\r\n";
// Every download asks for the whole file from byte 0.
constexpr char kFirstHeaders[] = "Accept: */*\r\nUser-Agent: Trelvix\r\nRange:Bytes=0\r\n\r\n";
constexpr std::string_view kLocation = "Location: ";

std::unique_ptr<HttpRequest> OpenRequest(HttpSession& session, const std::string& address) {
  const auto url = ParseHttpUrl(address);
  if (!url) return nullptr;
  return session.OpenGet(url->server, url->port, url->objectPath, kRequestFlags);
}

std::optional<std::string> RedirectTarget(const std::string& rawHeaders) {
  const auto at = rawHeaders.find(kLocation);
  if (at == std::string::npos) return std::nullopt;
  const auto start = at + kLocation.size();
  auto end = rawHeaders.find_first_of("\r\n", start);
  if (end == std::string::npos) end = rawHeaders.size();
  return rawHeaders.substr(start, end - start);
}

// The Content-Length header, when the response has a valid one.
std::optional<std::uint64_t> ContentLength(const std::string& rawHeaders) {
  const std::string upper = ToUpperAscii(rawHeaders);
  const std::string name = "\nCONTENT-LENGTH:";
  const auto at = upper.find(name);
  if (at == std::string::npos) return std::nullopt;
  std::size_t i = at + name.size();
  while (i < upper.size() && upper[i] == ' ') ++i;
  std::uint64_t length = 0;
  std::size_t digits = 0;
  for (; i < upper.size() && upper[i] >= '0' && upper[i] <= '9'; ++i, ++digits) {
    if (digits >= 18) return std::nullopt;
    length = length * 10 + static_cast<std::uint64_t>(upper[i] - '0');
  }
  if (digits == 0) return std::nullopt;
  return length;
}

}  // namespace

bool CHttpFetcher::Download(const std::string& address, const std::string& localPath) {
  auto request = OpenRequest(session_, address);
  if (!request) return false;
  request->AddHeaders(kFirstHeaders);
  std::optional<int> status = request->Send();
  if (!status) return false;
  if (*status == 401) {
    if (!request->AskCredentials()) return false;
    status = request->Send();
    if (!status) return false;
  }
  std::string headers = request->RawHeaders().value_or(std::string());

  if (*status == 301 || *status == 302 || *status == 303) {
    const auto target = RedirectTarget(headers);
    if (!target) return false;
    request.reset();
    request = OpenRequest(session_, *target);
    if (!request) return false;
    request->AddHeaders(kBaseHeaders);
    status = request->Send();
    // Only one redirect is followed.
    if (!status || *status != 200) return false;
    headers = request->RawHeaders().value_or(std::string());
  }
  if (*status != 200) return false;
  return SaveBody(*request, headers, localPath);
}

bool CHttpFetcher::SaveBody(HttpRequest& request, const std::string& rawHeaders,
                            const std::string& localPath) {
  const std::string folder = ParentFolder(localPath);
  if (!folder.empty()) files_.CreateFolder(folder);
  const auto file = files_.CreateForWriting(localPath);
  if (!file) return false;

  const std::optional<std::uint64_t> expected = ContentLength(rawHeaders);
  if (expected && *expected > kMaxDownloadBytes) return false;
  std::vector<std::uint8_t> piece(kReadPieceSize);
  std::uint64_t total = 0;
  // A short read is not the end of the body; only an empty read is.
  for (;;) {
    const auto count = request.Read(piece);
    if (!count) return false;
    if (*count == 0) break;
    total += *count;
    if (total > kMaxDownloadBytes) return false;
    if (!file->Write(std::span<const std::uint8_t>(piece.data(), *count))) return false;
  }
  return !expected || *expected == total;
}

bool CHttpFetcher::FetchAndVerify(const std::string& address, const std::string& localPath,
                                  const std::string& expectedCrc) {
  CreateFolderWithParents(files_, ParentFolder(localPath));
  CFileCrc32 crc(files_);
  if (EqualsNoCase(crc.ComputeText(localPath), expectedCrc)) return true;
  if (files_.Exists(localPath) && !files_.Delete(localPath)) return false;
  if (!Download(address, localPath)) return false;
  return EqualsNoCase(crc.ComputeText(localPath), expectedCrc);
}

}  // namespace pellorix
