#include "Form.h"

#include <algorithm>

#include "Application.h"

namespace forms {

namespace {
const NameTable kBorderStyles = {{"bsNone", 0},   {"bsSingle", 1},     {"bsSizeable", 2},
                                 {"bsDialog", 3}, {"bsToolWindow", 4}, {"bsSizeToolWin", 5}};
const NameTable kBorderIcons = {{"biSystemMenu", biSystemMenu}, {"biMinimize", biMinimize},
                                {"biMaximize", biMaximize}, {"biHelp", biHelp}};
const NameTable kFormStyles = {{"fsNormal", 0}, {"fsMDIChild", 1}, {"fsMDIForm", 2}, {"fsStayOnTop", 3}};
const NameTable kPositions = {{"poDesigned", 0},       {"poDefault", 1},       {"poDefaultPosOnly", 2},
                              {"poDefaultSizeOnly", 3}, {"poScreenCenter", 4},  {"poDesktopCenter", 5},
                              {"poMainFormCenter", 6},  {"poOwnerFormCenter", 7}};

Backend& TheBackend() {
    if (!Application) throw Exception("No application object");
    return Application->GetBackend();
}
}  // namespace

const TClassInfo& TForm::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TForm>("TForm", &TWinControl::StaticClass())
            .Set("BorderIcons", "TBorderIcons", &TForm::SetBorderIcons, kBorderIcons)
            .Reads(&TForm::BorderIcons)
            .Enum<TBorderStyle>("BorderStyle", "TFormBorderStyle", &TForm::SetBorderStyle, kBorderStyles)
            .Reads(&TForm::BorderStyle)
            .Publish(TControl::Protected("Caption"))
            .Int<int32_t>("ClientHeight", &TForm::SetClientHeight)
            .Reads(&TForm::ClientHeight)
            .NoDefault()
            .Int<int32_t>("ClientWidth", &TForm::SetClientWidth)
            .Reads(&TForm::ClientWidth)
            .NoDefault()
            .Publish(TControl::Protected("Color"))
            .Publish(TControl::Protected("Font"))
            .Enum<TFormStyle>("FormStyle", "TFormStyle", &TForm::SetFormStyle, kFormStyles)
            .Reads(&TForm::FormStyle)
            .Enum<TPosition>("Position", "TPosition", &TForm::SetPosition, kPositions)
            .Reads(&TForm::Position)
            .Bool("Visible", &TControl::SetVisible)
            .Reads(&TControl::Visible)
            .Publish(TControl::Protected("ShowHint"))
            .Event("OnCreate", &TForm::OnCreate)
            .Event("OnHide", &TForm::OnHide)
            .Event("OnShow", &TForm::OnShow)
            .Build();
    return info;
}

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) {
    SetVisibleFlag(false);
    SetParentFont(false);
    SetColor(clBtnFace);
    if (Application) Application->AddForm(this);
}

TForm::~TForm() {
    if (Application) {
        Application->RemoveForm(this);
        if (handle_) Application->GetBackend().DestroyWindow(handle_);
    }
}

WindowStyle TForm::Style() const {
    WindowStyle s;
    s.Border = borderStyle_;
    s.SystemMenu = (borderIcons_ & biSystemMenu) != 0;
    s.MinimizeBox = (borderIcons_ & biMinimize) != 0;
    s.MaximizeBox = (borderIcons_ & biMaximize) != 0;
    s.StayOnTop = formStyle_ == TFormStyle::fsStayOnTop;
    return s;
}

void TForm::SetBorderStyle(TBorderStyle s) { borderStyle_ = s; }
void TForm::SetBorderIcons(TBorderIcons icons) { borderIcons_ = icons; }
void TForm::SetFormStyle(TFormStyle s) { formStyle_ = s; }

TSize TForm::OuterSize() const { return TheBackend().OuterSize(Style(), Width(), Height()); }

WindowId TForm::Handle() {
    if (handle_) return handle_;
    WindowParams p;
    p.Caption = Caption();
    p.Left = Left();
    p.Top = Top();
    p.ClientWidth = Width();
    p.ClientHeight = Height();
    p.Style = Style();
    p.HasIcon = hasIcon_;
    if (hasIcon_ && Application) p.Icon = Application->Icon;
    TForm* main = Application ? Application->MainForm() : nullptr;
    if (main && main != this && main->HandleAllocated()) p.Owner = main->handle_;
    handle_ = TheBackend().CreateWindow(p);
    Application->BindWindow(this, handle_);
    return handle_;
}

void TForm::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    TControl::SetBounds(left, top, width, height);
    if (handle_) TheBackend().SetBounds(handle_, Left(), Top(), Width(), Height());
}

void TForm::HandleMoved(int32_t left, int32_t top) { TControl::SetBounds(left, top, Width(), Height()); }

void TForm::TextChanged() {
    if (handle_) TheBackend().SetCaption(handle_, Caption());
}

void TForm::SetVisible(bool v) {
    if (Loading()) {
        SetVisibleFlag(v);
        return;
    }
    if (v) Show();
    else Hide();
}

void TForm::SetEnabled(bool v) {
    if (v == Enabled()) return;
    SetEnabledFlag(v);
    if (handle_) TheBackend().Enable(handle_, v);
}

void TForm::PlaceOnFirstShow() {
    placed_ = true;
    const TSize outer = OuterSize();
    const TRect screen = TheBackend().ScreenRect();
    int32_t left = Left();
    int32_t top = Top();
    TForm* main = Application->MainForm();
    switch (position_) {
        case TPosition::poMainFormCenter:
        case TPosition::poOwnerFormCenter:
            if (main && main != this) {
                const TSize mo = main->OuterSize();
                left = main->Left() + (mo.cx - outer.cx) / 2;
                top = main->Top() + (mo.cy - outer.cy) / 2;
                break;
            }
            [[fallthrough]];
        case TPosition::poScreenCenter:
        case TPosition::poDesktopCenter:
            left = screen.Left + (screen.Width() - outer.cx) / 2;
            top = screen.Top + (screen.Height() - outer.cy) / 2;
            break;
        default:
            break;
    }
    SetBounds(left, top, Width(), Height());
}

void TForm::Show() {
    Handle();
    if (!placed_) PlaceOnFirstShow();
    const bool wasVisible = Visible();
    if (!wasVisible) {
        SetVisibleFlag(true);
        if (OnShow) OnShow(this);
    }
    if (!Visible()) return;  // a handler may hide it again
    TheBackend().Show(handle_, ShowMode::Normal);
    InvalidateRect(ClientRect());
    Application->SetActiveForm(this);
}

void TForm::Hide() {
    if (!Visible()) return;
    SetVisibleFlag(false);
    if (handle_) TheBackend().Show(handle_, ShowMode::Hide);
    if (OnHide) OnHide(this);
    if (Application && Application->ActiveForm() == this) {
        TForm* next = nullptr;
        for (TForm* f : Application->Forms())
            if (f != this && f->Visible() && f->Enabled()) next = f;
        TForm* main = Application->MainForm();
        if (main && main != this && main->Visible() && main->Enabled()) next = main;
        Application->SetActiveForm(next);
    }
}

void TForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (Application && Application->MainForm() == this) {
        Hide();
        Application->Terminate();
        return;
    }
    Hide();
}

TModalResult TForm::ShowModal() {
    if (Visible() || !Enabled() || modal_) throw Exception("Cannot make a visible window modal");
    TForm* previous = Application->ActiveForm();
    const std::vector<TForm*> disabled = Application->DisableForms(this);
    struct Restore {
        TForm& form;
        TForm* previous;
        const std::vector<TForm*>& disabled;
        ~Restore() {
            form.modal_ = false;
            form.Hide();
            Application->EnableForms(disabled);
            if (previous && previous->Visible() && previous != &form) Application->SetActiveForm(previous);
        }
    } restore{*this, previous, disabled};
    modal_ = true;
    modalResult_ = mrNone;
    Show();
    while (modalResult_ == mrNone) {
        if (Application->Terminated()) {
            modalResult_ = mrCancel;
            break;
        }
        Application->HandleMessage();
        if (Application->Terminated() && modalResult_ == mrNone) modalResult_ = mrCancel;
    }
    return modalResult_;
}

bool TForm::Active() const { return Application && Application->ActiveForm() == this; }

void TForm::SetActiveControl(TWinControl* c) {
    if (c == activeControl_) return;
    TWinControl* old = activeControl_;
    activeControl_ = c;
    if (!Active()) return;
    if (old) old->DoExit();
    if (c) c->DoEnter();
}

void TForm::HandleActivated() {
    if (activeControl_ && activeControl_->CanFocus()) activeControl_->DoEnter();
    else FocusFirst();
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

// ---- painting ----

TBitmap& TForm::Surface() {
    if (!surface_) surface_ = CreateBitmap();
    if (surface_->Width() != Width() || surface_->Height() != Height()) surface_->SetSize(Width(), Height());
    return *surface_;
}

void TForm::InvalidateRect(const TRect& r) {
    const TRect clipped = r.Intersect(ClientRect());
    if (clipped.IsEmpty()) return;
    dirty_ = dirty_.Union(clipped);
    if (handle_ && Application) Application->RequestPaint(this);
}

void TForm::Update() {
    if (dirty_.IsEmpty() || !handle_) return;
    const TRect r = dirty_;
    dirty_ = {};
    PaintRect(r);
}

void TForm::Paint() {
    canvas_->BrushColor = Color();
    canvas_->BrushStyle = TBrushStyle::bsSolid;
    canvas_->FillRect(ClientRect());
}

void TForm::PaintRect(const TRect& r) {
    if (!handle_) return;
    const bool resized = !surface_ || surface_->Width() != Width() || surface_->Height() != Height();
    TBitmap& surface = Surface();
    const TRect area = resized ? ClientRect() : r.Intersect(ClientRect());
    if (area.IsEmpty()) return;
    TCanvas& canvas = surface.Canvas();
    {
        TClipScope scope(canvas, 0, 0, area);
        TControl::PaintTo(canvas);  // the form's own background; children only where dirty
        PaintChildren(canvas, area);
    }
    TheBackend().Present(handle_, surface, area);
}

void TForm::PaintControlNow(TControl& c) {
    if (!handle_) return;
    if (!surface_ || surface_->Width() != Width() || surface_->Height() != Height()) {
        PaintRect(ClientRect());
        return;
    }
    const TPoint o = c.FormOrigin();
    TRect r = Bounds(o.X, o.Y, c.Width(), c.Height());
    for (const TControl* p = c.Parent(); p && p != this; p = p->Parent()) {
        const TPoint po = p->FormOrigin();
        r = r.Intersect(Bounds(po.X, po.Y, p->Width(), p->Height()));
    }
    r = r.Intersect(ClientRect());
    if (r.IsEmpty()) return;
    TCanvas& canvas = surface_->Canvas();
    {
        TClipScope scope(canvas, o.X, o.Y, r.Offset(-o.X, -o.Y));
        c.PaintTo(canvas);
    }
    TheBackend().Present(handle_, *surface_, r);
}

// ---- input ----

namespace {
TPoint ToLocal(const TControl& c, int32_t x, int32_t y) {
    const TPoint o = c.FormOrigin();
    return {x - o.X, y - o.Y};
}
}  // namespace

void TForm::HandleMouseDown(TMouseButton b, TShiftState s, int32_t x, int32_t y) {
    TControl* c = ControlAt(x, y);
    if (c && !c->Enabled()) c = nullptr;
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
    TControl* c = captured_;
    captured_ = nullptr;
    if (!c) {
        c = ControlAt(x, y);
        if (c && !c->Enabled()) c = nullptr;
    }
    if (!c) return;
    const TPoint p = ToLocal(*c, x, y);
    c->MouseUp(b, s, p.X, p.Y);
}

void TForm::HandleMouseMove(TShiftState s, int32_t x, int32_t y) {
    TControl* hit = ControlAt(x, y);
    if (hit != hover_) {
        if (hover_) hover_->MouseLeave();
        hover_ = hit;
    }
    TControl* c = captured_ ? captured_ : hit;
    if (!c || !c->Enabled()) return;
    const TPoint p = ToLocal(*c, x, y);
    c->MouseMove(s, p.X, p.Y);
}

void TForm::HandleKeyDown(uint16_t key, TShiftState s) {
    swallowReturnChar_ = false;
    TWinControl* focused = activeControl_ && activeControl_->CanFocus() ? activeControl_ : nullptr;
    if (focused) {
        uint16_t k = key;
        focused->KeyDown(k, s);
        if (k == 0) return;
    }
    const bool plain = (s & (ssShift | ssAlt | ssCtrl)) == 0;
    if (key == VK_TAB && (s & (ssAlt | ssCtrl)) == 0) {
        SelectNext((s & ssShift) == 0);
        swallowReturnChar_ = true;
    } else if (key == VK_RETURN && plain) {
        TWinControl* b = focused && focused->ClickedByReturn() ? focused : DefaultButton();
        if (b) {
            swallowReturnChar_ = true;
            b->Click();
        }
    } else if (key == VK_ESCAPE && plain) {
        if (TWinControl* b = CancelButton()) {
            swallowReturnChar_ = true;
            b->Click();
        }
    }
}

void TForm::HandleKeyUp(uint16_t key, TShiftState s) {
    if (activeControl_ && activeControl_->CanFocus()) activeControl_->KeyUp(key, s);
}

void TForm::HandleChar(char32_t c) {
    // The character of a key the dialog already took (Enter on a button, Escape,
    // Tab) is not typed into the focused control.
    if (swallowReturnChar_ && (c == U'\r' || c == U'\x1b' || c == U'\t')) {
        swallowReturnChar_ = false;
        return;
    }
    if (activeControl_ && activeControl_->CanFocus()) activeControl_->KeyPress(c);
}

void TForm::ControlDestroyed(TControl* c) {
    // Called from the control's base destructor: compared as a plain control.
    for (auto* list : {&defaultButtons_, &cancelButtons_})
        list->erase(std::remove_if(list->begin(), list->end(), [c](TControl* b) { return b == c; }), list->end());
    if (captured_ == c) captured_ = nullptr;
    if (hover_ == c) hover_ = nullptr;
    if (activeControl_ == c) activeControl_ = nullptr;
}

}  // namespace forms
