#pragma once

namespace veltharn {

// What a skin button shows for its state: which bitmap, how its caption moves and what colour it
// takes, which edge and whether a focus rectangle. The window code only carries it out.

enum class ButtonFace { kButtonFaceFill, kNormal, kPressed, kHover, kFocus, kDisabled };
enum class ButtonEdge { kNone, kRaised, kSunken };

struct ButtonState {
  bool disabled = false;
  bool selected = false;  // pushed, by mouse or keyboard
  bool checked = false;   // a check box or radio button that is ticked
  bool hovering = false;
  bool focused = false;
};

// Which of the button's bitmaps are loaded.
struct ButtonBitmaps {
  bool normal = false;
  bool pressed = false;
  bool hover = false;
  bool focus = false;
  bool disabled = false;
};

struct ButtonLook {
  ButtonFace face = ButtonFace::kButtonFaceFill;
  ButtonEdge edge = ButtonEdge::kNone;
  int captionShift = 0;      // the caption moves by (shift, shift)
  bool greyCaption = false;  // RGB(0x86, 0x86, 0x86) instead of the button's text colour
  bool focusRectangle = false;
};

[[nodiscard]] ButtonLook ChooseButtonLook(const ButtonState& state, const ButtonBitmaps& bitmaps,
                                          bool drawBorder, int focusMargin);

// The bitmap a button shows when disabled: its own, or the normal one when it has none (id 0).
[[nodiscard]] constexpr int DisabledBitmapId(int normalId, int disabledId) {
  return disabledId != 0 ? disabledId : normalId;
}

}  // namespace veltharn
