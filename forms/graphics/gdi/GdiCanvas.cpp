#include "GdiCanvas.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <tuple>

#include "base/Utf8.h"

// <windows.h> comes after our headers: it turns names such as RGB into macros.
#include <windows.h>

namespace forms {
namespace {

// A text cell that starts this far outside the bitmap cannot reach it; such text is
// dropped before GDI, whose coordinates end well before 32 bits.
constexpr int64_t kFarAway = int64_t{1} << 26;

int32_t ClampTo(int64_t v, int64_t lo, int64_t hi) { return static_cast<int32_t>(std::clamp(v, lo, hi)); }

COLORREF Ref(TColor c) { return static_cast<COLORREF>(ColorToRGB(c)); }

// One GDI font per (name, height, style, charset); the colour is the DC's text colour.
class FontCache {
public:
    ~FontCache() {
        for (auto& entry : fonts_) DeleteObject(entry.second);
    }

    HFONT Get(const TFontSpec& spec) {
        const Key key{spec.Name, spec.Height, spec.Style, spec.Charset};
        auto it = fonts_.find(key);
        if (it != fonts_.end()) return it->second;
        LOGFONTW lf{};
        lf.lfHeight = spec.Height;
        lf.lfWeight = (spec.Style & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (spec.Style & fsItalic) ? TRUE : FALSE;
        lf.lfUnderline = (spec.Style & fsUnderline) ? TRUE : FALSE;
        lf.lfStrikeOut = (spec.Style & fsStrikeOut) ? TRUE : FALSE;
        lf.lfCharSet = static_cast<BYTE>(spec.Charset);
        lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
        lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        // Without smoothing every glyph pixel takes the font colour and no other
        // pixel changes, which is what the coverage rules promise.
        lf.lfQuality = NONANTIALIASED_QUALITY;
        lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
        const std::wstring face = base::Utf8ToWide(spec.Name);
        const size_t n = std::min(face.size(), static_cast<size_t>(LF_FACESIZE - 1));
        std::memcpy(lf.lfFaceName, face.data(), n * sizeof(wchar_t));
        HFONT font = CreateFontIndirectW(&lf);
        if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        fonts_.emplace(key, font);
        return font;
    }

private:
    using Key = std::tuple<std::string, int32_t, TFontStyles, int32_t>;
    std::map<Key, HFONT> fonts_;
};

FontCache& Fonts() {
    static FontCache cache;
    return cache;
}

}  // namespace

TRect TGdiCanvas::DeviceClip() const { return TCanvas::DeviceClip(bitmap_.Width(), bitmap_.Height()); }

void TGdiCanvas::ApplyClip() {
    HDC dc = bitmap_.DC();
    const TRect whole{0, 0, bitmap_.Width(), bitmap_.Height()};
    const TRect c = DeviceClip();
    if (c == whole) {
        SelectClipRgn(dc, nullptr);
        return;
    }
    HRGN region = CreateRectRgn(c.Left, c.Top, c.Right, c.Bottom);
    SelectClipRgn(dc, region);
    DeleteObject(region);
}

void TGdiCanvas::SelectFont() { SelectObject(bitmap_.DC(), Fonts().Get(Font)); }

void TGdiCanvas::FillRect(const TRect& r) {
    if (r.IsEmpty()) return;
    const TRect c = CutRect(DeviceClip(), DeviceX(r.Left), DeviceY(r.Top), DeviceX(r.Right), DeviceY(r.Bottom));
    if (c.IsEmpty()) return;
    HDC dc = bitmap_.DC();
    SetDCBrushColor(dc, Ref(BrushColor));
    const RECT rc{c.Left, c.Top, c.Right, c.Bottom};
    ::FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void TGdiCanvas::Rectangle(const TRect& r) {
    if (r.IsEmpty()) return;
    const TRect v = DeviceClip();
    if (v.IsEmpty()) return;
    // Each edge is pulled to at most one pixel outside the visible area: a column or
    // row that lay outside stays outside, and the rows and columns that cross the
    // visible area keep the part of them that shows.
    const int64_t x0 = int64_t{v.Left} - 1, x1 = int64_t{v.Right} + 1;
    const int64_t y0 = int64_t{v.Top} - 1, y1 = int64_t{v.Bottom} + 1;
    const int32_t l = ClampTo(DeviceX(r.Left), x0, x1), rt = ClampTo(DeviceX(r.Right), x0, x1);
    const int32_t t = ClampTo(DeviceY(r.Top), y0, y1), b = ClampTo(DeviceY(r.Bottom), y0, y1);
    if (rt <= l || b <= t) return;  // wholly beyond one side
    HDC dc = bitmap_.DC();
    if (r.Width() == 1 || r.Height() == 1) {
        // One column or one row is all outline. GDI's own Rectangle leaves a 1 x 1
        // rectangle empty; the rule says its one pixel takes the pen colour.
        const TRect c = CutRect(v, l, t, rt, b);
        if (c.IsEmpty()) return;
        SetDCBrushColor(dc, Ref(PenColor));
        const RECT rc{c.Left, c.Top, c.Right, c.Bottom};
        ::FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        return;
    }
    SetDCPenColor(dc, Ref(PenColor));
    SetDCBrushColor(dc, Ref(BrushColor));
    SelectObject(dc, GetStockObject(DC_PEN));
    SelectObject(dc, GetStockObject(BrushStyle == TBrushStyle::bsSolid ? DC_BRUSH : NULL_BRUSH));
    ::Rectangle(dc, l, t, rt, b);
}

void TGdiCanvas::LineTo(int32_t x, int32_t y) {
    const TPoint from = Position();
    TCanvas::MoveTo(x, y);
    const TRect v = DeviceClip();
    if (v.IsEmpty()) return;
    int64_t fx = DeviceX(from.X), fy = DeviceY(from.Y), tx = DeviceX(x), ty = DeviceY(y);
    if (fy == ty || fx == tx) {
        // A straight line pulled to one pixel outside the visible area on either side
        // keeps its visible pixels, its excluded end included.
        fx = std::clamp<int64_t>(fx, int64_t{v.Left} - 1, int64_t{v.Right} + 1);
        tx = std::clamp<int64_t>(tx, int64_t{v.Left} - 1, int64_t{v.Right} + 1);
        fy = std::clamp<int64_t>(fy, int64_t{v.Top} - 1, int64_t{v.Bottom} + 1);
        ty = std::clamp<int64_t>(ty, int64_t{v.Top} - 1, int64_t{v.Bottom} + 1);
    } else {
        // A slanted line is GDI's own all the way; only its ends are kept in range.
        fx = std::clamp<int64_t>(fx, -kFarAway, kFarAway);
        tx = std::clamp<int64_t>(tx, -kFarAway, kFarAway);
        fy = std::clamp<int64_t>(fy, -kFarAway, kFarAway);
        ty = std::clamp<int64_t>(ty, -kFarAway, kFarAway);
    }
    HDC dc = bitmap_.DC();
    SetDCPenColor(dc, Ref(PenColor));
    SelectObject(dc, GetStockObject(DC_PEN));
    MoveToEx(dc, static_cast<int>(fx), static_cast<int>(fy), nullptr);
    ::LineTo(dc, static_cast<int>(tx), static_cast<int>(ty));
}

void TGdiCanvas::TextRect(const TRect& clip, int32_t x, int32_t y, std::string_view text) {
    if (clip.IsEmpty() || text.empty()) return;
    const TRect c =
        CutRect(DeviceClip(), DeviceX(clip.Left), DeviceY(clip.Top), DeviceX(clip.Right), DeviceY(clip.Bottom));
    if (c.IsEmpty()) return;
    const int64_t dx = DeviceX(x), dy = DeviceY(y);
    if (dx < -kFarAway || dx > kFarAway || dy < -kFarAway || dy > kFarAway) return;
    const std::wstring wide = base::Utf8ToWide(text);
    HDC dc = bitmap_.DC();
    SelectFont();
    SetTextColor(dc, Ref(Font.Color));
    SetBkMode(dc, TRANSPARENT);
    const RECT rc{c.Left, c.Top, c.Right, c.Bottom};
    ExtTextOutW(dc, static_cast<int>(dx), static_cast<int>(dy), ETO_CLIPPED, &rc, wide.data(),
                static_cast<UINT>(wide.size()), nullptr);
}

TSize TGdiCanvas::TextExtent(std::string_view text) {
    HDC dc = bitmap_.DC();
    SelectFont();
    if (text.empty()) {
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        return {0, tm.tmHeight};
    }
    const std::wstring wide = base::Utf8ToWide(text);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.data(), static_cast<int>(wide.size()), &size);
    return {size.cx, size.cy};
}

void TGdiCanvas::Draw(int32_t x, int32_t y, const TBitmap& source) {
    if (source.Width() <= 0 || source.Height() <= 0) return;
    const int64_t dx = DeviceX(x), dy = DeviceY(y);
    const TRect c = CutRect(DeviceClip(), dx, dy, dx + source.Width(), dy + source.Height());
    if (c.IsEmpty()) return;
    const int32_t sx = static_cast<int32_t>(c.Left - dx), sy = static_cast<int32_t>(c.Top - dy);
    if (const auto* gdi = dynamic_cast<const TGdiBitmap*>(&source)) {
        // One block copy; GDI reads an overlapping source (the bitmap onto itself) as it was.
        BitBlt(bitmap_.DC(), c.Left, c.Top, c.Width(), c.Height(), gdi->DC(), sx, sy, SRCCOPY);
        return;
    }
    // Another kind of bitmap has no DC: its rows go straight into the DIB.
    const uint32_t* src = source.Bits();
    uint32_t* dst = bitmap_.Bits();
    const auto w = static_cast<size_t>(bitmap_.Width()), sw = static_cast<size_t>(source.Width());
    for (int32_t row = c.Top; row < c.Bottom; ++row)
        std::memcpy(dst + static_cast<size_t>(row) * w + static_cast<size_t>(c.Left),
                    src + static_cast<size_t>(sy + row - c.Top) * sw + static_cast<size_t>(sx),
                    static_cast<size_t>(c.Width()) * sizeof(uint32_t));
}

void TGdiCanvas::SetPixel(int32_t x, int32_t y, TColor color) {
    const int64_t dx = DeviceX(x), dy = DeviceY(y);
    if (CutRect(DeviceClip(), dx, dy, dx + 1, dy + 1).IsEmpty()) return;
    SetPixelV(bitmap_.DC(), static_cast<int>(dx), static_cast<int>(dy), Ref(color));
}

TColor TGdiCanvas::GetPixel(int32_t x, int32_t y) const {
    const int64_t dx = DeviceX(x), dy = DeviceY(y);
    if (CutRect(DeviceClip(), dx, dy, dx + 1, dy + 1).IsEmpty()) return clNone;
    const COLORREF c = ::GetPixel(bitmap_.DC(), static_cast<int>(dx), static_cast<int>(dy));
    if (c == CLR_INVALID) return clNone;
    return static_cast<TColor>(c) & 0x00FFFFFFu;
}

}  // namespace forms
