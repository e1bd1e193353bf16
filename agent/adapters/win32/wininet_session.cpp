#include "adapters/win32/wininet_session.h"

#include <vector>

namespace pellorix::win32 {
namespace {

constexpr DWORD_PTR kContext = 1;

class WinInetRequest final : public HttpRequest {
 public:
  WinInetRequest(UniqueInternet connection, UniqueInternet request)
      : connection_(std::move(connection)), request_(std::move(request)) {}
  ~WinInetRequest() override {
    request_.reset();  // the request goes before its connection
    connection_.reset();
  }

  bool AddHeaders(const std::string& headers) override {
    return ::HttpAddRequestHeadersA(request_.get(), headers.c_str(), static_cast<DWORD>(-1),
                                    HTTP_ADDREQ_FLAG_ADD_IF_NEW) != 0;
  }
  std::optional<int> Send() override {
    if (!::HttpSendRequestA(request_.get(), nullptr, 0, nullptr, 0)) return std::nullopt;
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!::HttpQueryInfoA(request_.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                          &size, nullptr)) {
      return std::nullopt;
    }
    return static_cast<int>(status);
  }
  bool AskCredentials() override {
    return ::InternetErrorDlg(nullptr, request_.get(), ERROR_INTERNET_INCORRECT_PASSWORD,
                              FLAGS_ERROR_UI_FLAGS_GENERATE_DATA | FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS,
                              nullptr) == ERROR_INTERNET_FORCE_RETRY;
  }
  std::optional<std::string> RawHeaders() override {
    // Sized by asking first, so that no header block is cut or overruns a buffer.
    DWORD size = 0;
    ::HttpQueryInfoA(request_.get(), HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr);
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return std::nullopt;
    std::vector<char> text(size + 1);
    if (!::HttpQueryInfoA(request_.get(), HTTP_QUERY_RAW_HEADERS_CRLF, text.data(), &size,
                          nullptr)) {
      return std::nullopt;
    }
    return std::string(text.data(), std::min<std::size_t>(size, text.size() - 1));
  }
  std::optional<std::size_t> Read(std::span<std::uint8_t> buffer) override {
    DWORD read = 0;
    if (!::InternetReadFile(request_.get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                            &read)) {
      return std::nullopt;
    }
    return read;
  }

 private:
  UniqueInternet connection_;
  UniqueInternet request_;
};

}  // namespace

std::unique_ptr<HttpRequest> WinInetSession::OpenGet(const std::string& server, std::uint16_t port,
                                                     const std::string& objectPath,
                                                     std::uint32_t flags) {
  if (!session_) {
    session_.reset(::InternetOpenA(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session_) return nullptr;
  }
  UniqueInternet connection(::InternetConnectA(session_.get(), server.c_str(), port, nullptr,
                                               nullptr, INTERNET_SERVICE_HTTP, 0, kContext));
  if (!connection) return nullptr;
  UniqueInternet request(::HttpOpenRequestA(connection.get(), "GET", objectPath.c_str(), nullptr,
                                            nullptr, nullptr, flags, kContext));
  if (!request) return nullptr;
  return std::make_unique<WinInetRequest>(std::move(connection), std::move(request));
}

}  // namespace pellorix::win32
