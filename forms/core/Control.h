#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "Component.h"
#include "FontObject.h"
#include "Accessible.h"
#include "Input.h"
#include "forms/graphics/Canvas.h"

namespace forms {

class TWinControl;
class TForm;

enum TControlStyleFlag : uint32_t {
    csAcceptsControls = 1,
    csCaptureMouse = 2,
    csClickEvents = 4,
    csFramed = 8,
    csSetCaption = 16,
    csOpaque = 32,
    csDoubleClicks = 64
};
using TControlStyle = uint32_t;

enum class TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };
// Horizontal placement of a control's text.
enum class TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };
enum TAnchorKind : uint8_t { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = uint8_t;
enum class THelpType : uint8_t { htKeyword, htContext };

// Mouse pointer shapes, with the library's numbers.
constexpr int32_t crDefault = 0;
constexpr int32_t crArrow = -2;
constexpr int32_t crIBeam = -4;
constexpr int32_t crHandPoint = -21;
const NameTable& CursorNames();

// The base of every control: owner and parent, bounds, visibility, font, style flags,
// a canvas while it paints, and an immediate repaint.
class TControl : public TComponent {
    FORMS_CLASS(TControl)
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);

    int32_t Left() const { return left_; }
    int32_t Top() const { return top_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t ClientWidth() const { return width_; }
    int32_t ClientHeight() const { return height_; }
    void SetLeft(int32_t v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int32_t v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int32_t v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int32_t v) { SetBounds(left_, top_, width_, v); }
    // Cuts each value to ±kMaxCoordinate first.
    virtual void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
    // The largest coordinate or size a control keeps; larger ones are cut to it. It is
    // the 27-bit space of Windows GDI, and sums of origins and sizes over a few nested
    // controls stay well within 32 bits.
    static constexpr int32_t kMaxCoordinate = (1 << 27) - 1;
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    TRect ClientRect() const { return {0, 0, width_, height_}; }

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool v);
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool v);
    // Visible itself and every parent up to its form.
    bool Showing() const;

    TFont* Font() { return font_.get(); }
    const TFont* Font() const { return font_.get(); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool v);
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool v);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& text);

    int32_t Cursor() const { return cursor_; }
    void SetCursor(int32_t c) { cursor_ = c; }
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& h) { hint_ = h; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool v) {
        showHint_ = v;
        parentShowHint_ = false;
    }
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool v);
    TAlign Align() const { return align_; }
    void SetAlign(TAlign a) { align_ = a; }
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors a) { anchors_ = a; }
    THelpType HelpType() const { return helpType_; }
    void SetHelpType(THelpType t) { helpType_ = t; }
    const std::string& HelpKeyword() const { return helpKeyword_; }
    void SetHelpKeyword(const std::string& k) { helpKeyword_ = k; }
    int32_t HelpContext() const { return helpContext_; }
    void SetHelpContext(int32_t c) { helpContext_ = c; }

    TControlStyle ControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;

    TNotifyEvent OnClick;

    // Valid only while the control paints.
    TCanvas* Canvas() const { return canvas_; }
    virtual void Paint() {}
    // Paints this control (and, for containers, its children) on a canvas whose
    // origin is the control's top-left corner.
    virtual void PaintTo(TCanvas& canvas);

    // Marks the control's area for the next paint.
    void Invalidate();
    // Paints the control at once when it is showing and its form has a window:
    // an opaque control straight onto the window, others through its parent.
    virtual void Repaint();
    void Refresh() { Repaint(); }

    TForm* ParentForm() const;
    // The control's top-left corner in its form's client coordinates.
    TPoint FormOrigin() const;

    virtual void Click();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    virtual void MouseMove(TShiftState shift, int32_t x, int32_t y);
    virtual void KeyDown(uint16_t& key, TShiftState shift);
    virtual void KeyUp(uint16_t& key, TShiftState shift);
    virtual void KeyPress(char32_t& key);

    // Called when the parent's font or colour changes and this control follows them.
    virtual void ParentFontChanged();
    virtual void ParentColorChanged();
    virtual void FontChanged() { Invalidate(); }
    virtual void TextChanged() { Invalidate(); }
    virtual void VisibleChanged();

    // Assistive technology. The id is the control's node in its window's description,
    // the same for the control's whole life. Describe adds what the class knows to
    // what the form knows of every control (id, parent, bounds, hint, visibility,
    // enabled state, focus) and answers whether the control is exposed at all; a
    // control that is not still passes on its children. Setters that change what
    // Describe reads call AccessibleChanged.
    int32_t AccessibleId() const { return accessibleId_; }
    virtual bool Describe(AccessibleNode&) const { return false; }

    // Properties that subclasses publish by name (the library's standard set).
    static const TPropInfo& Protected(const std::string& name);

protected:
    // Sets the flag alone, for forms that show and hide through their window.
    void SetVisibleFlag(bool v) { visible_ = v; }
    void SetEnabledFlag(bool v) { enabled_ = v; }
    // Tells the backend, while the control's window exists and no layout is being read.
    void AccessibleChanged(AccessibleChange what) const;
    TCanvas* canvas_ = nullptr;
    bool mousePressed_ = false;

private:
    friend class TWinControl;
    TWinControl* parent_ = nullptr;
    int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    std::unique_ptr<TFont> font_;
    bool parentFont_ = true;
    TColor color_ = clBtnFace;
    bool parentColor_ = false;
    std::string caption_;
    int32_t cursor_ = crDefault;
    std::string hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TAlign align_ = TAlign::alNone;
    TAnchors anchors_ = akLeft | akTop;
    THelpType helpType_ = THelpType::htContext;
    std::string helpKeyword_;
    int32_t helpContext_ = 0;
    bool followingParentFont_ = false;
    int32_t accessibleId_;
};

// A control without a window of its own: it paints on its parent's surface.
class TGraphicControl : public TControl {
    FORMS_CLASS(TGraphicControl)
public:
    explicit TGraphicControl(TComponent* AOwner) : TControl(AOwner) {}
};

}  // namespace forms
