// Pixel tables for block copies (TCanvas::Draw) and for the bitmaps themselves. Like
// the other canvas tables, they run against every canvas.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "CanvasTableSupport.h"

using namespace forms;
using namespace canvastest;

namespace {

// Draw: one block copy of every pixel of the source, unscaled, cut by the clip.
TColor SourceColor(int32_t x, int32_t y) {
    return RGB(static_cast<uint8_t>(10 + x), static_cast<uint8_t>(100 + y), 77);
}

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
        {"partly outside right and bottom", [=](TCanvas& c) { c.Draw(kW - 1, kH - 2, *src); }, Copied(kW - 1, kH - 2)},
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
    } moves[] = {
        {"down and right", 2, 1}, {"up and left", -3, -2}, {"right along the rows", 1, 0}, {"onto itself", 0, 0}};
    for (const auto& m : moves) {
        std::unique_ptr<TBitmap> b = SourceBitmap(kW, kH);
        b->Canvas().Draw(m.dx, m.dy, *b);
        ExpectPixels(
            *b,
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
