#include "Label.h"

#include "../graphics/Bitmap.h"

namespace forms {

TSize MeasureText(const TFontSpec& font, std::string_view text) {
    static const std::unique_ptr<TBitmap> scratch = CreateBitmap(1, 1);
    TCanvas& c = scratch->Canvas();
    c.Font = font;
    return c.TextExtent(text);
}

const TClassInfo& TLabel::StaticClass() {
    static const TClassInfo info = CaptionClassInfo<TLabel>("TLabel", TGraphicControl::StaticClass());
    return info;
}

TLabel::TLabel(TComponent* AOwner) : TCaptionControl(AOwner) { SetBounds(0, 0, 65, 13); }

}  // namespace forms
