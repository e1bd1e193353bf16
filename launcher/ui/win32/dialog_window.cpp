#include "launcher/ui/win32/dialog_window.h"

namespace veltharn {

INT_PTR DialogWindow::RunModal(HINSTANCE instance, int templateId, HWND owner) {
  return DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), owner, &DialogWindow::Procedure,
                         reinterpret_cast<LPARAM>(this));
}

INT_PTR DialogWindow::Answer(LRESULT result) {
  SetWindowLongPtrA(window_, DWLP_MSGRESULT, result);
  return TRUE;
}

INT_PTR CALLBACK DialogWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<DialogWindow*>(lParam);
    self->window_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
  }
  auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return FALSE;
  INT_PTR handled = self->HandleMessage(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
  }
  return handled;
}

}  // namespace veltharn
