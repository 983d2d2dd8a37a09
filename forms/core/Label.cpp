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
    static const TClassInfo info = TClassBuilder<TLabel>("TLabel", &TGraphicControl::StaticClass())
                                       .Creatable()
                                       .Bool("AutoSize", &TLabel::SetAutoSize, true)
                                       .Publish(TControl::Protected("Caption"))
                                       .Color("Color", &TControl::SetColor, clBtnFace)
                                       .Publish(TControl::Protected("Enabled"))
                                       .Publish(TControl::Protected("Font"))
                                       .Bool("ParentColor", &TControl::SetParentColor, true)
                                       .Publish(TControl::Protected("ParentFont"))
                                       .Publish(TControl::Protected("ParentShowHint"))
                                       .Publish(TControl::Protected("ShowHint"))
                                       .Publish(TControl::Protected("Visible"))
                                       .Event("OnClick", &TLabel::OnClick)
                                       .Build();
    return info;
}

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetParentColor(true);
    SetBounds(0, 0, 65, 13);
}

void TLabel::SetAutoSize(bool v) {
    if (v == autoSize_) return;
    autoSize_ = v;
    AdjustSize();
}

// Sizing waits for the end of a layout, whose Width and Height come before the
// caption and the font.
void TLabel::AdjustSize() {
    if (!autoSize_ || Loading()) return;
    const TSize s = MeasureText(Font()->Spec(), Caption());
    SetBounds(Left(), Top(), s.cx, s.cy);
}

void TLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustSize();
}

void TLabel::TextChanged() {
    AdjustSize();
    Invalidate();
}

void TLabel::FontChanged() {
    AdjustSize();
    Invalidate();
}

TColor TLabel::BackgroundColor() const { return ParentColor() && Parent() ? Parent()->Color() : Color(); }

void TLabel::Paint() {
    TCanvas& c = *Canvas();
    c.BrushStyle = TBrushStyle::bsSolid;
    c.BrushColor = BackgroundColor();
    c.FillRect(ClientRect());
    c.Font = Font()->Spec();
    if (!Enabled()) c.Font.Color = clGrayText;
    c.TextRect(ClientRect(), 0, 0, Caption());
}

}  // namespace forms
