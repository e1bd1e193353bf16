#include "launcher/adapters/posix/shared_object_agent_library.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <charconv>
#include <sstream>

namespace veltharn {
namespace {

constexpr const char* kLibraryName = "Pellorix.so";
constexpr const char* kInspectorResultMessage = "MA_TO_INSPECTORRESULT";
constexpr size_t kLongestLine = 256;

using CheckInstalledFunction = int (*)(int);
using InstallFunction = int (*)(int, const char*, const char*, const char*, int);
using InspectorFunction = int (*)(int, const char*, const char*, const char*, const char*);
using ExecuteFunction = int (*)(int, const char*, const char*, const char*, int);

class SharedObjectModule : public AgentModule {
 public:
  SharedObjectModule(void* handle, int window) : handle_(handle), window_(window) {}
  ~SharedObjectModule() override { dlclose(handle_); }
  SharedObjectModule(const SharedObjectModule&) = delete;
  SharedObjectModule& operator=(const SharedObjectModule&) = delete;

  bool Has(AgentExport which) override { return Find(which) != nullptr; }

  int32_t Call(AgentExport which, const AgentArguments& a) override {
    void* symbol = Find(which);
    if (symbol == nullptr) return -1;
    const char* url = a.serviceUrl.c_str();
    const char* legacy = a.legacyUpdaterCrc.c_str();
    const char* portal = a.portalBootstrapCrc.c_str();
    switch (which) {
      case AgentExport::kCheckInstalled:
        return reinterpret_cast<CheckInstalledFunction>(symbol)(window_);
      case AgentExport::kInstall:
        return reinterpret_cast<InstallFunction>(symbol)(window_, url, legacy, portal, a.number);
      case AgentExport::kInspector:
        return reinterpret_cast<InspectorFunction>(symbol)(window_, url, legacy, portal,
                                                           a.callerPath.c_str());
      case AgentExport::kExecute:
        return reinterpret_cast<ExecuteFunction>(symbol)(window_, url, legacy, portal, a.number);
    }
    return -1;
  }

 private:
  void* Find(AgentExport which) { return dlsym(handle_, AgentExportName(which)); }

  void* handle_;
  int window_;
};

bool ParseNumber(const std::string& text, intptr_t* value) {
  long long parsed = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return false;
  *value = static_cast<intptr_t>(parsed);
  return true;
}

}  // namespace

SharedObjectAgentLibrary::~SharedObjectAgentLibrary() {
  if (loop_ != nullptr && readFd_ >= 0) loop_->Unwatch(readFd_);
  if (readFd_ >= 0) close(readFd_);
  if (writeFd_ >= 0) close(writeFd_);
}

void SharedObjectAgentLibrary::SetWindow(PollEventLoop& loop) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
  readFd_ = ends[0];
  writeFd_ = ends[1];
  loop_ = &loop;
  loop.Watch(readFd_, POLLIN, [this](short) { ReadMessages(); });
}

std::unique_ptr<AgentModule> SharedObjectAgentLibrary::Load() {
  std::optional<std::string> directory = files_.CurrentDirectory();
  if (!directory) return nullptr;
  std::string path = *directory + "/" + kLibraryName;
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return nullptr;
  return std::make_unique<SharedObjectModule>(handle, writeFd_);
}

void SharedObjectAgentLibrary::ReadMessages() {
  char buffer[512];
  ssize_t count = read(readFd_, buffer, sizeof buffer);
  if (count <= 0) return;
  pending_.append(buffer, static_cast<size_t>(count));
  for (size_t end; (end = pending_.find('\n')) != std::string::npos;) {
    std::string line = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    HandleMessageLine(line);
  }
  // A line that never ends is not a message; don't let it grow without bound.
  if (pending_.size() > kLongestLine) pending_.clear();
}

void SharedObjectAgentLibrary::HandleMessageLine(const std::string& line) {
  size_t first = line.find(' ');
  size_t second = first == std::string::npos ? first : line.find(' ', first + 1);
  if (second == std::string::npos) return;
  std::string name = line.substr(0, first);
  intptr_t wParam = 0;
  intptr_t lParam = 0;
  if (!ParseNumber(line.substr(first + 1, second - first - 1), &wParam) ||
      !ParseNumber(line.substr(second + 1), &lParam)) {
    return;
  }
  if (name == kInspectorResultMessage && onInspectorResult_) onInspectorResult_(wParam, lParam);
}

}  // namespace veltharn
