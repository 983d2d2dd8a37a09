#pragma once
#include <cstdint>

#include "forms/core/Control.h"

namespace forms {

// What a control's text is drawn on.
enum class TTextGround : uint8_t { Window, ButtonFace };

// The font a control draws its text in: its own, grey while the control is disabled.
// On a button's face the window-text colour, every font's default, reads as the
// button-text colour; a colour of the font's own stays.
inline TFontSpec TextFont(const TControl& control, TTextGround ground) {
    TFontSpec font = control.Font()->Spec();
    if (!control.Enabled()) font.Color = clGrayText;
    else if (ground == TTextGround::ButtonFace && font.Color == clWindowText) font.Color = clBtnText;
    return font;
}

}  // namespace forms
