#pragma once

#include "launcher/ui/win32/dialog_window.h"

namespace veltharn {

// The terms of the security-patch service (template 103, the "TEXT" resource 400): OK becomes
// available once the box is ticked and stays so; Disagree ends with IDCANCEL; Escape does
// nothing.
class CAgreementDialog : public DialogWindow {
 public:
  explicit CAgreementDialog(HINSTANCE instance) : instance_(instance) {}
  INT_PTR Run(HWND owner);

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void SetCaption(int controlId, int textId);

  HINSTANCE instance_;
};

}  // namespace veltharn
