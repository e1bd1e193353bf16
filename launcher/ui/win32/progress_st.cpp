#include "launcher/ui/win32/progress_st.h"

#include "launcher/adapters/win32/unique_handle.h"
#include "launcher/ui/progress_bar_geometry.h"

namespace veltharn {
namespace {

void FillBox(HDC dc, const BarBox& box, COLORREF colour) {
  RECT rect = {box.left, box.top, box.right, box.bottom};
  UniqueGdi<HBRUSH> brush(CreateSolidBrush(colour));
  FillRect(dc, &rect, brush.get());
}

}  // namespace

bool CProgressST::Attach(HWND control, const ProgressBarModel* model) {
  model_ = model;
  return Subclass(control);
}

void CProgressST::Paint(HDC dc) {
  RECT client;
  GetClientRect(window(), &client);
  static const ProgressBarModel kEmpty;
  const BarGeometry geometry = LayOutBar({client.left, client.top, client.right, client.bottom},
                                         model_ != nullptr ? *model_ : kEmpty);
  FillBox(dc, geometry.background, backgroundColour_);
  if (geometry.hasBar()) FillBox(dc, geometry.bar, barColour_);
}

LRESULT CProgressST::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    BeginPaint(window(), &paint);
    if (HDC dc = GetWindowDC(window())) {
      Paint(dc);
      ReleaseDC(window(), dc);
    }
    EndPaint(window(), &paint);
    return 0;
  }
  return Default(message, wParam, lParam);
}

}  // namespace veltharn
