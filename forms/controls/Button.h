#pragma once
#include "forms/core/Form.h"
#include "forms/core/WinControl.h"

namespace forms {

// A push button: clicked by the mouse, by Space while focused, by Enter as its
// form's default button and by Escape as its cancel button.
class TButton : public TWinControl {
    FORMS_CLASS(TButton)
public:
    explicit TButton(TComponent* AOwner);

    bool Default() const { return default_; }
    void SetDefault(bool v);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v);
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult r) { modalResult_ = r; }

    // Puts the button's own modal result into its form first, then runs OnClick.
    void Click() override;
    void Paint() override;
    bool FocusOnClick() const override { return true; }
    bool ClickedByReturn() const override { return true; }
    void SetParent(TWinControl* parent) override;
    // A push button named by its caption without the accelerator's "&"; its default
    // action presses it.
    bool Describe(AccessibleNode& node) const override;

    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyUp(uint16_t& key, TShiftState shift) override;
    void DoExit() override;

protected:
    bool Down() const { return down_; }
    // Draws what stands on the face (the caption), inside r; pressed shifts it.
    virtual void PaintContent(TCanvas& c, const TRect& r);
    // The default look: a default button, or any focused button, gets the dark frame.
    bool ShowsAsDefault() const;

private:
    void SetDown(bool v);
    // Tells the form whether this is its default or cancel button; the form forgets
    // a destroyed control itself.
    void RegisterRoles();
    bool default_ = false;
    bool cancel_ = false;
    TModalResult modalResult_ = 0;
    bool down_ = false;
    bool spaceDown_ = false;
};

}  // namespace forms
