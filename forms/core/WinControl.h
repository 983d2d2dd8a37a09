#pragma once
#include <cstdint>
#include <vector>

#include "Control.h"

namespace forms {

// A control that contains controls and takes the keyboard focus.
class TWinControl : public TControl {
    FORMS_CLASS(TWinControl)
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    const std::vector<TControl*>& Controls() const { return controls_; }
    void InsertControl(TControl* c);
    void RemoveControl(TControl* c);

    int32_t TabOrder() const;
    void SetTabOrder(int32_t order);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool v) { tabStop_ = v; }
    const std::vector<TWinControl*>& TabList() const { return tabList_; }

    virtual bool CanFocus() const;
    // Whether a click on the control moves the focus to it (edits and buttons do).
    virtual bool FocusOnClick() const { return false; }
    // Whether Enter clicks the control while it has the focus (buttons do).
    virtual bool ClickedByReturn() const { return false; }
    bool Focused() const;
    void SetFocus();
    virtual void DoEnter();
    virtual void DoExit();

    void PaintTo(TCanvas& canvas) override;
    // Paints the children that meet clip (client coordinates), windowless ones first.
    void PaintChildren(TCanvas& canvas, const TRect& clip);
    // The control that takes the mouse at a point of the client area: the topmost
    // visible one there, windowed controls lying above windowless ones and children
    // above their container. nullptr where there is none, or where that one is
    // disabled: a disabled control takes no mouse input and hides what lies under it.
    TControl* ControlAt(int32_t x, int32_t y);

    void ParentColorChanged() override;
    void FontChanged() override;

private:
    // The topmost visible control at the point, enabled or not.
    TControl* TopmostAt(int32_t x, int32_t y);

    std::vector<TControl*> controls_;
    std::vector<TWinControl*> tabList_;
    bool tabStop_ = false;
};

}  // namespace forms
