#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "forms/controls/Shape.h"
#include "forms/core/Timer.h"
#include "forms/core/WinControl.h"

// A level meter: a horizontal strip of 15 segments whose bar rises one segment per
// tick to the level last written to Value, then falls back one segment every 3
// ticks while a peak marker steps down one segment every 25 ticks. The meter draws
// nothing itself: its segments are shapes it creates on its owner at its first
// paint, placed from its own Left and Top at that moment and growing towards
// smaller x.
namespace Vumeter {

constexpr int kSegmentCount = 15;
constexpr int32_t kSegmentWidth = 4;
constexpr int32_t kSegmentHeight = 5;
// Neighbours share one pixel column.
constexpr int32_t kSegmentPitch = 3;

constexpr int32_t kRisePeriod = 1;
constexpr int32_t kFallPeriod = 3;
constexpr int32_t kPeakPeriod = 25;
constexpr uint32_t kTimerInterval = 1;  // milliseconds: all speeds are counted in ticks

constexpr forms::TColor kUnlitColor = 0x00303030;
constexpr forms::TColor kGreenColor = 0x0080FF80;
constexpr forms::TColor kYellowColor = 0x0080FFFF;
constexpr forms::TColor kRedColor = forms::clRed;

// The lit colour of a segment: green up to 9, yellow from 10 to 13, red from 14.
forms::TColor ZoneColor(int segment);
// Segment i's rectangle in the owner's client area, for a meter at (left, top).
forms::TRect SegmentBounds(int32_t left, int32_t top, int segment);

// Lists TVumeter on the designer's palette page "Zovik". A form designer and the tests
// call it; the running tool never does.
void Register();

}  // namespace Vumeter

class TVumeter : public forms::TGraphicControl {
    FORMS_CLASS(TVumeter)
public:
    // Starts the meter's own timer at once; until the meter has its segments its
    // ticks only count.
    explicit TVumeter(forms::TComponent* AOwner);
    // Stops the animation. The segments stay with the owner, with their last colours.
    ~TVumeter() override;

    // The first paint creates the segments on the owner, which must be a windowed
    // container (without one the meter never gets any); later paints do nothing.
    // The meter's own area stays unpainted. The library paints a meter only once it
    // has a parent and a non-empty size, so the segments stand where the host put
    // the meter, whatever the order of its bounds and its parent.
    void Paint() override;

    // Write-only properties. A new Value only sets the rise's target; the next tick
    // does the work. Values above 15 count as 15.
    void SetValue(int32_t v);
    // Refr: the segments stay where they were made when the meter moves; this puts
    // them at the meter's current Left and Top. The number is ignored and not kept.
    void SetRefresh(int32_t);

    // Lights segments 0 to n-1 in their zone colours and darkens the rest.
    void VuMeter(signed char n);
    // The timer's handler: one tick of counting, peak, rise and fall, in this order.
    void GlobalTimer(forms::TObject* Sender);
    // A level indicator: its value is the number of lit segments, 0 to 15.
    bool Describe(forms::AccessibleNode& node) const override;

private:
    friend struct TVumeterInspector;  // tests read the counters and periods
    void ShowBarAndPeak();

    std::array<forms::TShape*, Vumeter::kSegmentCount> FSegments{};
    std::unique_ptr<forms::TTimer> FTimer;
    int32_t FValue = 0;
    int32_t FLevel = 0;
    int32_t FPeak = 0;
    bool FSegmentsCreated = false;
    int32_t FPeakTicks = 0;
    int32_t FRiseTicks = 0;
    int32_t FFallTicks = 0;
    int32_t FPeakPeriod = 0;
    int32_t FRisePeriod = 0;
    int32_t FFallPeriod = 0;
};
