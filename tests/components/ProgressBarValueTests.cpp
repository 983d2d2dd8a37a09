#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "ProgressBarTestSupport.h"
#include "forms/backends/headless/HeadlessBackend.h"
#include "forms/core/Application.h"

using namespace forms;
using pbtest::TBarForm;
using pbtest::TCountingBar;

namespace {

TEST(ProgressBarValues, NewControlStartsWithItsInitialState) {
    TOrloExtProgressBar bar(nullptr);
    EXPECT_EQ(bar.MinValue(), 0);
    EXPECT_EQ(bar.MaxValue(), 100);
    EXPECT_EQ(bar.Progress(), 0);
    EXPECT_EQ(bar.Step(), 0);
    EXPECT_EQ(bar.Width(), 150);
    EXPECT_EQ(bar.Height(), 20);
    EXPECT_TRUE(bar.ShowText());
    EXPECT_EQ(bar.Text(), "$p%");
    EXPECT_EQ(bar.PercentAt(), 0.0f);
    EXPECT_EQ(bar.PixelWidth(), 0);
    EXPECT_EQ(bar.Border(), gbSunken);
    EXPECT_EQ(bar.FillStyle(), gsSmooth);
    EXPECT_EQ(bar.BarForeColor(), clHighlight);
    EXPECT_EQ(bar.BarBackColor(), clBtnFace);
    EXPECT_EQ(bar.TextForeColor(), clHighlight);
    EXPECT_EQ(bar.TextBackColor(), clBtnFace);
    EXPECT_EQ(bar.SingleBorderColor(), clWindowFrame);
    EXPECT_EQ(bar.InnerBorderSize(), 0);
    EXPECT_EQ(bar.AlignText(), TAlignment::taCenter);
    EXPECT_EQ(bar.BarRect(), TRect{});
    EXPECT_EQ(bar.RestRect(), TRect{});
    EXPECT_EQ(bar.ControlStyle & (csFramed | csOpaque), static_cast<TControlStyle>(csFramed | csOpaque));
}

struct ArithmeticCase {
    const char* label;
    int64_t min, max, progress;
    int32_t width;
    float percent;
    int64_t pixels;
};

// PercentAt is compared exactly: every expected value is the single-precision number
// the rules give.
TEST(ProgressBarValues, PercentageAndFilledWidth) {
    const int64_t big = 16777217;  // 2^24 + 1: no longer exact in single precision
    const ArithmeticCase cases[] = {
        {"37 of 100 on the dialog's 417", 0, 100, 37, 417, 37.0f, 154},
        {"50 of 100 on the dialog's 417", 0, 100, 50, 417, 50.0f, 208},
        {"full on the dialog's 417", 0, 100, 100, 417, 100.0f, 417},
        {"37 of 100 on the print dialog's 401", 0, 100, 37, 401, 37.0f, 148},
        {"a third: 33.333332 truncates to 49, not 50", 0, 3, 1, 150, 33.333332f, 49},
        {"two thirds", 0, 3, 2, 150, 66.666664f, 99},
        {"999 of 1000", 0, 1000, 999, 150, 99.9f, 149},
        {"99.99 stays below 100", 0, 10000, 9999, 150, 99.99f, 149},
        // A quotient formed in single precision would round to 26.181816.
        {"216 of 825", 0, 825, 216, 666, 26.181818f, 174},
        // Within a hair of a tie between two floats: formed in double precision, the
        // quotient and product would round up to 50.0418968.
        {"extended precision decides a near-tie", 0, 10485760, 5247273, 417, 50.041893f, 208},
        {"empty range is full", 5, 5, 5, 150, 100.0f, 150},
        {"range beyond 2^24 loses its low digits", 0, big, big - 1, 150, 100.0f, 150},
        {"negative bounds", -300, -100, -250, 200, 25.0f, 50},
        {"offset bounds", 1000, 1100, 1037, 417, 37.0f, 154},
        {"zero width", 0, 100, 37, 0, 37.0f, 0},
        {"at the lower bound", 0, 100, 0, 417, 0.0f, 0},
        // The range wraps to -1 and the progress to INT64_MIN: 2^65 * 25 percent, and a
        // width beyond 64 bits, which truncates to the processor's INT64_MIN.
        {"a range beyond int64 wraps", std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max(), 0, 150,
         922337203685477580800.0f, std::numeric_limits<int64_t>::min()},
    };
    for (const ArithmeticCase& c : cases) {
        SCOPED_TRACE(c.label);
        TOrloExtProgressBar bar(nullptr);
        bar.SetMinValue(std::numeric_limits<int64_t>::min());
        bar.SetMaxValue(c.max);
        bar.SetMinValue(c.min);
        bar.SetProgress(c.progress);
        bar.SetWidth(c.width);
        ASSERT_EQ(bar.MinValue(), c.min);
        ASSERT_EQ(bar.MaxValue(), c.max);
        ASSERT_EQ(bar.Progress(), c.progress);
        bar.CalculatePercentDone();
        bar.CalculatePixelWidth();
        EXPECT_EQ(bar.PercentAt(), c.percent);
        EXPECT_EQ(bar.PixelWidth(), c.pixels);
        EXPECT_EQ(OrloExtProgressBar::PercentDone(c.min, c.max, c.progress), c.percent) << "as a pure function";
        EXPECT_EQ(OrloExtProgressBar::PixelWidth(c.width, c.percent), c.pixels) << "as a pure function";
    }
}

TEST(ProgressBarValues, RingCountStopsWhereTheRingsMeet) {
    struct Case {
        const char* label;
        int32_t w, h, ringStart;
        int64_t inner, rings;
    };
    const Case cases[] = {
        {"as asked", 417, 25, 1, 2, 2},
        {"none asked", 417, 25, 1, 0, 0},
        {"negative asks for none", 417, 25, 1, -5, 0},
        {"a huge count stops at the middle of the lower side", 417, 25, 1, 1000000000000, 12},
        {"an odd side keeps its middle row", 40, 13, 2, 1000000000000, 5},
        {"the edge alone covers a 2 x 2 bar", 2, 2, 2, 3, 0},
        {"a negative size has no ring", -10, 20, 1, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(OrloExtProgressBar::RingCount(c.w, c.h, c.ringStart, c.inner), c.rings);
    }
}

TEST(ProgressBarValues, DerivedValuesChangeOnlyWhenPainted) {
    TOrloExtProgressBar bar(nullptr);
    bar.SetProgress(50);
    EXPECT_EQ(bar.PercentAt(), 0.0f) << "never painted";
    pbtest::PaintBar(bar);
    EXPECT_EQ(bar.PercentAt(), 50.0f);
    EXPECT_EQ(bar.PixelWidth(), 75);
    bar.SetProgress(20);
    bar.SetWidth(300);
    EXPECT_EQ(bar.PercentAt(), 50.0f) << "describes the last paint";
    EXPECT_EQ(bar.PixelWidth(), 75);
    pbtest::PaintBar(bar);
    EXPECT_EQ(bar.PercentAt(), 20.0f);
    EXPECT_EQ(bar.PixelWidth(), 60);
}

struct ClampCase {
    const char* label;
    std::function<void(TOrloExtProgressBar&)> act;
    int64_t min, max, progress;
};

TEST(ProgressBarValues, BoundsAndProgressAreClamped) {
    const int64_t top = std::numeric_limits<int64_t>::max();
    const ClampCase cases[] = {
        {"lower bound above the upper one becomes the upper one",
         [](TOrloExtProgressBar& b) {
             b.SetProgress(40);
             b.SetMinValue(150);
         },
         100, 100, 100},
        {"upper bound below the lower one becomes the lower one",
         [](TOrloExtProgressBar& b) {
             b.SetProgress(40);
             b.SetMaxValue(-5);
         },
         0, 0, 0},
        {"and a later upper bound is taken as given",
         [](TOrloExtProgressBar& b) {
             b.SetProgress(40);
             b.SetMaxValue(-5);
             b.SetMaxValue(80);
         },
         0, 80, 0},
        {"lowering the upper bound pulls the progress down",
         [](TOrloExtProgressBar& b) {
             b.SetProgress(80);
             b.SetMaxValue(50);
         },
         0, 50, 50},
        {"raising the lower bound pulls the progress up",
         [](TOrloExtProgressBar& b) {
             b.SetProgress(10);
             b.SetMinValue(30);
         },
         30, 100, 30},
        {"raising both bounds needs the upper one first",
         [](TOrloExtProgressBar& b) {
             b.SetMaxValue(1000);
             b.SetMinValue(200);
         },
         200, 1000, 200},
        {"progress above the range", [](TOrloExtProgressBar& b) { b.SetProgress(1000); }, 0, 100, 100},
        {"progress below the range", [](TOrloExtProgressBar& b) { b.SetProgress(-1); }, 0, 100, 0},
        {"progress at the extremes of int64",
         [](TOrloExtProgressBar& b) { b.SetProgress(std::numeric_limits<int64_t>::min()); }, 0, 100, 0},
        {"StepIt stops at the upper bound",
         [](TOrloExtProgressBar& b) {
             b.SetProgress(95);
             b.SetStepValue(10);
             b.StepIt();
         },
         0, 100, 100},
        {"and stays there",
         [](TOrloExtProgressBar& b) {
             b.SetProgress(95);
             b.SetStepValue(10);
             b.StepIt();
             b.StepIt();
         },
         0, 100, 100},
        {"a negative step goes down and stops at the lower bound",
         [](TOrloExtProgressBar& b) {
             b.SetProgress(20);
             b.SetStepValue(-30);
             b.StepIt();
         },
         0, 100, 0},
        {"StepIt adds Step",
         [](TOrloExtProgressBar& b) {
             b.SetStepValue(7);
             b.StepIt();
             b.StepIt();
         },
         0, 100, 14},
        {"StepBy adds its amount",
         [](TOrloExtProgressBar& b) {
             b.SetProgress(50);
             b.StepBy(-8);
         },
         0, 100, 42},
        {"StepBy(0) leaves the progress",
         [](TOrloExtProgressBar& b) {
             b.SetProgress(50);
             b.StepBy(0);
         },
         0, 100, 50},
        // The sum wraps to a large negative number, which is below the lower bound.
        {"a sum beyond int64 wraps before it is clamped",
         [top](TOrloExtProgressBar& b) {
             b.SetMaxValue(top);
             b.SetProgress(top - 1);
             b.StepBy(10);
         },
         0, top, 0},
    };
    for (const ClampCase& c : cases) {
        SCOPED_TRACE(c.label);
        TOrloExtProgressBar bar(nullptr);
        c.act(bar);
        EXPECT_EQ(bar.MinValue(), c.min);
        EXPECT_EQ(bar.MaxValue(), c.max);
        EXPECT_EQ(bar.Progress(), c.progress);
    }
}

TEST(ProgressBarValues, FillStyleDecidesWhetherTheCaptionShows) {
    TOrloExtProgressBar bar(nullptr);
    bar.SetFillStyle(gsDashed);
    EXPECT_FALSE(bar.ShowText()) << "dashed hides the caption";
    bar.SetFillStyle(gsSmooth);
    EXPECT_TRUE(bar.ShowText()) << "smooth shows it again";
    bar.SetShowText(false);
    bar.SetFillStyle(gsNone);
    EXPECT_TRUE(bar.ShowText()) << "a new fill style overrides an earlier SetShowText";
    bar.SetShowText(false);
    bar.SetFillStyle(gsNone);
    EXPECT_FALSE(bar.ShowText()) << "the current fill style changes nothing";
    bar.SetFillStyle(gsDashed);
    bar.SetShowText(true);
    EXPECT_TRUE(bar.ShowText()) << "a later SetShowText overrides the fill style";
}

// A shown form with a window: the only state in which a repaint draws at once.
class ShownBar : public ::testing::Test {
protected:
    void SetUp() override {
        form = new TBarForm(&app);
        form->SetBounds(0, 0, 200, 40);
        bar = new TCountingBar(form);
        bar->SetParent(form);
        bar->SetBounds(10, 10, 150, 20);
        form->Show();
        app.ProcessMessages();
        bar->Paints = 0;
    }
    HeadlessBackend backend;
    TApplication app{backend};
    TBarForm* form = nullptr;
    TCountingBar* bar = nullptr;
};

struct RepaintCase {
    const char* label;
    std::function<void(TOrloExtProgressBar&)> act;
    int paints;
};

// Counted without processing messages: a paint counted here happened inside the call.
TEST_F(ShownBar, WhichOperationsRepaintAtOnce) {
    const RepaintCase cases[] = {
        {"SetShowText, same", [](TOrloExtProgressBar& b) { b.SetShowText(true); }, 0},
        {"SetShowText, changed", [](TOrloExtProgressBar& b) { b.SetShowText(false); }, 1},
        {"SetBarForeColor, same", [](TOrloExtProgressBar& b) { b.SetBarForeColor(clHighlight); }, 0},
        {"SetBarForeColor, changed", [](TOrloExtProgressBar& b) { b.SetBarForeColor(clRed); }, 1},
        {"SetBarBackColor, same", [](TOrloExtProgressBar& b) { b.SetBarBackColor(clBtnFace); }, 0},
        // Same RGB as clBtnFace in the classic scheme, but another value: changed.
        {"SetBarBackColor, other value", [](TOrloExtProgressBar& b) { b.SetBarBackColor(ColorToRGB(clBtnFace)); }, 1},
        {"SetTextForeColor, same", [](TOrloExtProgressBar& b) { b.SetTextForeColor(clHighlight); }, 0},
        {"SetTextForeColor, changed", [](TOrloExtProgressBar& b) { b.SetTextForeColor(clWhite); }, 1},
        {"SetTextBackColor, same", [](TOrloExtProgressBar& b) { b.SetTextBackColor(clBtnFace); }, 0},
        {"SetTextBackColor, changed", [](TOrloExtProgressBar& b) { b.SetTextBackColor(clWhite); }, 1},
        {"SetBorderStyle, same", [](TOrloExtProgressBar& b) { b.SetBorderStyle(gbSunken); }, 0},
        {"SetBorderStyle, changed", [](TOrloExtProgressBar& b) { b.SetBorderStyle(gbRaised); }, 1},
        {"SetFillStyle, same", [](TOrloExtProgressBar& b) { b.SetFillStyle(gsSmooth); }, 0},
        {"SetFillStyle, changed", [](TOrloExtProgressBar& b) { b.SetFillStyle(gsDashed); }, 1},
        {"SetMinValue, same", [](TOrloExtProgressBar& b) { b.SetMinValue(0); }, 0},
        {"SetMinValue, changed", [](TOrloExtProgressBar& b) { b.SetMinValue(10); }, 1},
        // The argument differs, so it repaints although the clamped bound stays 100.
        {"SetMinValue, clamped to an unchanged bound",
         [](TOrloExtProgressBar& b) {
             b.SetMinValue(100);
             b.SetMinValue(150);
         },
         2},
        {"SetMaxValue, same", [](TOrloExtProgressBar& b) { b.SetMaxValue(100); }, 0},
        {"SetMaxValue, changed", [](TOrloExtProgressBar& b) { b.SetMaxValue(90); }, 1},
        {"SetProgress, same", [](TOrloExtProgressBar& b) { b.SetProgress(0); }, 1},
        {"SetProgress, changed", [](TOrloExtProgressBar& b) { b.SetProgress(30); }, 1},
        {"SetStepValue", [](TOrloExtProgressBar& b) { b.SetStepValue(5); }, 0},
        {"StepIt with Step 0", [](TOrloExtProgressBar& b) { b.StepIt(); }, 1},
        {"StepIt at the upper bound",
         [](TOrloExtProgressBar& b) {
             b.SetStepValue(5);
             b.SetProgress(100);
             b.StepIt();
         },
         2},
        {"StepBy(0)", [](TOrloExtProgressBar& b) { b.StepBy(0); }, 1},
        {"SetText, same", [](TOrloExtProgressBar& b) { b.SetText("$p%"); }, 1},
        {"SetSingleBorderColor, same", [](TOrloExtProgressBar& b) { b.SetSingleBorderColor(clWindowFrame); }, 1},
        {"SetInnerBorderSize, same", [](TOrloExtProgressBar& b) { b.SetInnerBorderSize(0); }, 1},
        {"SetTextAlign, same", [](TOrloExtProgressBar& b) { b.SetTextAlign(TAlignment::taCenter); }, 1},
        {"CalculatePercentDone and CalculatePixelWidth",
         [](TOrloExtProgressBar& b) {
             b.CalculatePercentDone();
             b.CalculatePixelWidth();
         },
         0},
    };
    for (const RepaintCase& c : cases) {
        SCOPED_TRACE(c.label);
        auto* fresh = new TCountingBar(form);
        fresh->SetParent(form);
        fresh->SetBounds(10, 10, 150, 20);
        fresh->Paints = 0;
        c.act(*fresh);
        EXPECT_EQ(fresh->Paints, c.paints);
        delete fresh;
    }
}

TEST_F(ShownBar, ARepaintReachesTheWindowBeforeTheCallReturns) {
    bar->SetBorderStyle(gbNone);
    bar->SetShowText(false);
    bar->SetBarForeColor(clRed);
    bar->SetBarBackColor(clBlue);
    const HeadlessBackend::Window* window = backend.Find(form->Handle());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Image->Pixel(10 + 100, 20), clBlue);
    bar->SetProgress(100);
    EXPECT_EQ(window->Image->Pixel(10 + 100, 20), clRed);
    EXPECT_EQ(window->Image->Pixel(10 + 149, 29), clRed);
    EXPECT_EQ(window->Image->Pixel(10 + 150, 20), ColorToRGB(clBtnFace)) << "drawn only within the bar";
}

TEST_F(ShownBar, HiddenBarIsNotPaintedAndKeepsItsLastValues) {
    bar->SetProgress(40);
    ASSERT_EQ(bar->PercentAt(), 40.0f);
    bar->SetVisible(false);
    bar->Paints = 0;
    bar->SetProgress(70);
    bar->StepBy(5);
    bar->SetText("x");
    EXPECT_EQ(bar->Paints, 0);
    EXPECT_EQ(bar->Progress(), 75);
    EXPECT_EQ(bar->PercentAt(), 40.0f);
}

TEST(ProgressBarValues, NothingIsPaintedBeforeTheFormHasAWindow) {
    HeadlessBackend backend;
    TApplication app(backend);
    auto* form = new TBarForm(&app);
    form->SetBounds(0, 0, 200, 40);
    auto* bar = new TCountingBar(form);
    bar->SetParent(form);
    bar->SetProgress(60);
    bar->SetText("x");
    bar->StepIt();
    EXPECT_EQ(bar->Paints, 0);
    EXPECT_EQ(bar->PercentAt(), 0.0f);
    form->Show();
    app.ProcessMessages();
    EXPECT_GE(bar->Paints, 1) << "the window's first paint draws it";
    EXPECT_EQ(bar->PercentAt(), 60.0f);
}

}  // namespace
