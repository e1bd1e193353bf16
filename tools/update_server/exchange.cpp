#include "tools/update_server/exchange.h"

#include <sys/socket.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <string>

#include "tools/update_server/socket.h"

namespace veltharn::update_server {
namespace {

using wire::Body;
using wire::BodyReader;

std::string Hex(std::uint32_t value) {
  std::array<char, 9> text{};
  std::snprintf(text.data(), text.size(), "%08x", value);
  return text.data();
}

}  // namespace

Exchange::Exchange(int socket, const Release& release, std::ostream& log)
    : socket_(socket), release_(release), log_(log) {}

bool Exchange::Run() {
  const auto hello = Receive(kClientHello);
  if (!hello) return false;
  BodyReader helloFields(hello->body);
  const auto launcherVersion = helloFields.Int();
  const auto installedVersion = helloFields.Int();
  if (!launcherVersion || !installedVersion) {
    log_ << "malformed ClientHello" << std::endl;
    return false;
  }
  log_ << "hello: launcher " << *launcherVersion << ", installed " << *installedVersion << std::endl;

  if (!Send(kVersionInfo, Body().Int(release_.globalVersion).Int(0))) return false;
  const auto report = Receive(kVersionReport);
  if (!report) return false;
  BodyReader reportFields(report->body);
  const auto reportedLauncher = reportFields.Int();
  const auto reportedGlobal = reportFields.Int();
  const auto reportedSeparate = reportFields.Int();
  if (!reportedLauncher || !reportedGlobal || !reportedSeparate) {
    log_ << "malformed VersionReport" << std::endl;
    return false;
  }
  log_ << "report: launcher " << *reportedLauncher << ", global " << *reportedGlobal << ", separate "
       << *reportedSeparate << std::endl;

  if (!Send(kFileCount, Body().Int(static_cast<std::int32_t>(release_.files.size())))) return false;
  const auto differing = InspectAll();
  if (!differing) return false;
  log_ << "inspected: " << release_.files.size() << " files, " << differing->size() << " differ" << std::endl;
  // The transfers of what the client lacks belong here, one per entry of `differing`.

  if (!Send(kUpdateComplete, Body().Int(release_.globalVersion).Int(release_.separateVersion))) return false;
  log_ << "complete: global " << release_.globalVersion << ", separate " << release_.separateVersion << std::endl;
  return WaitForClose();
}

std::optional<std::vector<Difference>> Exchange::InspectAll() {
  std::vector<Difference> differing;
  for (const ReleaseFile& file : release_.files) {
    if (!Send(kInspectFile, Body().Wide(file.wireName))) return std::nullopt;
    const auto answer = Receive(kInspectResult);
    if (!answer) return std::nullopt;
    const auto reply = wire::ParseInspectReply(answer->body);
    if (!reply || reply->name != file.wireName) {
      log_ << "malformed InspectResult for " << file.name << std::endl;
      return std::nullopt;
    }
    const auto size = static_cast<std::uint32_t>(reply->size);
    const auto checksum = static_cast<std::uint32_t>(reply->checksum);
    if (size == file.size && checksum == file.checksum) {
      log_ << "same: " << file.name << std::endl;
      continue;
    }
    log_ << "differs: " << file.name << " (client size " << size << " crc " << Hex(checksum) << ", release size "
         << file.size << " crc " << Hex(file.checksum) << ")" << std::endl;
    differing.push_back({&file, *reply});
  }
  return differing;
}

std::optional<wire::Packet> Exchange::Receive(std::uint8_t type) {
  auto packet = ReceiveAny();
  if (packet && packet->type != type) {
    log_ << "unexpected frame type " << int{packet->type} << " while waiting for type " << int{type} << std::endl;
    return std::nullopt;
  }
  return packet;
}

std::optional<wire::Packet> Exchange::ReceiveAny() {
  for (;;) {
    while (auto packet = reader_.Next()) {
      if (packet->type != kKeepAlive) return packet;
    }
    if (reader_.broken()) {
      log_ << "malformed frame length" << std::endl;
      return std::nullopt;
    }
    std::array<std::uint8_t, 4096> chunk;
    const ssize_t count = ::recv(socket_, chunk.data(), chunk.size(), 0);
    if (count < 0 && errno == EINTR) continue;
    if (count == 0) {
      log_ << "closed by the client" << std::endl;
      return std::nullopt;
    }
    if (count < 0) {
      log_ << (errno == EAGAIN ? "no answer from the client in time" : "connection failed") << std::endl;
      return std::nullopt;
    }
    reader_.Append(std::span(chunk.data(), static_cast<std::size_t>(count)));
  }
}

bool Exchange::Send(std::uint8_t type, const wire::Bytes& body) {
  if (net::SendAll(socket_, wire::Frame(type, body))) return true;
  log_ << "cannot send to the client" << std::endl;
  return false;
}

bool Exchange::WaitForClose() {
  // After UpdateComplete the launcher closes; anything it still sends is of no use.
  std::array<std::uint8_t, 512> chunk;
  for (;;) {
    const ssize_t count = ::recv(socket_, chunk.data(), chunk.size(), 0);
    if (count > 0 || (count < 0 && errno == EINTR)) continue;
    if (count == 0) {
      log_ << "closed by the client" << std::endl;
      return true;
    }
    log_ << "the client did not close" << std::endl;
    return false;
  }
}

}  // namespace veltharn::update_server
