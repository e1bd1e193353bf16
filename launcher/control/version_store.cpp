#include "launcher/control/version_store.h"

#include <cstdio>
#include <cstring>

#include "launcher/control/message_ids.h"
#include "launcher/control/notices.h"

namespace veltharn {
namespace {

constexpr const char* kGlobalVersion = "global_version";
constexpr const char* kSeparateVersion = "separate_version";
constexpr const char* kWorkingDir = "workingdir";

int32_t DwordOrZero(RegistryKey& key, const char* name) {
  std::optional<RegistryValue> value = key.Read(name);
  if (!value || value->type != kRegDword || value->data.size() != 4) return 0;
  uint32_t word = 0;
  std::memcpy(&word, value->data.data(), 4);
  return static_cast<int32_t>(word);
}

}  // namespace

void VersionStore::Prepare() {
  writeKey_ = registry_.CreateKey(kClientKey, RegistryAccess::kAll);
  if (writeKey_ != nullptr) {
    for (const char* name : {kGlobalVersion, kSeparateVersion}) {
      if (!writeKey_->Read(name)) (void)writeKey_->WriteDword(name, 0);
    }
    if (std::optional<std::string> directory = files_.CurrentDirectory()) {
      (void)writeKey_->WriteString(kWorkingDir, *directory);
    }
  }
  ReadVersions();
  SetCaption();
}

void VersionStore::ReadVersions() {
  if (readKey_ == nullptr) readKey_ = registry_.CreateKey(kClientKey, RegistryAccess::kRead);
  if (readKey_ == nullptr) return;
  global_ = DwordOrZero(*readKey_, kGlobalVersion);
  separate_ = DwordOrZero(*readKey_, kSeparateVersion);
}

void VersionStore::Store(int32_t global, int32_t separate) {
  if (writeKey_ == nullptr) writeKey_ = registry_.CreateKey(kClientKey, RegistryAccess::kAll);
  global_ = global;
  separate_ = separate;
  SetCaption();
  if (writeKey_ == nullptr) {
    ShowWriteFailure();
    return;
  }
  if (!writeKey_->WriteDword(kGlobalVersion, static_cast<uint32_t>(global))) ShowWriteFailure();
  if (!writeKey_->WriteDword(kSeparateVersion, static_cast<uint32_t>(separate))) {
    ShowWriteFailure();
  }
}

void VersionStore::SetCaption() {
  char caption[128];
  std::snprintf(caption, sizeof caption, "Client Ver. (%d)", global_);
  caption_ = caption;
}

void VersionStore::ShowWriteFailure() {
  notices_.ShowNotice(msg::kRegistryWriteFailed, /*owned=*/false, msg::kCaptionError);
}

}  // namespace veltharn
