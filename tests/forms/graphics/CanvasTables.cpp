// Pixel tables for TCanvas's shapes, clip, pixels and block copies. Each case fills a
// bitmap with a sentinel colour, draws a labelled batch and checks every pixel against
// the expected condition. The cases use only TCanvas, TBitmap and CreateBitmap, so the
// same tables run against every canvas (the software rasteriser here, GDI under wine).
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "CanvasTableSupport.h"

using namespace forms;
using namespace canvastest;

namespace {

// GDI's line rule as its incremental loop: one pixel per step of the major axis, a
// minor step when err + bias > 0, bias 1 in octants 3, 5, 6 and 8 (counted clockwise
// from +x with y down). The end point is not drawn.
std::vector<TPoint> GdiLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    int32_t dx = x1 - x0, dy = y1 - y0;
    int octant;
    if (dy > 0) octant = dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3);
    else octant = dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7);
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
            ExpectPixels(
                *forward, [&](int32_t x, int32_t y) { return backward->Pixel(x, y); },
                "(" + std::to_string(ax) + "," + std::to_string(ay) + ") <-> (" + std::to_string(bx) + "," +
                    std::to_string(by) + ")");
        }
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
         [](int32_t x, int32_t y) { return In(x, y, 4, 4, 8, 8) && (x == 4 || y == 4) ? kPen : kSentinel; }},
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
        {"PopClip restores pen, brush and brush style",
         [](TCanvas& c) {
             c.PushClip(0, 0, {0, 0, kW, kH});
             c.PenColor = kInk;
             c.BrushColor = kInk;
             c.BrushStyle = TBrushStyle::bsClear;
             c.PopClip();
             c.Rectangle({0, 0, 4, 4});
         },
         Frame(0, 0, 4, 4, kBrush)},
        {"an unmatched PopClip keeps the tools",
         [](TCanvas& c) {
             c.BrushColor = kInk;
             c.PopClip();
             c.FillRect({0, 0, 2, 2});
         },
         Block(kInk, 0, 0, 2, 2)},
        {"scoped clip",
         [](TCanvas& c) {
             {
                 ClipScope scope(c, 6, 6, {0, 0, 2, 2});
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

#ifdef SA_CHECKS
// The canvas absorbs an unmatched PopClip; inside a clip scope (every control's paint)
// it is a fault, and so is a PushClip left open.
TEST(CanvasClipDeathTest, AScopeEndsWithTheStackAsItFoundIt) {
    std::unique_ptr<TBitmap> b = SentinelBitmap(kW, kH);
    const auto inScope = [&](void (*misuse)(TCanvas&)) {
        ClipScope scope(b->Canvas(), 0, 0, {0, 0, 2, 2});
        misuse(b->Canvas());
    };
    EXPECT_DEATH(inScope([](TCanvas& c) { c.PopClip(); }), "check failed");
    EXPECT_DEATH(inScope([](TCanvas& c) { c.PushClip(0, 0, TRect()); }), "check failed");
}
#endif

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

}  // namespace
