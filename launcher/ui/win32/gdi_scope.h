#pragma once

#include <windows.h>

#include "launcher/adapters/win32/unique_handle.h"

namespace veltharn {

namespace handle_traits {
// A memory device context is ended by DeleteDC, not DeleteObject.
struct MemoryDc {
  using Type = HDC;
  static Type Invalid() { return nullptr; }
  static void Close(Type value) { DeleteDC(value); }
};
}  // namespace handle_traits

using UniqueMemoryDc = UniqueHandleOf<handle_traits::MemoryDc>;

// Selects `object` into `dc` for the life of the scope and puts the previous one back.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~ScopedSelect() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// BeginPaint and EndPaint as one scope.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
  ~PaintScope() { EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  [[nodiscard]] HDC dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_ = nullptr;
};

// Copies `bitmap` (width x height from its origin) to (x, y) of `target`.
void BlitBitmap(HDC target, HBITMAP bitmap, int x, int y, int width, int height);
// Stretches the whole of `bitmap` onto `rect` of `target`.
void StretchBitmap(HDC target, HBITMAP bitmap, const RECT& rect);

}  // namespace veltharn
