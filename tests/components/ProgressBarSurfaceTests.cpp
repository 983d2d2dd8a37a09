// The bar's one copy onto the control's canvas, and the dialogs' bar as their worked
// examples describe it, on its own and through a window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProgressBarTestSupport.h"
#include "forms/backends/headless/HeadlessBackend.h"
#include "forms/core/Application.h"

using namespace forms;
using pbtest::CheckAgainstModel;
using pbtest::Configure;
using pbtest::ModelCheck;
using pbtest::PaintBar;

namespace {

// ---- the copy to the control's surface ----

// Records what reaches the control's own canvas; only Draw is passed on.
class TRecordingCanvas : public TCanvas {
public:
    explicit TRecordingCanvas(TCanvas& target) : target_(target) {}
    std::vector<std::string> Calls;

    void FillRect(const TRect&) override { Calls.push_back("FillRect"); }
    void Rectangle(const TRect&) override { Calls.push_back("Rectangle"); }
    void MoveTo(int32_t, int32_t) override { Calls.push_back("MoveTo"); }
    void LineTo(int32_t, int32_t) override { Calls.push_back("LineTo"); }
    void TextRect(const TRect&, int32_t, int32_t, std::string_view) override { Calls.push_back("TextRect"); }
    TSize TextExtent(std::string_view text) override {
        Calls.push_back("TextExtent");
        return target_.TextExtent(text);
    }
    void Draw(int32_t x, int32_t y, const TBitmap& source) override {
        Calls.push_back("Draw " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(source.Width()) +
                        "x" + std::to_string(source.Height()));
        target_.Draw(x, y, source);
    }
    void SetPixel(int32_t, int32_t, TColor) override { Calls.push_back("SetPixel"); }
    TColor GetPixel(int32_t, int32_t) const override { return clNone; }
    void PushClip(int32_t, int32_t, const TRect&) override { Calls.push_back("PushClip"); }
    void PopClip() override { Calls.push_back("PopClip"); }

private:
    TCanvas& target_;
};

TEST(ProgressBarPaint, ComposedOffScreenAndCopiedOnce) {
    TOrloExtProgressBar bar(nullptr);
    Configure(bar, 120, 22, 40);
    bar.SetBorderStyle(gbDeepSunken);
    bar.SetInnerBorderSize(2);
    bar.SetFillStyle(gsNone);
    bar.SetFillStyle(gsSmooth);
    const auto screen = CreateBitmap(120, 22);
    TRecordingCanvas recorder(screen->Canvas());
    bar.PaintTo(recorder);
    EXPECT_EQ(recorder.Calls, std::vector<std::string>{"Draw 0,0 120x22"});
    const std::string caption = OrloExtProgressBar::ExpandPlaceholder(bar.Text(), bar.PercentAt());
    const TSize ext = pbtest::MeasureText(bar.Font()->Spec(), caption);
    const TRect cell = Bounds((120 - ext.cx) / 2, (22 - ext.cy) / 2, ext.cx, ext.cy);
    const ModelCheck check = CheckAgainstModel(bar, *screen, cell);
    EXPECT_EQ(check.failures, "");
    EXPECT_GT(check.glyphsRight, 0);
}

TEST(ProgressBarPaint, EmptyControlCopiesNothing) {
    for (const TSize& size : {TSize{0, 20}, TSize{20, 0}, TSize{0, 0}}) {
        SCOPED_TRACE(std::to_string(size.cx) + "x" + std::to_string(size.cy));
        TOrloExtProgressBar bar(nullptr);
        Configure(bar, size.cx, size.cy, 50);
        bar.SetInnerBorderSize(5);
        const auto screen = CreateBitmap(8, 8);
        screen->Canvas().BrushColor = pbtest::kSentinel;
        screen->Canvas().FillRect({0, 0, 8, 8});
        TRecordingCanvas recorder(screen->Canvas());
        bar.PaintTo(recorder);
        EXPECT_TRUE(recorder.Calls.empty());
        for (int32_t y = 0; y < 8; ++y)
            for (int32_t x = 0; x < 8; ++x) ASSERT_EQ(screen->Pixel(x, y), pbtest::kSentinel);
        EXPECT_EQ(bar.PixelWidth(), size.cx / 2);
    }
}

// ---- the dialogs' bar ----

void ConfigureAsDialogs(TOrloExtProgressBar& bar) {
    bar.SetBounds(0, 0, 417, 25);
    bar.SetBarForeColor(clRed);
    bar.SetBarBackColor(clBlack);
    bar.SetTextForeColor(clWhite);
    bar.SetTextBackColor(clWhite);
    bar.SetBorderStyle(gbRaised);
    bar.SetText("$p%");
    bar.SetSingleBorderColor(clWindowFrame);
    bar.SetInnerBorderSize(2);
    bar.SetTextAlign(TAlignment::taCenter);
}

// Every pixel of the dialogs' bar at 37 %, as the worked example lists them.
void ExpectWorkedExample37(const TBitmap& image, const TFontSpec& font) {
    const TColor highlight = ColorToRGB(clBtnHighlight), shadow = ColorToRGB(clBtnShadow);
    const TSize ext = pbtest::MeasureText(font, "37%");
    const TRect cell = Bounds((417 - ext.cx) / 2, (25 - ext.cy) / 2, ext.cx, ext.cy);
    ASSERT_GE(cell.Left, 154) << "the text lies wholly beyond the bar";
    int white = 0;
    for (int32_t y = 0; y < 25; ++y)
        for (int32_t x = 0; x < 417; ++x) {
            const TColor got = image.Pixel(x, y);
            TColor want;
            if (y == 0 || x == 0) want = highlight;
            else if (x == 416 || y == 24) want = shadow;
            else if (x <= 2 || y <= 2 || x >= 414 || y >= 22) want = clBlack;  // the two rings
            else if (x <= 153) want = clRed;
            else want = clBlack;
            if (got == clWhite && want == clBlack && cell.Contains(x, y)) {
                ++white;
                continue;
            }
            ASSERT_EQ(got, want) << "at " << x << "," << y;
        }
    EXPECT_GT(white, 0) << "the caption shows";
}

TEST(ProgressBarDialogs, WorkedExampleAt37) {
    TOrloExtProgressBar bar(nullptr);
    ConfigureAsDialogs(bar);
    bar.SetProgress(37);
    const auto image = PaintBar(bar);
    EXPECT_EQ(bar.PercentAt(), 37.0f);
    EXPECT_EQ(bar.PixelWidth(), 154);
    EXPECT_EQ(bar.BarRect(), Rect(0, 0, 154, 25));
    EXPECT_EQ(bar.RestRect(), Rect(154, 0, 417, 25));
    ExpectWorkedExample37(*image, bar.Font()->Spec());
}

TEST(ProgressBarDialogs, WorkedExampleAt50SplitsTheCaption) {
    TOrloExtProgressBar bar(nullptr);
    ConfigureAsDialogs(bar);
    bar.SetTextBackColor(clYellow);  // the dialogs' white on white would hide the split
    bar.SetProgress(50);
    const auto image = PaintBar(bar);
    ASSERT_EQ(bar.PixelWidth(), 208);
    const TSize ext = pbtest::MeasureText(bar.Font()->Spec(), "50%");
    const TRect cell = Bounds((417 - ext.cx) / 2, (25 - ext.cy) / 2, ext.cx, ext.cy);
    ASSERT_LT(cell.Left, 208);
    ASSERT_GT(cell.Right, 208);
    const ModelCheck check = CheckAgainstModel(bar, *image, cell);
    EXPECT_EQ(check.failures, "");
    EXPECT_GT(check.glyphsLeft, 0) << "yellow before column 208";
    EXPECT_GT(check.glyphsRight, 0) << "white from column 208 on";
}

// The same bar in a window: what the form presents is what the bar composes.
TEST(ProgressBarDialogs, WorkedExampleThroughAWindow) {
    HeadlessBackend backend;
    TApplication app(backend);
    auto* form = new pbtest::TBarForm(&app);
    form->SetBounds(0, 0, 417, 25);
    form->PBar = new TOrloExtProgressBar(form);
    form->PBar->SetParent(form);
    ConfigureAsDialogs(*form->PBar);
    form->PBar->SetProgress(37);
    form->Show();
    app.ProcessMessages();
    const TBitmap& window = *backend.Find(form->Handle())->Image;
    ExpectWorkedExample37(window, form->PBar->Font()->Spec());

    form->PBar->SetProgress(50);  // repaints at once, without a message
    const auto direct = PaintBar(*form->PBar);
    for (int32_t y = 0; y < 25; ++y)
        for (int32_t x = 0; x < 417; ++x) ASSERT_EQ(window.Pixel(x, y), direct->Pixel(x, y)) << x << "," << y;
}

}  // namespace
