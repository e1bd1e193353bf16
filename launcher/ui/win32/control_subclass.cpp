#include "launcher/ui/win32/control_subclass.h"

#include <commctrl.h>

namespace veltharn {
namespace {
constexpr UINT_PTR kSubclassId = 0x56454C54;  // one subclass of ours per control
}

ControlSubclass::~ControlSubclass() {
  Detach();
}

bool ControlSubclass::Subclass(HWND control) {
  Detach();
  if (control == nullptr || !SetWindowSubclass(control, &ControlSubclass::Procedure, kSubclassId,
                                               reinterpret_cast<DWORD_PTR>(this))) {
    return false;
  }
  window_ = control;
  return true;
}

void ControlSubclass::Detach() {
  if (window_ == nullptr) return;
  RemoveWindowSubclass(window_, &ControlSubclass::Procedure, kSubclassId);
  window_ = nullptr;
}

LRESULT ControlSubclass::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefSubclassProc(window_, message, wParam, lParam);
}

LRESULT CALLBACK ControlSubclass::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<ControlSubclass*>(data);
  if (message == WM_NCDESTROY) {
    self->Detach();
    return DefSubclassProc(window, message, wParam, lParam);
  }
  return self->HandleMessage(message, wParam, lParam);
}

}  // namespace veltharn
