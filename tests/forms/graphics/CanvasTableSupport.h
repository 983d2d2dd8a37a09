// What the canvas tables share: the sentinel bitmap, the expected-colour conditions
// and the runner that checks every pixel of a labelled batch. Only TCanvas, TBitmap
// and CreateBitmap are used, so every table runs against every canvas.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/graphics/Bitmap.h"
#include "forms/graphics/Canvas.h"

namespace canvastest {

using namespace forms;

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

inline bool In(int32_t x, int32_t y, int32_t l, int32_t t, int32_t r, int32_t b) {
    return x >= l && x < r && y >= t && y < b;
}

inline Expected Nothing() {
    return [](int32_t, int32_t) { return kSentinel; };
}
inline Expected Where(TColor color, std::function<bool(int32_t, int32_t)> where) {
    return [=](int32_t x, int32_t y) { return where(x, y) ? color : kSentinel; };
}
inline Expected Block(TColor color, int32_t l, int32_t t, int32_t r, int32_t b) {
    return Where(color, [=](int32_t x, int32_t y) { return In(x, y, l, t, r, b); });
}
inline Expected Points(TColor color, std::vector<TPoint> points) {
    return Where(color, [=](int32_t x, int32_t y) {
        for (const TPoint& p : points)
            if (p.X == x && p.Y == y) return true;
        return false;
    });
}
// Pen outline of (l, t, r, b), with the inside in `inside` (kSentinel for none).
inline Expected Frame(int32_t l, int32_t t, int32_t r, int32_t b, TColor inside) {
    return [=](int32_t x, int32_t y) {
        if (!In(x, y, l, t, r, b)) return kSentinel;
        if (x == l || x == r - 1 || y == t || y == b - 1) return kPen;
        return inside;
    };
}

inline std::unique_ptr<TBitmap> SentinelBitmap(int32_t w, int32_t h) {
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

inline std::string Hex(TColor c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(c));
    return buf;
}

// Every pixel of `b` against `expected`; the first few differences are named.
inline void ExpectPixels(const TBitmap& b, const Expected& expected, const std::string& label) {
    int bad = 0;
    std::string where;
    for (int32_t y = 0; y < b.Height(); ++y)
        for (int32_t x = 0; x < b.Width(); ++x) {
            const TColor got = b.Pixel(x, y), want = expected(x, y);
            if (got == want) continue;
            if (++bad <= 6)
                where +=
                    " (" + std::to_string(x) + "," + std::to_string(y) + ") is " + Hex(got) + " not " + Hex(want) + ";";
        }
    EXPECT_EQ(bad, 0) << label << ":" << where;
}

inline void RunTable(const std::vector<TCase>& table, int32_t w = kW, int32_t h = kH) {
    for (const TCase& c : table) {
        std::unique_ptr<TBitmap> b = SentinelBitmap(w, h);
        c.draw(b->Canvas());
        ExpectPixels(*b, c.expected, c.label);
    }
}

inline Draw Fill(TRect r) {
    return [=](TCanvas& c) { c.FillRect(r); };
}
inline Draw Rect(TRect r, TBrushStyle style = TBrushStyle::bsSolid) {
    return [=](TCanvas& c) {
        c.BrushStyle = style;
        c.Rectangle(r);
    };
}
inline Draw Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    return [=](TCanvas& c) {
        c.MoveTo(x0, y0);
        c.LineTo(x1, y1);
    };
}

}  // namespace canvastest
