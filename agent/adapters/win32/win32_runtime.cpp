#include "adapters/win32/win32_runtime.h"

#include <vector>

#include "adapters/win32/unique_handle.h"

namespace pellorix::win32 {
namespace {

class Win32Event final : public NamedEvent {
 public:
  explicit Win32Event(UniqueHandle event) : event_(std::move(event)) {}
  bool Wait(std::uint32_t milliseconds) override {
    return ::WaitForSingleObject(event_.get(), milliseconds) == WAIT_OBJECT_0;
  }
  void Signal() override { ::SetEvent(event_.get()); }

 private:
  UniqueHandle event_;
};

}  // namespace

bool CreateProcessStarter::Start(const std::string& commandLine, bool waitForExit) {
  // CreateProcessA may write into the command line, so it gets a copy of its own.
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_PROCESS_GROUP,
                        nullptr, nullptr, &startup, &info)) {
    return false;
  }
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  if (waitForExit) ::WaitForSingleObject(process.get(), INFINITE);
  return true;
}

std::unique_ptr<NamedEvent> Win32EventFactory::CreateAutoResetEvent(const std::string& name) {
  UniqueHandle event(::CreateEventA(nullptr, FALSE, FALSE, name.c_str()));
  if (!event) return nullptr;
  return std::make_unique<Win32Event>(std::move(event));
}

void SleepClock::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

void MessageBoxNotice::ShowMessage(const std::string& text) {
  ::MessageBoxA(nullptr, text.c_str(), "", MB_OK);
}

}  // namespace pellorix::win32
