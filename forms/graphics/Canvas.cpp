#include "Canvas.h"

namespace forms {

void TCanvas::PushClip(int32_t dx, int32_t dy, const TRect& r) {
    saved_.push_back(state_);
    state_.originX += dx;
    state_.originY += dy;
    state_.clip = CutRect(state_.clip, DeviceX(r.Left), DeviceY(r.Top), DeviceX(r.Right), DeviceY(r.Bottom));
    ClipChanged();
}

void TCanvas::PopClip() {
    if (saved_.empty()) return;
    state_ = saved_.back();
    saved_.pop_back();
    ClipChanged();
}

}  // namespace forms
