#include "tools/update_server/exchange.h"

#include <algorithm>

#include <sys/socket.h>
#include <zlib.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/update_server/socket.h"

namespace veltharn::update_server {
namespace {

using wire::Body;
using wire::BodyReader;

wire::Bytes ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return wire::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A zlib stream (header, deflate data, Adler-32) of `plain`.
wire::Bytes Compress(const wire::Bytes& plain) {
  uLongf size = ::compressBound(static_cast<uLong>(plain.size()));
  wire::Bytes packed(size);
  if (::compress2(packed.data(), &size, plain.data(), static_cast<uLong>(plain.size()),
                  Z_BEST_COMPRESSION) != Z_OK) {
    return {};
  }
  packed.resize(size);
  return packed;
}

std::string Hex(std::uint32_t value) {
  std::array<char, 9> text{};
  std::snprintf(text.data(), text.size(), "%08x", value);
  return text.data();
}

}  // namespace

Exchange::Exchange(int socket, const Release& release, std::ostream& log)
    : socket_(socket), release_(release), log_(log) {}

Outcome Exchange::Run() {
  const auto hello = Receive(kClientHello);
  if (!hello) return Outcome::kBroken;
  BodyReader helloFields(hello->body);
  const auto launcherVersion = helloFields.Int();
  const auto installedVersion = helloFields.Int();
  if (!launcherVersion || !installedVersion) {
    log_ << "malformed ClientHello" << std::endl;
    return Outcome::kBroken;
  }
  log_ << "hello: launcher " << *launcherVersion << ", installed " << *installedVersion
       << std::endl;

  // A release with staged files holds the client back until they have all arrived: a VersionInfo
  // that lets it go commits (and so empties) its staging folder.
  const bool hasStaged = std::any_of(release_.files.begin(), release_.files.end(),
                                     [](const ReleaseFile& file) { return file.staged; });
  if (!ExchangeVersions(hasStaged)) return Outcome::kBroken;
  if (release_.launcher) {
    const auto handedOver = OfferLauncher(*release_.launcher);
    if (!handedOver) return Outcome::kBroken;
    // The launcher closes the link and ends (or refuses a damaged program and ends all the same).
    if (*handedOver) {
      WaitForClose();
      return Outcome::kHandedOver;
    }
  }

  if (!Send(kFileCount, Body().Int(static_cast<std::int32_t>(release_.files.size()))))
    return Outcome::kBroken;
  const auto differing = InspectAll();
  if (!differing) return Outcome::kBroken;
  log_ << "inspected: " << release_.files.size() << " files, " << differing->size() << " differ"
       << std::endl;
  std::int32_t id = 0;
  bool staged = false;
  for (const Difference& difference : *differing) {
    if (!SendFile(*difference.file, ++id)) return Outcome::kBroken;
    staged = staged || difference.file->staged;
  }
  for (const std::u16string& name : release_.removed) {
    if (!Remove(name, ++id)) return Outcome::kBroken;
  }
  // The launcher commits its staging folder on a VersionInfo that finds it older.
  if (staged) {
    if (!ExchangeVersions(false)) return Outcome::kBroken;
    log_ << "committed: staged files" << std::endl;
  }

  if (!Send(kUpdateComplete, Body().Int(release_.globalVersion).Int(release_.separateVersion)))
    return Outcome::kBroken;
  log_ << "complete: global " << release_.globalVersion << ", separate " << release_.separateVersion
       << std::endl;
  return WaitForClose() ? Outcome::kCompleted : Outcome::kBroken;
}

std::optional<bool> Exchange::OfferLauncher(const LauncherOffer& offer) {
  const std::u16string ownName = u"Veltharn.exe";
  if (!Send(kInspectFile, Body().Wide(ownName))) return std::nullopt;
  const auto answer = Receive(kInspectResult);
  if (!answer) return std::nullopt;
  const auto reply = wire::ParseInspectReply(answer->body);
  if (!reply || reply->name != ownName) {
    log_ << "malformed InspectResult for Veltharn.exe" << std::endl;
    return std::nullopt;
  }
  const auto size = static_cast<std::uint32_t>(reply->size);
  const auto checksum = static_cast<std::uint32_t>(reply->checksum);
  if (size == offer.size && checksum == offer.checksum) {
    log_ << "same: Veltharn.exe" << std::endl;
    return false;
  }
  log_ << "differs: Veltharn.exe (client size " << size << " crc " << Hex(checksum)
       << ", offer size " << offer.size << " crc " << Hex(offer.checksum) << ")" << std::endl;
  const wire::Bytes program = ReadAll(offer.path);
  // The launcher stores a SelfUpdate as "Veltharn.new" whatever the name says, and answers nothing.
  if (!Send(kFileTransfer, Body()
                               .Int(0)
                               .Int(kSelfUpdate)
                               .Int(static_cast<std::int32_t>(program.size()))
                               .Wide(u"Veltharn.new"))) {
    return std::nullopt;
  }
  if (!net::SendAll(socket_, program)) {
    log_ << "cannot send to the client" << std::endl;
    return std::nullopt;
  }
  log_ << "sent: Veltharn.exe (kind " << kSelfUpdate << ", " << program.size() << " bytes)"
       << std::endl;
  return true;
}

bool Exchange::ExchangeVersions(bool hold) {
  if (!Send(kVersionInfo, Body().Int(release_.globalVersion).Int(hold ? 1 : 0))) return false;
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
  log_ << "report: launcher " << *reportedLauncher << ", global " << *reportedGlobal
       << ", separate " << *reportedSeparate << std::endl;
  return true;
}

bool Exchange::SendFile(const ReleaseFile& file, std::int32_t id) {
  const wire::Bytes plain = ReadAll(file.path);
  const wire::Bytes packed = Compress(plain);
  const bool compress = file.staged || (!packed.empty() && packed.size() < plain.size());
  const wire::Bytes& data = compress ? packed : plain;
  const std::int32_t kind = file.staged ? kStagedCompressedFile
                            : compress  ? kCompressedFile
                                        : kWholeFile;
  if (!Send(kFileTransfer, Body()
                               .Int(id)
                               .Int(kind)
                               .Int(static_cast<std::int32_t>(data.size()))
                               .Wide(file.wireName))) {
    return false;
  }
  if (!net::SendAll(socket_, data)) {
    log_ << "cannot send to the client" << std::endl;
    return false;
  }
  log_ << "sent: " << file.name << " (kind " << kind << ", " << data.size() << " bytes)"
       << std::endl;
  return ReceiveTransferResult(file.staged ? kStagedTransferResult : kTransferResult, id,
                               file.name);
}

bool Exchange::Remove(const std::u16string& name, std::int32_t id) {
  if (!Send(kFileTransfer, Body().Int(id).Int(kRemoveFile).Int(0).Wide(name))) return false;
  return ReceiveTransferResult(kTransferResult, id, std::string(name.begin(), name.end()));
}

bool Exchange::ReceiveTransferResult(std::uint8_t type, std::int32_t id, const std::string& name) {
  const auto answer = Receive(type);
  if (!answer) return false;
  BodyReader fields(answer->body);
  const auto answeredId = fields.Int();
  const auto status = fields.Int();
  if (!answeredId || !status || *answeredId != id) {
    log_ << "malformed transfer result for " << name << std::endl;
    return false;
  }
  log_ << "result: " << name << " status " << *status << std::endl;
  return true;
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
    log_ << "differs: " << file.name << " (client size " << size << " crc " << Hex(checksum)
         << ", release size " << file.size << " crc " << Hex(file.checksum) << ")" << std::endl;
    differing.push_back({&file, *reply});
  }
  return differing;
}

std::optional<wire::Packet> Exchange::Receive(std::uint8_t type) {
  auto packet = ReceiveAny();
  if (packet && packet->type != type) {
    log_ << "unexpected frame type " << int{packet->type} << " while waiting for type " << int{type}
         << std::endl;
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
      log_ << (errno == EAGAIN ? "no answer from the client in time" : "connection failed")
           << std::endl;
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
