#include "StaticText.h"

#include "Label.h"

namespace forms {

const TClassInfo& TStaticText::StaticClass() {
    static const TClassInfo info = TClassBuilder<TStaticText>("TStaticText", &TWinControl::StaticClass())
                                       .Creatable()
                                       .Bool("AutoSize", &TStaticText::SetAutoSize, true)
                                       .Publish(TControl::Protected("Caption"))
                                       .Color("Color", &TControl::SetColor, clBtnFace)
                                       .Publish(TControl::Protected("Enabled"))
                                       .Publish(TControl::Protected("Font"))
                                       .Bool("ParentColor", &TControl::SetParentColor, true)
                                       .Publish(TControl::Protected("ParentFont"))
                                       .Publish(TControl::Protected("ParentShowHint"))
                                       .Publish(TControl::Protected("ShowHint"))
                                       .Publish(TControl::Protected("Visible"))
                                       .Event("OnClick", &TStaticText::OnClick)
                                       .Build();
    return info;
}

TStaticText::TStaticText(TComponent* AOwner) : TWinControl(AOwner) {
    SetParentColor(true);
    SetBounds(0, 0, 65, 17);
}

void TStaticText::SetAutoSize(bool v) {
    if (v == autoSize_) return;
    autoSize_ = v;
    AdjustSize();
}

// Sizing waits for the end of a layout, whose Width and Height come before the
// caption and the font.
void TStaticText::AdjustSize() {
    if (!autoSize_ || Loading()) return;
    const TSize s = MeasureText(Font()->Spec(), Caption());
    SetBounds(Left(), Top(), s.cx + BlankRight, s.cy + BlankBelow);
}

void TStaticText::Loaded() {
    TWinControl::Loaded();
    AdjustSize();
}

void TStaticText::TextChanged() {
    AdjustSize();
    Invalidate();
}

void TStaticText::FontChanged() {
    TWinControl::FontChanged();
    AdjustSize();
}

TColor TStaticText::BackgroundColor() const { return ParentColor() && Parent() ? Parent()->Color() : Color(); }

void TStaticText::Paint() {
    TCanvas& c = *Canvas();
    c.BrushStyle = TBrushStyle::bsSolid;
    c.BrushColor = BackgroundColor();
    c.FillRect(ClientRect());
    c.Font = Font()->Spec();
    if (!Enabled()) c.Font.Color = clGrayText;
    c.TextRect(ClientRect(), 0, 0, Caption());
}

}  // namespace forms
