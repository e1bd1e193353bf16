#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "launcher/adapters/posix/poll_event_loop.h"
#include "launcher/ports/agent_library.h"
#include "launcher/ports/file_system.h"

namespace veltharn {

// The agent library of the headless launcher: "Pellorix.so" in the current directory, loaded
// with dlopen for each call and called through the same C signatures as the Windows DLL.
//
// The `window` it passes is the write end of a pipe the event loop watches. A library answers as
// the agent would post a registered message: one line of text, the message name, wParam and
// lParam in decimal separated by single blanks, ended by a line feed:
//   MA_TO_INSPECTORRESULT 0 0
// Lines with other names, or malformed ones, are ignored.
class SharedObjectAgentLibrary : public AgentLibrary {
 public:
  explicit SharedObjectAgentLibrary(FileSystem& files) : files_(files) {}
  ~SharedObjectAgentLibrary() override;
  SharedObjectAgentLibrary(const SharedObjectAgentLibrary&) = delete;
  SharedObjectAgentLibrary& operator=(const SharedObjectAgentLibrary&) = delete;

  // Opens the message pipe and has `loop` watch it.
  void SetWindow(PollEventLoop& loop);
  void SetInspectorResultHandler(std::function<void(intptr_t, intptr_t)> handler) {
    onInspectorResult_ = std::move(handler);
  }

  std::unique_ptr<AgentModule> Load() override;

  // Handles one line written to the pipe (public for tests).
  void HandleMessageLine(const std::string& line);

 private:
  void ReadMessages();

  FileSystem& files_;
  PollEventLoop* loop_ = nullptr;
  int readFd_ = -1;
  int writeFd_ = -1;
  std::string pending_;
  std::function<void(intptr_t, intptr_t)> onInspectorResult_;
};

}  // namespace veltharn
