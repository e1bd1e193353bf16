#pragma once
// An HTTP service in memory: responses by address, the requests it saw, and reads that can be
// made shorter than asked.
#include <algorithm>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ports/http.h"

namespace pellorix::testing {

struct FakeResponse {
  int status = 200;
  std::string headers;  // extra header lines, each ended by CR LF
  std::string body;
  int statusAfterCredentials = 200;
  bool sendFails = false;
  bool readFails = false;
};

class FakeHttpService final : public HttpSession {
 public:
  // Address as "server:port/path".
  void Route(const std::string& address, FakeResponse response) { routes_[address] = std::move(response); }

  bool credentialsRetry = false;
  std::size_t maxPiece = std::numeric_limits<std::size_t>::max();
  std::vector<std::string> requested;
  std::vector<std::string> headersAdded;
  std::vector<std::size_t> readSizes;
  std::vector<std::uint32_t> flags;
  int credentialDialogs = 0;
  int openRequests = 0;

  std::unique_ptr<HttpRequest> OpenGet(const std::string& server, std::uint16_t port,
                                       const std::string& objectPath,
                                       std::uint32_t requestFlags) override {
    const std::string address = server + ":" + std::to_string(port) + objectPath;
    requested.push_back(address);
    flags.push_back(requestFlags);
    const auto route = routes_.find(address);
    FakeResponse response = route == routes_.end() ? FakeResponse{404, "", "", 404} : route->second;
    return std::make_unique<Request>(*this, std::move(response));
  }

 private:
  class Request final : public HttpRequest {
   public:
    Request(FakeHttpService& service, FakeResponse response)
        : service_(service), response_(std::move(response)) {
      ++service_.openRequests;
    }
    ~Request() override { --service_.openRequests; }
    bool AddHeaders(const std::string& headers) override {
      service_.headersAdded.push_back(headers);
      return true;
    }
    std::optional<int> Send() override {
      if (response_.sendFails) return std::nullopt;
      if (askedCredentials_) status_ = response_.statusAfterCredentials;
      return status_;
    }
    bool AskCredentials() override {
      ++service_.credentialDialogs;
      askedCredentials_ = true;
      return service_.credentialsRetry;
    }
    std::optional<std::string> RawHeaders() override {
      return "HTTP/1.1 " + std::to_string(status_) + " Fake\r\n" + response_.headers + "\r\n";
    }
    std::optional<std::size_t> Read(std::span<std::uint8_t> buffer) override {
      service_.readSizes.push_back(buffer.size());
      if (response_.readFails) return std::nullopt;
      const std::size_t count =
          std::min({buffer.size(), service_.maxPiece, response_.body.size() - offset_});
      std::copy_n(response_.body.begin() + static_cast<std::ptrdiff_t>(offset_), count,
                  buffer.begin());
      offset_ += count;
      return count;
    }

   private:
    FakeHttpService& service_;
    FakeResponse response_;
    int status_ = response_.status;
    bool askedCredentials_ = false;
    std::size_t offset_ = 0;
  };

  std::map<std::string, FakeResponse> routes_;
};

}  // namespace pellorix::testing
