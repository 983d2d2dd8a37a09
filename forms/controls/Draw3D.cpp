#include "Draw3D.h"

namespace forms {

void Frame3D(TCanvas& c, TRect& r, TColor topLeft, TColor bottomRight) {
    if (r.IsEmpty()) return;
    c.PenColor = topLeft;
    c.MoveTo(r.Left, r.Bottom - 1);
    c.LineTo(r.Left, r.Top);
    c.LineTo(r.Right - 1, r.Top);
    c.PenColor = bottomRight;
    c.LineTo(r.Right - 1, r.Bottom - 1);
    c.LineTo(r.Left - 1, r.Bottom - 1);
    r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
}

void DrawButtonFace(TCanvas& c, TRect& r, bool pressed, bool isDefault) {
    if (isDefault || pressed) {
        Frame3D(c, r, cl3DDkShadow, cl3DDkShadow);
    }
    if (pressed) {
        Frame3D(c, r, clBtnShadow, clBtnShadow);
    } else {
        Frame3D(c, r, clBtnHighlight, cl3DDkShadow);
        Frame3D(c, r, cl3DLight, clBtnShadow);
    }
    c.BrushColor = clBtnFace;
    c.BrushStyle = TBrushStyle::bsSolid;
    c.FillRect(r);
}

void DrawFocusRect(TCanvas& c, const TRect& r) {
    if (r.IsEmpty()) return;
    auto dot = [&](int32_t x, int32_t y) {
        if (((x + y) & 1) == 0) c.SetPixel(x, y, ColorToRGB(c.GetPixel(x, y)) ^ 0x00FFFFFFu);
    };
    for (int32_t x = r.Left; x < r.Right; ++x) {
        dot(x, r.Top);
        dot(x, r.Bottom - 1);
    }
    for (int32_t y = r.Top + 1; y < r.Bottom - 1; ++y) {
        dot(r.Left, y);
        dot(r.Right - 1, y);
    }
}

}  // namespace forms
