#pragma once

#include <windows.h>

#include "launcher/ui/progress_bar_model.h"
#include "launcher/ui/win32/control_subclass.h"

namespace veltharn {

// A progress control painted flat in two colours from a ProgressBarModel, which the controller
// keeps (the control's own range and position are set alongside, for anyone who asks it).
class CProgressST : public ControlSubclass {
 public:
  void SetColours(COLORREF background, COLORREF bar) {
    backgroundColour_ = background;
    barColour_ = bar;
  }
  // Takes over dialog item `control`; `model` must outlive the control or be detached with null.
  bool Attach(HWND control, const ProgressBarModel* model);
  void SetModel(const ProgressBarModel* model) { model_ = model; }
  // Paints into `dc` of the whole window (the border included).
  void Paint(HDC dc);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  COLORREF backgroundColour_ = RGB(255, 255, 255);
  COLORREF barColour_ = RGB(0, 0, 0);
  const ProgressBarModel* model_ = nullptr;
};

}  // namespace veltharn
