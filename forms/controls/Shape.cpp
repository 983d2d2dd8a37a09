#include "Shape.h"

namespace forms {

const TClassInfo& TBrush::StaticClass() {
    static const TClassInfo info = ClassBuilder<TBrush>("TBrush", &TPersistent::StaticClass())
                                       .Color("Color", &TBrush::SetColor)
                                       .Reads(&TBrush::Color)
                                       .Build();
    return info;
}

void TBrush::SetColor(TColor c) {
    if (c == color_) return;
    color_ = c;
    if (OnChange) OnChange();
}

const TClassInfo& TShape::StaticClass() {
    static const TClassInfo info = ClassBuilder<TShape>("TShape", &TGraphicControl::StaticClass())
                                       .Creatable()
                                       .Publish(TControl::Protected("Align"))
                                       .Publish(TControl::Protected("Anchors"))
                                       .Nested("Brush", "TBrush", static_cast<TBrush* (TShape::*)()>(&TShape::Brush))
                                       .Publish(TControl::Protected("ParentShowHint"))
                                       .Publish(TControl::Protected("ShowHint"))
                                       .Publish(TControl::Protected("Visible"))
                                       .Build();
    return info;
}

TShape::TShape(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetBounds(0, 0, 65, 65);
    brush_.OnChange = [this] { Invalidate(); };
}

void TShape::Paint() {
    TCanvas& c = *Canvas();
    c.PenColor = clBlack;
    c.BrushColor = brush_.Color();
    c.BrushStyle = TBrushStyle::bsSolid;
    c.Rectangle(ClientRect());
}

}  // namespace forms
