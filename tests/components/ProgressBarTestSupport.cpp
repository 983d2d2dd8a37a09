#include "ProgressBarTestSupport.h"

#include <cstdio>

using namespace forms;

namespace pbtest {

const TClassInfo& TBarForm::StaticClass() {
    static const TClassInfo info =
        ClassBuilder<TBarForm>("TBarForm", &TForm::StaticClass()).Field("PBar", &TBarForm::PBar).Build();
    return info;
}

void Configure(TOrloExtProgressBar& bar, int32_t w, int32_t h, int64_t percent) {
    bar.SetBounds(0, 0, w, h);
    bar.SetProgress(percent);
    bar.SetBarForeColor(kBarFore);
    bar.SetBarBackColor(kBarBack);
    bar.SetTextForeColor(kTextFore);
    bar.SetTextBackColor(kTextBack);
}

std::unique_ptr<TBitmap> PaintBar(TOrloExtProgressBar& bar) {
    std::unique_ptr<TBitmap> image = CreateBitmap(bar.Width(), bar.Height());
    TCanvas& c = image->Canvas();
    c.BrushStyle = TBrushStyle::bsSolid;
    c.BrushColor = kSentinel;
    c.FillRect({0, 0, image->Width(), image->Height()});
    bar.PaintTo(c);
    return image;
}

TSize MeasureText(const TFontSpec& font, const std::string& text) {
    std::unique_ptr<TBitmap> scratch = CreateBitmap(1, 1);
    scratch->Canvas().Font = font;
    return scratch->Canvas().TextExtent(text);
}

std::vector<bool> GlyphMask(const TFontSpec& font, int32_t w, int32_t h, int32_t x, int32_t y,
                            const std::string& text) {
    std::unique_ptr<TBitmap> image = CreateBitmap(w, h);
    TCanvas& c = image->Canvas();
    c.BrushStyle = TBrushStyle::bsSolid;
    c.BrushColor = kSentinel;
    c.FillRect({0, 0, w, h});
    c.BrushStyle = TBrushStyle::bsClear;
    c.Font = font;
    c.Font.Color = clWhite;
    c.TextRect({0, 0, w, h}, x, y, text);
    std::vector<bool> mask(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int32_t py = 0; py < h; ++py)
        for (int32_t px = 0; px < w; ++px) mask[static_cast<size_t>(py) * w + px] = image->Pixel(px, py) != kSentinel;
    return mask;
}

int Count(const std::vector<bool>& mask) {
    int n = 0;
    for (bool b : mask) n += b ? 1 : 0;
    return n;
}

namespace {

// The edge ring colour at (x, y), if (x, y) lies on one of the border's edge rings.
// Ring d: the top row and the left column take the upper-left colour, the right
// column and the bottom row (each without the ring's first pixel) the lower-right one.
std::optional<TColor> EdgeColor(const TOrloExtProgressBar& bar, int32_t w, int32_t h, int32_t x, int32_t y) {
    struct Ring {
        TColor upperLeft, lowerRight;
    };
    Ring rings[2] = {};
    int32_t count = 0;
    switch (bar.Border()) {
        case gbSingle:
            rings[0] = {bar.SingleBorderColor(), bar.SingleBorderColor()};
            count = 1;
            break;
        case gbSunken:
            rings[0] = {clBtnShadow, clBtnHighlight};
            count = 1;
            break;
        case gbRaised:
            rings[0] = {clBtnHighlight, clBtnShadow};
            count = 1;
            break;
        case gbDeepSunken:
            rings[0] = {clBtnShadow, clBtnHighlight};
            rings[1] = {cl3DDkShadow, clBtnFace};
            count = 2;
            break;
        case gbFatRaised:
            rings[0] = {clBtnHighlight, clBtnShadow};
            rings[1] = {clBtnFace, cl3DDkShadow};
            count = 2;
            break;
        default:
            break;
    }
    for (int32_t d = 0; d < count; ++d) {
        const bool top = y == d && x >= d && x <= w - 1 - d;
        const bool left = x == d && y >= d && y <= h - 1 - d;
        const bool right = x == w - 1 - d && y >= d + 1 && y <= h - 1 - d;
        const bool bottom = y == h - 1 - d && x >= d + 1 && x <= w - 1 - d;
        if (top || left) return rings[d].upperLeft;
        if (right || bottom) return rings[d].lowerRight;
    }
    return std::nullopt;
}

int32_t RingStart(TGaugeBorders b) { return b == gbDeepSunken || b == gbFatRaised ? 2 : 1; }

}  // namespace

PixelRule ExpectedPixel(const TOrloExtProgressBar& bar, const TRect& textCell, int32_t x, int32_t y) {
    const int32_t w = bar.Width(), h = bar.Height();
    const int64_t pw = bar.PixelWidth();
    PixelRule rule;
    if (bar.Border() != gbNone) {
        if (std::optional<TColor> edge = EdgeColor(bar, w, h, x, y)) {
            rule.exact = ColorToRGB(*edge);
            return rule;
        }
        const int64_t inset = std::min(std::min(x, y), std::min(w - 1 - x, h - 1 - y));
        const int64_t s = RingStart(bar.Border());
        if (inset >= s && inset < s + bar.InnerBorderSize()) {
            rule.exact = ColorToRGB(bar.BarBackColor());
            return rule;
        }
    }
    TColor fill = bar.BarBackColor();
    if (bar.FillStyle() != gsNone && x < pw) {
        const bool gap = bar.FillStyle() == gsDashed && x >= 10 && x % 10 < 2;
        fill = gap ? bar.BarBackColor() : bar.BarForeColor();
    }
    rule.exact = ColorToRGB(fill);
    if (bar.ShowText() && textCell.Contains(x, y)) {
        const bool overBar = x < pw && bar.FillStyle() != gsNone;
        rule.glyph = ColorToRGB(overBar ? bar.TextBackColor() : bar.TextForeColor());
    }
    return rule;
}

std::string ColorText(TColor c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(c));
    return buf;
}

ModelCheck CheckAgainstModel(const TOrloExtProgressBar& bar, const TBitmap& image, const TRect& textCell,
                             int32_t originX, int32_t originY) {
    ModelCheck result;
    int reported = 0;
    for (int32_t y = 0; y < bar.Height(); ++y)
        for (int32_t x = 0; x < bar.Width(); ++x) {
            const TColor got = image.Pixel(originX + x, originY + y);
            const PixelRule rule = ExpectedPixel(bar, textCell, x, y);
            const bool isGlyph = rule.glyph && got == *rule.glyph && got != rule.exact;
            if (isGlyph) (x < bar.PixelWidth() ? result.glyphsLeft : result.glyphsRight) += 1;
            if (got == rule.exact || isGlyph) continue;
            if (reported++ < 8) {
                result.failures += "(" + std::to_string(x) + "," + std::to_string(y) + ") is " + ColorText(got) +
                                   ", expected " + ColorText(rule.exact);
                if (rule.glyph) result.failures += " or glyph " + ColorText(*rule.glyph);
                result.failures += "\n";
            }
        }
    if (reported > 8) result.failures += std::to_string(reported - 8) + " more\n";
    return result;
}

}  // namespace pbtest
