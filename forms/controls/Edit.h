#pragma once
#include <string>

#include "forms/core/WinControl.h"

namespace forms {

// A single-line edit field with a sunken border. The text is UTF-8; positions,
// lengths and MaxLength count characters (code points), never bytes.
//
// Keys: characters are typed over the selection; Backspace and Delete remove the
// selection or one character; Left, Right, Home and End move the caret and, with
// Shift, extend the selection; Ctrl+C or Ctrl+Insert copy, Ctrl+X or Shift+Delete
// cut, Ctrl+V or Shift+Insert paste (up to the first line break, as much as
// MaxLength leaves room for). Enter, Escape and Tab are left to the form.
// Receiving the focus selects the whole text (AutoSelect). The caret shows while
// the field has the focus and does not blink.
class TEdit : public TWinControl {
    FORMS_CLASS(TEdit)
public:
    explicit TEdit(TComponent* AOwner);

    std::string Text() const;
    // Replaces the text as given, whatever MaxLength says; the caret goes to the start.
    void SetText(const std::string& text);
    int32_t Length() const { return static_cast<int32_t>(text_.size()); }
    // At most this many characters can be typed or pasted; 0 is no limit.
    int32_t MaxLength() const { return maxLength_; }
    void SetMaxLength(int32_t n) { maxLength_ = n < 0 ? 0 : n; }
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool v) { autoSelect_ = v; }
    // A password field: assistive technology learns that it is one and never reads
    // its text. The field draws its text as before.
    bool PasswordField() const { return passwordField_; }
    void SetPasswordField(bool v);

    int32_t SelStart() const;
    int32_t SelLength() const;
    // Collapses the selection to the caret at this position.
    void SetSelStart(int32_t pos);
    // Selects this many characters from SelStart on; the caret goes to their end.
    void SetSelLength(int32_t length);
    std::string SelText() const;
    int32_t CaretPos() const { return static_cast<int32_t>(caret_); }
    void SelectAll();
    void ClearSelection();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();

    TNotifyEvent OnChange;
    // Runs first for every typed character; setting the character to 0 swallows it.
    TKeyPressEvent OnKeyPress;

    // Horizontal offset of the text in pixels, so that the caret stays inside.
    int32_t ScrollOffset() const { return scroll_; }
    // The text area: inside the 2-pixel border, with one blank row above the text.
    TRect TextArea() const { return {2, 3, Width() - 2, Height() - 2}; }

    void Paint() override;
    bool FocusOnClick() const override { return true; }
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void DoEnter() override;
    void FontChanged() override;
    // Editable text with its text as value, unless it is a password field.
    bool Describe(AccessibleNode& node) const override;

private:
    void Replace(const std::u32string& insert);  // over the selection, within MaxLength
    void DeleteRange(size_t from, size_t to);
    void MoveCaret(size_t pos, bool extend);
    void Changed();
    void ScrollToCaret();
    // Pixels from the text's start to the start of character i.
    int32_t Advance(size_t i) const;
    size_t PositionAt(int32_t x) const;
    size_t SelFrom() const { return anchor_ < caret_ ? anchor_ : caret_; }
    size_t SelTo() const { return anchor_ < caret_ ? caret_ : anchor_; }

    std::u32string text_;
    size_t anchor_ = 0;  // the selection runs from anchor_ to caret_
    size_t caret_ = 0;
    int32_t maxLength_ = 0;
    bool autoSelect_ = true;
    bool passwordField_ = false;
    bool selecting_ = false;
    int32_t scroll_ = 0;
};

}  // namespace forms
