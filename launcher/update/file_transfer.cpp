#include "launcher/update/file_transfer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "launcher/control/message_ids.h"
#include "launcher/control/notices.h"
#include "launcher/link/ansi_text.h"
#include "launcher/ports/file_system.h"
#include "launcher/update/client_path.h"
#include "launcher/update/packet_types.h"

namespace veltharn {
namespace {

constexpr int64_t kFileDataChunk = 8192;

bool IsStagedKind(int kind) { return kind == kStagedCompressedFile || kind == kStagedPatch; }

void DeletePartialFile(FileSystem& files, const std::string& path) {
  if (path.empty()) return;
  files.SetAttributes(path, FileAttributes::kArchive);
  files.Delete(path);
}

int FilePercent(const ServerConnection& connection) {
  if (connection.transferSize <= 0) return 100;
  return static_cast<int>(connection.transferReceived * 100 / connection.transferSize);
}

// Takes the connection into discarding state for a transfer this client will not store.
void DiscardTransfer(ServerConnection& connection, int32_t id, int32_t kind, int32_t size) {
  connection.transferState = kDiscardingFileData;
  connection.transferId = id;
  connection.transferKind = kind;
  connection.transferSize = size;
  connection.transferReceived = 0;
  connection.transferFile.reset();
  connection.transferPath.clear();
}

}  // namespace

void OnFileTransfer(ExchangeHost& host, ServerConnection& connection,
                    std::span<const std::byte> payload) {
  int32_t id = 0;
  int32_t kind = 0;
  int32_t size = 0;
  char16_t wideName[kServerNameUnits] = {};
  (void)UnpackFields(payload, "dddS", {&id, &kind, &size, wideName});
  std::string name = ToAnsi(wideName);
  FileSystem& files = host.files();

  switch (kind) {
    case kRemoveFile:
      if (!IsSafeClientPath(name)) {
        (void)host.Reply("cdd", {kTransferResult, id, kTransferNotStored});
        return;
      }
      files.SetAttributes(name, FileAttributes::kArchive);
      files.Delete(name);
      (void)host.Reply("cdd", {kTransferResult, id, kTransferDone});
      return;
    case kStagedUnchanged:
      (void)host.Reply("cdd", {kStagedTransferResult, id, kTransferDone});
      return;
    case kPatchInPlace:
    case kWholeFile:
    case kSelfUpdate:
    case kCompressedFile:
    case kSpecialFile:
    case kStagedCompressedFile:
    case kStagedPatch:
      // Storing transferred files comes with the transfer pipeline; until then the announced
      // bytes are consumed and dropped, so that the packets behind them are read as packets.
      DiscardTransfer(connection, id, kind, size);
      if (size <= 0) AbandonTransfer(host, connection);
      return;
    default:
      return;
  }
}

void OnFileData(ExchangeHost& host, ServerConnection& connection) {
  std::array<std::byte, kFileDataChunk> chunk;
  while (connection.transferState == kDiscardingFileData && connection.socket() != nullptr) {
    int64_t wanted =
        std::min(connection.transferSize - connection.transferReceived, kFileDataChunk);
    int64_t count = connection.socket()->Receive(std::span(chunk).first(wanted));
    if (count <= 0) return;
    connection.transferReceived += count;
    if (connection.transferReceived >= connection.transferSize) {
      AbandonTransfer(host, connection);
    }
    host.notices().SetFilePercent(FilePercent(connection));
  }
}

void AbandonTransfer(ExchangeHost& host, ServerConnection& connection) {
  connection.transferState = kReceivingPackets;
  connection.transferFile.reset();
  DeletePartialFile(host.files(), connection.transferPath);
  connection.transferPath.clear();

  int32_t id = connection.transferId;
  bool go = true;
  switch (connection.transferKind) {
    case kSelfUpdate:
      break;
    case kSpecialFile:
      // The special file that failed is reported as the next entry's, as the server expects;
      // the id wraps rather than overflows.
      go = host.Reply("cdd", {kSpecialFileResult,
                              static_cast<int32_t>(static_cast<uint32_t>(id) + 1u),
                              kTransferNotStored});
      break;
    default:
      go = host.Reply("cdd", {IsStagedKind(connection.transferKind) ? kStagedTransferResult
                                                                    : kTransferResult,
                              id, kTransferNotStored});
      break;
  }
  if (!go) return;
  Notices& notices = host.notices();
  notices.SetStatus("%s", notices.LoadText(msg::kErrorSuffix));
}

}  // namespace veltharn
