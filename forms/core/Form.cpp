// The form as a window: its class, its stored layout, its window on the backend,
// showing, hiding and modal runs, and where it is placed the first time it shows.
#include "Form.h"

#include <algorithm>

#include "Application.h"
#include "LayoutReader.h"

namespace forms {

namespace {
const NameTable kBorderStyles = {{"bsNone", 0},   {"bsSingle", 1},     {"bsSizeable", 2},
                                 {"bsDialog", 3}, {"bsToolWindow", 4}, {"bsSizeToolWin", 5}};
const NameTable kBorderIcons = {
    {"biSystemMenu", biSystemMenu}, {"biMinimize", biMinimize}, {"biMaximize", biMaximize}, {"biHelp", biHelp}};
const NameTable kFormStyles = {{"fsNormal", 0}, {"fsMDIChild", 1}, {"fsMDIForm", 2}, {"fsStayOnTop", 3}};
const NameTable kPositions = {{"poDesigned", 0},        {"poDefault", 1},        {"poDefaultPosOnly", 2},
                              {"poDefaultSizeOnly", 3}, {"poScreenCenter", 4},   {"poDesktopCenter", 5},
                              {"poMainFormCenter", 6},  {"poOwnerFormCenter", 7}};
}  // namespace

Backend& TForm::TheBackend() {
    if (!Application) throw Exception("No application object");
    return Application->GetBackend();
}

const TClassInfo& TForm::StaticClass() {
    static const TClassInfo info =
        ClassBuilder<TForm>("TForm", &TWinControl::StaticClass())
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
    if (Application) Application->AddForm(this);
}

TForm::~TForm() {
    if (Application) {
        Application->RemoveForm(this);
        if (handle_) Application->GetBackend().DestroyWindow(handle_);
        handle_ = 0;
    }
}

void TForm::LoadLayout(std::string_view name, std::string_view text) { ReadLayout(*this, name, text); }

WindowStyle TForm::Style() const {
    WindowStyle s;
    s.Border = borderStyle_;
    s.SystemMenu = (borderIcons_ & biSystemMenu) != 0;
    s.MinimizeBox = (borderIcons_ & biMinimize) != 0;
    s.MaximizeBox = (borderIcons_ & biMaximize) != 0;
    s.StayOnTop = formStyle_ == TFormStyle::fsStayOnTop;
    return s;
}

void TForm::SetBorderStyle(TBorderStyle s) {
    borderStyle_ = s;
    AccessibleChanged(AccessibleChange::State);  // a dialog's frame makes it a dialog
}
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
    AccessibleStructureChanged();
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
    AccessibleChanged(AccessibleChange::State);
}

TPoint CentredOver(const TRect& over, TSize outer, const TRect& screen) {
    const int32_t left = over.Left + (over.Width() - outer.cx) / 2;
    const int32_t top = over.Top + (over.Height() - outer.cy) / 2;
    return {std::max(screen.Left, std::min(left, screen.Right - outer.cx)),
            std::max(screen.Top, std::min(top, screen.Bottom - outer.cy))};
}

void TForm::PlaceOnFirstShow() {
    placed_ = true;
    const TRect screen = TheBackend().ScreenRect();
    TRect over;
    TForm* main = Application->MainForm();
    switch (position_) {
        case TPosition::poMainFormCenter:
        case TPosition::poOwnerFormCenter:
            if (main && main != this) {
                const TSize mo = main->OuterSize();
                over = Bounds(main->Left(), main->Top(), mo.cx, mo.cy);
                break;
            }
            [[fallthrough]];
        case TPosition::poScreenCenter:
        case TPosition::poDesktopCenter:
            over = screen;
            break;
        default:
            SetBounds(Left(), Top(), Width(), Height());
            return;
    }
    const TPoint at = CentredOver(over, OuterSize(), screen);
    SetBounds(at.X, at.Y, Width(), Height());
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
    if (!wasVisible) AccessibleChanged(AccessibleChange::State);
    TheBackend().Show(handle_, ShowMode::Normal);
    InvalidateRect(ClientRect());
    Application->SetActiveForm(this);
}

void TForm::Hide() {
    if (!Visible()) return;
    SetVisibleFlag(false);
    AccessibleChanged(AccessibleChange::State);
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

}  // namespace forms
