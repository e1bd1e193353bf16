#include "launcher/ui/skin_button_face.h"

#include <gtest/gtest.h>

namespace veltharn {
namespace {

constexpr ButtonBitmaps kAllButFocus{true, true, true, false, true};

TEST(SkinButtonFaceTest, TheStateChoosesTheBitmapAndCaption) {
  struct Case {
    const char* name;
    ButtonState state;
    ButtonBitmaps bitmaps;
    ButtonFace face;
    int shift;
    bool grey;
  } const cases[] = {
      {"idle", {}, kAllButFocus, ButtonFace::kNormal, 0, false},
      {"hovering", {.hovering = true}, kAllButFocus, ButtonFace::kHover, 0, false},
      {"pressed beats hovering",
       {.selected = true, .hovering = true},
       kAllButFocus,
       ButtonFace::kPressed,
       1,
       false},
      {"checked shows pressed", {.checked = true}, kAllButFocus, ButtonFace::kPressed, 1, false},
      {"disabled beats pressed",
       {.disabled = true, .selected = true},
       kAllButFocus,
       ButtonFace::kDisabled,
       -1,
       true},
      {"focused without a focus bitmap shows normal",
       {.focused = true},
       kAllButFocus,
       ButtonFace::kNormal,
       0,
       false},
      {"focused with a focus bitmap",
       {.focused = true},
       {true, true, true, true, true},
       ButtonFace::kFocus,
       0,
       false},
      {"hover wanted but not loaded",
       {.hovering = true},
       {true, true, false, false, true},
       ButtonFace::kNormal,
       0,
       false},
      {"no normal bitmap: button face",
       {.hovering = true},
       {false, true, true, false, true},
       ButtonFace::kButtonFaceFill,
       0,
       false},
      {"disabled without its bitmap: button face",
       {.disabled = true},
       {},
       ButtonFace::kButtonFaceFill,
       -1,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ButtonLook look = ChooseButtonLook(c.state, c.bitmaps, false, 0);
    EXPECT_EQ(look.face, c.face);
    EXPECT_EQ(look.captionShift, c.shift);
    EXPECT_EQ(look.greyCaption, c.grey);
    EXPECT_EQ(look.edge, ButtonEdge::kNone);
    EXPECT_FALSE(look.focusRectangle);
  }
}

TEST(SkinButtonFaceTest, BorderAndFocusRectangle) {
  struct Case {
    const char* name;
    ButtonState state;
    int focusMargin;
    ButtonEdge edge;
    bool focusRectangle;
  } const cases[] = {
      {"raised when idle", {}, 0, ButtonEdge::kRaised, false},
      {"sunken when pressed", {.selected = true}, 0, ButtonEdge::kSunken, false},
      {"raised when disabled, never a focus rectangle",
       {.disabled = true, .focused = true},
       3,
       ButtonEdge::kRaised,
       false},
      {"focus rectangle needs a margin", {.focused = true}, 0, ButtonEdge::kRaised, false},
      {"focus rectangle with a margin", {.focused = true}, 3, ButtonEdge::kRaised, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ButtonLook look = ChooseButtonLook(c.state, kAllButFocus, true, c.focusMargin);
    EXPECT_EQ(look.edge, c.edge);
    EXPECT_EQ(look.focusRectangle, c.focusRectangle);
  }
}

TEST(SkinButtonFaceTest, ACloseButtonWithoutDisabledBitmapUsesItsNormalOne) {
  static_assert(DisabledBitmapId(302, 0) == 302);
  static_assert(DisabledBitmapId(305, 308) == 308);
}

}  // namespace
}  // namespace veltharn
