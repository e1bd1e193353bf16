#include "launcher/update/update_protocol.h"

#include "launcher/control/debug_report.h"
#include "launcher/control/message_ids.h"
#include "launcher/control/notices.h"
#include "launcher/ports/file_system.h"
#include "launcher/update/file_inspection.h"
#include "launcher/update/file_transfer.h"
#include "launcher/update/packet_types.h"

namespace veltharn {
namespace {

constexpr const char* kStagingFolder = ".\\Patch";

struct ServerErrorRow {
  int32_t code;
  int textId;
  int captionId;
};

// Every code ends the launcher; the known ones close the link and explain why first.
constexpr ServerErrorRow kServerErrors[] = {
    {2, msg::kSizeTooBig, msg::kCaptionError},
    {3, msg::kInvalidVersion, msg::kCaptionError},
    {4, msg::kUpdateClientInvalid, msg::kCaptionError},
    {5, msg::kInstalledNewerThanServer, msg::kCaptionError},
    {6, msg::kDatabaseError, msg::kCaptionError},
    {7, msg::kNoFileOnServer, msg::kCaptionError},
    {8, msg::kServerNotResponding, msg::kCaptionAnnouncement},
};
constexpr int32_t kServerDownCode = 8;

}  // namespace

void DispatchPacket(ExchangeHost& host, ServerConnection& connection, const Packet& packet) {
  std::span<const std::byte> payload = packet.payload();
  switch (packet.type) {
    case kServerNone:
      return;
    case kInspectFile:
      return OnInspectFile(host, payload);
    case kServerError:
      return OnServerError(host, connection, payload);
    case kFileTransfer:
      return OnFileTransfer(host, connection, payload);
    case kUpdateComplete:
      return OnUpdateComplete(host, payload);
    case kVersionInfo:
      return OnVersionInfo(host, payload);
    case kSpecialFileQuery:
      return OnSpecialFileQuery(host, payload);
    case kInspectStagedFile:
      return OnInspectStagedFile(host, payload);
    case kFileCount:
      return OnFileCount(host, payload);
    default:
      ReportDebug("unknown packet type %d", packet.type);
      return;
  }
}

void OnVersionInfo(ExchangeHost& host, std::span<const std::byte> payload) {
  int32_t serverVersion = 0;
  int32_t hold = 0;
  (void)UnpackFields(payload, "dd", {&serverVersion, &hold});

  ExchangeFlags& flags = host.flags();
  Notices& notices = host.notices();
  flags.quickCheck = true;
  notices.ShowAllUpdated();
  if (host.files().CreateFolder(kStagingFolder) == FolderResult::kFailed) {
    notices.ShowNotice(msg::kCannotCreateFolder, /*owned=*/false, msg::kCaptionError);
    notices.CloseLauncher();
    return;
  }

  int32_t reportedGlobal = host.installedGlobalVersion();
  int32_t reportedSeparate = host.installedSeparateVersion();
  if (host.installedGlobalVersion() < serverVersion && hold == 0) {
    // An older client that the server does not hold back: what was staged becomes current.
    host.CommitStaging();
    if (host.ending()) return;
    reportedSeparate = 0;
  } else if (flags.fullCheckRequested) {
    flags.fullCheckRequested = false;
    flags.quickCheck = false;
    reportedGlobal = 0;
    reportedSeparate = 0;
  }
  (void)host.Reply("cddd", {kVersionReport, kLauncherVersion, reportedGlobal, reportedSeparate});
}

void OnFileCount(ExchangeHost& host, std::span<const std::byte> payload) {
  int32_t count = 0;
  (void)UnpackFields(payload, "d", {&count});
  // A negative count would make an inverted range; it means no files.
  host.notices().SetTotalRange(count < 0 ? 0 : count);
}

void OnServerError(ExchangeHost& host, ServerConnection& connection,
                   std::span<const std::byte> payload) {
  int32_t code = 0;
  (void)UnpackFields(payload, "d", {&code});
  Notices& notices = host.notices();
  for (const ServerErrorRow& row : kServerErrors) {
    if (row.code != code) continue;
    if (code == kServerDownCode) notices.SetStatus("%s", notices.LoadText(msg::kServerDown));
    connection.Close();
    notices.ShowNotice(row.textId, /*owned=*/false, row.captionId);
    break;
  }
  notices.CloseLauncher();
}

void OnUpdateComplete(ExchangeHost& host, std::span<const std::byte> payload) {
  int32_t global = 0;
  int32_t separate = 0;
  (void)UnpackFields(payload, "dd", {&global, &separate});

  Notices& notices = host.notices();
  ExchangeFlags& flags = host.flags();
  notices.FillTotal();
  notices.SetStatus("%s", notices.LoadText(msg::kAllFilesUpdated));
  flags.quickCheck = false;
  host.StoreVersions(global, separate);
  flags.connected = false;
  if (ServerConnection* current = host.connection()) current->Close();
  host.StartAgentCheck();
}

}  // namespace veltharn
