#pragma once

#include <windows.h>

#include "launcher/adapters/win32/unique_handle.h"
#include "launcher/ui/skin_region.h"

namespace veltharn {

// The window region of a skin: the union of its runs of visible pixels, built from batches of at
// most 2,000 rectangles (ExtCreateRegion each, merged with RGN_OR). Empty when the bitmap cannot
// be scanned or has no visible pixel; a batch whose region cannot be made is left out.
[[nodiscard]] UniqueGdi<HRGN> BuildRegionFromDib(const SkinDib& dib);

}  // namespace veltharn
