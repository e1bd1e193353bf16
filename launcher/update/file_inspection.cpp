#include "launcher/update/file_inspection.h"

#include <memory>
#include <optional>

#include "launcher/control/message_ids.h"
#include "launcher/control/notices.h"
#include "launcher/link/ansi_text.h"
#include "launcher/ports/file_system.h"
#include "launcher/update/client_path.h"
#include "launcher/update/crc32_static.h"
#include "launcher/update/file_trailer.h"
#include "launcher/update/packet_types.h"

namespace veltharn {
namespace {

constexpr const char* kSpecialFiles[kSpecialFileEnd] = {
    ".\\Notice\\Notice-k.txt", ".\\system\\GameGuard.des", ".\\system\\Veltharntest.ini",
    ".\\system\\npkcrypt.vxd", ".\\system\\npkcrypt.sys",  ".\\system\\npkcusb.sys",
    ".\\Pellorix.dll",
};

constexpr const char* kStagingPrefix = ".\\Patch\\";

// The common first steps of both inspections: the name in ANSI, the status line, and one step of
// the overall progress unless the same name was inspected last.
std::string BeginInspection(ExchangeHost& host, const char16_t* name, std::u16string& lastName) {
  std::string ansiName = ToAnsi(name);
  Notices& notices = host.notices();
  notices.SetStatus(notices.LoadText(msg::kFileInspected), ansiName.c_str());
  if (lastName != name) notices.StepTotal();
  lastName = name;
  return ansiName;
}

// The folder part of a full path: everything before its last separator.
std::string FolderOf(const std::string& fullPath) {
  size_t cut = fullPath.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : fullPath.substr(0, cut);
}

}  // namespace

const char* SpecialFilePath(int index) {
  return index >= 0 && index < kSpecialFileEnd ? kSpecialFiles[index] : nullptr;
}

FileDescription InspectLocalFile(ExchangeHost& host, std::unique_ptr<ReadableFile> file,
                                 const std::string& checksumPath, bool quick) {
  FileDescription description;
  int64_t size = file->Size();
  if (size <= static_cast<int64_t>(kTrailerWordsSize)) return description;
  std::optional<TrailerWords> words = ReadTrailerWords(*file);
  file.reset();  // closed before the checksum opens it again
  if (!words) return description;

  description.size = static_cast<int32_t>(static_cast<uint32_t>(size));
  description.word0 = words->word0;
  description.word1 = words->word1;
  if (quick) {
    description.checksum = words->crc;
  } else {
    CCrc32Static crc(host.files());
    description.checksum = crc.CrcOfFileBody(checksumPath, host.notices().view()).crc;
  }
  return description;
}

void OnInspectFile(ExchangeHost& host, std::span<const std::byte> payload) {
  char16_t name[kServerNameUnits] = {};
  (void)UnpackFields(payload, "S", {name});
  std::string path = BeginInspection(host, name, host.flags().lastInspectedName);

  FileDescription description;
  if (IsSafeClientPath(path)) {
    if (std::unique_ptr<ReadableFile> file = host.files().OpenForInspection(path)) {
      description = InspectLocalFile(host, std::move(file), path, host.flags().quickCheck);
      if (host.ending()) return;
    }
  }
  (void)host.Reply("cSdddd", {kInspectResult, name, description.size, description.word0,
                              description.word1, description.checksum});
}

void OnInspectStagedFile(ExchangeHost& host, std::span<const std::byte> payload) {
  char16_t name[kServerNameUnits] = {};
  (void)UnpackFields(payload, "S", {name});
  std::string path = BeginInspection(host, name, host.flags().lastStagedName);
  FileSystem& files = host.files();
  bool quick = host.flags().quickCheck;

  auto reply = [&](const FileDescription& d) {
    (void)host.Reply("cSdddd", {kStagedInspectResult, name, d.size, d.word0, d.word1, d.checksum});
  };
  auto replyMissing = [&] { (void)host.Reply("cSddd", {kStagedInspectResult, name, 0, 0, 0}); };

  if (!IsSafeClientPath(path)) return replyMissing();

  std::string staged = kStagingPrefix + path;
  if (std::unique_ptr<ReadableFile> stagedFile = files.OpenForInspection(staged)) {
    FileDescription description = InspectLocalFile(host, std::move(stagedFile), staged, quick);
    if (host.ending()) return;
    return reply(description);
  }

  std::unique_ptr<ReadableFile> inPlace = files.OpenForInspection(path);
  if (!inPlace) return replyMissing();
  std::optional<std::string> fullStaged = files.FullPath(staged);
  if (!fullStaged || files.CreateFolder(FolderOf(*fullStaged)) == FolderResult::kFailed) {
    return reply(FileDescription{});
  }
  // The staged copy is what a later staged patch or staged compressed file works on; a copy that
  // fails only means the server will send the whole file.
  files.Copy(path, staged, /*overwrite=*/true);
  FileDescription description = InspectLocalFile(host, std::move(inPlace), path, quick);
  if (host.ending()) return;
  reply(description);
}

void OnSpecialFileQuery(ExchangeHost& host, std::span<const std::byte> payload) {
  int32_t index = -1;
  (void)UnpackFields(payload, "d", {&index});
  if (index < 0 || index > kSpecialFileEnd) return;
  uint32_t crc = 0;
  if (index < kSpecialFileEnd) {
    CCrc32Static checksum(host.files());
    crc = checksum.CrcOfFilePrefix(kSpecialFiles[index], 0).crc;
  }
  (void)host.Reply("cdd", {kSpecialFileResult, index, crc});
}

}  // namespace veltharn
