#include "WinControl.h"

#include <algorithm>

#include "base/Check.h"
#include "Form.h"

namespace forms {

const TClassInfo& TWinControl::StaticClass() {
    static const TClassInfo info = ClassBuilder<TWinControl>("TWinControl", &TControl::StaticClass())
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
    if (TForm* f = ParentForm()) f->AccessibleStructureChanged();
}

void TWinControl::RemoveControl(TControl* c) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
    // Compared as plain controls: from a control's base destructor the cast to a
    // windowed control no longer succeeds, and the tab list must forget it all the same.
    tabList_.erase(std::remove_if(tabList_.begin(), tabList_.end(),
                                  [c](const TWinControl* w) { return static_cast<const TControl*>(w) == c; }),
                   tabList_.end());
    c->parent_ = nullptr;
    if (TForm* f = ParentForm()) f->AccessibleStructureChanged();
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
    // Windowed controls lie above windowless ones, as on Windows.
    // A child's paint may add controls to this container (a level meter makes its
    // segments so), but removes none: the list is walked by index and may grow under
    // the walk. Controls added during the pass join it: each is painted in it where
    // it lies inside the clip and its turn is still to come (a windowless one added
    // while the windowed ones paint waits); parenting invalidated it, so the next
    // pass paints it in any case.
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 0; i < controls_.size(); ++i) {
            TControl* c = controls_[i];
            const bool windowed = dynamic_cast<TWinControl*>(c) != nullptr;
            if (windowed != (pass == 1) || !c->Visible()) continue;
            const TRect r = c->BoundsRect().Intersect(clip).Intersect(ClientRect());
            if (r.IsEmpty()) continue;
            const size_t before = controls_.size();
            ClipScope scope(canvas, c->Left(), c->Top(), r.Offset(-c->Left(), -c->Top()));
            c->PaintTo(canvas);
            SA_CHECK(controls_.size() >= before && controls_[i] == c, "a paint removed or moved a control of the pass");
        }
}

TControl* TWinControl::ControlAt(int32_t x, int32_t y) {
    TControl* c = TopmostAt(x, y);
    return c && c->Enabled() ? c : nullptr;
}

TControl* TWinControl::TopmostAt(int32_t x, int32_t y) {
    for (int pass = 1; pass >= 0; --pass)
        for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
            TControl* c = *it;
            const bool windowed = dynamic_cast<TWinControl*>(c) != nullptr;
            if (windowed != (pass == 1) || !c->Visible() || !c->BoundsRect().Contains(x, y)) continue;
            if (auto* w = dynamic_cast<TWinControl*>(c))
                if (TControl* inner = w->TopmostAt(x - c->Left(), y - c->Top())) return inner;
            return c;
        }
    return nullptr;
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
