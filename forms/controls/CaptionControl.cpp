#include "CaptionControl.h"

#include "forms/graphics/Bitmap.h"

namespace forms {

TSize MeasureText(const TFontSpec& font, std::string_view text) {
    static const std::unique_ptr<TBitmap> scratch = CreateBitmap(1, 1);
    TCanvas& c = scratch->Canvas();
    c.Font = font;
    return c.TextExtent(text);
}

}  // namespace forms
