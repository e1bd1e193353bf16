#include "launcher/ui/win32/skin_dialog.h"

#include <cstdint>
#include <optional>

#include "launcher/ui/skin_region.h"
#include "launcher/ui/win32/gdi_scope.h"
#include "launcher/ui/win32/skin_region_win32.h"

namespace veltharn {

void CSkinDialog::SetSkinBitmap(UINT id) {
  skinBitmap_.reset();
  skinInfo_ = {};
  skinId_ = 0;
  skinBitmap_.reset(LoadBitmapA(instance_, MAKEINTRESOURCEA(id)));
  if (skinBitmap_) {
    GetObjectA(skinBitmap_.get(), sizeof skinInfo_, &skinInfo_);
    skinId_ = id;
  }

  // The shape comes from the packed bitmap itself, where the key colour is exact.
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
  HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return;
  std::optional<SkinDib> dib =
      ParsePackedDib(std::span(static_cast<const uint8_t*>(bytes), SizeofResource(module, found)));
  if (!dib) {
    skinBitmap_.reset();
    skinId_ = 0;
    return;
  }
  if (UniqueGdi<HRGN> region = BuildRegionFromDib(*dib)) {
    // The window owns the region once it has taken it.
    if (SetWindowRgn(window(), region.get(), TRUE) != 0) (void)region.release();
  }
  InvalidateRect(window(), nullptr, TRUE);
}

void CSkinDialog::DrawSkin(HDC dc) {
  if (!skinBitmap_) return;
  BlitBitmap(dc, skinBitmap_.get(), 0, 0, skinInfo_.bmWidth, skinInfo_.bmHeight);
}

}  // namespace veltharn
