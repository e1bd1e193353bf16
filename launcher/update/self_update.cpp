#include "launcher/update/self_update.h"

#include <memory>
#include <optional>

#include "launcher/control/debug_report.h"
#include "launcher/control/notices.h"
#include "launcher/ports/file_system.h"
#include "launcher/ports/processes.h"
#include "launcher/update/crc32_static.h"
#include "launcher/update/file_trailer.h"

namespace veltharn {
namespace {

constexpr int kBadCopyExitCode = 1;

// True when `copy` is a whole managed file: its stored CRC-32 matches its content.
bool PassesTrailerCheck(FileSystem& files, const std::string& copy) {
  std::unique_ptr<ReadableFile> file = files.OpenForRead(copy, /*sequential=*/false);
  if (file == nullptr) return false;
  std::optional<TrailerWords> words = ReadTrailerWords(*file);  // empty for 16 bytes or less
  file.reset();
  if (!words) return false;
  CCrc32Static::Result body = CCrc32Static(files).CrcOfFilePrefix(copy, kTrailerSize);
  return body.openError == 0 && body.crc == words->crc;
}

}  // namespace

void RunSelfUpdate(ExchangeHost& host, ServerConnection& connection,
                   const std::string& downloaded) {
  FileSystem& files = host.files();
  Processes& processes = host.processes();
  std::string copy = downloaded;
  if (copy.empty()) return;
  copy.back() = 'x';
  files.Copy(downloaded, copy, /*overwrite=*/true);
  files.SetAttributes(copy, FileAttributes::kArchive);
  if (!PassesTrailerCheck(files, copy)) processes.Exit(kBadCopyExitCode);

  connection.Close();
  host.flags().connected = false;
  processes.ReleaseInstance();
  processes.RunAndExit(copy);
  // Without a link and without the guard this launcher cannot go on; the next start is normal.
  ReportDebug("cannot start %s", copy.c_str());
  host.notices().CloseLauncher();
}

}  // namespace veltharn
