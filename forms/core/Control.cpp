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
        TClassInfo c = TClassBuilder<TControl>("", nullptr)
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
    static const TClassInfo info =
        TClassBuilder<TControl>("TControl", &TComponent::StaticClass())
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
    static const TClassInfo info = TClassBuilder<TGraphicControl>("TGraphicControl", &TControl::StaticClass()).Build();
    return info;
}

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), font_(std::make_unique<TFont>()) {
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
}

void TControl::SetVisible(bool v) {
    if (v == visible_) return;
    if (!v) Invalidate();
    visible_ = v;
    if (v) Invalidate();
    VisibleChanged();
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

// ---- TWinControl ----

const TClassInfo& TWinControl::StaticClass() {
    static const TClassInfo info = TClassBuilder<TWinControl>("TWinControl", &TControl::StaticClass())
                                       .Int<int32_t>("TabOrder", &TWinControl::SetTabOrder)
                                       .Reads(&TWinControl::TabOrder)
                                       .Bool("TabStop", &TWinControl::SetTabStop)
                                       .Reads(&TWinControl::TabStop)
                                       .Build();
    return info;
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
    for (TControl* c : std::vector<TControl*>(controls_)) c->SetParent(nullptr);
}

void TWinControl::InsertControl(TControl* c) {
    controls_.push_back(c);
    c->parent_ = this;
    if (auto* w = dynamic_cast<TWinControl*>(c)) tabList_.push_back(w);
}

void TWinControl::RemoveControl(TControl* c) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
    if (auto* w = dynamic_cast<TWinControl*>(c))
        tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), w), tabList_.end());
    c->parent_ = nullptr;
}

int32_t TWinControl::TabOrder() const {
    if (!Parent()) return -1;
    const auto& list = Parent()->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int32_t>(it - list.begin());
}

void TWinControl::SetTabOrder(int32_t order) {
    if (!Parent()) return;
    auto& list = Parent()->tabList_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    const auto pos = std::clamp<int32_t>(order < 0 ? static_cast<int32_t>(list.size()) : order, 0,
                                         static_cast<int32_t>(list.size()));
    list.insert(list.begin() + pos, this);
}

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

bool TWinControl::Focused() const {
    const TForm* f = ParentForm();
    return f && f->ActiveControl() == this && f->Active();
}

void TWinControl::SetFocus() {
    if (TForm* f = ParentForm()) f->SetActiveControl(this);
}

void TWinControl::DoEnter() { Invalidate(); }
void TWinControl::DoExit() { Invalidate(); }

void TWinControl::PaintTo(TCanvas& canvas) {
    TControl::PaintTo(canvas);
    PaintChildren(canvas, ClientRect());
}

void TWinControl::PaintChildren(TCanvas& canvas, const TRect& clip) {
    // Windowed controls lie above windowless ones, as on Windows. A child's paint
    // may add controls to this container (they join the pass), so no iterator is
    // held across a paint.
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 0; i < controls_.size(); ++i) {
            TControl* c = controls_[i];
            const bool windowed = dynamic_cast<TWinControl*>(c) != nullptr;
            if (windowed != (pass == 1) || !c->Visible()) continue;
            const TRect r = c->BoundsRect().Intersect(clip).Intersect(ClientRect());
            if (r.IsEmpty()) continue;
            TClipScope scope(canvas, c->Left(), c->Top(), r.Offset(-c->Left(), -c->Top()));
            c->PaintTo(canvas);
        }
}

TControl* TWinControl::ControlAt(int32_t x, int32_t y) {
    for (int pass = 1; pass >= 0; --pass)
        for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
            TControl* c = *it;
            const bool windowed = dynamic_cast<TWinControl*>(c) != nullptr;
            if (windowed != (pass == 1) || !c->Visible() || !c->BoundsRect().Contains(x, y)) continue;
            if (auto* w = dynamic_cast<TWinControl*>(c))
                if (TControl* inner = w->ControlAt(x - c->Left(), y - c->Top())) return inner;
            return c;
        }
    return nullptr;
}

void TWinControl::ParentFontChanged() {
    TControl::ParentFontChanged();
}

void TWinControl::FontChanged() {
    TControl::FontChanged();
    for (TControl* c : controls_) c->ParentFontChanged();
}

void TWinControl::ParentColorChanged() {
    TControl::ParentColorChanged();
    for (TControl* c : controls_) c->ParentColorChanged();
}

}  // namespace forms
