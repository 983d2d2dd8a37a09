#include "Control.h"

#include <algorithm>
#include <map>

#include "Form.h"

namespace forms {

namespace {
const NameTable kAlign = {{"alNone", 0}, {"alTop", 1}, {"alBottom", 2}, {"alLeft", 3}, {"alRight", 4}, {"alClient", 5}};
const NameTable kAnchors = {{"akLeft", akLeft}, {"akTop", akTop}, {"akRight", akRight}, {"akBottom", akBottom}};
const NameTable kHelpType = {{"htKeyword", 0}, {"htContext", 1}};

// The standard properties a control class may choose to publish.
const std::map<std::string, TPropInfo>& ProtectedCatalogue() {
    static const std::map<std::string, TPropInfo> catalogue = [] {
        TClassInfo c = ClassBuilder<TControl>("", nullptr)
                           .Enum<TAlign>("Align", "TAlign", &TControl::SetAlign, kAlign)
                           .Reads(&TControl::Align)
                           .Set("Anchors", "TAnchors", &TControl::SetAnchors, kAnchors)
                           .Reads(&TControl::Anchors)
                           .Nested("Font", "TFont", static_cast<TFont* (TControl::*)()>(&TControl::Font))
                           .Bool("ParentFont", &TControl::SetParentFont)
                           .Reads(&TControl::ParentFont)
                           .Color("Color", &TControl::SetColor)
                           .Reads(&TControl::Color)
                           .Bool("ParentColor", &TControl::SetParentColor)
                           .Reads(&TControl::ParentColor)
                           .String("Caption", &TControl::SetCaption)
                           .Reads(&TControl::Caption)
                           .Bool("ShowHint", &TControl::SetShowHint)
                           .Reads(&TControl::ShowHint)
                           .Bool("ParentShowHint", &TControl::SetParentShowHint)
                           .Reads(&TControl::ParentShowHint)
                           .Bool("Visible", &TControl::SetVisible)
                           .Reads(&TControl::Visible)
                           .Bool("Enabled", &TControl::SetEnabled)
                           .Reads(&TControl::Enabled)
                           .Build();
        std::map<std::string, TPropInfo> m;
        for (TPropInfo& p : c.Properties) m[p.Name] = p;
        return m;
    }();
    return catalogue;
}
}  // namespace

const NameTable& CursorNames() {
    static const NameTable names = {
        {"crDefault", crDefault}, {"crArrow", crArrow}, {"crIBeam", crIBeam}, {"crHandPoint", crHandPoint}};
    return names;
}

const TPropInfo& TControl::Protected(const std::string& name) { return ProtectedCatalogue().at(name); }

const TClassInfo& TControl::StaticClass() {
    static const TClassInfo info = ClassBuilder<TControl>("TControl", &TComponent::StaticClass())
                                       // The bounds declare no default: every class sizes itself, a layout stores them.
                                       .Int<int32_t>("Left", &TControl::SetLeft)
                                       .Reads(&TControl::Left)
                                       .NoDefault()
                                       .Int<int32_t>("Top", &TControl::SetTop)
                                       .Reads(&TControl::Top)
                                       .NoDefault()
                                       .Int<int32_t>("Width", &TControl::SetWidth)
                                       .Reads(&TControl::Width)
                                       .NoDefault()
                                       .Int<int32_t>("Height", &TControl::SetHeight)
                                       .Reads(&TControl::Height)
                                       .NoDefault()
                                       .Enum<int32_t>("Cursor", "TCursor", &TControl::SetCursor, CursorNames())
                                       .Reads(&TControl::Cursor)
                                       .String("Hint", &TControl::SetHint)
                                       .Reads(&TControl::Hint)
                                       .Enum<THelpType>("HelpType", "THelpType", &TControl::SetHelpType, kHelpType)
                                       .Reads(&TControl::HelpType)
                                       .String("HelpKeyword", &TControl::SetHelpKeyword)
                                       .Reads(&TControl::HelpKeyword)
                                       .Int<int32_t>("HelpContext", &TControl::SetHelpContext)
                                       .Reads(&TControl::HelpContext)
                                       .Build();
    return info;
}

const TClassInfo& TGraphicControl::StaticClass() {
    static const TClassInfo info = ClassBuilder<TGraphicControl>("TGraphicControl", &TControl::StaticClass()).Build();
    return info;
}

namespace {
// Process-wide, so an id never names two controls, whatever form they come to stand on.
int32_t g_nextAccessibleId = kWindowNode + 1;
}  // namespace

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), font_(std::make_unique<TFont>()), accessibleId_(g_nextAccessibleId++) {
    font_->OnChange = [this] {
        if (!followingParentFont_) parentFont_ = false;
        FontChanged();
    };
}

TControl::~TControl() {
    if (TForm* f = ParentForm()) f->ControlDestroyed(this);
    if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (parent_) {
        Invalidate();
        parent_->RemoveControl(this);
    }
    if (parent) {
        parent->InsertControl(this);
        if (parentFont_) ParentFontChanged();
        if (parentColor_) ParentColorChanged();
        Invalidate();
    }
}

void TControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    const auto keep = [](int32_t v) { return std::clamp(v, -kMaxCoordinate, kMaxCoordinate); };
    left = keep(left);
    top = keep(top);
    width = keep(width);
    height = keep(height);
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    Invalidate();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Invalidate();
    AccessibleChanged(AccessibleChange::Bounds);
}

void TControl::SetVisible(bool v) {
    if (v == visible_) return;
    if (!v) Invalidate();
    visible_ = v;
    if (v) Invalidate();
    VisibleChanged();
    AccessibleChanged(AccessibleChange::State);
}

void TControl::VisibleChanged() {
    if (!visible_)
        if (TForm* f = ParentForm())
            if (f->ActiveControl() && !f->ActiveControl()->Showing()) f->SelectNext(true);
}

void TControl::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    Invalidate();
    AccessibleChanged(AccessibleChange::State);
}

bool TControl::Showing() const {
    for (const TControl* c = this; c; c = c->parent_) {
        if (dynamic_cast<const TForm*>(c)) return true;
        if (!c->visible_) return false;
    }
    return false;
}

void TControl::SetParentFont(bool v) {
    parentFont_ = v;
    if (v) ParentFontChanged();
}

void TControl::ParentFontChanged() {
    if (!parentFont_ || !parent_) return;
    followingParentFont_ = true;
    font_->Assign(parent_->Font()->Spec());
    followingParentFont_ = false;
    FontChanged();
}

void TControl::SetColor(TColor c) {
    parentColor_ = false;
    if (c == color_) return;
    color_ = c;
    Invalidate();
}

void TControl::SetParentColor(bool v) {
    parentColor_ = v;
    if (v) ParentColorChanged();
}

void TControl::ParentColorChanged() {
    if (!parentColor_ || !parent_) return;
    color_ = parent_->Color();
    Invalidate();
}

void TControl::SetParentShowHint(bool v) {
    parentShowHint_ = v;
    if (v && parent_) showHint_ = parent_->ShowHint();
}

void TControl::SetCaption(const std::string& text) {
    if (text == caption_) return;
    caption_ = text;
    TextChanged();
    AccessibleChanged(AccessibleChange::Name);
}

void TControl::AccessibleChanged(AccessibleChange what) const {
    if (Loading()) return;
    if (TForm* f = ParentForm()) f->AccessibleNodeChanged(*this, what);
}

void TControl::PaintTo(TCanvas& canvas) {
    struct Lend {
        TCanvas*& slot;
        ~Lend() { slot = nullptr; }
    } lend{canvas_};
    canvas_ = &canvas;
    Paint();
}

TForm* TControl::ParentForm() const {
    const TControl* c = this;
    while (c->parent_) c = c->parent_;
    return const_cast<TForm*>(dynamic_cast<const TForm*>(c));
}

TPoint TControl::FormOrigin() const {
    TPoint p;
    for (const TControl* c = this; c && c->parent_; c = c->parent_) {
        p.X += c->left_;
        p.Y += c->top_;
    }
    return p;
}

void TControl::Invalidate() {
    if (!parent_ || !visible_) return;
    TForm* f = ParentForm();
    if (!f) return;
    const TPoint o = FormOrigin();
    f->InvalidateRect(Bounds(o.X, o.Y, width_, height_));
}

void TControl::Repaint() {
    if (!parent_ || !Showing()) return;
    TForm* f = ParentForm();
    if (!f || !f->HandleAllocated()) return;
    if (ControlStyle & csOpaque) {
        f->PaintControlNow(*this);
    } else {
        Invalidate();
        f->Update();
    }
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState, int32_t, int32_t) {
    if (button == TMouseButton::mbLeft) mousePressed_ = true;
}

void TControl::MouseUp(TMouseButton button, TShiftState, int32_t x, int32_t y) {
    if (button != TMouseButton::mbLeft || !mousePressed_) return;
    mousePressed_ = false;
    if ((ControlStyle & csClickEvents) && ClientRect().Contains(x, y)) Click();
}

void TControl::MouseMove(TShiftState, int32_t, int32_t) {}
void TControl::KeyDown(uint16_t&, TShiftState) {}
void TControl::KeyUp(uint16_t&, TShiftState) {}
void TControl::KeyPress(char32_t&) {}

}  // namespace forms
