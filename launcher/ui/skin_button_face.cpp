#include "launcher/ui/skin_button_face.h"

namespace veltharn {

ButtonLook ChooseButtonLook(const ButtonState& state, const ButtonBitmaps& bitmaps, bool drawBorder,
                            int focusMargin) {
  ButtonLook look;
  if (state.disabled) {
    look.face = bitmaps.disabled ? ButtonFace::kDisabled : ButtonFace::kButtonFaceFill;
    look.edge = drawBorder ? ButtonEdge::kRaised : ButtonEdge::kNone;
    look.captionShift = -1;
    look.greyCaption = true;
    return look;
  }
  if (state.selected || state.checked) {
    look.face = bitmaps.pressed ? ButtonFace::kPressed : ButtonFace::kButtonFaceFill;
    look.captionShift = 1;
    look.edge = drawBorder ? ButtonEdge::kSunken : ButtonEdge::kNone;
  } else {
    if (!bitmaps.normal) {
      look.face = ButtonFace::kButtonFaceFill;
    } else if (state.hovering && bitmaps.hover) {
      look.face = ButtonFace::kHover;
    } else if (state.focused && bitmaps.focus) {
      look.face = ButtonFace::kFocus;
    } else {
      look.face = ButtonFace::kNormal;
    }
    look.edge = drawBorder ? ButtonEdge::kRaised : ButtonEdge::kNone;
  }
  look.focusRectangle = state.focused && focusMargin > 0;
  return look;
}

}  // namespace veltharn
