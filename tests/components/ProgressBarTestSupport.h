#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "components/OrloExtProgressBar.h"
#include "forms/core/Form.h"
#include "forms/graphics/Bitmap.h"

namespace pbtest {

using forms::TColor;

// A form that holds a bar in a published field, as the dialogs declare theirs.
class TBarForm : public forms::TForm {
    FORMS_CLASS(TBarForm)
public:
    explicit TBarForm(forms::TComponent* owner) : TForm(owner) {}
    TOrloExtProgressBar* PBar = nullptr;
};

// Counts its paints; otherwise the bar itself.
class TCountingBar : public TOrloExtProgressBar {
public:
    using TOrloExtProgressBar::TOrloExtProgressBar;
    void Paint() override {
        ++Paints;
        TOrloExtProgressBar::Paint();
    }
    int Paints = 0;
};

// A colour no painting step uses: whatever keeps it was never drawn.
constexpr TColor kSentinel = forms::RGB(1, 2, 3);

// Colours that no system colour of the classic scheme shares.
constexpr TColor kBarFore = forms::clRed;
constexpr TColor kBarBack = forms::clBlue;
constexpr TColor kTextFore = forms::clYellow;
constexpr TColor kTextBack = forms::clLime;

// A bar of w x h at `percent` of 0..100, in the distinct test colours.
void Configure(TOrloExtProgressBar& bar, int32_t w, int32_t h, int64_t percent);

// Paints the bar through PaintTo onto a fresh bitmap of its size, pre-filled with
// kSentinel.
std::unique_ptr<forms::TBitmap> PaintBar(TOrloExtProgressBar& bar);

// Width and height of a text's cell in a font, as the canvas measures it.
forms::TSize MeasureText(const forms::TFontSpec& font, const std::string& text);

// The glyph pixels that the canvas draws for `text` at (x, y) on a w x h bitmap.
std::vector<bool> GlyphMask(const forms::TFontSpec& font, int32_t w, int32_t h, int32_t x, int32_t y,
                            const std::string& text);
int Count(const std::vector<bool>& mask);

// What the painting rules allow at one pixel: `exact`, or inside the caption's text
// cell also `glyph` (a glyph pixel of the caption).
struct PixelRule {
    TColor exact = 0;
    std::optional<TColor> glyph;
};

// The rules stated as conditions on a pixel: the edge rings of the border style, the
// inner rings, the fill, and the caption's colour split at PixelWidth. `textCell` is
// empty when no caption may be drawn. Colours are resolved as fixed RGB.
PixelRule ExpectedPixel(const TOrloExtProgressBar& bar, const forms::TRect& textCell, int32_t x, int32_t y);

// Checks every pixel of a painted bar against ExpectedPixel. Returns an empty string
// when all match, else the first mismatches. Counts glyph pixels left and right of
// PixelWidth.
struct ModelCheck {
    std::string failures;
    int glyphsLeft = 0;
    int glyphsRight = 0;
};
ModelCheck CheckAgainstModel(const TOrloExtProgressBar& bar, const forms::TBitmap& image, const forms::TRect& textCell,
                             int32_t originX = 0, int32_t originY = 0);

std::string ColorText(TColor c);

}  // namespace pbtest
