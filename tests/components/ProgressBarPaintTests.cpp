#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "ProgressBarTestSupport.h"

using namespace forms;
using pbtest::CheckAgainstModel;
using pbtest::Configure;
using pbtest::kBarBack;
using pbtest::kBarFore;
using pbtest::kTextFore;
using pbtest::ModelCheck;
using pbtest::PaintBar;

// Glyphs are checked by where they may lie and what colour they take, never by shape:
// the font engine decides the shapes. Where a test needs to know which text was drawn,
// it compares with the same canvas drawing the expected text itself.
namespace {

// One row of a painted bar as letters: F bar colour, B background colour, ? other.
std::string RowPattern(const TBitmap& image, int32_t y) {
    std::string s;
    for (int32_t x = 0; x < image.Width(); ++x) {
        const TColor c = image.Pixel(x, y);
        s += c == kBarFore ? 'F' : c == kBarBack ? 'B' : '?';
    }
    return s;
}

// ---- pure geometry ----

TEST(ProgressBarCaption, OriginFollowsAlignmentAndMargins) {
    struct Case {
        const char* label;
        int32_t w, h, tw, th;
        TAlignment align;
        int32_t inner;
        TPoint origin;
    };
    const Case cases[] = {
        {"centred, the dialogs' bar", 417, 25, 21, 13, TAlignment::taCenter, 2, {198, 6}},
        {"centred ignores the inner border", 417, 25, 21, 13, TAlignment::taCenter, 40, {198, 6}},
        {"centred, wider than the control: truncated toward zero", 50, 20, 81, 13, TAlignment::taCenter, 0, {-15, 3}},
        {"taller than the control: -3 / 2 is -1", 100, 10, 20, 13, TAlignment::taCenter, 0, {40, -1}},
        {"left, no inner border", 100, 20, 20, 13, TAlignment::taLeftJustify, 0, {2, 3}},
        {"left margin includes the inner border", 100, 20, 20, 13, TAlignment::taLeftJustify, 3, {5, 3}},
        {"left with a negative inner border", 100, 20, 20, 13, TAlignment::taLeftJustify, -4, {-2, 3}},
        {"right ends the cell at W - 3", 100, 20, 20, 13, TAlignment::taRightJustify, 0, {77, 3}},
        {"right margin is one more than the left", 100, 20, 20, 13, TAlignment::taRightJustify, 3, {74, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(OrloExtProgressBar::CaptionOrigin(c.w, c.h, c.tw, c.th, c.align, c.inner), c.origin);
    }
}

TEST(ProgressBarCaption, PlaceholderExpansion) {
    struct Case {
        const char* text;
        float percent;
        const char* caption;
    };
    const Case cases[] = {
        {"$p%", 37.5f, "37%"}, {"$p", 37.9f, "37"},     {"$p and $p", 37.9f, "37 and 37"},
        {"$p$p", 5.0f, "55"},  {"$P%", 50.0f, "$P%"},   {"no placeholder", 50.0f, "no placeholder"},
        {"", 50.0f, ""},       {"$$pp", 37.0f, "$37p"}, {"$", 37.0f, "$"},
        {"p$", 37.0f, "p$"},   {"$p", 99.99f, "99"},    {"$p", 100.0f, "100"},
        {"$p", 0.0f, "0"},     {"$p", 0.5f, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(OrloExtProgressBar::ExpandPlaceholder(c.text, c.percent), c.caption);
    }
}

// ---- the bar ----

TEST(ProgressBarPaint, FillStyles) {
    struct Case {
        const char* label;
        TGaugeStyles fill;
        int32_t w;
        int64_t percent;
        int64_t pixelWidth;
    };
    const Case cases[] = {
        {"smooth", gsSmooth, 417, 37, 154},        {"smooth, empty", gsSmooth, 417, 0, 0},
        {"smooth, full", gsSmooth, 417, 100, 417}, {"none", gsNone, 417, 50, 208},
        {"none, full", gsNone, 100, 100, 100},     {"dashed", gsDashed, 417, 37, 154},
        {"dashed, full", gsDashed, 100, 100, 100}, {"dashed, empty", gsDashed, 100, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TOrloExtProgressBar bar(nullptr);
        Configure(bar, c.w, 9, c.percent);
        bar.SetBorderStyle(gbNone);
        bar.SetFillStyle(c.fill);
        bar.SetShowText(false);
        const auto image = PaintBar(bar);
        EXPECT_EQ(bar.PixelWidth(), c.pixelWidth);
        EXPECT_EQ(bar.BarRect(), Rect(0, 0, static_cast<int32_t>(c.pixelWidth), 9));
        EXPECT_EQ(bar.RestRect(), Rect(static_cast<int32_t>(c.pixelWidth), 0, c.w, 9));
        EXPECT_EQ(CheckAgainstModel(bar, *image, {}).failures, "");
    }
}

TEST(ProgressBarPaint, DashedGapsEndAtTheBarsEnd) {
    struct Case {
        int64_t pixelWidth;
        const char* row;  // 30 columns
    };
    const Case cases[] = {
        {25, "FFFFFFFFFFBBFFFFFFFFBBFFFBBBBB"},  // dashes 0-9, 12-19, 22-24
        {22, "FFFFFFFFFFBBFFFFFFFFBBBBBBBBBB"},  // ends in a two-pixel gap
        {21, "FFFFFFFFFFBBFFFFFFFFBBBBBBBBBB"},  // ends in a one-pixel gap
        {11, "FFFFFFFFFFBBBBBBBBBBBBBBBBBBBB"},  // the only gap is column 10
        {10, "FFFFFFFFFFBBBBBBBBBBBBBBBBBBBB"},  // no gap
        {30, "FFFFFFFFFFBBFFFFFFFFBBFFFFFFFF"},  // no gap at the end column 30
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pixelWidth);
        TOrloExtProgressBar bar(nullptr);
        Configure(bar, 100, 4, c.pixelWidth);
        bar.SetBorderStyle(gbNone);
        bar.SetFillStyle(gsDashed);
        const auto image = PaintBar(bar);
        ASSERT_EQ(bar.PixelWidth(), c.pixelWidth);
        for (int32_t y = 0; y < 4; ++y) EXPECT_EQ(RowPattern(*image, y).substr(0, 30), c.row) << "row " << y;
    }
}

TEST(ProgressBarPaint, BorderStylesWithAndWithoutInnerRings) {
    const TGaugeBorders borders[] = {gbNone, gbSingle, gbSunken, gbDeepSunken, gbRaised, gbFatRaised};
    const TSize sizes[] = {{40, 12}, {7, 5}, {417, 25}};
    for (TGaugeBorders border : borders)
        for (int64_t inner : {0, 1, 2})
            for (const TSize& size : sizes) {
                SCOPED_TRACE("border " + std::to_string(border) + ", inner " + std::to_string(inner) + ", " +
                             std::to_string(size.cx) + "x" + std::to_string(size.cy));
                TOrloExtProgressBar bar(nullptr);
                Configure(bar, size.cx, size.cy, 100);  // the bar fills all: rings show against it
                bar.SetShowText(false);
                bar.SetBorderStyle(border);
                bar.SetSingleBorderColor(clFuchsia);
                bar.SetInnerBorderSize(inner);
                const auto image = PaintBar(bar);
                EXPECT_EQ(CheckAgainstModel(bar, *image, {}).failures, "");
            }
}

TEST(ProgressBarPaint, EdgeCornersTakeTheRightSide) {
    TOrloExtProgressBar bar(nullptr);
    Configure(bar, 20, 10, 100);
    bar.SetShowText(false);
    bar.SetBorderStyle(gbFatRaised);
    const auto image = PaintBar(bar);
    EXPECT_EQ(image->Pixel(19, 0), ColorToRGB(clBtnHighlight)) << "the top row runs to the last column";
    EXPECT_EQ(image->Pixel(0, 9), ColorToRGB(clBtnHighlight)) << "the left column runs to the last row";
    EXPECT_EQ(image->Pixel(19, 9), ColorToRGB(clBtnShadow));
    EXPECT_EQ(image->Pixel(18, 1), ColorToRGB(clBtnFace));
    EXPECT_EQ(image->Pixel(1, 8), ColorToRGB(clBtnFace));
    EXPECT_EQ(image->Pixel(18, 8), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(image->Pixel(18, 2), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(image->Pixel(2, 2), kBarFore);
}

TEST(ProgressBarPaint, InnerRings) {
    {
        SCOPED_TRACE("no border: no ring, whatever the size");
        TOrloExtProgressBar bar(nullptr);
        Configure(bar, 30, 10, 100);
        bar.SetShowText(false);
        bar.SetBorderStyle(gbNone);
        bar.SetInnerBorderSize(3);
        const auto image = PaintBar(bar);
        for (int32_t y = 0; y < 10; ++y) EXPECT_EQ(RowPattern(*image, y), std::string(30, 'F'));
    }
    {
        SCOPED_TRACE("a two-pixel edge: the first ring lies at inset 2");
        TOrloExtProgressBar bar(nullptr);
        Configure(bar, 30, 10, 100);
        bar.SetShowText(false);
        bar.SetBorderStyle(gbDeepSunken);
        bar.SetInnerBorderSize(1);
        const auto image = PaintBar(bar);
        EXPECT_EQ(RowPattern(*image, 5).substr(2), "B" + std::string(24, 'F') + "B??");
        EXPECT_EQ(RowPattern(*image, 2).substr(2, 26), std::string(26, 'B'));
        EXPECT_EQ(RowPattern(*image, 3).substr(2, 26), "B" + std::string(24, 'F') + "B");
    }
    for (int64_t inner : std::initializer_list<int64_t>{0, -1, -1000000000000}) {
        SCOPED_TRACE("no ring for inner border " + std::to_string(inner));
        TOrloExtProgressBar bar(nullptr);
        Configure(bar, 30, 10, 100);
        bar.SetShowText(false);
        bar.SetBorderStyle(gbSingle);
        bar.SetInnerBorderSize(inner);
        const auto image = PaintBar(bar);
        EXPECT_EQ(RowPattern(*image, 5), "?" + std::string(28, 'F') + "?");
    }
}

// A huge ring count paints at once: the rings stop where they cover everything inside
// the edge.
TEST(ProgressBarPaint, HugeInnerBorderFillsTheInsideOfTheEdge) {
    const TSize sizes[] = {{40, 12}, {41, 13}, {13, 41}, {417, 25}, {5, 5}, {4, 4}, {3, 3}, {2, 2}, {1, 1}};
    for (TGaugeBorders border : {gbSingle, gbRaised, gbFatRaised})
        for (const TSize& size : sizes) {
            SCOPED_TRACE("border " + std::to_string(border) + ", " + std::to_string(size.cx) + "x" +
                         std::to_string(size.cy));
            TOrloExtProgressBar bar(nullptr);
            Configure(bar, size.cx, size.cy, 100);
            bar.SetBorderStyle(border);
            bar.SetInnerBorderSize(1000000000000);
            const auto image = PaintBar(bar);
            const int32_t edge = border == gbFatRaised ? 2 : 1;
            for (int32_t y = edge; y < size.cy - edge; ++y)
                for (int32_t x = edge; x < size.cx - edge; ++x)
                    ASSERT_EQ(image->Pixel(x, y), kBarBack) << x << "," << y;
            // With the caption in the model: the rings cover the text too. Below twice
            // the edge's width the edge's own lines overlap (2 x 2 gbFatRaised: the
            // inner line from (1, 0) to (1, 1) lands on the outer ring), and the
            // ring picture no longer describes what the edge operations draw.
            if (std::min(size.cx, size.cy) >= 2 * edge) {
                EXPECT_EQ(CheckAgainstModel(bar, *image, {0, 0, size.cx, size.cy}).failures, "");
            }
        }
}

// ---- the caption's colours ----

TEST(ProgressBarPaint, CaptionColourChangesAtTheBarsEnd) {
    struct Case {
        const char* label;
        TGaugeStyles fill;
        int64_t percent;
        bool glyphsLeft, glyphsRight;
    };
    const Case cases[] = {
        {"smooth, empty: all TextForeColor", gsSmooth, 0, false, true},
        {"smooth, half: split", gsSmooth, 50, true, true},
        {"smooth, full: all TextBackColor", gsSmooth, 100, true, false},
        {"dashed, half: split", gsDashed, 50, true, true},
        {"dashed, full", gsDashed, 100, true, false},
        {"none, half: all TextForeColor", gsNone, 50, true, true},
        {"none, full", gsNone, 100, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TOrloExtProgressBar bar(nullptr);
        Configure(bar, 200, 25, c.percent);
        bar.SetBorderStyle(gbRaised);
        bar.SetInnerBorderSize(1);
        bar.SetFillStyle(c.fill);
        bar.SetShowText(true);
        bar.SetText("$p$p$p$p$p%");  // wide enough to straddle the middle
        const auto image = PaintBar(bar);
        const std::string caption = OrloExtProgressBar::ExpandPlaceholder(bar.Text(), bar.PercentAt());
        const TSize ext = pbtest::MeasureText(bar.Font()->Spec(), caption);
        const TRect cell = Bounds((200 - ext.cx) / 2, (25 - ext.cy) / 2, ext.cx, ext.cy);
        ASSERT_LT(cell.Left, 100);
        ASSERT_GT(cell.Right, 100);
        const ModelCheck check = CheckAgainstModel(bar, *image, cell);
        EXPECT_EQ(check.failures, "");
        EXPECT_EQ(check.glyphsLeft > 0, c.glyphsLeft);
        EXPECT_EQ(check.glyphsRight > 0, c.glyphsRight);
    }
}

TEST(ProgressBarPaint, HiddenCaptionDrawsNoGlyph) {
    for (TGaugeStyles fill : {gsNone, gsSmooth, gsDashed}) {
        SCOPED_TRACE(fill);
        TOrloExtProgressBar bar(nullptr);
        Configure(bar, 200, 25, 50);
        bar.SetFillStyle(fill);
        bar.SetShowText(false);
        bar.SetText("$p% WWWWWWWW");
        const auto image = PaintBar(bar);
        EXPECT_EQ(CheckAgainstModel(bar, *image, {}).failures, "");
    }
}

// ---- which text, and where ----

struct CaptionCase {
    const char* label;
    int32_t w, h;
    const char* text;
    int64_t min, max, progress;
    TAlignment align;
    int64_t inner;
    const char* caption;     // the text the canvas must show
    int32_t fontHeight = 0;  // 0: the control's default font
};

// Where the rules put the cell of `caption`, measured in the bar's font.
TPoint ExpectedOrigin(const CaptionCase& c, const TFontSpec& font) {
    const TSize ext = pbtest::MeasureText(font, c.caption);
    const int32_t b = static_cast<int32_t>(c.inner);
    int32_t x = (c.w - ext.cx) / 2;
    if (c.align == TAlignment::taLeftJustify) x = b + 2;
    if (c.align == TAlignment::taRightJustify) x = c.w - ext.cx - (b + 3);
    return {x, (c.h - ext.cy) / 2};
}

TEST(ProgressBarPaint, CaptionTextAndPlacement) {
    const TSize cell = pbtest::MeasureText(TFontSpec{}, "$p%");
    const int32_t tall = cell.cy - 3;  // a control 3 pixels lower than the text
    const CaptionCase cases[] = {
        {"default template", 200, 25, "$p%", 0, 1000, 375, TAlignment::taCenter, 0, "37%"},
        {"two placeholders", 200, 25, "$p and $p", 0, 1000, 379, TAlignment::taCenter, 0, "37 and 37"},
        {"upper-case P is no placeholder", 200, 25, "$P%", 0, 100, 50, TAlignment::taCenter, 0, "$P%"},
        {"no placeholder", 200, 25, "plain", 0, 100, 50, TAlignment::taCenter, 0, "plain"},
        {"99.99 shows 99", 200, 25, "$p", 0, 10000, 9999, TAlignment::taCenter, 0, "99"},
        {"empty range shows 100", 200, 25, "$p%", 7, 7, 7, TAlignment::taCenter, 0, "100%"},
        {"left, no inner border", 200, 25, "$p%", 0, 100, 37, TAlignment::taLeftJustify, 0, "37%"},
        {"right, no inner border", 200, 25, "$p%", 0, 100, 37, TAlignment::taRightJustify, 0, "37%"},
        {"left keeps the inner border's margin without rings", 200, 25, "$p%", 0, 100, 37, TAlignment::taLeftJustify, 3,
         "37%"},
        {"right keeps it too", 200, 25, "$p%", 0, 100, 37, TAlignment::taRightJustify, 3, "37%"},
        {"negative inner border moves left text further left", 200, 25, "$p%", 0, 100, 37, TAlignment::taLeftJustify,
         -4, "37%"},
        {"wider than the control: cut on both sides", 30, 25, "$p$p$p$p$p", 0, 100, 88, TAlignment::taCenter, 0,
         "8888888888"},
        {"taller than the control: starts one row above", 60, tall, "$p%", 0, 100, 88, TAlignment::taCenter, 0, "88%"},
        {"in the control's own font", 200, 25, "$p%", 0, 100, 37, TAlignment::taRightJustify, 0, "37%", -13},
    };
    for (const CaptionCase& c : cases) {
        SCOPED_TRACE(c.label);
        TOrloExtProgressBar bar(nullptr);
        Configure(bar, c.w, c.h, 0);
        bar.SetMaxValue(c.max);
        bar.SetMinValue(c.min);
        bar.SetProgress(c.progress);
        bar.SetFillStyle(gsNone);  // every glyph in TextForeColor on BarBackColor
        bar.SetBorderStyle(gbNone);
        bar.SetText(c.text);
        bar.SetTextAlign(c.align);
        bar.SetInnerBorderSize(c.inner);
        if (c.fontHeight != 0) {
            bar.Font()->SetHeight(c.fontHeight);
            ASSERT_FALSE(pbtest::MeasureText(bar.Font()->Spec(), c.caption) ==
                         pbtest::MeasureText(TFontSpec{}, c.caption));
        }
        const auto image = PaintBar(bar);
        const TPoint o = ExpectedOrigin(c, bar.Font()->Spec());
        const std::vector<bool> want = pbtest::GlyphMask(bar.Font()->Spec(), c.w, c.h, o.X, o.Y, c.caption);
        ASSERT_GT(pbtest::Count(want), 0);
        int wrong = 0;
        for (int32_t y = 0; y < c.h; ++y)
            for (int32_t x = 0; x < c.w; ++x) {
                const TColor expected = want[static_cast<size_t>(y) * c.w + x] ? kTextFore : kBarBack;
                if (image->Pixel(x, y) != expected && wrong++ < 5)
                    ADD_FAILURE() << "(" << x << "," << y << ") is " << pbtest::ColorText(image->Pixel(x, y))
                                  << ", expected " << pbtest::ColorText(expected);
            }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(ProgressBarPaint, EmptyTextDrawsNothing) {
    TOrloExtProgressBar bar(nullptr);
    Configure(bar, 100, 20, 50);
    bar.SetText("");
    const auto image = PaintBar(bar);
    EXPECT_EQ(CheckAgainstModel(bar, *image, {}).failures, "");
}

TEST(ProgressBarPaint, BorderAndRingsCoverTheCaption) {
    const TSize cell = pbtest::MeasureText(TFontSpec{}, "88%");
    TOrloExtProgressBar bar(nullptr);
    Configure(bar, cell.cx + 4, cell.cy - 3, 88);  // the text reaches into every ring
    bar.SetBorderStyle(gbFatRaised);
    bar.SetInnerBorderSize(1);
    bar.SetText("$p%");
    const auto image = PaintBar(bar);
    const TRect textCell = Bounds((bar.Width() - cell.cx) / 2, (bar.Height() - cell.cy) / 2, cell.cx, cell.cy);
    const ModelCheck check = CheckAgainstModel(bar, *image, textCell);
    EXPECT_EQ(check.failures, "");
    EXPECT_GT(check.glyphsLeft + check.glyphsRight, 0);
}

}  // namespace
