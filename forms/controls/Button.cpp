#include "Button.h"

#include "Draw3D.h"
#include "TextFont.h"
#include "forms/core/Form.h"

namespace forms {

const TClassInfo& TButton::StaticClass() {
    static const TClassInfo info = ClassBuilder<TButton>("TButton", &TWinControl::StaticClass())
                                       .Creatable()
                                       .Publish(TControl::Protected("Caption"))
                                       .Bool("Cancel", &TButton::SetCancel)
                                       .Reads(&TButton::Cancel)
                                       .Bool("Default", &TButton::SetDefault)
                                       .Reads(&TButton::Default)
                                       .Publish(TControl::Protected("Enabled"))
                                       .Publish(TControl::Protected("Font"))
                                       .Int<int32_t>("ModalResult", &TButton::SetModalResult, "TModalResult")
                                       .Reads(&TButton::ModalResult)
                                       .Publish(TControl::Protected("ParentFont"))
                                       .Publish(TControl::Protected("ParentShowHint"))
                                       .Publish(TControl::Protected("ShowHint"))
                                       .Bool("TabStop", &TWinControl::SetTabStop)
                                       .Reads(&TWinControl::TabStop)
                                       .Publish(TControl::Protected("Visible"))
                                       .Event("OnClick", &TButton::OnClick)
                                       .Build();
    return info;
}

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
}

void TButton::SetDefault(bool v) {
    if (v == default_) return;
    default_ = v;
    RegisterRoles();
    Invalidate();
    AccessibleChanged(AccessibleChange::State);
}

void TButton::SetCancel(bool v) {
    cancel_ = v;
    RegisterRoles();
    AccessibleChanged(AccessibleChange::State);
}

namespace {
// "&&" stands for one "&"; a lone "&" marks the next character as the accelerator.
std::string WithoutAccelerator(const std::string& caption) {
    std::string name;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && ++i == caption.size()) break;
        name += caption[i];
    }
    return name;
}
}  // namespace

bool TButton::Describe(AccessibleNode& node) const {
    node.Role = AccessibleRole::PushButton;
    node.Name = WithoutAccelerator(Caption());
    node.DefaultAction = "press";
    if (default_) node.States |= AccessibleState::Default;
    if (cancel_) node.States |= AccessibleState::Cancel;
    if (down_) node.States |= AccessibleState::Pressed;
    return true;
}

void TButton::SetParent(TWinControl* parent) {
    if (parent == Parent()) return;
    if (TForm* old = ParentForm()) old->SetButtonRoles(this, false, false);
    TWinControl::SetParent(parent);
    RegisterRoles();
}

void TButton::RegisterRoles() {
    if (TForm* form = ParentForm()) form->SetButtonRoles(this, default_, cancel_);
}

void TButton::Click() {
    if (TForm* f = ParentForm())
        if (modalResult_ != 0) f->SetModalResult(modalResult_);
    TWinControl::Click();
}

bool TButton::ShowsAsDefault() const {
    if (Focused()) return true;
    const TForm* f = ParentForm();
    if (!default_ || !f || !f->Active()) return default_;
    return dynamic_cast<TButton*>(f->ActiveControl()) == nullptr;
}

void TButton::Paint() {
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    DrawButtonFace(c, r, down_, ShowsAsDefault());
    PaintContent(c, r);
    if (Focused()) DrawFocusRect(c, {4, 4, Width() - 4, Height() - 4});
}

void TButton::PaintContent(TCanvas& c, const TRect& r) {
    c.Font = TextFont(*this, TTextGround::ButtonFace);
    const TSize size = c.TextExtent(Caption());
    const int32_t shift = down_ ? 1 : 0;
    const int32_t x = (Width() - size.cx) / 2 + shift;
    const int32_t y = (Height() - size.cy) / 2 + shift;
    c.BrushStyle = TBrushStyle::bsClear;
    c.TextRect(r, x, y, Caption());
}

void TButton::SetDown(bool v) {
    if (v == down_) return;
    down_ = v;
    Repaint();
    AccessibleChanged(AccessibleChange::State);
}

void TButton::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    TWinControl::MouseDown(button, shift, x, y);
    if (button == TMouseButton::mbLeft) SetDown(true);
}

void TButton::MouseMove(TShiftState, int32_t x, int32_t y) {
    if (mousePressed_) SetDown(ClientRect().Contains(x, y));
}

void TButton::MouseUp(TMouseButton button, TShiftState, int32_t x, int32_t y) {
    if (button != TMouseButton::mbLeft || !mousePressed_) return;
    mousePressed_ = false;
    SetDown(false);
    if (ClientRect().Contains(x, y)) Click();
}

void TButton::KeyDown(uint16_t& key, TShiftState) {
    if (key == VK_SPACE) {
        spaceDown_ = true;
        SetDown(true);
        key = 0;
    }
}

void TButton::KeyUp(uint16_t& key, TShiftState) {
    if (key == VK_SPACE && spaceDown_) {
        spaceDown_ = false;
        SetDown(false);
        key = 0;
        Click();
    }
}

void TButton::DoExit() {
    spaceDown_ = false;
    down_ = false;
    TWinControl::DoExit();
}

}  // namespace forms
