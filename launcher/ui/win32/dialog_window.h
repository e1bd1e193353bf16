#pragma once

#include <windows.h>

namespace veltharn {

// The base of the launcher's dialogs: a static dialog procedure that binds the object at
// WM_INITDIALOG and lets go of it at WM_NCDESTROY, so that no message reaches a half-destroyed
// object, and forwards everything in between to HandleMessage.
class DialogWindow {
 public:
  virtual ~DialogWindow() = default;
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  // Runs the dialog template `templateId` of `instance` modally; the result of EndDialog.
  INT_PTR RunModal(HINSTANCE instance, int templateId, HWND owner);

  [[nodiscard]] HWND window() const { return window_; }

 protected:
  DialogWindow() = default;
  // The message map: answer TRUE for a message handled (set DWLP_MSGRESULT for a result).
  virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Answers `result` for the message being handled (WM_NCHITTEST and the like).
  INT_PTR Answer(LRESULT result);

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
};

}  // namespace veltharn
