// The HTTP response handling of the library's downloads: the fuzzer's bytes are a response (a
// status, header lines, a body, a redirect's target and its own response) from the agent service.
// A download that reports success holds exactly the body that arrived, whole.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "http/c_http_fetcher.h"
#include "tests/fakes/fake_file_system.h"
#include "tests/fakes/fake_http.h"

namespace {

// Splits the input at its first "\0\0" runs: headers, body, redirect headers, redirect body.
std::string Take(std::string& rest) {
  const std::size_t cut = rest.find(std::string("\0\0", 2));
  std::string part = rest.substr(0, cut);
  rest = cut == std::string::npos ? std::string() : rest.substr(cut + 2);
  return part;
}

int StatusFrom(uint8_t byte) {
  static constexpr int kStatuses[] = {200, 200, 301, 302, 303, 401, 404, 500, 206, 307};
  return kStatuses[byte % 10];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pellorix;
  using testing::FakeHttpService;
  using testing::FakeResponse;
  if (size < 4) return 0;
  std::string rest(reinterpret_cast<const char*>(data + 4), size - 4);
  FakeResponse first;
  first.status = StatusFrom(data[0]);
  first.statusAfterCredentials = StatusFrom(data[1]);
  first.headers = Take(rest);
  first.body = Take(rest);
  FakeResponse second;
  second.status = StatusFrom(data[2]);
  second.headers = Take(rest);
  second.body = rest;

  FakeHttpService service;
  service.credentialsRetry = (data[3] & 1) != 0;
  service.maxPiece = 1 + data[3] % 5000;
  service.Route("agent.test:80/files/Pellorix.exe", first);
  service.Route("mirror.test:80/Pellorix.exe", second);
  testing::FakeFileSystem files;
  CHttpFetcher fetcher(service, files);
  const bool whole = fetcher.Download("http://agent.test/files/Pellorix.exe", "C:\\agent\\P.exe");
  if (service.openRequests != 0) std::abort();  // every request was closed
  if (whole) {
    const std::optional<std::string> saved = files.Contents("C:\\agent\\P.exe");
    if (!saved || (*saved != first.body && *saved != second.body)) std::abort();
  }
  return 0;
}
