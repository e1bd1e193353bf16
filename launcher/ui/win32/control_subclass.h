#pragma once

#include <windows.h>

namespace veltharn {

// The base of controls that take over a dialog item's messages (skin buttons, flat bars): attaches
// to the item's window with SetWindowSubclass and lets go at WM_NCDESTROY, so no message reaches
// an object whose window is gone. Messages the control does not handle go to the item's own
// procedure through Default.
class ControlSubclass {
 public:
  virtual ~ControlSubclass();
  ControlSubclass(const ControlSubclass&) = delete;
  ControlSubclass& operator=(const ControlSubclass&) = delete;

  bool Subclass(HWND control);
  [[nodiscard]] HWND window() const { return window_; }

 protected:
  ControlSubclass() = default;
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR id, DWORD_PTR self);
  void Detach();

  HWND window_ = nullptr;
};

}  // namespace veltharn
