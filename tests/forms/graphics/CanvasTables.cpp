// Pixel tables for TCanvas. Each case fills a bitmap with a sentinel colour, draws a
// labelled batch and checks every pixel against the expected condition. The cases use
// only TCanvas, TBitmap and CreateBitmap, so the same tables run against every canvas
// (the software rasteriser here, GDI under wine); text is checked by coverage rules,
// never by glyph shapes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "forms/graphics/Bitmap.h"
#include "forms/graphics/Canvas.h"

using namespace forms;

namespace {

constexpr TColor kSentinel = RGB(0x5A, 0x17, 0xC3);
constexpr TColor kPen = RGB(0x00, 0x00, 0xC0);
constexpr TColor kBrush = RGB(0x20, 0xB0, 0x30);
constexpr TColor kInk = RGB(0xD0, 0x10, 0x10);
constexpr int32_t kW = 16;
constexpr int32_t kH = 12;

using Draw = std::function<void(TCanvas&)>;
using Expected = std::function<TColor(int32_t x, int32_t y)>;  // the colour each pixel must have

struct TCase {
    const char* label;
    Draw draw;
    Expected expected;
};

bool In(int32_t x, int32_t y, int32_t l, int32_t t, int32_t r, int32_t b) { return x >= l && x < r && y >= t && y < b; }

Expected Nothing() {
    return [](int32_t, int32_t) { return kSentinel; };
}
Expected Where(TColor color, std::function<bool(int32_t, int32_t)> where) {
    return [=](int32_t x, int32_t y) { return where(x, y) ? color : kSentinel; };
}
Expected Block(TColor color, int32_t l, int32_t t, int32_t r, int32_t b) {
    return Where(color, [=](int32_t x, int32_t y) { return In(x, y, l, t, r, b); });
}
Expected Points(TColor color, std::vector<TPoint> points) {
    return Where(color, [=](int32_t x, int32_t y) {
        for (const TPoint& p : points)
            if (p.X == x && p.Y == y) return true;
        return false;
    });
}
// Pen outline of (l, t, r, b), with the inside in `inside` (kSentinel for none).
Expected Frame(int32_t l, int32_t t, int32_t r, int32_t b, TColor inside) {
    return [=](int32_t x, int32_t y) {
        if (!In(x, y, l, t, r, b)) return kSentinel;
        if (x == l || x == r - 1 || y == t || y == b - 1) return kPen;
        return inside;
    };
}

std::unique_ptr<TBitmap> SentinelBitmap(int32_t w, int32_t h) {
    std::unique_ptr<TBitmap> b = CreateBitmap(w, h);
    TCanvas& c = b->Canvas();
    c.BrushColor = kSentinel;
    c.FillRect({0, 0, w, h});
    c.PenColor = kPen;
    c.BrushColor = kBrush;
    c.BrushStyle = TBrushStyle::bsSolid;
    c.Font = TFontSpec{};
    c.Font.Color = kInk;
    return b;
}

std::string Hex(TColor c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(c));
    return buf;
}

// Every pixel of `b` against `expected`; the first few differences are named.
void ExpectPixels(const TBitmap& b, const Expected& expected, const std::string& label) {
    int bad = 0;
    std::string where;
    for (int32_t y = 0; y < b.Height(); ++y)
        for (int32_t x = 0; x < b.Width(); ++x) {
            const TColor got = b.Pixel(x, y), want = expected(x, y);
            if (got == want) continue;
            if (++bad <= 6)
                where += " (" + std::to_string(x) + "," + std::to_string(y) + ") is " + Hex(got) + " not " + Hex(want) + ";";
        }
    EXPECT_EQ(bad, 0) << label << ":" << where;
}

void RunTable(const std::vector<TCase>& table, int32_t w = kW, int32_t h = kH) {
    for (const TCase& c : table) {
        std::unique_ptr<TBitmap> b = SentinelBitmap(w, h);
        c.draw(b->Canvas());
        ExpectPixels(*b, c.expected, c.label);
    }
}

Draw Fill(TRect r) {
    return [=](TCanvas& c) { c.FillRect(r); };
}
Draw Rect(TRect r, TBrushStyle style = TBrushStyle::bsSolid) {
    return [=](TCanvas& c) {
        c.BrushStyle = style;
        c.Rectangle(r);
    };
}
Draw Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    return [=](TCanvas& c) {
        c.MoveTo(x0, y0);
        c.LineTo(x1, y1);
    };
}

// GDI's line rule as its incremental loop: one pixel per step of the major axis, a
// minor step when err + bias > 0, bias 1 in octants 3, 5, 6 and 8 (counted clockwise
// from +x with y down). The end point is not drawn.
std::vector<TPoint> GdiLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    int32_t dx = x1 - x0, dy = y1 - y0;
    int octant;
    if (dy > 0)
        octant = dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3);
    else
        octant = dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7);
    const int bias = (octant == 3 || octant == 5 || octant == 6 || octant == 8) ? 1 : 0;
    const int32_t sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    dx = std::abs(dx);
    dy = std::abs(dy);
    std::vector<TPoint> out;
    int32_t x = x0, y = y0;
    if (dx > dy) {
        int32_t err = 2 * dy - dx;
        for (int32_t i = 0; i < dx; ++i, x += sx) {
            out.push_back({x, y});
            if (err + bias > 0) {
                y += sy;
                err += 2 * dy - 2 * dx;
            } else {
                err += 2 * dy;
            }
        }
    } else {
        int32_t err = 2 * dx - dy;
        for (int32_t i = 0; i < dy; ++i, y += sy) {
            out.push_back({x, y});
            if (err + bias > 0) {
                x += sx;
                err += 2 * dx - 2 * dy;
            } else {
                err += 2 * dx;
            }
        }
    }
    return out;
}

TEST(CanvasFillRect, Table) {
    RunTable({
        {"empty: zero width", Fill({3, 3, 3, 8}), Nothing()},
        {"empty: zero height", Fill({3, 3, 9, 3}), Nothing()},
        {"empty: right left of left", Fill({8, 3, 3, 8}), Nothing()},
        {"1 x 1", Fill({3, 4, 4, 5}), Block(kBrush, 3, 4, 4, 5)},
        {"1 wide", Fill({5, 2, 6, 9}), Block(kBrush, 5, 2, 6, 9)},
        {"2 x 2", Fill({5, 2, 7, 4}), Block(kBrush, 5, 2, 7, 4)},
        {"ordinary", Fill({2, 3, 9, 7}), Block(kBrush, 2, 3, 9, 7)},
        {"clipped at the left and top edge", Fill({-3, -2, 4, 3}), Block(kBrush, 0, 0, 4, 3)},
        {"clipped at the right and bottom edge", Fill({12, 8, 40, 40}), Block(kBrush, 12, 8, kW, kH)},
        {"larger than the bitmap", Fill({-100, -100, 100, 100}), Block(kBrush, 0, 0, kW, kH)},
        {"entirely outside", Fill({kW, 0, kW + 5, 5}), Nothing()},
        {"ignores a hollow brush",
         [](TCanvas& c) {
             c.BrushStyle = TBrushStyle::bsClear;
             c.FillRect({1, 1, 3, 3});
         },
         Block(kBrush, 1, 1, 3, 3)},
        {"the later fill covers the earlier",
         [](TCanvas& c) {
             c.FillRect({0, 0, 8, 8});
             c.BrushColor = kInk;
             c.FillRect({4, 4, 12, 12});
         },
         [](int32_t x, int32_t y) {
             if (In(x, y, 4, 4, 12, 12)) return kInk;
             return In(x, y, 0, 0, 8, 8) ? kBrush : kSentinel;
         }},
    });
}

TEST(CanvasRectangle, Table) {
    RunTable({
        {"empty: zero width", Rect({3, 3, 3, 8}), Nothing()},
        {"empty: zero height", Rect({3, 3, 9, 3}), Nothing()},
        {"empty: right left of left", Rect({8, 3, 3, 8}), Nothing()},
        {"1 x 1", Rect({3, 4, 4, 5}), Points(kPen, {{3, 4}})},
        {"1 wide is one pen column", Rect({3, 2, 4, 8}), Block(kPen, 3, 2, 4, 8)},
        {"1 high is one pen row", Rect({2, 5, 9, 6}), Block(kPen, 2, 5, 9, 6)},
        {"2 wide has no inside", Rect({3, 2, 5, 8}), Block(kPen, 3, 2, 5, 8)},
        {"2 x 2", Rect({3, 2, 5, 4}), Block(kPen, 3, 2, 5, 4)},
        {"3 x 3 has a one-pixel inside", Rect({3, 2, 6, 5}), Frame(3, 2, 6, 5, kBrush)},
        {"solid brush fills the inside", Rect({1, 2, 11, 9}), Frame(1, 2, 11, 9, kBrush)},
        {"hollow brush leaves the inside", Rect({1, 2, 11, 9}, TBrushStyle::bsClear), Frame(1, 2, 11, 9, kSentinel)},
        {"hollow 1 wide", Rect({3, 2, 4, 8}, TBrushStyle::bsClear), Block(kPen, 3, 2, 4, 8)},
        {"the whole bitmap", Rect({0, 0, kW, kH}, TBrushStyle::bsClear), Frame(0, 0, kW, kH, kSentinel)},
        {"clipped at the left and top edge", Rect({-2, -3, 5, 4}),
         [](int32_t x, int32_t y) {
             if (!In(x, y, 0, 0, 5, 4)) return kSentinel;
             return (x == 4 || y == 3) ? kPen : kBrush;
         }},
        {"clipped at the right and bottom edge", Rect({10, 7, kW + 3, kH + 1}, TBrushStyle::bsClear),
         [](int32_t x, int32_t y) {
             if (!In(x, y, 10, 7, kW, kH)) return kSentinel;
             return (x == 10 || y == 7) ? kPen : kSentinel;
         }},
        {"nested outlines, as inner border rings are drawn",
         [](TCanvas& c) {
             c.BrushStyle = TBrushStyle::bsClear;
             c.Rectangle({0, 0, 10, 8});
             c.PenColor = kInk;
             c.Rectangle({1, 1, 9, 7});
         },
         [](int32_t x, int32_t y) {
             if (!In(x, y, 0, 0, 10, 8)) return kSentinel;
             if (x == 0 || x == 9 || y == 0 || y == 7) return kPen;
             if (x == 1 || x == 8 || y == 1 || y == 6) return kInk;
             return kSentinel;
         }},
    });
}

TEST(CanvasLines, Table) {
    RunTable({
        {"move only", [](TCanvas& c) { c.MoveTo(3, 3); }, Nothing()},
        {"zero length", Line(4, 4, 4, 4), Nothing()},
        {"length 1 rightwards is the start point", Line(4, 4, 5, 4), Points(kPen, {{4, 4}})},
        {"length 1 upwards is the start point", Line(4, 4, 4, 3), Points(kPen, {{4, 4}})},
        {"horizontal rightwards", Line(2, 5, 9, 5), Block(kPen, 2, 5, 9, 6)},
        {"horizontal leftwards", Line(9, 5, 2, 5), Block(kPen, 3, 5, 10, 6)},
        {"vertical downwards", Line(6, 1, 6, 8), Block(kPen, 6, 1, 7, 8)},
        {"vertical upwards", Line(6, 8, 6, 1), Block(kPen, 6, 2, 7, 9)},
        {"diagonal down-right", Line(2, 2, 7, 7), Points(kPen, {{2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}})},
        {"diagonal up-left", Line(7, 7, 2, 2), Points(kPen, {{7, 7}, {6, 6}, {5, 5}, {4, 4}, {3, 3}})},
        {"diagonal up-right", Line(2, 7, 7, 2), Points(kPen, {{2, 7}, {3, 6}, {4, 5}, {5, 4}, {6, 3}})},
        {"diagonal down-left", Line(7, 2, 2, 7), Points(kPen, {{7, 2}, {6, 3}, {5, 4}, {4, 5}, {3, 6}})},
        {"shallow, tie rounds down", Line(0, 0, 4, 2), Points(kPen, {{0, 0}, {1, 0}, {2, 1}, {3, 1}})},
        {"shallow reversed, tie rounds the other way", Line(4, 2, 0, 0),
         Points(kPen, {{4, 2}, {3, 1}, {2, 1}, {1, 0}})},
        {"steep, tie", Line(0, 0, 2, 4), Points(kPen, {{0, 0}, {0, 1}, {1, 2}, {1, 3}})},
        {"steep reversed", Line(2, 4, 0, 0), Points(kPen, {{2, 4}, {1, 3}, {1, 2}, {0, 1}})},
        {"shallow, no tie", Line(0, 0, 5, 2), Points(kPen, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}})},
        {"the end point becomes the current position",
         [](TCanvas& c) {
             c.MoveTo(1, 1);
             c.LineTo(5, 1);
             c.LineTo(5, 6);
         },
         [](int32_t x, int32_t y) { return (In(x, y, 1, 1, 5, 2) || In(x, y, 5, 1, 6, 6)) ? kPen : kSentinel; }},
        {"a sunken edge: left then top",
         [](TCanvas& c) {
             c.MoveTo(0, kH);
             c.LineTo(0, 0);
             c.LineTo(kW, 0);
         },
         [](int32_t x, int32_t y) { return (x == 0 || y == 0) ? kPen : kSentinel; }},
        {"horizontal through both edges", Line(-5, 3, kW + 5, 3), Block(kPen, 0, 3, kW, 4)},
        {"vertical starting below the bitmap", Line(2, kH + 4, 2, 4), Block(kPen, 2, 5, 3, kH)},
        {"diagonal starting outside", Line(-4, -4, 6, 6),
         Points(kPen, {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}})},
        {"entirely outside", Line(-5, -1, kW + 5, -1), Nothing()},
        {"diagonal between far end points", Line(-1000000, -1000000, 1000000, 1000000),
         [](int32_t x, int32_t y) { return x == y ? kPen : kSentinel; }},
        {"shallow between far end points", Line(-1000000, 3, 1000000, 5), Block(kPen, 0, 4, kW, 5)},
    });
}

TEST(CanvasLines, EveryDirectionMatchesGdiBresenham) {
    const int32_t cx = 8, cy = 6;
    for (int32_t ex = -10; ex <= 10; ++ex)
        for (int32_t ey = -9; ey <= 9; ++ey) {
            if (ex == 0 && ey == 0) continue;
            const std::vector<TPoint> pts = GdiLine(cx, cy, cx + ex, cy + ey);
            std::unique_ptr<TBitmap> b = SentinelBitmap(kW, kH);
            Line(cx, cy, cx + ex, cy + ey)(b->Canvas());
            ExpectPixels(*b, Points(kPen, pts),
                         "line to (" + std::to_string(cx + ex) + "," + std::to_string(cy + ey) + ")");
        }
}

TEST(CanvasLines, ReverseCoversTheSamePixelsApartFromTheEnd) {
    const int32_t ax = 8, ay = 6;
    for (int32_t ex = -7; ex <= 7; ++ex)
        for (int32_t ey = -5; ey <= 5; ++ey) {
            if (ex == 0 && ey == 0) continue;
            const int32_t bx = ax + ex, by = ay + ey;
            std::unique_ptr<TBitmap> forward = SentinelBitmap(kW, kH), backward = SentinelBitmap(kW, kH);
            Line(ax, ay, bx, by)(forward->Canvas());
            forward->Canvas().SetPixel(bx, by, kPen);
            Line(bx, by, ax, ay)(backward->Canvas());
            backward->Canvas().SetPixel(ax, ay, kPen);
            ExpectPixels(*forward, [&](int32_t x, int32_t y) { return backward->Pixel(x, y); },
                         "(" + std::to_string(ax) + "," + std::to_string(ay) + ") <-> (" + std::to_string(bx) + "," +
                             std::to_string(by) + ")");
        }
}

// A system colour source whose table the test switches between draws.
uint32_t g_btnFace = RGB(1, 2, 3);
uint32_t TestSystemColors(int index) {
    if (index == 15) return g_btnFace;  // COLOR_BTNFACE
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
    ExpectPixels(*b,
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
        ExpectPixels(*b,
                     [&](int32_t x, int32_t y) { return run.clip.Contains(x, y) ? whole->Pixel(x, y) : kSentinel; },
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
    ExpectPixels(*b,
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

TEST(CanvasClip, Table) {
    RunTable({
        {"origin moves fills",
         [](TCanvas& c) {
             c.PushClip(3, 2, {0, 0, 5, 4});
             c.FillRect({0, 0, 10, 10});
             c.PopClip();
         },
         Block(kBrush, 3, 2, 8, 6)},
        {"negative origin",
         [](TCanvas& c) {
             c.PushClip(-2, -1, {0, 0, 50, 50});
             c.FillRect({2, 1, 4, 3});
             c.PopClip();
         },
         Block(kBrush, 0, 0, 2, 2)},
        {"nested clips intersect, origins add",
         [](TCanvas& c) {
             c.PushClip(2, 2, {0, 0, 8, 8});    // device (2, 2)-(10, 10)
             c.PushClip(1, 1, {-5, -5, 3, 3});  // origin (3, 3): device (-2, -2)-(6, 6)
             c.FillRect({-10, -10, 20, 20});
             c.PopClip();
             c.PopClip();
         },
         Block(kBrush, 2, 2, 6, 6)},
        {"PopClip restores origin and clip",
         [](TCanvas& c) {
             c.PushClip(5, 5, {0, 0, 1, 1});
             c.PopClip();
             c.FillRect({0, 0, 2, 2});
         },
         Block(kBrush, 0, 0, 2, 2)},
        {"inner pop returns to the outer clip",
         [](TCanvas& c) {
             c.PushClip(4, 0, {0, 0, 6, kH});
             c.PushClip(0, 0, {0, 0, 1, 1});
             c.PopClip();
             c.FillRect({0, 0, 20, 2});
             c.PopClip();
         },
         Block(kBrush, 4, 0, 10, 2)},
        {"empty clip hides everything",
         [](TCanvas& c) {
             c.PushClip(0, 0, {5, 5, 5, 9});
             c.FillRect({0, 0, kW, kH});
             c.Rectangle({0, 0, kW, kH});
             c.MoveTo(0, 6);
             c.LineTo(kW, 6);
             c.SetPixel(5, 6, kInk);
             c.PopClip();
         },
         Nothing()},
        {"outline cut by the clip and moved by the origin",
         [](TCanvas& c) {
             c.BrushStyle = TBrushStyle::bsClear;
             c.PushClip(4, 4, {0, 0, 4, 4});
             c.Rectangle({0, 0, 6, 6});
             c.PopClip();
         },
         [](int32_t x, int32_t y) {
             return In(x, y, 4, 4, 8, 8) && (x == 4 || y == 4) ? kPen : kSentinel;
         }},
        {"lines use the origin",
         [](TCanvas& c) {
             c.PushClip(2, 3, {-10, -10, 10, 10});
             c.MoveTo(0, 0);
             c.LineTo(4, 0);
             c.PopClip();
         },
         Block(kPen, 2, 3, 6, 4)},
        {"pixels use the origin and the clip",
         [](TCanvas& c) {
             c.PushClip(1, 1, {0, 0, 2, 2});
             c.SetPixel(0, 0, kInk);
             c.SetPixel(1, 1, kInk);
             c.SetPixel(2, 2, kInk);  // outside the clip
             c.PopClip();
         },
         Points(kInk, {{1, 1}, {2, 2}})},
        {"scoped clip",
         [](TCanvas& c) {
             {
                 TClipScope scope(c, 6, 6, {0, 0, 2, 2});
                 c.FillRect({0, 0, 5, 5});
             }
             c.BrushColor = kInk;
             c.FillRect({0, 0, 1, 1});
         },
         [](int32_t x, int32_t y) {
             if (x == 0 && y == 0) return kInk;
             return In(x, y, 6, 6, 8, 8) ? kBrush : kSentinel;
         }},
    });
}

TEST(CanvasClip, TextClippedByBothTheClipAndTheTextRect) {
    const int32_t w = 60, h = 20;
    const std::unique_ptr<TBitmap> whole = DrawText({{0, 0, w, h}, 10, 3, "HHHH"}, w, h);
    std::unique_ptr<TBitmap> b = SentinelBitmap(w, h);
    TCanvas& c = b->Canvas();
    c.PushClip(5, 0, {0, 0, 12, h});  // device columns 5 to 16
    c.TextRect({7, 0, 40, h}, 5, 3, "HHHH");  // device columns 12 to 44; text at device 10
    c.PopClip();
    ExpectPixels(*b, [&](int32_t x, int32_t y) { return x >= 12 && x < 17 ? whole->Pixel(x, y) : kSentinel; },
                 "columns 12 to 16 of the unclipped text");
    EXPECT_GT(CountInk(*b, kInk), 0);
}

TEST(CanvasPixels, SetAndGet) {
    std::unique_ptr<TBitmap> b = SentinelBitmap(kW, kH);
    TCanvas& c = b->Canvas();
    c.SetPixel(3, 4, kInk);
    c.SetPixel(-1, 0, kInk);
    c.SetPixel(kW, kH - 1, kInk);
    EXPECT_EQ(c.GetPixel(3, 4), kInk);
    EXPECT_EQ(c.GetPixel(4, 4), kSentinel);
    c.PushClip(3, 4, {0, 0, 2, 2});
    EXPECT_EQ(c.GetPixel(0, 0), kInk) << "GetPixel reads through the origin";
    c.PopClip();
    ExpectPixels(*b, Points(kInk, {{3, 4}}), "pixels outside the bitmap are dropped");
}

// Draw: one block copy of every pixel of the source, unscaled, cut by the clip.
TColor SourceColor(int32_t x, int32_t y) { return RGB(static_cast<uint8_t>(10 + x), static_cast<uint8_t>(100 + y), 77); }

std::unique_ptr<TBitmap> SourceBitmap(int32_t w = 4, int32_t h = 3) {
    std::unique_ptr<TBitmap> s = CreateBitmap(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) s->Canvas().SetPixel(x, y, SourceColor(x, y));
    return s;
}

Expected Copied(int32_t dx, int32_t dy, int32_t w = 4, int32_t h = 3, TRect visible = {0, 0, kW, kH}) {
    return [=](int32_t x, int32_t y) {
        if (In(x, y, dx, dy, dx + w, dy + h) && visible.Contains(x, y)) return SourceColor(x - dx, y - dy);
        return kSentinel;
    };
}

TEST(CanvasDraw, Table) {
    const std::shared_ptr<TBitmap> src = SourceBitmap();
    const std::shared_ptr<TBitmap> none = CreateBitmap(0, 0);
    RunTable({
        {"inside", [=](TCanvas& c) { c.Draw(2, 3, *src); }, Copied(2, 3)},
        {"at the origin", [=](TCanvas& c) { c.Draw(0, 0, *src); }, Copied(0, 0)},
        {"partly outside left and top", [=](TCanvas& c) { c.Draw(-2, -1, *src); }, Copied(-2, -1)},
        {"partly outside right and bottom", [=](TCanvas& c) { c.Draw(kW - 1, kH - 2, *src); },
         Copied(kW - 1, kH - 2)},
        {"entirely outside", [=](TCanvas& c) { c.Draw(kW, 0, *src); }, Nothing()},
        {"an empty bitmap copies nothing", [=](TCanvas& c) { c.Draw(1, 1, *none); }, Nothing()},
        {"cut by the clip, moved by the origin",
         [=](TCanvas& c) {
             c.PushClip(5, 5, {1, 0, 10, 2});
             c.Draw(0, 0, *src);
             c.PopClip();
         },
         Copied(5, 5, 4, 3, {6, 5, 15, 7})},
        {"brush, pen and font do not matter",
         [=](TCanvas& c) {
             c.BrushStyle = TBrushStyle::bsClear;
             c.Draw(1, 1, *src);
         },
         Copied(1, 1)},
    });
}

TEST(CanvasDraw, WholeBitmapOntoAnother) {
    // As a control's composed bitmap is copied to its surface: every pixel, once.
    std::unique_ptr<TBitmap> composed = SourceBitmap(kW, kH);
    std::unique_ptr<TBitmap> screen = SentinelBitmap(kW, kH);
    screen->Canvas().Draw(0, 0, *composed);
    ExpectPixels(*screen, Copied(0, 0, kW, kH), "full copy");
}

TEST(CanvasDraw, OntoItselfReadsThePixelsAsTheyWere) {
    const struct {
        const char* label;
        int32_t dx;
        int32_t dy;
    } moves[] = {{"down and right", 2, 1}, {"up and left", -3, -2}, {"right along the rows", 1, 0}, {"onto itself", 0, 0}};
    for (const auto& m : moves) {
        std::unique_ptr<TBitmap> b = SourceBitmap(kW, kH);
        b->Canvas().Draw(m.dx, m.dy, *b);
        ExpectPixels(*b,
                     [&](int32_t x, int32_t y) {
                         const int32_t sx = x - m.dx, sy = y - m.dy;
                         return In(sx, sy, 0, 0, kW, kH) ? SourceColor(sx, sy) : SourceColor(x, y);
                     },
                     m.label);
    }
}

TEST(Bitmap, NewAndResizedBitmapsAreWhite) {
    std::unique_ptr<TBitmap> b = CreateBitmap(5, 3);
    EXPECT_EQ(b->Width(), 5);
    EXPECT_EQ(b->Height(), 3);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(b->Pixel(x, y), clWhite);
    b->Canvas().BrushColor = clRed;
    b->Canvas().FillRect({0, 0, 5, 3});
    b->SetWidth(7);
    b->SetHeight(2);
    EXPECT_EQ(b->Width(), 7);
    EXPECT_EQ(b->Height(), 2);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 7; ++x) EXPECT_EQ(b->Pixel(x, y), clWhite);
    b->Canvas().FillRect({0, 0, 100, 100});
    EXPECT_EQ(b->Pixel(6, 1), clRed) << "the canvas draws on the resized pixels";
    EXPECT_EQ(b->Pixel(7, 1), clNone) << "outside the bitmap";
    EXPECT_EQ(b->Pixel(-1, 0), clNone);
    std::unique_ptr<TBitmap> empty = CreateBitmap();
    EXPECT_EQ(empty->Width(), 0);
    EXPECT_EQ(empty->Height(), 0);
    empty->Canvas().FillRect({0, 0, 10, 10});  // nothing to draw on, and no harm
}

TEST(Bitmap, PixelsAreTopDownRgbWords) {
    std::unique_ptr<TBitmap> b = CreateBitmap(3, 2);
    b->Canvas().SetPixel(2, 1, RGB(0x11, 0x22, 0x33));
    EXPECT_EQ(b->Bits()[1 * 3 + 2], 0x00112233u);
    EXPECT_EQ(b->Pixel(2, 1), RGB(0x11, 0x22, 0x33));
}

}  // namespace
