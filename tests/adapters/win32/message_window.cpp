#include "tests/adapters/win32/message_window.h"

namespace veltharn::testing {
namespace {
constexpr const char* kClassName = "VeltharnTestMessageWindow";
}

MessageWindow::MessageWindow() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = &MessageWindow::Procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kClassName;
  RegisterClassA(&windowClass);  // fails harmlessly when registered already
  window_ = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleA(nullptr), this);
}

MessageWindow::~MessageWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
}

LRESULT CALLBACK MessageWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<MessageWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self != nullptr && message >= WM_USER) self->recorded_.push_back({message, wParam, lParam});
  if (message == WM_NCDESTROY) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  return DefWindowProcA(window, message, wParam, lParam);
}

const MessageWindow::Message* MessageWindow::WaitFor(
    const std::function<bool(const Message&)>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  size_t checked = 0;
  for (;;) {
    for (; checked < recorded_.size(); ++checked) {
      if (done(recorded_[checked])) return &recorded_[checked];
    }
    if (GetTickCount() - start > timeoutMs) return nullptr;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

void PumpFor(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

}  // namespace veltharn::testing
