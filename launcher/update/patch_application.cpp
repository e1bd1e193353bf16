#include "launcher/update/patch_application.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "launcher/control/message_ids.h"
#include "launcher/control/notices.h"
#include "launcher/ports/file_system.h"
#include "launcher/update/local_file.h"
#include "launcher/update/packet_types.h"

namespace veltharn {
namespace {

constexpr int32_t kPatchProgressScale = 32768;
constexpr const char* kEngineOptions = " -q -notzcheck -nop";

// The engine may keep reading the answer after the call: it must outlive it.
constexpr char kEmptyAnswer[] = "";

enum PatchEventId : uint32_t {
  kPatchFailed = 4,
  kPatchProgressed = 5,
  kPatchStarted = 7,
  kPatchCompleted = 8,
};

std::string_view FileNameOf(const char* path) {
  std::string_view text(path);
  size_t cut = text.find_last_of("\\/:");
  return cut == std::string_view::npos ? text : text.substr(cut + 1);
}

}  // namespace

std::optional<PatchCommandLine> BuildPatchCommandLine(const std::string& patchFile) {
  std::string text = "\"" + patchFile + "\" \"" + FolderOf(patchFile) + "\"" + kEngineOptions;
  if (text.size() >= kPatchCommandLineSize) return std::nullopt;
  PatchCommandLine line{};
  std::copy(text.begin(), text.end(), line.begin());
  return line;
}

const char* PatchCallBack(Notices& notices, uint32_t id, const void* data) {
  notices.PumpOneMessage();
  if (notices.ending()) return kEmptyAnswer;
  switch (id) {
    case kPatchFailed:
      notices.SetStatus("%s", notices.LoadText(msg::kPatchFailure));
      notices.SetStatus("%s", notices.LoadText(msg::kPatchFailedDownloadAll));
      break;
    case kPatchProgressed:
      if (data != nullptr) {
        int32_t value = 0;
        std::memcpy(&value, data, sizeof value);
        // 64-bit product: the engine's value is not to be trusted to stay in 0..32768.
        int64_t percent = static_cast<int64_t>(value) * 100 / kPatchProgressScale;
        notices.SetFilePercent(static_cast<int>(std::clamp<int64_t>(percent, 0, 100)));
      }
      break;
    case kPatchStarted:
      if (data != nullptr) {
        std::string name(FileNameOf(static_cast<const char*>(data)));
        notices.SetStatus(notices.LoadText(msg::kPatchStarted), name.c_str());
      }
      break;
    case kPatchCompleted:
      notices.SetStatus("%s", notices.LoadText(msg::kCompleted));
      notices.SetFilePercent(0);
      break;
    default:
      break;
  }
  return kEmptyAnswer;
}

void ApplyPatch(ExchangeHost& host, const std::string& path, int32_t id, uint8_t replyType) {
  FileSystem& files = host.files();
  int32_t status = kTransferNotApplied;
  if (std::optional<std::string> full = files.FullPath(path)) {
    if (std::optional<PatchCommandLine> line = BuildPatchCommandLine(*full)) {
      PatchProgress progress(host.notices());
      if (host.patchEngine().Apply(line->data(), progress) == 0) status = kTransferDone;
    }
  }
  // The patch file never stays, whatever became of it.
  if (!host.ending()) (void)host.Reply("cdd", {replyType, id, status});
  DeleteLocalFile(files, path);
}

}  // namespace veltharn
