#pragma once

// One update exchange of the reference server with one launcher, led by the server:
//   ClientHello -> VersionInfo (release version, no hold) -> VersionReport -> FileCount ->
//   InspectFile / InspectResult for every release file -> a FileTransfer for every file that
//   differs (zlib-compressed when that is smaller, else whole; staged files through the staging
//   folder) and a removal for every name of removed.txt -> when anything was staged, VersionInfo
//   again so that the launcher commits it -> UpdateComplete -> the launcher closes.
// With a launcher offer, the VersionReport is followed by InspectFile for "Veltharn.exe"; when the
// launcher's own program differs from the offer, the offer goes to it as a SelfUpdate transfer
// and the exchange ends there: that launcher hands over to the new program, which connects anew.
// KeepAlive frames may arrive at any time and are skipped. Every step writes one line to the log.

#include <cstdint>
#include <optional>
#include <ostream>
#include <vector>

#include "tools/update_server/release.h"
#include "tools/update_server/wire.h"

namespace veltharn::update_server {

// Packet types as the server sends them...
inline constexpr std::uint8_t kInspectFile = 1;
inline constexpr std::uint8_t kFileTransfer = 3;
inline constexpr std::uint8_t kUpdateComplete = 4;
inline constexpr std::uint8_t kVersionInfo = 5;
inline constexpr std::uint8_t kFileCount = 8;
// ...and as the launcher sends them.
inline constexpr std::uint8_t kClientHello = 0;
inline constexpr std::uint8_t kVersionReport = 1;
inline constexpr std::uint8_t kInspectResult = 2;
inline constexpr std::uint8_t kTransferResult = 3;
inline constexpr std::uint8_t kKeepAlive = 5;
inline constexpr std::uint8_t kStagedTransferResult = 7;

// Transfer kinds the server uses.
inline constexpr std::int32_t kWholeFile = 1;
inline constexpr std::int32_t kRemoveFile = 2;
inline constexpr std::int32_t kSelfUpdate = 3;
inline constexpr std::int32_t kCompressedFile = 4;
inline constexpr std::int32_t kStagedCompressedFile = 6;

// A release file whose size or checksum on the client is not the release's.
struct Difference {
  const ReleaseFile* file = nullptr;
  wire::InspectReply reply;
};

enum class Outcome {
  kCompleted,   // UpdateComplete was sent and the launcher closed
  kHandedOver,  // the new launcher program was sent
  kBroken,      // the launcher went away, timed out or answered out of turn
};

class Exchange {
 public:
  // `socket` is connected and blocking, with receive and send timeouts set; the caller owns it.
  Exchange(int socket, const Release& release, std::ostream& log);

  // Runs the exchange to the launcher's close; the log says how it went.
  Outcome Run();

 private:
  // The next frame that is not a KeepAlive; nothing (and a log line) unless it has `type`.
  std::optional<wire::Packet> Receive(std::uint8_t type);
  std::optional<wire::Packet> ReceiveAny();
  bool Send(std::uint8_t type, const wire::Bytes& body);
  std::optional<std::vector<Difference>> InspectAll();
  bool SendFile(const ReleaseFile& file, std::int32_t id);
  bool Remove(const std::u16string& name, std::int32_t id);
  bool ReceiveTransferResult(std::uint8_t type, std::int32_t id, const std::string& name);
  bool ExchangeVersions(bool hold);
  // Asks for the launcher's own program and sends the offer when it differs. Nothing when the
  // launcher broke off, else whether the offer was sent.
  std::optional<bool> OfferLauncher(const LauncherOffer& offer);
  bool WaitForClose();

  int socket_;
  const Release& release_;
  std::ostream& log_;
  wire::FrameReader reader_;
};

}  // namespace veltharn::update_server
