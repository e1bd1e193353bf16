#include "launcher/ui/win32/skin_button.h"

#include <gtest/gtest.h>

namespace veltharn {
namespace {

// Buttons of a hidden parent window, each taken over by a skin button.
class SkinButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent_, nullptr);
  }
  void TearDown() override { DestroyWindow(parent_); }
  HWND MakeButton(DWORD style, int id) {
    // Visible: a dialog group holds only visible, enabled controls.
    return CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | style, 0, 0, 50, 20, parent_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
  }

  HWND parent_ = nullptr;
};

TEST_F(SkinButtonTest, TheKindComesFromTheStyleAndTheButtonBecomesOwnerDrawn) {
  struct Case {
    const char* name;
    DWORD style;
    CxSkinButton::Kind kind;
  } const cases[] = {
      {"push button", BS_PUSHBUTTON, CxSkinButton::kPushButton},
      {"automatic check box", BS_AUTOCHECKBOX, CxSkinButton::kCheckBox},
      {"automatic radio button", BS_AUTORADIOBUTTON, CxSkinButton::kRadioButton},
  };
  int id = 100;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CxSkinButton button;
    ASSERT_TRUE(button.Attach(MakeButton(c.style, ++id)));
    EXPECT_EQ(button.kind(), c.kind);
    EXPECT_EQ(GetWindowLongPtrA(button.window(), GWL_STYLE) & BS_OWNERDRAW, BS_OWNERDRAW);
  }
}

TEST_F(SkinButtonTest, APushButtonNeverStaysChecked) {
  CxSkinButton button;
  ASSERT_TRUE(button.Attach(MakeButton(BS_PUSHBUTTON, 1)));
  SendMessageA(button.window(), BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(SendMessageA(button.window(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(SkinButtonTest, CheckingARadioButtonUnchecksTheOthersOfItsGroup) {
  CxSkinButton first, second, third;
  ASSERT_TRUE(first.Attach(MakeButton(BS_AUTORADIOBUTTON | WS_GROUP, 1)));
  ASSERT_TRUE(second.Attach(MakeButton(BS_AUTORADIOBUTTON, 2)));
  ASSERT_TRUE(third.Attach(MakeButton(BS_AUTORADIOBUTTON, 3)));
  // The uncheck is posted to the others, so each click is followed by its messages, as clicks
  // of a user are.
  auto pump = [] {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  };
  SendMessageA(first.window(), BM_SETCHECK, BST_CHECKED, 0);
  pump();
  EXPECT_TRUE(first.checked());
  SendMessageA(second.window(), BM_SETCHECK, BST_CHECKED, 0);
  pump();
  EXPECT_FALSE(first.checked());
  EXPECT_TRUE(second.checked());
  EXPECT_FALSE(third.checked());
}

TEST_F(SkinButtonTest, MissingBitmapsPaintTheButtonFace) {
  CxSkinButton button;
  ASSERT_TRUE(button.Attach(MakeButton(BS_PUSHBUTTON, 1)));
  button.ApplySkin(GetModuleHandleA(nullptr), 305, 306, 307, 0);  // not in this program
  HDC dc = GetDC(button.window());
  DRAWITEMSTRUCT item = {};
  item.CtlType = ODT_BUTTON;
  item.hwndItem = button.window();
  item.hDC = dc;
  item.rcItem = {0, 0, 50, 20};
  struct Case {
    const char* name;
    UINT state;
  } const cases[] = {{"normal", 0}, {"pressed", ODS_SELECTED}, {"disabled", ODS_DISABLED}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    item.itemState = c.state;
    button.DrawItem(item);
    EXPECT_EQ(button.lastFace(), ButtonFace::kButtonFaceFill);
  }
  ReleaseDC(button.window(), dc);
}

}  // namespace
}  // namespace veltharn
