#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/Vumeter.h"
#include "forms/backends/headless/HeadlessBackend.h"
#include "forms/core/Application.h"
#include "forms/core/Form.h"
#include "forms/core/LayoutReader.h"

using namespace forms;

// The meter's counters and periods, which its colours show only in part.
struct TVumeterInspector {
    static int32_t Level(const TVumeter& m) { return m.FLevel; }
    static int32_t Peak(const TVumeter& m) { return m.FPeak; }
    static int32_t RisePeriod(const TVumeter& m) { return m.FRisePeriod; }
    static int32_t FallPeriod(const TVumeter& m) { return m.FFallPeriod; }
    static int32_t PeakPeriod(const TVumeter& m) { return m.FPeakPeriod; }
};

namespace {

using V = TVumeterInspector;

constexpr int32_t kMeterLeft = 60;
constexpr int32_t kMeterTop = 10;

// One character per segment, index 0 first: '.' unlit, 'g' green, 'y' yellow,
// 'r' red, '?' anything else.
std::string BarOf(const std::vector<TShape*>& segments) {
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
std::vector<TShape*> ShapesOf(const TComponent& owner) {
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

TEST(VumeterGeometry, SegmentsStepLeftByThreeFromTheMeterCorner) {
    EXPECT_EQ(Vumeter::SegmentBounds(100, 20, 0), (TRect{100, 20, 104, 25}));
    EXPECT_EQ(Vumeter::SegmentBounds(100, 20, 1), (TRect{97, 20, 101, 25}));
    // The strip covers Left-42 .. Left+3.
    EXPECT_EQ(Vumeter::SegmentBounds(100, 20, 14), (TRect{58, 20, 62, 25}));
    EXPECT_EQ(Vumeter::SegmentBounds(0, -3, 2), (TRect{-6, -3, -2, 2}));
}

TEST(VumeterGeometry, ZoneColoursChangeAtTheBorders) {
    struct {
        int segment;
        TColor colour;
    } const cases[] = {{0, Vumeter::kGreenColor},   {9, Vumeter::kGreenColor},   {10, Vumeter::kYellowColor},
                       {13, Vumeter::kYellowColor}, {14, Vumeter::kRedColor}};
    for (const auto& c : cases) EXPECT_EQ(Vumeter::ZoneColor(c.segment), c.colour) << "segment " << c.segment;
    EXPECT_EQ(Vumeter::kGreenColor, RGB(128, 255, 128));
    EXPECT_EQ(Vumeter::kYellowColor, RGB(255, 255, 128));
    EXPECT_EQ(Vumeter::kRedColor, RGB(255, 0, 0));
    EXPECT_EQ(Vumeter::kUnlitColor, RGB(48, 48, 48));
}

TEST_F(VumeterForm, TheFirstParentCreatesFifteenDarkSegmentsOnTheOwner) {
    auto* meter = new TVumeter(form);
    meter->SetBounds(kMeterLeft, kMeterTop, 8, 8);
    EXPECT_TRUE(ShapesOf(*form).empty());
    EXPECT_EQ(backend.TimerCount(), 1u);

    meter->SetParent(form);
    const std::vector<TShape*> segments = ShapesOf(*form);
    ASSERT_EQ(segments.size(), 15u);
    EXPECT_TRUE(ShapesOf(*meter).empty());
    for (int i = 0; i < 15; ++i) {
        const TShape* s = segments[static_cast<size_t>(i)];
        EXPECT_EQ(s->Owner(), form) << i;
        EXPECT_EQ(s->Parent(), form) << i;
        EXPECT_EQ(s->BoundsRect(), Vumeter::SegmentBounds(kMeterLeft, kMeterTop, i)) << i;
        EXPECT_EQ(s->Brush()->Color(), Vumeter::kUnlitColor) << i;
    }

    // Paints and later parents create nothing and change nothing.
    ShowForm();
    form->InvalidateRect(form->ClientRect());
    app.ProcessMessages();
    meter->SetLeft(40);
    meter->SetParent(nullptr);
    meter->SetParent(form);
    app.ProcessMessages();
    EXPECT_EQ(ShapesOf(*form), segments);
    EXPECT_EQ(segments[0]->Left(), kMeterLeft);
}

TEST_F(VumeterTest, Value15RisesOneSegmentPerTickAndFallsOnTheTickItCompletes) {
    meter->SetValue(15);
    EXPECT_EQ(Bar(), "...............");  // a write alone shows nothing
    ExpectFrames({{1, "g.............."},
                  {2, "gg............."},
                  {9, "ggggggggg......"},
                  {10, "gggggggggg....."},
                  {11, "ggggggggggy...."},
                  {13, "ggggggggggyyy.."},
                  {14, "ggggggggggyyyy."}});
    RunTo(15);
    // The rise completes with the peak on segment 14, and the fall step of the
    // same tick already takes the bar down to 14: segment 14 is the red marker.
    EXPECT_EQ(Bar(), "ggggggggggyyyyr");
    EXPECT_EQ(V::Level(*meter), 14);
    EXPECT_EQ(V::Peak(*meter), 14);
    ExpectFrames({{17, "ggggggggggyyyyr"},
                  {18, "ggggggggggyyy.r"},
                  {24, "ggggggggggy...r"},
                  // The peak steps to 13 at tick 25 but shows only at the next fall step.
                  {25, "ggggggggggy...r"},
                  {27, "gggggggggg...y."},
                  // The bar falls to 0, not to Value.
                  {57, "............y.."},
                  {74, "............y.."},
                  // Peak step and fall step in one tick: the fall shows the new marker.
                  {75, "...........y..."},
                  {349, ".g............."},
                  {350, ".g............."}});
    EXPECT_EQ(V::Peak(*meter), 0);
    EXPECT_NE(V::FallPeriod(*meter), 0);
    // The first fall step after the marker reaches 0 darkens everything and stops.
    RunTo(351);
    EXPECT_EQ(Bar(), "...............");
    EXPECT_EQ(V::FallPeriod(*meter), 0);
    EXPECT_NE(V::PeakPeriod(*meter), 0);
    // The next peak step finds the peak at 0 and stops the descent.
    RunTo(374);
    EXPECT_FALSE(Idle());
    RunTo(375);
    EXPECT_TRUE(Idle());
    RunTo(1000);
    EXPECT_EQ(Bar(), "...............");
}

TEST_F(VumeterTest, PaintedPixelsShowTheSegmentsOnTheForm) {
    meter->SetValue(15);
    RunTo(18);
    ASSERT_EQ(Bar(), "ggggggggggyyy.r");
    const TColor face = ColorToRGB(clBtnFace);
    for (int i = 0; i < 15; ++i) {
        const TRect r = Vumeter::SegmentBounds(kMeterLeft, kMeterTop, i);
        const TColor fill = i == 13 ? Vumeter::kUnlitColor : Vumeter::ZoneColor(i);
        for (int32_t y = r.Top + 1; y < r.Bottom - 1; ++y) {
            EXPECT_EQ(Pixel(r.Left + 1, y), fill) << "segment " << i << " row " << y;
            EXPECT_EQ(Pixel(r.Left + 2, y), fill) << "segment " << i << " row " << y;
            // Neighbours share the outline column.
            EXPECT_EQ(Pixel(r.Left, y), clBlack) << "segment " << i << " row " << y;
        }
        EXPECT_EQ(Pixel(r.Left + 1, r.Top), clBlack) << "segment " << i;
        EXPECT_EQ(Pixel(r.Left + 2, r.Bottom - 1), clBlack) << "segment " << i;
        EXPECT_EQ(Pixel(r.Left + 1, r.Bottom), face) << "segment " << i;
        EXPECT_EQ(Pixel(r.Left + 1, r.Top - 1), face) << "segment " << i;
    }
    EXPECT_EQ(Pixel(kMeterLeft + 3, kMeterTop + 2), clBlack);
    // The meter paints nothing on its own area.
    for (int32_t y = kMeterTop; y < kMeterTop + 8; ++y)
        for (int32_t x = kMeterLeft + 4; x < kMeterLeft + 8; ++x) EXPECT_EQ(Pixel(x, y), face) << x << "," << y;
    EXPECT_EQ(Pixel(kMeterLeft - 43, kMeterTop + 2), face);
}

TEST_F(VumeterTest, APeakStepCanComeOnTheTickAfterTheRiseCompletes) {
    // After a long idle the peak counter is far past its period; arming does not reset it.
    RunTo(30);
    meter->SetValue(3);
    ExpectFrames({{31, "g.............."},
                  {32, "gg............."},
                  {33, "ggg............"}});  // level 2 after the same-tick fall, marker 2
    RunTo(34);
    EXPECT_EQ(V::Peak(*meter), 1);
    // Later peak steps come every 25 ticks: the marker reaches 0 at tick 59.
    ExpectFrames({{36, "gg............."},
                  {39, ".g............."},
                  {57, ".g............."},
                  {60, "..............."}});
    EXPECT_EQ(V::FallPeriod(*meter), 0);
    RunTo(83);
    EXPECT_FALSE(Idle());
    RunTo(84);
    EXPECT_TRUE(Idle());
}

TEST_F(VumeterTest, Value1LightsOnlySegment0AndReturnsToIdle) {
    meter->SetValue(1);
    ExpectFrames({{1, "g.............."}, {2, "g.............."}, {3, "..............."}});
    EXPECT_EQ(V::Peak(*meter), 0);
    EXPECT_EQ(V::FallPeriod(*meter), 0);
    RunTo(25);
    EXPECT_TRUE(Idle());
    RunTo(200);
    EXPECT_EQ(Bar(), "...............");
}

TEST_F(VumeterTest, ALowerValueMovesThePeakToTheTopLitSegmentAndTheFallGoesOn) {
    meter->SetValue(10);
    // Tick 10 completes the rise (peak 9) and falls to 9: segments 0..9 lit.
    ExpectFrames({{10, "gggggggggg....."}, {12, "gggggggggg....."}});
    meter->SetValue(4);
    RunTo(13);
    EXPECT_EQ(V::Level(*meter), 8);
    EXPECT_EQ(V::Peak(*meter), 8);
    EXPECT_EQ(Bar(), "ggggggggg......");
    // Below the new Value and on to 0; the peak stepped to 7 at tick 25.
    ExpectFrames({{28, "ggg....g......."}, {37, ".......g......."}});
}

TEST_F(VumeterTest, AValueWrittenDuringARiseChangesOnlyItsTarget) {
    meter->SetValue(10);
    RunTo(4);
    ASSERT_EQ(Bar(), "gggg...........");
    meter->SetValue(6);
    ExpectFrames({{5, "ggggg.........."}, {6, "gggggg........."}});
    EXPECT_EQ(V::Peak(*meter), 5);
    EXPECT_EQ(V::RisePeriod(*meter), 0);

    // The fall armed by the first rise stays armed: at tick 9 the rise step and
    // then the fall step run, and the bar stands still for that tick.
    meter->SetValue(9);
    RunTo(7);
    EXPECT_EQ(V::Level(*meter), 6);  // climbs from where the fall left it
    ExpectFrames({{8, "ggggggg........"},
                  {9, "ggggggg........"},
                  {10, "gggggggg......."},
                  {11, "ggggggggg......"}});
    EXPECT_EQ(V::Peak(*meter), 8);
}

TEST_F(VumeterTest, AZeroOrNegativeValueLeavesTheFallArmedUntilAPositiveRise) {
    for (int32_t value : {0, -5}) {
        SCOPED_TRACE(value);
        const uint64_t t0 = backend.Now();
        meter->SetValue(value);
        RunTo(t0 + 1);
        EXPECT_EQ(Bar(), "...............");
        EXPECT_EQ(V::Level(*meter), 0);
        EXPECT_EQ(V::Peak(*meter), -1);
        EXPECT_NE(V::FallPeriod(*meter), 0);
        RunTo(t0 + 200);
        // The peak keeps going down and the fall keeps re-showing a dark bar.
        EXPECT_LT(V::Peak(*meter), -1);
        EXPECT_NE(V::FallPeriod(*meter), 0);
        EXPECT_EQ(Bar(), "...............");

        // The still-armed fall takes a segment back on one of the rising ticks,
        // so the rise needs a fourth tick to reach 3.
        meter->SetValue(3);
        RunTo(t0 + 203);
        EXPECT_LT(V::Peak(*meter), 0);
        RunTo(t0 + 204);
        EXPECT_EQ(V::Peak(*meter), 2);
        RunTo(t0 + 300);
        EXPECT_TRUE(Idle());
        EXPECT_EQ(V::Peak(*meter), 0);
        EXPECT_EQ(Bar(), "...............");
    }
}

TEST_F(VumeterTest, AValueAbove15CountsAs15) {
    meter->SetValue(40);
    ExpectFrames({{14, "ggggggggggyyyy."}, {15, "ggggggggggyyyyr"}, {16, "ggggggggggyyyyr"}, {18, "ggggggggggyyy.r"}});
    EXPECT_EQ(V::Peak(*meter), 14);
}

TEST_F(VumeterTest, RefrMovesTheSegmentsToTheMeterAndIgnoresTheNumber) {
    meter->SetValue(2);
    RunTo(2);
    const std::string bar = Bar();
    meter->SetBounds(70, 14, 8, 8);
    app.ProcessMessages();
    EXPECT_EQ(segments[0]->BoundsRect(), Vumeter::SegmentBounds(kMeterLeft, kMeterTop, 0));

    TVumeter::StaticClass().FindProperty("Refr")->Write(*meter, LayoutValue::Int(-12345), nullptr);
    app.ProcessMessages();
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(segments[static_cast<size_t>(i)]->BoundsRect(), Vumeter::SegmentBounds(70, 14, i)) << i;
    EXPECT_EQ(Bar(), bar);
    EXPECT_EQ(Pixel(71, 16), Vumeter::kGreenColor);
    EXPECT_EQ(Pixel(kMeterLeft + 1, kMeterTop + 1), ColorToRGB(clBtnFace));
}

TEST_F(VumeterTest, DestroyingTheMeterStopsItAndLeavesTheSegmentsToTheOwner) {
    meter->SetValue(15);
    RunTo(21);
    const std::string bar = Bar();
    ASSERT_EQ(bar, "ggggggggggyy..r");
    const size_t timers = backend.TimerCount();
    delete meter;
    meter = nullptr;
    EXPECT_EQ(backend.TimerCount(), timers - 1);
    RunTo(500);
    EXPECT_EQ(ShapesOf(*form), segments);
    EXPECT_EQ(Bar(), bar);
    EXPECT_EQ(segments[14]->Parent(), form);
    EXPECT_EQ(Pixel(kMeterLeft - 42 + 1, kMeterTop + 2), Vumeter::kRedColor);
    delete form;  // takes the segments with it
    EXPECT_EQ(backend.TimerCount(), 0u);
}

TEST_F(VumeterForm, WritesAndTicksBeforeTheFirstParentOnlyCount) {
    auto* meter = new TVumeter(form);
    meter->SetBounds(kMeterLeft, kMeterTop, 8, 8);
    meter->SetValue(5);
    meter->MoveSegmentsToMeter();
    meter->VuMeter(3);
    backend.Advance(10);
    EXPECT_TRUE(ShapesOf(*form).empty());
    EXPECT_EQ(V::Level(*meter), 0);

    // The pending rise starts with the first tick after the segments exist.
    meter->SetParent(form);
    ShowForm();
    const std::vector<TShape*> segments = ShapesOf(*form);
    ASSERT_EQ(segments.size(), 15u);
    EXPECT_EQ(BarOf(segments), "...............");
    backend.Advance(1);
    EXPECT_EQ(BarOf(segments), "g..............");
    backend.Advance(4);
    EXPECT_EQ(BarOf(segments), "ggggg..........");
}

TEST_F(VumeterForm, AMeterWithoutAWindowedOwnerGetsNoSegments) {
    {
        TVumeter orphan(nullptr);
        orphan.SetValue(4);
        orphan.Paint();
        backend.Advance(30);
        orphan.MoveSegmentsToMeter();
        EXPECT_EQ(V::Level(orphan), 0);
    }
    {
        TComponent holder(nullptr);
        TVumeter* meter = AddMeter(&holder);
        ShowForm();
        meter->SetValue(4);
        backend.Advance(30);
        meter->MoveSegmentsToMeter();
        EXPECT_EQ(holder.ComponentCount(), 1);
        EXPECT_TRUE(ShapesOf(*form).empty());
    }
    EXPECT_TRUE(form->Controls().empty());
    EXPECT_EQ(backend.TimerCount(), 0u);
}

TEST(VumeterClass, RefrAndValueArePublishedWriteOnly) {
    const TClassInfo& info = TVumeter::StaticClass();
    std::vector<std::string> names;
    for (const TPropInfo& p : info.Properties) names.push_back(p.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Refr", "Anchors", "ParentShowHint", "ShowHint", "Visible", "Value",
                                               "Align"}));
    for (const TPropInfo& p : info.Properties) {
        const bool writeOnly = p.Name == "Refr" || p.Name == "Value";
        EXPECT_EQ(p.Readable, !writeOnly) << p.Name;
    }
    EXPECT_EQ(info.FindProperty("Value")->Default, "0");
    EXPECT_EQ(info.FindProperty("Refr")->Default, "0");
    EXPECT_TRUE(info.InheritsFrom(TGraphicControl::StaticClass()));
}

TEST_F(VumeterForm, ALayoutPlacesAMeterAndWritesItsValue) {
    RegisterClass(TVumeter::StaticClass());
    ReadLayoutText(*form,
                   "object Form1: TForm\n"
                   "  ClientWidth = 80\n"
                   "  ClientHeight = 24\n"
                   "  object Vumeter1: TVumeter\n"
                   "    Left = 60\n"
                   "    Top = 10\n"
                   "    Width = 8\n"
                   "    Height = 8\n"
                   "    Refr = 7\n"
                   "    Value = 3\n"
                   "  end\n"
                   "end\n",
                   "test");
    ASSERT_NE(dynamic_cast<TVumeter*>(form->FindComponent("Vumeter1")), nullptr);
    // The segments stand where the layout put the meter, not where it was given its parent.
    const std::vector<TShape*> segments = ShapesOf(*form);
    ASSERT_EQ(segments.size(), 15u);
    EXPECT_EQ(segments[0]->BoundsRect(), Vumeter::SegmentBounds(kMeterLeft, kMeterTop, 0));
    ShowForm();
    backend.Advance(3);
    EXPECT_EQ(BarOf(segments), "ggg............");
}

TEST(VumeterClass, RegisterListsTheMeterOnPageZovik) {
    const size_t before = DesignPalette().size();
    Vumeter::Register();
    const auto palette = DesignPalette();
    ASSERT_EQ(palette.size(), before + 1);
    EXPECT_EQ(palette.back().first, "Zovik");
    EXPECT_EQ(palette.back().second, &TVumeter::StaticClass());
}

}  // namespace
