#include "launcher/update/transfer_completion.h"

#include <memory>
#include <string>

#include "launcher/control/message_ids.h"
#include "launcher/control/notices.h"
#include "launcher/ports/file_system.h"
#include "launcher/update/crc32_static.h"
#include "launcher/update/file_inspection.h"
#include "launcher/update/file_transfer.h"
#include "launcher/update/inflate_file.h"
#include "launcher/update/local_file.h"
#include "launcher/update/packet_types.h"
#include "launcher/update/patch_application.h"
#include "launcher/update/self_update.h"

namespace veltharn {
namespace {

constexpr int kLastSpecialFileQueried = kSpecialFileEnd - 1;

// Kinds 4 and 6: the download moves aside to "<name>.zip" and is inflated back into its name.
void InflateDownload(ExchangeHost& host, ServerConnection& connection, const std::string& path,
                     int32_t id, uint8_t replyType) {
  FileSystem& files = host.files();
  Notices& notices = host.notices();
  const std::string zip = path + ".zip";
  DeleteLocalFile(files, zip);
  files.Move(path, zip);
  notices.SetStatus("%s", notices.LoadText(msg::kCompleted));
  notices.SetStatus("%s", notices.LoadText(msg::kDecompressionStarted));

  bool inflated = false;
  if (std::unique_ptr<ReadableFile> source = files.OpenForRead(zip, /*sequential=*/true)) {
    inflated = InflateFile(notices, files, path, *source);
  }
  // Neither the compressed copy nor a half-written target stays behind.
  DeleteLocalFile(files, zip);
  if (host.ending()) return;
  if (!inflated) {
    DeleteLocalFile(files, path);
    connection.Close();
    notices.ShowNotice(msg::kDecompressionFailed, /*owned=*/false, msg::kCaptionError);
    notices.CloseLauncher();
    return;
  }
  notices.SetStatus("%s", notices.LoadText(msg::kDecompressionFinished));
  (void)host.Reply("cdd", {replyType, id, kTransferDone});
}

// Kind 5: the server learns the state of the entry after the one it replaced.
void ReportNextSpecialFile(ExchangeHost& host, int32_t id) {
  if (id >= 0 && id < kLastSpecialFileQueried) {
    CCrc32Static checksum(host.files());
    uint32_t crc = checksum.CrcOfFilePrefix(SpecialFilePath(id + 1), 0).crc;
    (void)host.Reply("cdd", {kSpecialFileResult, id + 1, crc});
  } else if (id == kLastSpecialFileQueried) {
    (void)host.Reply("cdd", {kSpecialFileResult, kSpecialFileEnd, 0});
  }
}

}  // namespace

void CompleteTransfer(ExchangeHost& host, ServerConnection& connection) {
  std::unique_ptr<WritableFile> file = std::move(connection.transferFile);
  connection.transferState = kReceivingPackets;
  if (file == nullptr || !file->Close()) return AbandonTransfer(host, connection);
  file.reset();

  // A message pumped below may start the next transfer on this record: work on copies.
  const int kind = connection.transferKind;
  const int32_t id = connection.transferId;
  const std::string path = connection.transferPath;
  Notices& notices = host.notices();
  switch (kind) {
    case kPatchInPlace:
      return ApplyPatch(host, path, id, kTransferResult);
    case kStagedPatch:
      return ApplyPatch(host, path, id, kStagedTransferResult);
    case kWholeFile:
      notices.SetStatus("%s", notices.LoadText(msg::kCompleted));
      (void)host.Reply("cdd", {kTransferResult, id, kTransferDone});
      return;
    case kSelfUpdate:
      return RunSelfUpdate(host, connection, path);
    case kCompressedFile:
      return InflateDownload(host, connection, path, id, kTransferResult);
    case kStagedCompressedFile:
      return InflateDownload(host, connection, path, id, kStagedTransferResult);
    case kSpecialFile:
      return ReportNextSpecialFile(host, id);
    default:
      return;
  }
}

}  // namespace veltharn
