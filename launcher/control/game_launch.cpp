#include "launcher/control/game_launch.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "launcher/control/message_ids.h"

namespace veltharn {
namespace {

constexpr size_t kVersionBufferSize = 200;

// atoi's rule: the leading digits (with an optional sign), 0 when there are none. Held to a range
// where the sums below cannot overflow; no real version comes near it.
long long LeadingNumber(const std::string& part) {
  return std::clamp(std::strtoll(part.c_str(), nullptr, 10), -1000000000LL, 1000000000LL);
}

}  // namespace

bool IsDirectXVersionSufficient(const std::string& version) {
  std::vector<long long> numbers;
  size_t start = 0;
  while (start <= version.size()) {
    size_t end = version.find('.', start);
    if (end == std::string::npos) end = version.size();
    if (end > start) numbers.push_back(LeadingNumber(version.substr(start, end - start)));
    start = end + 1;
  }
  if (numbers.size() != 4) return false;
  long long major = numbers[0] * 100 + numbers[1];
  if (major != 409) return major > 409;
  return numbers[2] * 10000 + numbers[3] >= 904;
}

bool CheckDirectX(Registry& registry) {
  std::unique_ptr<RegistryKey> key = registry.CreateKey(kDirectXKey, RegistryAccess::kRead);
  if (key == nullptr) return false;
  std::optional<RegistryValue> value = key->Read("Version");
  if (!value || value->type != kRegString || value->data.size() > kVersionBufferSize) return false;
  std::string text(value->data.begin(), value->data.end());
  text = text.substr(0, text.find('\0'));
  return IsDirectXVersionSufficient(text);
}

void StartGame(FileSystem& files, Processes& processes, Notices& notices) {
  files.SetCurrentDirectory(".\\system");
  if (processes.RunAndExit(".\\qor.exe") != -1) return;
  files.SetCurrentDirectory("..");
  notices.ShowNotice(msg::kGameStartFailed, /*owned=*/true, msg::kCaptionError);
}

}  // namespace veltharn
