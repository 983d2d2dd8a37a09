#pragma once
#include <memory>
#include <string_view>

#include "Backend.h"
#include "WinControl.h"

namespace forms {

enum class TFormStyle : uint8_t { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum class TPosition : uint8_t {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum TBorderIcon : uint8_t { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = uint8_t;

using TModalResult = int32_t;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;

// Where a window of outer size `outer` goes to be centred over `over`: the halves
// truncated toward zero, then moved as little as keeps it on `screen`.
TPoint CentredOver(const TRect& over, TSize outer, const TRect& screen);

// A top-level window. Left and Top are the outer corner on the screen; the size the
// form keeps is its client size. Four units implement it: Form.cpp the window's life
// and placement, FormPainting.cpp its surface and paint passes, FormInput.cpp the
// routing of mouse and keys, the focus and the dialog keys, FormAccessible.cpp its
// description for assistive technology.
class TForm : public TWinControl {
    FORMS_CLASS(TForm)
public:
    explicit TForm(TComponent* AOwner);
    ~TForm() override;

    // Reads the stored layout "<name>.layout", given as its text, onto this form.
    void LoadLayout(std::string_view name, std::string_view text);

    void SetClientWidth(int32_t w) { SetBounds(Left(), Top(), w, Height()); }
    void SetClientHeight(int32_t h) { SetBounds(Left(), Top(), Width(), h); }
    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;
    // The outer size, frame and caption included.
    TSize OuterSize() const;

    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle s);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons icons);
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle s);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition p) { position_ = p; }
    void SetIcon(bool hasIcon) { hasIcon_ = hasIcon; }
    WindowStyle Style() const;

    void SetVisible(bool v) override;
    void SetEnabled(bool v) override;
    void Show();
    void Hide();
    void Close();
    TModalResult ShowModal();
    bool Modal() const { return modal_; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult r) { modalResult_ = r; }

    // Focus and dialog keys (FormInput.cpp).
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* c);
    // Moves the focus to the next (or previous) tab stop.
    void SelectNext(bool forward);
    bool Active() const;
    // The button that Enter presses while the focus is not on a button, and the
    // one that Escape presses: the first registered one that can take the focus.
    TWinControl* DefaultButton() const;
    TWinControl* CancelButton() const;
    // A button registers here whenever its Default or Cancel, or its form, changes.
    void SetButtonRoles(TWinControl* button, bool isDefault, bool isCancel);

    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnCreate;

    bool HandleAllocated() const { return handle_ != 0; }
    WindowId Handle();
    void HandleNeeded() { Handle(); }

    // Painting (FormPainting.cpp): the form composes its client area on one surface
    // and presents it.
    void InvalidateRect(const TRect& r);
    void Update();                   // paints what is invalid now
    void PaintRect(const TRect& r);  // paints r now, whatever is invalid
    void PaintControlNow(TControl& c);
    TBitmap& Surface();
    void Paint() override;

    // Input from the application, in client coordinates (FormInput.cpp).
    void HandleMouseDown(TMouseButton b, TShiftState s, int32_t x, int32_t y);
    void HandleMouseUp(TMouseButton b, TShiftState s, int32_t x, int32_t y);
    void HandleMouseMove(TShiftState s, int32_t x, int32_t y);
    void HandleKeyDown(uint16_t key, TShiftState s);
    void HandleKeyUp(uint16_t key, TShiftState s);
    void HandleChar(char32_t c);
    void HandleActivated();
    void HandleMoved(int32_t left, int32_t top);
    void ControlDestroyed(TControl* c);

    void TextChanged() override;
    void VisibleChanged() override {}

    // Assistive technology (FormAccessible.cpp). The window's description as the
    // backend receives it, and what keeps the backend's copy current.
    AccessibleTree DescribeTree() const;
    bool Describe(AccessibleNode& node) const override;
    void AccessibleNodeChanged(const TControl& c, AccessibleChange what);
    void AccessibleStructureChanged();
    // The focus left `left` (nullptr: no control) and went wherever it is now.
    void AccessibleFocusChanged(const TWinControl* left);
    // The requests of EventSink, for node id of this window.
    void DoDefaultAction(int32_t id);
    void TakeFocus(int32_t id);

private:
    // The application's backend; throws Exception while there is no application.
    static Backend& TheBackend();
    void PlaceOnFirstShow();
    void FocusFirst();
    // The control the keys go to: the active control while it can take the focus.
    TWinControl* KeyTarget() const;
    // Whether the surface exists at the client size.
    bool SurfaceFits() const;

    WindowId handle_ = 0;
    std::unique_ptr<TBitmap> surface_;
    TRect dirty_;
    TBorderStyle borderStyle_ = TBorderStyle::bsSizeable;
    TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    TFormStyle formStyle_ = TFormStyle::fsNormal;
    TPosition position_ = TPosition::poDesigned;
    bool hasIcon_ = false;
    bool placed_ = false;
    bool modal_ = false;
    TModalResult modalResult_ = mrNone;
    TWinControl* activeControl_ = nullptr;
    TControl* captured_ = nullptr;
    // The key just handled was one the dialog took (Enter on a button, Escape, Tab):
    // its character is not typed into the focused control.
    bool swallowDialogKeyChar_ = false;
    std::vector<TWinControl*> defaultButtons_;
    std::vector<TWinControl*> cancelButtons_;
};

}  // namespace forms
