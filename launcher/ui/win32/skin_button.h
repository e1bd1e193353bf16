#pragma once

#include <windows.h>

#include "launcher/adapters/win32/unique_handle.h"
#include "launcher/ui/skin_button_face.h"
#include "launcher/ui/win32/control_subclass.h"

namespace veltharn {

// An owner-drawn button that paints itself from bitmaps: normal, pressed, hover and disabled. It
// subclasses a dialog item; the dialog hands it its WM_DRAWITEM. Pressing with the mouse and
// dragging out shows the unpressed face, and releasing outside sends no click (the button's own
// behaviour, kept). Check boxes and radio buttons keep their check state here.
class CxSkinButton : public ControlSubclass {
 public:
  enum Kind { kPushButton = 0, kCheckBox = 2, kRadioButton = 4 };

  // Takes over dialog item `control` and makes it owner-drawn.
  bool Attach(HWND control);
  // Loads the four faces from `instance`; a disabled id of 0 uses the normal bitmap. A missing
  // resource leaves that face empty (the button face colour shows).
  void ApplySkin(HINSTANCE instance, int normalId, int pressedId, int hoverId, int disabledId);
  void DrawItem(const DRAWITEMSTRUCT& item);

  [[nodiscard]] bool hovering() const { return hovering_; }
  [[nodiscard]] bool checked() const { return checked_; }
  [[nodiscard]] Kind kind() const { return kind_; }
  // The face the last paint showed.
  [[nodiscard]] ButtonFace lastFace() const { return lastFace_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  static constexpr UINT kUncheckMessage = 0x500;

  [[nodiscard]] bool CursorOverButton() const;
  void Toggle();
  void DrawFace(HDC dc, const RECT& rect, HBITMAP bitmap);

  bool checked_ = false;
  Kind kind_ = kPushButton;
  bool hovering_ = false;
  bool pressedWithMouse_ = false;
  UniqueGdi<HBITMAP> normal_, pressed_, disabled_, hover_, focus_;
  int focusMargin_ = 0;
  COLORREF textColour_ = GetSysColor(COLOR_BTNTEXT);
  bool drawBorder_ = false;
  bool stretch_ = true;  // copy at the bitmap's own size once a skin is applied
  ButtonFace lastFace_ = ButtonFace::kButtonFaceFill;
};

}  // namespace veltharn
