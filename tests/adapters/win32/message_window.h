#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace veltharn::testing {

// A message-only window that records what is posted to it, for adapters that report through
// window messages (Winsock's asynchronous select).
class MessageWindow {
 public:
  struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };

  MessageWindow();
  ~MessageWindow();
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  [[nodiscard]] HWND handle() const { return window_; }
  // Dispatches messages until `done` holds for a recorded message (returned) or `timeoutMs` ends.
  const Message* WaitFor(const std::function<bool(const Message&)>& done, DWORD timeoutMs);
  std::vector<Message>& recorded() { return recorded_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  std::vector<Message> recorded_;
};

// Runs the thread's pending messages for about `milliseconds`.
void PumpFor(DWORD milliseconds);

}  // namespace veltharn::testing
