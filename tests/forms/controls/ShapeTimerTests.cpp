#include <gtest/gtest.h>

#include "forms/backends/headless/HeadlessBackend.h"
#include "forms/core/Application.h"
#include "forms/core/Form.h"
#include "forms/core/LayoutReader.h"
#include "forms/controls/Shape.h"
#include "forms/core/Timer.h"

using namespace forms;

namespace {

class ShapeTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = new TForm(&app);
        form->SetBounds(0, 0, 40, 30);
        shape = new TShape(form);
        shape->SetBounds(10, 5, 6, 4);
        shape->SetParent(form);
        form->Show();
        app.ProcessMessages();
    }
    TColor Pixel(int32_t x, int32_t y) const { return backend.Find(form->Handle())->Image->Pixel(x, y); }
    int Presents() const { return backend.Find(form->Handle())->Presents; }

    HeadlessBackend backend;
    TApplication app{backend};
    TForm* form = nullptr;
    TShape* shape = nullptr;
};

TEST_F(ShapeTest, PaintsBlackOutlineFilledWithBrushColour) {
    shape->Brush()->SetColor(clRed);
    app.ProcessMessages();
    for (int32_t y = 4; y <= 9; ++y)
        for (int32_t x = 9; x <= 16; ++x) {
            const bool inside = x >= 10 && x < 16 && y >= 5 && y < 9;
            const bool edge = inside && (x == 10 || x == 15 || y == 5 || y == 8);
            const TColor want = !inside ? ColorToRGB(clBtnFace) : edge ? clBlack : clRed;
            EXPECT_EQ(Pixel(x, y), want) << "at " << x << "," << y;
        }
}

TEST_F(ShapeTest, RepaintsOnlyWhenTheColourChanges) {
    shape->Brush()->SetColor(clBlue);
    app.ProcessMessages();
    const int before = Presents();

    shape->Brush()->SetColor(clBlue);
    app.ProcessMessages();
    EXPECT_EQ(Presents(), before);

    shape->Brush()->SetColor(clLime);
    app.ProcessMessages();
    EXPECT_EQ(Presents(), before + 1);
    EXPECT_EQ(Pixel(12, 6), clLime);
}

TEST(ShapeLayout, ALayoutNamesTheClassAndSetsTheBrushColour) {
    HeadlessBackend backend;
    TApplication app(backend);
    auto* form = new TForm(&app);
    ReadLayoutText(*form,
                   "object Form1: TForm\n"
                   "  object Shape1: TShape\n"
                   "    Left = 3\n"
                   "    Width = 7\n"
                   "    Brush.Color = clYellow\n"
                   "  end\n"
                   "end\n",
                   "test");
    auto* shape = dynamic_cast<TShape*>(form->FindComponent("Shape1"));
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->Parent(), form);
    EXPECT_EQ(shape->Left(), 3);
    EXPECT_EQ(shape->Width(), 7);
    EXPECT_EQ(shape->Brush()->Color(), clYellow);
}

TEST(Timer, TicksEveryIntervalOfTheManualClockWhileEnabled) {
    HeadlessBackend backend;
    TApplication app(backend);
    int ticks = 0;
    TObject* sender = nullptr;
    auto* timer = new TTimer(&app);
    EXPECT_TRUE(timer->Enabled());
    timer->SetInterval(10);
    timer->SetOnTimer([&](TObject* s) {
        ++ticks;
        sender = s;
    });
    EXPECT_EQ(backend.TimerCount(), 1u);

    backend.Advance(9);
    EXPECT_EQ(ticks, 0);
    backend.Advance(26);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(sender, timer);

    timer->SetEnabled(false);
    EXPECT_EQ(backend.TimerCount(), 0u);
    backend.Advance(50);
    EXPECT_EQ(ticks, 3);

    timer->SetEnabled(true);
    timer->SetInterval(1);
    backend.Advance(4);
    EXPECT_EQ(ticks, 7);

    delete timer;
    EXPECT_EQ(backend.TimerCount(), 0u);
    backend.Advance(5);
    EXPECT_EQ(ticks, 7);
}

TEST(Timer, WithoutAHandlerNoTimerIsTaken) {
    HeadlessBackend backend;
    TApplication app(backend);
    TTimer timer(nullptr);
    timer.SetInterval(5);
    EXPECT_EQ(backend.TimerCount(), 0u);
}

}  // namespace
