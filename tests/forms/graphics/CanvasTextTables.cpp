// Pixel tables for TCanvas's text and its system colours: which pixels text may touch
// (inside the text cell and the clip) and in which colour, never the glyph shapes, and
// colours resolved at the moment of each draw. Like the shape tables, they run against
// every canvas.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "CanvasTableSupport.h"

using namespace forms;
using namespace canvastest;

namespace {

// A system colour source whose table the test switches between draws.
uint32_t g_btnFace = RGB(1, 2, 3);
uint32_t TestSystemColors(int index) {
    if (index == 15) return g_btnFace;     // COLOR_BTNFACE
    if (index == 16) return RGB(9, 9, 9);  // COLOR_BTNSHADOW
    return RGB(200, 200, 200);
}

struct TSystemColorGuard {
    TSystemColorGuard() { SetSystemColorSource(&TestSystemColors); }
    ~TSystemColorGuard() { SetSystemColorSource(nullptr); }
};

TEST(CanvasSystemColors, ResolvedAtTheMomentOfEachDraw) {
    TSystemColorGuard guard;
    std::unique_ptr<TBitmap> b = SentinelBitmap(kW, kH);
    TCanvas& c = b->Canvas();
    c.BrushColor = clBtnFace;
    c.PenColor = clBtnFace;
    g_btnFace = RGB(10, 20, 30);
    c.FillRect({0, 0, 4, 4});
    c.MoveTo(0, 6);
    c.LineTo(8, 6);
    g_btnFace = RGB(40, 50, 60);  // the scheme changes; the canvas's colours stay clBtnFace
    c.FillRect({8, 0, 12, 4});
    c.MoveTo(0, 8);
    c.LineTo(8, 8);
    c.SetPixel(15, 11, clBtnShadow);
    ExpectPixels(
        *b,
        [](int32_t x, int32_t y) {
            if (In(x, y, 0, 0, 4, 4) || In(x, y, 0, 6, 8, 7)) return RGB(10, 20, 30);
            if (In(x, y, 8, 0, 12, 4) || In(x, y, 0, 8, 8, 9)) return RGB(40, 50, 60);
            if (x == 15 && y == 11) return RGB(9, 9, 9);
            return kSentinel;
        },
        "fills, lines and pixels in clBtnFace before and after the change");
    EXPECT_EQ(c.BrushColor, clBtnFace);
    EXPECT_EQ(c.PenColor, clBtnFace);
}

TEST(CanvasSystemColors, TextAndOutlinesResolvedAtDrawing) {
    TSystemColorGuard guard;
    std::unique_ptr<TBitmap> b = SentinelBitmap(60, 20);
    TCanvas& c = b->Canvas();
    c.Font.Color = clBtnFace;
    g_btnFace = RGB(70, 80, 90);
    c.TextRect({0, 0, 60, 20}, 2, 2, "HH");
    g_btnFace = RGB(1, 1, 1);  // drawn pixels keep the colour of their moment
    c.PenColor = clBtnShadow;
    c.BrushStyle = TBrushStyle::bsClear;
    c.Rectangle({0, 0, 60, 20});
    int ink = 0;
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 60; ++x) {
            const TColor p = b->Pixel(x, y);
            if (x == 0 || y == 0 || x == 59 || y == 19) {
                EXPECT_EQ(p, RGB(9, 9, 9)) << x << "," << y;
            } else if (p != kSentinel) {
                EXPECT_EQ(p, RGB(70, 80, 90)) << x << "," << y;
                ++ink;
            }
        }
    EXPECT_GT(ink, 0);
}

// Text: which pixels may be touched (inside the text cell and the clip) and in which
// colour; glyph shapes are the font engine's business.
struct TTextRun {
    TRect clip;
    int32_t x;
    int32_t y;
    const char* text;
    TFontStyles style = 0;
};

std::unique_ptr<TBitmap> DrawText(const TTextRun& run, int32_t w, int32_t h, TColor ink = kInk) {
    std::unique_ptr<TBitmap> b = SentinelBitmap(w, h);
    b->Canvas().Font.Style = run.style;
    b->Canvas().Font.Color = ink;
    b->Canvas().TextRect(run.clip, run.x, run.y, run.text);
    return b;
}

TSize Extent(const char* text, TFontStyles style = 0) {
    std::unique_ptr<TBitmap> b = CreateBitmap(1, 1);
    b->Canvas().Font.Style = style;
    return b->Canvas().TextExtent(text);
}

int CountInk(const TBitmap& b, TColor ink) {
    int n = 0;
    for (int32_t y = 0; y < b.Height(); ++y)
        for (int32_t x = 0; x < b.Width(); ++x) n += b.Pixel(x, y) == ink;
    return n;
}

TEST(CanvasText, CoverageTable) {
    const int32_t w = 90, h = 30;
    const TRect all{0, 0, w, h};
    struct TTextCase {
        const char* label;
        TTextRun run;
    };
    const TTextCase cases[] = {
        {"plain", {all, 5, 4, "Hgl|"}},
        {"bold", {all, 5, 4, "Hgl|", fsBold}},
        {"underlined", {all, 5, 4, "Hgl|", fsUnderline}},
        {"struck out", {all, 5, 4, "Hgl|", fsStrikeOut}},
        {"clipped at a right clip edge", {{0, 0, 14, h}, 5, 4, "HHHH"}},
        {"clipped at a left clip edge", {{9, 0, w, h}, 5, 4, "HHHH"}},
        {"clipped at the top and bottom", {{0, 7, w, 12}, 5, 4, "Hgl|"}},
        {"starting left of and above the bitmap", {all, -6, -5, "HgHg", fsUnderline}},
        {"running past the right edge", {all, w - 12, 4, "HHHHHH"}},
    };
    for (const TTextCase& tc : cases) {
        SCOPED_TRACE(tc.label);
        const TTextRun& run = tc.run;
        const TSize cell = Extent(run.text, run.style);
        std::unique_ptr<TBitmap> b = DrawText(run, w, h);
        int ink = 0;
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                const TColor p = b->Pixel(x, y);
                if (p == kSentinel) continue;
                ASSERT_EQ(p, kInk) << "(" << x << "," << y << ") is neither the sentinel nor the font colour";
                ASSERT_TRUE(run.clip.Contains(x, y)) << "(" << x << "," << y << ") outside the clip";
                ASSERT_TRUE(In(x, y, run.x, run.y, run.x + cell.cx, run.y + cell.cy))
                    << "(" << x << "," << y << ") outside the text cell";
                ++ink;
            }
        EXPECT_GT(ink, 0) << "nothing drawn";

        // Clipping only removes pixels: inside the clip, the clipped text is the
        // unclipped text.
        const std::unique_ptr<TBitmap> whole = DrawText({all, run.x, run.y, run.text, run.style}, w, h);
        ExpectPixels(
            *b, [&](int32_t x, int32_t y) { return run.clip.Contains(x, y) ? whole->Pixel(x, y) : kSentinel; },
            "clipped equals unclipped inside the clip");
    }
}

TEST(CanvasText, NothingOutsideTheClip) {
    const TRect all{0, 0, 60, 20};
    EXPECT_EQ(CountInk(*DrawText({{0, 0, 0, 20}, 2, 2, "HHH"}, 60, 20), kInk), 0) << "empty clip";
    EXPECT_EQ(CountInk(*DrawText({{30, 0, 10, 20}, 2, 2, "HHH"}, 60, 20), kInk), 0) << "reversed clip";
    EXPECT_EQ(CountInk(*DrawText({{40, 0, 60, 20}, 2, 2, "HHH"}, 60, 20), kInk), 0) << "clip right of the text";
    EXPECT_EQ(CountInk(*DrawText({all, 2, 2, ""}, 60, 20), kInk), 0) << "empty text";
    EXPECT_EQ(CountInk(*DrawText({all, 2, 25, "HHH"}, 60, 20), kInk), 0) << "below the bitmap";
}

TEST(CanvasText, BackgroundIsAlwaysTransparent) {
    std::unique_ptr<TBitmap> b = SentinelBitmap(60, 20);
    TCanvas& c = b->Canvas();
    c.BrushStyle = TBrushStyle::bsSolid;  // even a solid brush paints no box behind the text
    c.TextRect({0, 0, 60, 20}, 2, 2, "H  H");
    EXPECT_EQ(CountInk(*b, kBrush), 0);
    EXPECT_GT(CountInk(*b, kInk), 0);
    EXPECT_GT(CountInk(*b, kSentinel), 60 * 20 / 2);
    // Between the two letters, inside the cell, the spaces leave the sentinel.
    const int32_t left = 2 + c.TextWidth("H") + 1, right = 2 + c.TextWidth("H  ") - 1;
    for (int32_t y = 2; y < 2 + c.TextHeight("H"); ++y)
        for (int32_t x = left; x < right; ++x) EXPECT_EQ(b->Pixel(x, y), kSentinel) << x << "," << y;
}

TEST(CanvasText, TwoPassesSplitAtAColumnFormOneText) {
    // Two clipped passes at one origin, as a progress bar draws its caption over the
    // bar's end: the colours change exactly at the split column.
    const int32_t w = 60, h = 20, split = 13;
    const TTextRun run{{0, 0, w, h}, 4, 3, "100%", 0};
    const std::unique_ptr<TBitmap> whole = DrawText(run, w, h);
    std::unique_ptr<TBitmap> b = SentinelBitmap(w, h);
    TCanvas& c = b->Canvas();
    c.BrushStyle = TBrushStyle::bsClear;
    c.Font.Color = kBrush;
    c.TextRect({0, 0, split, h}, run.x, run.y, run.text);
    c.Font.Color = kPen;
    c.TextRect({split, 0, w, h}, run.x, run.y, run.text);
    ExpectPixels(
        *b,
        [&](int32_t x, int32_t y) {
            if (whole->Pixel(x, y) == kSentinel) return kSentinel;
            return x < split ? kBrush : kPen;
        },
        "first pass left of the split, second from it on");
    EXPECT_GT(CountInk(*b, kBrush), 0);
    EXPECT_GT(CountInk(*b, kPen), 0);
}

TEST(CanvasText, UnderlineAndStrikeOutAreFullRowsInsideTheCell) {
    const int32_t w = 80, h = 24, x0 = 3, y0 = 2;
    const char* text = "Hgl|x";
    auto fullRows = [&](const TBitmap& b, int32_t width) {
        std::vector<int32_t> rows;
        for (int32_t y = 0; y < h; ++y) {
            bool full = true;
            for (int32_t x = x0; x < x0 + width && full; ++x) full = b.Pixel(x, y) == kInk;
            if (full) rows.push_back(y);
        }
        return rows;
    };
    const TSize cell = Extent(text);
    const std::unique_ptr<TBitmap> plain = DrawText({{0, 0, w, h}, x0, y0, text, 0}, w, h);
    const std::unique_ptr<TBitmap> under = DrawText({{0, 0, w, h}, x0, y0, text, fsUnderline}, w, h);
    const std::unique_ptr<TBitmap> strike = DrawText({{0, 0, w, h}, x0, y0, text, fsStrikeOut}, w, h);
    EXPECT_TRUE(fullRows(*plain, cell.cx).empty());
    const std::vector<int32_t> u = fullRows(*under, cell.cx), s = fullRows(*strike, cell.cx);
    ASSERT_FALSE(u.empty());
    ASSERT_FALSE(s.empty());
    for (int32_t y : u) EXPECT_TRUE(y >= y0 && y < y0 + cell.cy) << "underline row " << y;
    for (int32_t y : s) EXPECT_TRUE(y >= y0 && y < y0 + cell.cy) << "strike-out row " << y;
    EXPECT_LT(s.back(), u.front()) << "the strike-out runs above the underline";
    EXPECT_EQ(Extent(text, fsUnderline), cell);
    EXPECT_EQ(Extent(text, fsStrikeOut), cell);
}

TEST(CanvasText, Measurement) {
    const TSize h = Extent("H"), hh = Extent("HH"), empty = Extent("");
    EXPECT_GT(h.cx, 0);
    EXPECT_GT(h.cy, 0);
    EXPECT_EQ(hh.cx, 2 * h.cx) << "regular text is the sum of its advances";
    EXPECT_EQ(hh.cy, h.cy);
    EXPECT_EQ(empty.cx, 0);
    EXPECT_EQ(empty.cy, h.cy) << "an empty text still has the line height";
    EXPECT_GT(Extent("OK", fsBold).cx, Extent("OK").cx);
    std::unique_ptr<TBitmap> b = CreateBitmap(1, 1);
    TCanvas& c = b->Canvas();
    EXPECT_EQ(c.TextWidth("Annulla"), c.TextExtent("Annulla").cx);
    EXPECT_EQ(c.TextHeight("Annulla"), c.TextExtent("Annulla").cy);
}

TEST(CanvasClip, TextClippedByBothTheClipAndTheTextRect) {
    const int32_t w = 60, h = 20;
    const std::unique_ptr<TBitmap> whole = DrawText({{0, 0, w, h}, 10, 3, "HHHH"}, w, h);
    std::unique_ptr<TBitmap> b = SentinelBitmap(w, h);
    TCanvas& c = b->Canvas();
    c.PushClip(5, 0, {0, 0, 12, h});          // device columns 5 to 16
    c.TextRect({7, 0, 40, h}, 5, 3, "HHHH");  // device columns 12 to 44; text at device 10
    c.PopClip();
    ExpectPixels(
        *b, [&](int32_t x, int32_t y) { return x >= 12 && x < 17 ? whole->Pixel(x, y) : kSentinel; },
        "columns 12 to 16 of the unclipped text");
    EXPECT_GT(CountInk(*b, kInk), 0);
}

}  // namespace
