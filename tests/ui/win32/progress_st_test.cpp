#include "launcher/ui/win32/progress_st.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "launcher/adapters/win32/unique_handle.h"
#include "launcher/ui/win32/gdi_scope.h"

namespace veltharn {
namespace {

constexpr COLORREF kBackground = RGB(0, 0, 0);
constexpr COLORREF kBar = RGB(62, 91, 150);

// A 430 x 5 progress control with a border, as the main dialog lays them out, painted into a
// memory bitmap of the window's size.
TEST(ProgressSTTest, PaintsTheBarToItsShareAndTheRestInTheBackground) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 500, 50, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);
  HWND control = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_BORDER, 0, 0, 430, 5, parent,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(control, nullptr);

  struct Case {
    const char* name;
    int position;
    int lastBarPixel;  // -1: no bar at all
  } const cases[] = {
      {"empty", 0, -1},
      {"half", 50, 214},  // bar rectangle -1..215: pixels 0..214
      {"full", 100, 429},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgressBarModel model;
    model.SetBarRange(100);
    model.SetBarPos(c.position);
    CProgressST bar;
    bar.SetColours(kBackground, kBar);
    ASSERT_TRUE(bar.Attach(control, &model));

    HDC screen = GetDC(nullptr);
    UniqueMemoryDc memory(CreateCompatibleDC(screen));
    UniqueGdi<HBITMAP> bitmap(CreateCompatibleBitmap(screen, 430, 5));
    ReleaseDC(nullptr, screen);
    ScopedSelect select(memory.get(), bitmap.get());
    RECT all = {0, 0, 430, 5};
    UniqueGdi<HBRUSH> white(CreateSolidBrush(RGB(255, 255, 255)));
    FillRect(memory.get(), &all, white.get());
    bar.Paint(memory.get());

    for (int x : {0, 100, 214, 215, 300, 429}) {
      SCOPED_TRACE(x);
      for (int y : {0, 2, 4}) {
        EXPECT_EQ(GetPixel(memory.get(), x, y), x <= c.lastBarPixel ? kBar : kBackground);
      }
    }
  }
  DestroyWindow(parent);
}

}  // namespace
}  // namespace veltharn
