#include "Vumeter.h"

#include <algorithm>
#include <limits>
#include <string>

namespace Vumeter {

// Three tests in this order, a later match overriding an earlier one.
forms::TColor ZoneColor(int segment) {
    forms::TColor c = kGreenColor;
    if (segment >= 10 && segment <= 13) c = kYellowColor;
    if (segment > 13) c = kRedColor;
    return c;
}

forms::TRect SegmentBounds(int32_t left, int32_t top, int segment) {
    return forms::Bounds(left - kSegmentPitch * segment, top, kSegmentWidth, kSegmentHeight);
}

void Register() { forms::RegisterComponents("Zovik", {&TVumeter::StaticClass()}); }

}  // namespace Vumeter

namespace {
// The counters run on every tick, idle or not; they stop at the largest value
// rather than wrap, so an activity armed after a very long idle still fires.
void CountTick(int32_t& counter) {
    if (counter < std::numeric_limits<int32_t>::max()) ++counter;
}
}  // namespace

const forms::TClassInfo& TVumeter::StaticClass() {
    using forms::TControl;
    static const forms::TClassInfo info =
        forms::ClassBuilder<TVumeter>("TVumeter", &forms::TGraphicControl::StaticClass())
            .Creatable()
            .Int<int32_t>("Refr", &TVumeter::SetRefresh)
            .WriteOnly(0)
            .Publish(TControl::Protected("Anchors"))
            .Publish(TControl::Protected("ParentShowHint"))
            .Publish(TControl::Protected("ShowHint"))
            .Publish(TControl::Protected("Visible"))
            .Int<int32_t>("Value", &TVumeter::SetValue)
            .WriteOnly(0)
            .Publish(TControl::Protected("Align"))
            .Build();
    return info;
}

TVumeter::TVumeter(forms::TComponent* AOwner) : forms::TGraphicControl(AOwner) {
    // No owner: the meter alone decides when its timer goes. Enabled by default.
    FTimer = std::make_unique<forms::TTimer>(nullptr);
    FTimer->SetOnTimer([this](forms::TObject* sender) { GlobalTimer(sender); });
    FTimer->SetInterval(Vumeter::kTimerInterval);
}

TVumeter::~TVumeter() = default;

// The segments join the owner's controls from inside its paint pass, which lets a
// child's paint add controls.
void TVumeter::Paint() {
    if (FSegmentsCreated) return;
    // The segments need a windowed owner to be their parent; without one the
    // meter stays without segments and its ticks only count.
    auto* host = dynamic_cast<forms::TWinControl*>(Owner());
    if (!host) return;
    for (int i = 0; i < Vumeter::kSegmentCount; ++i) {
        auto* s = new forms::TShape(host);
        FSegments[static_cast<size_t>(i)] = s;
        const forms::TRect r = Vumeter::SegmentBounds(Left(), Top(), i);
        s->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        s->Brush()->SetColor(Vumeter::kUnlitColor);
        s->SetParent(host);
    }
    FSegmentsCreated = true;
}

void TVumeter::SetValue(int32_t v) {
    FValue = std::min<int32_t>(v, Vumeter::kSegmentCount);
    FRisePeriod = Vumeter::kRisePeriod;
}

void TVumeter::SetRefresh(int32_t) {
    if (!FSegmentsCreated) return;
    for (int i = 0; i < Vumeter::kSegmentCount; ++i) {
        const forms::TRect r = Vumeter::SegmentBounds(Left(), Top(), i);
        forms::TShape* s = FSegments[static_cast<size_t>(i)];
        s->SetBounds(r.Left, r.Top, s->Width(), s->Height());
    }
}

void TVumeter::VuMeter(signed char n) {
    if (!FSegmentsCreated) return;
    const int lit = std::clamp<int>(n, 0, Vumeter::kSegmentCount);
    for (int j = 0; j < Vumeter::kSegmentCount; ++j)
        FSegments[static_cast<size_t>(j)]->Brush()->SetColor(j < lit ? Vumeter::ZoneColor(j) : Vumeter::kUnlitColor);
}

// The marker goes on after the bar, so it stays lit above a darker stretch.
void TVumeter::ShowBarAndPeak() {
    VuMeter(static_cast<signed char>(FLevel));
    if (FPeak > 0) FSegments[static_cast<size_t>(FPeak)]->Brush()->SetColor(Vumeter::ZoneColor(FPeak));
}

bool TVumeter::Describe(forms::AccessibleNode& node) const {
    node.Role = forms::AccessibleRole::LevelBar;
    node.HasRange = true;
    node.Max = Vumeter::kSegmentCount;
    node.Current = FLevel;
    node.Value = std::to_string(FLevel);
    node.States |= forms::AccessibleState::ReadOnly;
    return true;
}

// Arming an activity never resets its counter; only the activity's own step does.
// So a step may come on the very tick its period is set (the fall, on the tick a
// rise completes) or on the next one (the peak, after a long idle).
void TVumeter::GlobalTimer(forms::TObject*) {
    const int32_t levelBefore = FLevel;
    CountTick(FPeakTicks);
    CountTick(FRiseTicks);
    CountTick(FFallTicks);
    if (!FSegmentsCreated) return;

    if (FPeakPeriod != 0 && FPeakTicks >= FPeakPeriod) {
        if (FPeak > 0) FPeakPeriod = Vumeter::kPeakPeriod;
        if (FPeak != 0) --FPeak;
        else FPeakPeriod = 0;
        FPeakTicks = 0;
    }

    if (FRisePeriod != 0 && FRiseTicks >= FRisePeriod) {
        if (FLevel < FValue) ++FLevel;
        if (FLevel >= FValue) {
            // A completed rise puts the peak on the top lit segment, replacing any
            // higher peak still descending.
            FPeak = FLevel - 1;
            FRisePeriod = 0;
            FFallPeriod = Vumeter::kFallPeriod;
            FPeakPeriod = Vumeter::kPeakPeriod;
        }
        ShowBarAndPeak();
        FRiseTicks = 0;
    }

    // The fall runs down to 0, not to Value, and stays armed while a marker is
    // above segment 0 so that every peak step gets shown.
    if (FFallPeriod != 0 && FFallTicks >= FFallPeriod) {
        if (FLevel > 0) --FLevel;
        if (FLevel == 0 && FPeak == 0) FFallPeriod = 0;
        ShowBarAndPeak();
        FFallTicks = 0;
    }
    if (FLevel != levelBefore) AccessibleChanged(forms::AccessibleChange::Value);
}
