#pragma once
#include <string_view>

#include "forms/core/Accessible.h"
#include "forms/core/ClassBuilder.h"
#include "forms/core/WinControl.h"
#include "TextFont.h"

namespace forms {

// The size of a text's cell in a font, as a canvas draws it: for sizing controls
// to their text outside of painting.
TSize MeasureText(const TFontSpec& font, std::string_view text);

// What labels and static texts share: a caption drawn at the top-left corner on the
// control's colour, which follows the parent's colour while ParentColor holds (the
// default); with AutoSize (the default) the control is its text's size plus
// ExtraWidth columns and ExtraHeight rows. To assistive technology it is static text,
// and it names its focus control.
template <class Base, int32_t ExtraWidth, int32_t ExtraHeight>
class TCaptionControl : public Base {
public:
    static constexpr int32_t kBlankRight = ExtraWidth;
    static constexpr int32_t kBlankBelow = ExtraHeight;

    explicit TCaptionControl(TComponent* AOwner) : Base(AOwner) { this->SetParentColor(true); }

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v) {
        if (v == autoSize_) return;
        autoSize_ = v;
        AdjustSize();
    }
    // The colour it is drawn on right now.
    TColor BackgroundColor() const {
        return this->ParentColor() && this->Parent() ? this->Parent()->Color() : this->Color();
    }

    // The control this caption stands for: a label names its field. Kept by id, so a
    // control destroyed first leaves no dangling reference.
    void SetFocusControl(const TControl* c) {
        focusControl_ = c ? c->AccessibleId() : kNoNode;
        this->AccessibleChanged(AccessibleChange::Name);
    }
    bool Describe(AccessibleNode& node) const override {
        node.Role = AccessibleRole::StaticText;
        node.Name = this->Caption();
        node.States |= AccessibleState::ReadOnly;
        node.LabelFor = focusControl_;
        return true;
    }

    void Paint() override {
        TCanvas& c = *this->Canvas();
        c.BrushStyle = TBrushStyle::bsSolid;
        c.BrushColor = BackgroundColor();
        c.FillRect(this->ClientRect());
        c.Font = TextFont(*this, TTextGround::Window);
        c.TextRect(this->ClientRect(), 0, 0, this->Caption());
    }
    void Loaded() override {
        Base::Loaded();
        AdjustSize();
    }
    void TextChanged() override {
        AdjustSize();
        this->Invalidate();
    }
    void FontChanged() override {
        Base::FontChanged();
        AdjustSize();
    }

private:
    // Sizing waits for the end of a layout, whose Width and Height come before the
    // caption and the font.
    void AdjustSize() {
        if (!autoSize_ || this->Loading()) return;
        const TSize s = MeasureText(this->Font()->Spec(), this->Caption());
        this->SetBounds(this->Left(), this->Top(), s.cx + ExtraWidth, s.cy + ExtraHeight);
    }
    bool autoSize_ = true;
    int32_t focusControl_ = kNoNode;
};

// The published properties labels and static texts share, in declaration order.
template <class C>
TClassInfo CaptionClassInfo(const char* name, const TClassInfo& parent) {
    return ClassBuilder<C>(name, &parent)
        .Creatable()
        .Bool("AutoSize", &C::SetAutoSize)
        .Reads(&C::AutoSize)
        .Publish(TControl::Protected("Caption"))
        .Color("Color", &TControl::SetColor)
        .Reads(&TControl::Color)
        .Publish(TControl::Protected("Enabled"))
        .Publish(TControl::Protected("Font"))
        .Bool("ParentColor", &TControl::SetParentColor)
        .Reads(&TControl::ParentColor)
        .Publish(TControl::Protected("ParentFont"))
        .Publish(TControl::Protected("ParentShowHint"))
        .Publish(TControl::Protected("ShowHint"))
        .Publish(TControl::Protected("Visible"))
        .Event("OnClick", &C::OnClick)
        .Build();
}

}  // namespace forms
