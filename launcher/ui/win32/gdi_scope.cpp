#include "launcher/ui/win32/gdi_scope.h"

namespace veltharn {

void BlitBitmap(HDC target, HBITMAP bitmap, int x, int y, int width, int height) {
  UniqueMemoryDc memory(CreateCompatibleDC(target));
  if (!memory) return;
  ScopedSelect select(memory.get(), bitmap);
  BitBlt(target, x, y, width, height, memory.get(), 0, 0, SRCCOPY);
}

void StretchBitmap(HDC target, HBITMAP bitmap, const RECT& rect) {
  BITMAP info{};
  if (GetObjectA(bitmap, sizeof info, &info) == 0) return;
  UniqueMemoryDc memory(CreateCompatibleDC(target));
  if (!memory) return;
  ScopedSelect select(memory.get(), bitmap);
  StretchBlt(target, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
             memory.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
}

}  // namespace veltharn
