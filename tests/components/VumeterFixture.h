#pragma once
// What the level meter's tests share: an inspector for the counters, the bar as a
// string, and the fixtures (a form alone, and a form with a shown meter).
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "components/Vumeter.h"
#include "forms/backends/headless/HeadlessBackend.h"
#include "forms/core/Application.h"
#include "forms/core/Form.h"

// The meter's counters and periods, which its colours show only in part.
struct TVumeterInspector {
    static int32_t Level(const TVumeter& m) { return m.FLevel; }
    static int32_t Peak(const TVumeter& m) { return m.FPeak; }
    static int32_t RisePeriod(const TVumeter& m) { return m.FRisePeriod; }
    static int32_t FallPeriod(const TVumeter& m) { return m.FFallPeriod; }
    static int32_t PeakPeriod(const TVumeter& m) { return m.FPeakPeriod; }
};

namespace vumetertest {

using namespace forms;
using V = TVumeterInspector;

constexpr int32_t kMeterLeft = 60;
constexpr int32_t kMeterTop = 10;

// One character per segment, index 0 first: '.' unlit, 'g' green, 'y' yellow,
// 'r' red, '?' anything else.
inline std::string BarOf(const std::vector<TShape*>& segments) {
    std::string s;
    for (const TShape* seg : segments) {
        const TColor c = seg->Brush()->Color();
        s += c == Vumeter::kUnlitColor    ? '.'
             : c == Vumeter::kGreenColor  ? 'g'
             : c == Vumeter::kYellowColor ? 'y'
             : c == Vumeter::kRedColor    ? 'r'
                                          : '?';
    }
    return s;
}

// The shapes among the owner's components, in creation order.
inline std::vector<TShape*> ShapesOf(const TComponent& owner) {
    std::vector<TShape*> out;
    for (TComponent* c : owner.Components())
        if (auto* s = dynamic_cast<TShape*>(c)) out.push_back(s);
    return out;
}

// An 80 × 24 form on the headless backend's manual clock.
class VumeterForm : public ::testing::Test {
protected:
    void SetUp() override {
        form = new TForm(&app);
        form->SetBounds(0, 0, 80, 24);
    }

    // A meter at (60, 10) on the form, owned by `owner`.
    TVumeter* AddMeter(TComponent* owner) {
        auto* m = new TVumeter(owner);
        m->SetBounds(kMeterLeft, kMeterTop, 8, 8);
        m->SetParent(form);
        return m;
    }
    void ShowForm() {
        form->Show();
        app.ProcessMessages();
    }
    // Runs the clock up to the given tick of the meter's timer (one per millisecond).
    void RunTo(uint64_t tick) {
        ASSERT_GE(tick, backend.Now());
        backend.Advance(static_cast<uint32_t>(tick - backend.Now()));
    }
    TColor Pixel(int32_t x, int32_t y) const { return backend.Find(form->Handle())->Image->Pixel(x, y); }

    HeadlessBackend backend;
    TApplication app{backend};
    TForm* form = nullptr;
};

// The form with a meter at (60, 10), shown and painted; no tick has run yet.
class VumeterTest : public VumeterForm {
protected:
    void SetUp() override {
        VumeterForm::SetUp();
        meter = AddMeter(form);
        ShowForm();
        segments = ShapesOf(*form);
        ASSERT_EQ(segments.size(), 15u);
    }

    std::string Bar() const { return BarOf(segments); }
    bool Idle() const { return V::RisePeriod(*meter) == 0 && V::FallPeriod(*meter) == 0 && V::PeakPeriod(*meter) == 0; }

    // Checks the bar at each listed tick, running the clock forward between them.
    struct Frame {
        uint64_t tick;
        const char* bar;
    };
    void ExpectFrames(std::initializer_list<Frame> frames) {
        for (const Frame& f : frames) {
            RunTo(f.tick);
            EXPECT_EQ(Bar(), f.bar) << "at tick " << f.tick;
        }
    }

    TVumeter* meter = nullptr;
    std::vector<TShape*> segments;
};

}  // namespace vumetertest
