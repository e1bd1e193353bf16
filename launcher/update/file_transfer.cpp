#include "launcher/update/file_transfer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "launcher/control/message_ids.h"
#include "launcher/control/notices.h"
#include "launcher/link/ansi_text.h"
#include "launcher/ports/file_system.h"
#include "launcher/update/client_path.h"
#include "launcher/update/local_file.h"
#include "launcher/update/packet_types.h"
#include "launcher/update/transfer_completion.h"

namespace veltharn {
namespace {

constexpr int64_t kFileDataChunk = 8192;
constexpr const char* kStagingPrefix = ".\\Patch\\";
constexpr const char* kNewLauncher = "Veltharn.new";
constexpr const char* kLauncherCopy = "Veltharn.nex";

bool IsStagedKind(int kind) {
  return kind == kStagedCompressedFile || kind == kStagedPatch;
}

// 64-bit product: sizes above 21,474,836 bytes would overflow 32 bits times 100.
int FilePercent(int64_t received, int64_t size) {
  if (size <= 0) return 100;
  return static_cast<int>(std::clamp<int64_t>(received * 100 / size, 0, 100));
}

// A transfer this client will not store: its bytes are consumed and dropped, and AbandonTransfer
// answers status 1 when the last of them is in.
void RefuseTransfer(ExchangeHost& host, ServerConnection& connection) {
  connection.transferState = kDiscardingFileData;
  connection.transferFile.reset();
  connection.transferPath.clear();
  if (connection.transferSize <= 0) AbandonTransfer(host, connection);
}

// A drive root ("C:\") or the host's root: never created, it is there or nothing is.
bool IsRootFolder(const std::string& folder) {
  return folder == "/" || (folder.size() == 3 && folder[1] == ':' && folder[2] == '\\');
}

// A failure that ends the launcher: TransferResult (id, 1), whatever the kind, then box `textId`.
void FailAndEnd(ExchangeHost& host, int32_t id, int textId) {
  if (!host.Reply("cdd", {kTransferResult, id, kTransferNotStored})) return;
  host.notices().ShowNotice(textId, /*owned=*/false, msg::kCaptionError);
  host.notices().CloseLauncher();
}

// The patch file of kinds 0 and 7: "<id>.rtp" in the folder of the full path of `base`.
std::optional<std::string> PatchFilePath(FileSystem& files, const std::string& base, int32_t id) {
  std::optional<std::string> full = files.FullPath(base);
  if (!full) return std::nullopt;
  char name[16];
  std::snprintf(name, sizeof name, "%d.rtp", static_cast<int>(id));
  size_t cut = full->find_last_of("\\/");
  return full->substr(0, cut == std::string::npos ? 0 : cut + 1) + name;
}

void ReplyWriteFailure(ExchangeHost& host, ServerConnection& connection) {
  uint8_t type = IsStagedKind(connection.transferKind) ? kStagedTransferResult : kTransferResult;
  connection.transferAnswered = true;
  (void)host.Reply("cdd", {type, connection.transferId, kTransferNotStored});
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

  switch (kind) {
    case kRemoveFile:
      if (!IsSafeClientPath(name)) {
        (void)host.Reply("cdd", {kTransferResult, id, kTransferNotStored});
        return;
      }
      DeleteLocalFile(host.files(), name);
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
      return BeginTransfer(host, connection, name, size, id, kind);
    default:
      return;
  }
}

void BeginTransfer(ExchangeHost& host, ServerConnection& connection, const std::string& name,
                   int32_t size, int32_t id, int32_t kind) {
  FileSystem& files = host.files();
  Notices& notices = host.notices();
  connection.transferState = kWritingFileData;
  connection.transferId = id;
  connection.transferSize = size;
  connection.transferReceived = 0;
  connection.transferKind = kind;
  connection.transferAnswered = false;
  connection.transferFile.reset();
  connection.transferPath.clear();

  // The self-update's name is ours, not the server's.
  if (size < 0 || (kind != kSelfUpdate && !IsSafeClientPath(name))) {
    return RefuseTransfer(host, connection);
  }

  std::string path;
  switch (kind) {
    case kPatchInPlace:
    case kStagedPatch: {
      std::optional<std::string> patchFile =
          PatchFilePath(files, kind == kStagedPatch ? kStagingPrefix + name : name, id);
      if (!patchFile) {
        uint8_t type = kind == kStagedPatch ? kStagedTransferResult : kTransferResult;
        if (!host.Reply("cdd", {type, id, kTransferNotStored})) return;
        notices.ShowNotice(msg::kNoFile, /*owned=*/false, msg::kCaptionError);
        notices.CloseLauncher();
        return;
      }
      path = *patchFile;
      break;
    }
    case kSelfUpdate:
      DeleteLocalFile(files, kNewLauncher);
      DeleteLocalFile(files, kLauncherCopy);
      path = kNewLauncher;
      break;
    case kStagedCompressedFile:
      path = kStagingPrefix + name;
      break;
    default:
      path = name;
      break;
  }
  connection.transferPath = path;
  notices.SetStatus(notices.LoadText(msg::kDownloadingFile), path.c_str());
  notices.SetFilePercent(0);

  std::optional<std::string> full = files.FullPath(path);
  if (!full) return FailAndEnd(host, id, msg::kNoFile);
  std::optional<std::string> root = files.CurrentDirectory();
  if (!root || !IsBelowFolder(*root, *full)) return RefuseTransfer(host, connection);

  // Only the last folder level is made; a deeper missing folder is the server's mistake.
  std::string folder = full->substr(0, full->find_last_of("\\/") + 1);
  if (!IsRootFolder(folder) && files.CreateFolder(folder) == FolderResult::kFailed) {
    return FailAndEnd(host, id, msg::kCannotCreateFile);
  }

  files.SetAttributes(path, FileAttributes::kArchive);
  connection.transferFile = files.Create(path);
  if (connection.transferFile == nullptr) {
    DeleteLocalFile(files, path);
    notices.SetStatus("%s", notices.LoadText(msg::kFileCreationFailed));
    connection.transferState = kDiscardingFileData;
    if (notices.AskContinue(path) != kIdYes) return notices.CloseLauncher();
    if (size == 0) AbandonTransfer(host, connection);
    return;
  }
  if (size == 0) CompleteTransfer(host, connection);
}

void OnFileData(ExchangeHost& host, ServerConnection& connection) {
  std::array<std::byte, kFileDataChunk> chunk;
  while (!host.ending() && connection.transferState != kReceivingPackets &&
         connection.socket() != nullptr) {
    int64_t wanted =
        std::min(connection.transferSize - connection.transferReceived, kFileDataChunk);
    int64_t count = wanted <= 0 ? 0
                                : connection.socket()->Receive(
                                      std::span(chunk).first(static_cast<std::size_t>(wanted)));
    if (count <= 0) return;
    connection.transferReceived += count;

    if (connection.transferState == kWritingFileData &&
        !connection.transferFile->Write(std::span(chunk).first(static_cast<std::size_t>(count)))) {
      connection.transferFile.reset();
      connection.transferState = kDiscardingFileData;
      DeleteLocalFile(host.files(), connection.transferPath);
      ReplyWriteFailure(host, connection);
      if (host.ending()) return;
    }

    int percent = FilePercent(connection.transferReceived, connection.transferSize);
    if (connection.transferReceived >= connection.transferSize) {
      if (connection.transferState == kWritingFileData) {
        CompleteTransfer(host, connection);
      } else if (connection.transferAnswered) {
        connection.transferState = kReceivingPackets;
        connection.transferPath.clear();
      } else {
        AbandonTransfer(host, connection);
      }
      if (!host.ending()) host.notices().SetFilePercent(percent);
      return;
    }
    // The bar moves in whole percent: a large file would otherwise repaint it with the same
    // position on every read. The position before this read is already shown.
    if (percent != FilePercent(connection.transferReceived - count, connection.transferSize)) {
      host.notices().SetFilePercent(percent);
    }
  }
}

void AbandonTransfer(ExchangeHost& host, ServerConnection& connection) {
  connection.transferState = kReceivingPackets;
  connection.transferFile.reset();
  DeleteLocalFile(host.files(), connection.transferPath);
  connection.transferPath.clear();

  int32_t id = connection.transferId;
  bool go = true;
  switch (connection.transferKind) {
    case kSelfUpdate:
      break;
    case kSpecialFile:
      // The special file that failed is reported as the next entry's, as the server expects;
      // the id wraps rather than overflows.
      go = host.Reply("cdd",
                      {kSpecialFileResult, static_cast<int32_t>(static_cast<uint32_t>(id) + 1u),
                       kTransferNotStored});
      break;
    default:
      go = host.Reply(
          "cdd", {IsStagedKind(connection.transferKind) ? kStagedTransferResult : kTransferResult,
                  id, kTransferNotStored});
      break;
  }
  if (!go) return;
  Notices& notices = host.notices();
  notices.SetStatus("%s", notices.LoadText(msg::kErrorSuffix));
}

void DropTransfer(ExchangeHost& host, ServerConnection& connection) {
  if (connection.transferState == kReceivingPackets) return;
  connection.transferState = kReceivingPackets;
  connection.transferFile.reset();
  DeleteLocalFile(host.files(), connection.transferPath);
  connection.transferPath.clear();
}

}  // namespace veltharn
