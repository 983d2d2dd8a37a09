#include "SoftwareCanvas.h"

#include "FontEngine.h"

namespace forms {

raster::Surface TSoftwareCanvas::Surface() const { return {bitmap_.Bits(), bitmap_.Width(), bitmap_.Height()}; }

TRect TSoftwareCanvas::DeviceClip() const { return TCanvas::DeviceClip(bitmap_.Width(), bitmap_.Height()); }

void TSoftwareCanvas::FillRect(const TRect& r) {
    if (r.IsEmpty()) return;
    raster::SolidRect(Surface(), DeviceClip(), DeviceX(r.Left), DeviceY(r.Top), DeviceX(r.Right), DeviceY(r.Bottom),
                      raster::PixelOf(ColorToRGB(BrushColor)));
}

void TSoftwareCanvas::Rectangle(const TRect& r) {
    if (r.IsEmpty()) return;
    const raster::Surface s = Surface();
    const TRect clip = DeviceClip();
    const int64_t l = DeviceX(r.Left), t = DeviceY(r.Top);
    const int64_t rt = DeviceX(r.Right), b = DeviceY(r.Bottom);
    const uint32_t pen = raster::PixelOf(ColorToRGB(PenColor));
    // The outline is the rectangle's first and last row, then what is left of its
    // first and last column; a 1-wide or 1-high rectangle is a single line.
    raster::SolidRect(s, clip, l, t, rt, t + 1, pen);
    raster::SolidRect(s, clip, l, b - 1, rt, b, pen);
    raster::SolidRect(s, clip, l, t + 1, l + 1, b - 1, pen);
    raster::SolidRect(s, clip, rt - 1, t + 1, rt, b - 1, pen);
    if (BrushStyle == TBrushStyle::bsSolid)
        raster::SolidRect(s, clip, l + 1, t + 1, rt - 1, b - 1, raster::PixelOf(ColorToRGB(BrushColor)));
}

void TSoftwareCanvas::LineTo(int32_t x, int32_t y) {
    const TPoint from = Position();
    raster::SolidLine(Surface(), DeviceClip(), DeviceX(from.X), DeviceY(from.Y), DeviceX(x), DeviceY(y),
                      raster::PixelOf(ColorToRGB(PenColor)));
    TCanvas::MoveTo(x, y);
}

void TSoftwareCanvas::TextRect(const TRect& clip, int32_t x, int32_t y, std::string_view text) {
    const TRect dclip =
        CutRect(DeviceClip(), DeviceX(clip.Left), DeviceY(clip.Top), DeviceX(clip.Right), DeviceY(clip.Bottom));
    if (dclip.IsEmpty() || clip.IsEmpty() || text.empty()) return;
    const raster::Surface s = Surface();
    const uint32_t px = raster::PixelOf(ColorToRGB(Font.Color));
    RasterFont& font = FontEngine::Instance().Font(Font);
    const int64_t left = DeviceX(x), top = DeviceY(y);
    int64_t pen = left;
    for (size_t pos = 0; pos < text.size();) {
        const RenderedGlyph& g = font.Glyph(base::NextCodepoint(text, pos));
        raster::Mask(s, dclip, pen + g.left, top + g.top, g.width, g.height, g.mask.data(), px);
        pen += g.advance;
    }
    // Underline and strike-out run under the whole text cell, in the text colour.
    const FontMetrics& m = font.Metrics();
    if (Font.Style & fsUnderline)
        raster::SolidRect(s, dclip, left, top + m.underlineTop, pen, top + m.underlineTop + m.underlineSize, px);
    if (Font.Style & fsStrikeOut)
        raster::SolidRect(s, dclip, left, top + m.strikeOutTop, pen, top + m.strikeOutTop + m.strikeOutSize, px);
}

TSize TSoftwareCanvas::TextExtent(std::string_view text) { return FontEngine::Instance().Font(Font).Extent(text); }

void TSoftwareCanvas::Draw(int32_t x, int32_t y, const TBitmap& source) {
    if (source.Width() <= 0 || source.Height() <= 0) return;
    const uint32_t* src = source.Bits();
    std::vector<uint32_t> copy;
    if (&source == &bitmap_) {  // drawing a bitmap onto itself reads the pixels as they were
        copy.assign(src, src + static_cast<size_t>(source.Width()) * static_cast<size_t>(source.Height()));
        src = copy.data();
    }
    raster::Copy(Surface(), DeviceClip(), DeviceX(x), DeviceY(y), src, source.Width(), source.Height());
}

void TSoftwareCanvas::SetPixel(int32_t x, int32_t y, TColor color) {
    raster::SolidPixel(Surface(), DeviceClip(), DeviceX(x), DeviceY(y), raster::PixelOf(ColorToRGB(color)));
}

TColor TSoftwareCanvas::GetPixel(int32_t x, int32_t y) const {
    const int64_t dx = DeviceX(x), dy = DeviceY(y);
    if (CutRect(DeviceClip(), dx, dy, dx + 1, dy + 1).IsEmpty()) return clNone;
    return bitmap_.Pixel(static_cast<int32_t>(dx), static_cast<int32_t>(dy));
}

}  // namespace forms
