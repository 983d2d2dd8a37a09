// The form's input routing: the mouse to the control under it or to the one that
// captured it, the keys to the focused control, the tab stops, and the dialog keys
// (Enter for the default button, Escape for the cancel button, Tab).
#include "Form.h"

#include <algorithm>

#include "Application.h"

namespace forms {

void TForm::SetActiveControl(TWinControl* c) {
    if (c == activeControl_) return;
    TWinControl* old = activeControl_;
    activeControl_ = c;
    if (!Active()) return;
    if (old) old->DoExit();
    if (c) c->DoEnter();
    AccessibleFocusChanged(old);
}

TWinControl* TForm::KeyTarget() const {
    return activeControl_ && activeControl_->CanFocus() ? activeControl_ : nullptr;
}

void TForm::HandleActivated() {
    if (TWinControl* c = KeyTarget()) {
        c->DoEnter();
        AccessibleFocusChanged(nullptr);
        return;
    }
    FocusFirst();  // tells where the focus went when it finds a control
    if (!activeControl_) AccessibleFocusChanged(nullptr);
}

namespace {
void CollectTabStops(TWinControl& w, std::vector<TWinControl*>& out) {
    for (TWinControl* c : w.TabList()) {
        if (c->TabStop() && c->CanFocus()) out.push_back(c);
        CollectTabStops(*c, out);
    }
}
}  // namespace

void TForm::FocusFirst() {
    std::vector<TWinControl*> stops;
    CollectTabStops(*this, stops);
    activeControl_ = nullptr;
    if (!stops.empty()) SetActiveControl(stops.front());
}

void TForm::SelectNext(bool forward) {
    std::vector<TWinControl*> stops;
    CollectTabStops(*this, stops);
    if (stops.empty()) return;
    auto it = std::find(stops.begin(), stops.end(), activeControl_);
    size_t i;
    if (it == stops.end()) i = forward ? 0 : stops.size() - 1;
    else if (forward) i = (static_cast<size_t>(it - stops.begin()) + 1) % stops.size();
    else i = (static_cast<size_t>(it - stops.begin()) + stops.size() - 1) % stops.size();
    SetActiveControl(stops[i]);
}

namespace {
TWinControl* FirstFocusable(const std::vector<TWinControl*>& buttons) {
    for (TWinControl* b : buttons)
        if (b->CanFocus()) return b;
    return nullptr;
}
void SetMember(std::vector<TWinControl*>& list, TWinControl* c, bool member) {
    const auto it = std::find(list.begin(), list.end(), c);
    if (member && it == list.end()) list.push_back(c);
    if (!member && it != list.end()) list.erase(it);
}
}  // namespace

TWinControl* TForm::DefaultButton() const { return FirstFocusable(defaultButtons_); }

TWinControl* TForm::CancelButton() const { return FirstFocusable(cancelButtons_); }

void TForm::SetButtonRoles(TWinControl* button, bool isDefault, bool isCancel) {
    SetMember(defaultButtons_, button, isDefault);
    SetMember(cancelButtons_, button, isCancel);
}

namespace {
TPoint ToLocal(const TControl& c, int32_t x, int32_t y) {
    const TPoint o = c.FormOrigin();
    return {x - o.X, y - o.Y};
}
}  // namespace

void TForm::HandleMouseDown(TMouseButton b, TShiftState s, int32_t x, int32_t y) {
    TControl* c = ControlAt(x, y);
    captured_ = c;
    if (!Active()) Application->SetActiveForm(this);
    if (!c) return;
    if (auto* w = dynamic_cast<TWinControl*>(c))
        if (w->FocusOnClick() && w->CanFocus()) w->SetFocus();
    if (captured_ != c) return;  // the focus change destroyed or moved it
    const TPoint p = ToLocal(*c, x, y);
    c->MouseDown(b, s, p.X, p.Y);
}

void TForm::HandleMouseUp(TMouseButton b, TShiftState s, int32_t x, int32_t y) {
    TControl* c = captured_ ? captured_ : ControlAt(x, y);
    captured_ = nullptr;
    if (!c) return;
    const TPoint p = ToLocal(*c, x, y);
    c->MouseUp(b, s, p.X, p.Y);
}

void TForm::HandleMouseMove(TShiftState s, int32_t x, int32_t y) {
    // A control disabled while it holds the capture gets no more moves; its release
    // still comes.
    if (captured_ && !captured_->Enabled()) return;
    TControl* c = captured_ ? captured_ : ControlAt(x, y);
    if (!c) return;
    const TPoint p = ToLocal(*c, x, y);
    c->MouseMove(s, p.X, p.Y);
}

void TForm::HandleKeyDown(uint16_t key, TShiftState s) {
    swallowDialogKeyChar_ = false;
    TWinControl* focused = KeyTarget();
    if (focused) {
        uint16_t k = key;
        focused->KeyDown(k, s);
        if (k == 0) return;
    }
    const bool plain = (s & (ssShift | ssAlt | ssCtrl)) == 0;
    if (key == VK_TAB && (s & (ssAlt | ssCtrl)) == 0) {
        SelectNext((s & ssShift) == 0);
        swallowDialogKeyChar_ = true;
    } else if (key == VK_RETURN && plain) {
        TWinControl* b = focused && focused->ClickedByReturn() ? focused : DefaultButton();
        if (b) {
            swallowDialogKeyChar_ = true;
            b->Click();
        }
    } else if (key == VK_ESCAPE && plain) {
        if (TWinControl* b = CancelButton()) {
            swallowDialogKeyChar_ = true;
            b->Click();
        }
    }
}

void TForm::HandleKeyUp(uint16_t key, TShiftState s) {
    if (TWinControl* focused = KeyTarget()) focused->KeyUp(key, s);
}

void TForm::HandleChar(char32_t c) {
    if (swallowDialogKeyChar_ && (c == U'\r' || c == U'\x1b' || c == U'\t')) {
        swallowDialogKeyChar_ = false;
        return;
    }
    if (TWinControl* focused = KeyTarget()) focused->KeyPress(c);
}

void TForm::ControlDestroyed(TControl* c) {
    // Called from the control's base destructor: compared as a plain control.
    for (auto* list : {&defaultButtons_, &cancelButtons_})
        list->erase(std::remove_if(list->begin(), list->end(), [c](TControl* b) { return b == c; }), list->end());
    if (captured_ == c) captured_ = nullptr;
    if (activeControl_ == c) activeControl_ = nullptr;
}

}  // namespace forms
