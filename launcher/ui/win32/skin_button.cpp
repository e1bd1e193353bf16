#include "launcher/ui/win32/skin_button.h"

#include <commctrl.h>

#include <string>

#include "launcher/ui/win32/gdi_scope.h"

namespace veltharn {

bool CxSkinButton::Attach(HWND control) {
  const LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
  if ((style & 3) == 3) {
    kind_ = kCheckBox;  // BS_AUTOCHECKBOX
  } else if ((style & 9) == 9) {
    kind_ = kRadioButton;  // BS_AUTORADIOBUTTON
  } else {
    kind_ = kPushButton;
  }
  if (!Subclass(control)) return false;
  SetWindowLongPtrA(control, GWL_STYLE, style | BS_OWNERDRAW);
  return true;
}

void CxSkinButton::ApplySkin(HINSTANCE instance, int normalId, int pressedId, int hoverId,
                             int disabledId) {
  auto load = [instance](int id) {
    return UniqueGdi<HBITMAP>(LoadBitmapA(instance, MAKEINTRESOURCEA(id)));
  };
  focus_.reset();
  normal_ = load(normalId);
  pressed_ = load(pressedId);
  hover_ = load(hoverId);
  disabled_ = load(DisabledBitmapId(normalId, disabledId));
  stretch_ = false;
  drawBorder_ = false;
  focusMargin_ = 0;
  if (window() != nullptr) InvalidateRect(window(), nullptr, TRUE);
}

bool CxSkinButton::CursorOverButton() const {
  POINT cursor;
  return GetCursorPos(&cursor) && WindowFromPoint(cursor) == window();
}

void CxSkinButton::DrawFace(HDC dc, const RECT& rect, HBITMAP bitmap) {
  if (stretch_) {
    StretchBitmap(dc, bitmap, rect);
  } else {
    BlitBitmap(dc, bitmap, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  }
}

void CxSkinButton::DrawItem(const DRAWITEMSTRUCT& item) {
  // While the mouse holds the button, the pushed look follows the cursor in and out.
  if (pressedWithMouse_ && GetCapture() == window()) {
    const bool pushed = (SendMessageA(window(), BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    const bool over = CursorOverButton();
    if (over && !pushed) {
      SendMessageA(window(), BM_SETSTATE, 1, 0);
      return;
    }
    if (!over && pushed) {
      SendMessageA(window(), BM_SETSTATE, 0, 0);
      return;
    }
  }

  ButtonState state;
  state.disabled = (item.itemState & ODS_DISABLED) != 0;
  state.selected = (item.itemState & ODS_SELECTED) != 0;
  state.checked = checked_;
  state.hovering = hovering_;
  state.focused = (item.itemState & ODS_FOCUS) != 0;
  const ButtonBitmaps loaded{normal_.valid(), pressed_.valid(), hover_.valid(), focus_.valid(),
                             disabled_.valid()};
  const ButtonLook look = ChooseButtonLook(state, loaded, drawBorder_, focusMargin_);
  lastFace_ = look.face;

  HDC dc = item.hDC;
  RECT rect = item.rcItem;
  HBITMAP bitmap = nullptr;
  switch (look.face) {
    case ButtonFace::kNormal:
      bitmap = normal_.get();
      break;
    case ButtonFace::kPressed:
      bitmap = pressed_.get();
      break;
    case ButtonFace::kHover:
      bitmap = hover_.get();
      break;
    case ButtonFace::kFocus:
      bitmap = focus_.get();
      break;
    case ButtonFace::kDisabled:
      bitmap = disabled_.get();
      break;
    case ButtonFace::kButtonFaceFill:
      break;
  }
  if (bitmap != nullptr) {
    DrawFace(dc, rect, bitmap);
  } else {
    FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
  }
  if (look.edge != ButtonEdge::kNone) {
    DrawEdge(dc, &rect, look.edge == ButtonEdge::kSunken ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  }
  if (look.focusRectangle) {
    RECT focus = rect;
    InflateRect(&focus, -focusMargin_, -focusMargin_);
    DrawFocusRect(dc, &focus);
  }

  char caption[256] = {};
  GetWindowTextA(window(), caption, sizeof caption);
  if (caption[0] == '\0') return;
  RECT text = {rect.left + focusMargin_ + 2, rect.top, rect.right - focusMargin_ - 2, rect.bottom};
  OffsetRect(&text, look.captionShift, look.captionShift);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, look.greyCaption ? RGB(0x86, 0x86, 0x86) : textColour_);
  DrawTextA(dc, caption, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void CxSkinButton::Toggle() {
  if (kind_ == kCheckBox) {
    SendMessageA(window(), BM_SETCHECK, checked_ ? 0 : 1, 0);
  } else if (kind_ == kRadioButton) {
    SendMessageA(window(), BM_SETCHECK, 1, 0);
  }
}

LRESULT CxSkinButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return TRUE;  // the face covers the whole button
    case WM_LBUTTONDOWN: {
      if (hovering_) {
        TRACKMOUSEEVENT cancel{sizeof cancel, TME_CANCEL | TME_LEAVE, window(), 0};
        if (_TrackMouseEvent(&cancel)) hovering_ = false;
      }
      LRESULT result = Default(message, wParam, lParam);
      pressedWithMouse_ = true;
      return result;
    }
    case WM_LBUTTONUP:
      if (kind_ != kPushButton && CursorOverButton()) Toggle();
      pressedWithMouse_ = false;
      return Default(message, wParam, lParam);
    case WM_MOUSEMOVE:
      if (pressedWithMouse_ && GetCapture() == window()) {
        const bool over = CursorOverButton();
        const bool pushed = (SendMessageA(window(), BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
        if (over != pushed) {
          SendMessageA(window(), BM_SETSTATE, over ? 1 : 0, 0);
          InvalidateRect(window(), nullptr, FALSE);
        }
      } else if (!hovering_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window(), 0};
        if (_TrackMouseEvent(&track)) {
          hovering_ = true;
          InvalidateRect(window(), nullptr, FALSE);
        }
      }
      return Default(message, wParam, lParam);
    case WM_MOUSELEAVE:
      hovering_ = false;
      InvalidateRect(window(), nullptr, TRUE);
      return 0;
    case WM_LBUTTONDBLCLK:
      // A double click is a second press.
      return SendMessageA(window(), WM_LBUTTONDOWN, wParam, lParam);
    case WM_KILLFOCUS:
      if (GetCapture() == window()) {
        ReleaseCapture();
        pressedWithMouse_ = false;
      }
      return Default(message, wParam, lParam);
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && kind_ != kPushButton) Toggle();
      return Default(message, wParam, lParam);
    case BM_SETCHECK: {
      checked_ = wParam != 0 && kind_ != kPushButton;
      if (checked_ && kind_ == kRadioButton) {
        HWND parent = GetParent(window());
        for (HWND other = GetNextDlgGroupItem(parent, window(), FALSE);
             other != nullptr && other != window();
             other = GetNextDlgGroupItem(parent, other, FALSE)) {
          PostMessageA(other, kUncheckMessage, 0, 0);
        }
      }
      InvalidateRect(window(), nullptr, FALSE);
      return 0;
    }
    case BM_GETCHECK:
      return checked_ ? BST_CHECKED : BST_UNCHECKED;
    case kUncheckMessage:
      if (checked_) {
        checked_ = false;
        InvalidateRect(window(), nullptr, FALSE);
      }
      return 0;
  }
  return Default(message, wParam, lParam);
}

}  // namespace veltharn
