#pragma once

#include <windows.h>

#include "launcher/adapters/win32/unique_handle.h"
#include "launcher/ui/win32/dialog_window.h"

namespace veltharn {

// A borderless dialog with a bitmap skin: the skin is its background and its shape (pixels of the
// key colour are cut out of the window region). The skin bitmap belongs to the dialog; a region
// given to the window belongs to the window.
class CSkinDialog : public DialogWindow {
 public:
  // Loads bitmap `id` of `instance` as the skin and reshapes the window from the same resource.
  // A missing resource leaves no skin and the old shape; a depth other than 8, 16, 24 or 32 bits
  // drops the skin and keeps the shape.
  virtual void SetSkinBitmap(UINT id);
  // Paints the skin at the origin of `dc`.
  virtual void DrawSkin(HDC dc);

  [[nodiscard]] UINT skinId() const { return skinId_; }
  [[nodiscard]] bool hasSkin() const { return skinBitmap_.valid(); }

 protected:
  explicit CSkinDialog(HINSTANCE instance) : instance_(instance) {}
  [[nodiscard]] HINSTANCE instance() const { return instance_; }

 private:
  HINSTANCE instance_;
  UniqueGdi<HBITMAP> skinBitmap_;
  BITMAP skinInfo_{};
  UINT skinId_ = 0;
};

}  // namespace veltharn
