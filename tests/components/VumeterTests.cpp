// The meter's segments and where they stand, its class information and its layouts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "VumeterFixture.h"
#include "forms/core/LayoutReader.h"

using namespace forms;
using namespace vumetertest;

namespace {

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
    } const cases[] = {{0, Vumeter::kGreenColor},
                       {9, Vumeter::kGreenColor},
                       {10, Vumeter::kYellowColor},
                       {13, Vumeter::kYellowColor},
                       {14, Vumeter::kRedColor}};
    for (const auto& c : cases) EXPECT_EQ(Vumeter::ZoneColor(c.segment), c.colour) << "segment " << c.segment;
    EXPECT_EQ(Vumeter::kGreenColor, RGB(128, 255, 128));
    EXPECT_EQ(Vumeter::kYellowColor, RGB(255, 255, 128));
    EXPECT_EQ(Vumeter::kRedColor, RGB(255, 0, 0));
    EXPECT_EQ(Vumeter::kUnlitColor, RGB(48, 48, 48));
}

TEST_F(VumeterForm, TheFirstPaintCreatesFifteenDarkSegmentsOnTheOwner) {
    auto* meter = new TVumeter(form);
    meter->SetBounds(kMeterLeft, kMeterTop, 8, 8);
    meter->SetParent(form);
    EXPECT_TRUE(ShapesOf(*form).empty());
    EXPECT_EQ(backend.TimerCount(), 1u);

    // The pass that paints the meter gets its segments added to the form's controls
    // under its walk, and paints them too: segment 14, far left of the meter, shows
    // after that one pass.
    form->Show();
    form->Update();
    const std::vector<TShape*> segments = ShapesOf(*form);
    ASSERT_EQ(segments.size(), 15u);
    EXPECT_EQ(Pixel(kMeterLeft - 42, kMeterTop + 2), clBlack);
    EXPECT_EQ(Pixel(kMeterLeft - 41, kMeterTop + 2), Vumeter::kUnlitColor);
    app.ProcessMessages();
    EXPECT_TRUE(ShapesOf(*meter).empty());
    for (int i = 0; i < 15; ++i) {
        const TShape* s = segments[static_cast<size_t>(i)];
        EXPECT_EQ(s->Owner(), form) << i;
        EXPECT_EQ(s->Parent(), form) << i;
        EXPECT_EQ(s->BoundsRect(), Vumeter::SegmentBounds(kMeterLeft, kMeterTop, i)) << i;
        EXPECT_EQ(s->Brush()->Color(), Vumeter::kUnlitColor) << i;
    }

    // Later paints create nothing and change nothing.
    form->InvalidateRect(form->ClientRect());
    app.ProcessMessages();
    meter->SetLeft(40);
    app.ProcessMessages();
    EXPECT_EQ(ShapesOf(*form), segments);
    EXPECT_EQ(segments[0]->Left(), kMeterLeft);
}

TEST_F(VumeterForm, AHostMayGiveTheParentBeforeTheBounds) {
    ShowForm();
    auto* meter = new TVumeter(form);
    meter->SetParent(form);
    app.ProcessMessages();
    EXPECT_TRUE(ShapesOf(*form).empty());  // no size yet: nothing to paint
    meter->SetBounds(kMeterLeft, kMeterTop, 8, 8);
    app.ProcessMessages();
    const std::vector<TShape*> segments = ShapesOf(*form);
    ASSERT_EQ(segments.size(), 15u);
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(segments[static_cast<size_t>(i)]->BoundsRect(), Vumeter::SegmentBounds(kMeterLeft, kMeterTop, i))
            << i;
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

TEST_F(VumeterTest, RefrMovesTheSegmentsToTheMeterAndIgnoresTheNumber) {
    meter->SetValue(2);
    RunTo(2);
    const std::string bar = Bar();
    meter->SetBounds(70, 14, 8, 8);
    app.ProcessMessages();
    EXPECT_EQ(segments[0]->BoundsRect(), Vumeter::SegmentBounds(kMeterLeft, kMeterTop, 0));

    meter->SetRefresh(-12345);
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

TEST_F(VumeterForm, WritesAndTicksBeforeTheFirstPaintOnlyCount) {
    TVumeter* meter = AddMeter(form);
    meter->SetValue(5);
    meter->SetRefresh(1);
    meter->VuMeter(3);
    backend.Advance(10);
    EXPECT_TRUE(ShapesOf(*form).empty());
    EXPECT_EQ(V::Level(*meter), 0);

    // The pending rise starts with the first tick after the segments exist.
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
        orphan.SetRefresh(0);
        EXPECT_EQ(V::Level(orphan), 0);
    }
    {
        TComponent holder(nullptr);
        TVumeter* meter = AddMeter(&holder);
        ShowForm();
        meter->SetValue(4);
        backend.Advance(30);
        meter->SetRefresh(0);
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
    EXPECT_EQ(names,
              (std::vector<std::string>{"Refr", "Anchors", "ParentShowHint", "ShowHint", "Visible", "Value", "Align"}));
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
    EXPECT_TRUE(ShapesOf(*form).empty());
    // The segments stand where the layout put the meter.
    ShowForm();
    const std::vector<TShape*> segments = ShapesOf(*form);
    ASSERT_EQ(segments.size(), 15u);
    EXPECT_EQ(segments[0]->BoundsRect(), Vumeter::SegmentBounds(kMeterLeft, kMeterTop, 0));
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
