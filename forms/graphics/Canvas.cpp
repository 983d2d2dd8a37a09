#include "Canvas.h"

namespace forms {

void TCanvas::PushClip(int32_t dx, int32_t dy, const TRect& r) {
    saved_.push_back({PenColor, BrushColor, BrushStyle, Font, originX_, originY_, clip_});
    originX_ += dx;
    originY_ += dy;
    clip_ = CutRect(clip_, DeviceX(r.Left), DeviceY(r.Top), DeviceX(r.Right), DeviceY(r.Bottom));
    ClipChanged();
}

void TCanvas::PopClip() {
    if (saved_.empty()) return;
    TState& s = saved_.back();
    PenColor = s.penColor;
    BrushColor = s.brushColor;
    BrushStyle = s.brushStyle;
    Font = std::move(s.font);
    originX_ = s.originX;
    originY_ = s.originY;
    clip_ = s.clip;
    saved_.pop_back();
    ClipChanged();
}

}  // namespace forms
