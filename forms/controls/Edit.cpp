#include "Edit.h"

#include <algorithm>
#include <cstdlib>

#include "forms/core/Application.h"
#include "Draw3D.h"
#include "Label.h"
#include "TextFont.h"
#include "base/Utf8.h"

namespace forms {

namespace {

bool IsControl(char32_t c) { return c < 0x20 || c == 0x7F; }

constexpr uint16_t kKeyC = 'C', kKeyV = 'V', kKeyX = 'X';

}  // namespace

const TClassInfo& TEdit::StaticClass() {
    static const TClassInfo info = ClassBuilder<TEdit>("TEdit", &TWinControl::StaticClass())
                                       .Creatable()
                                       .Bool("AutoSelect", &TEdit::SetAutoSelect)
                                       .Reads(&TEdit::AutoSelect)
                                       .Color("Color", &TControl::SetColor)
                                       .Reads(&TControl::Color)
                                       .Enum<int32_t>("Cursor", "TCursor", &TControl::SetCursor, CursorNames())
                                       .Reads(&TControl::Cursor)
                                       .Publish(TControl::Protected("Enabled"))
                                       .Publish(TControl::Protected("Font"))
                                       .Int<int32_t>("MaxLength", &TEdit::SetMaxLength)
                                       .Reads(&TEdit::MaxLength)
                                       .Publish(TControl::Protected("ParentColor"))
                                       .Publish(TControl::Protected("ParentFont"))
                                       .Publish(TControl::Protected("ParentShowHint"))
                                       .Publish(TControl::Protected("ShowHint"))
                                       .Bool("TabStop", &TWinControl::SetTabStop)
                                       .Reads(&TWinControl::TabStop)
                                       .String("Text", &TEdit::SetText)
                                       .Reads(&TEdit::Text)
                                       .Publish(TControl::Protected("Visible"))
                                       .Event("OnChange", &TEdit::OnChange)
                                       .Event("OnClick", &TEdit::OnClick)
                                       .Event("OnKeyPress", &TEdit::OnKeyPress)
                                       .Build();
    return info;
}

TEdit::TEdit(TComponent* AOwner) : TWinControl(AOwner) {
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetColor(clWindow);
    SetCursor(crIBeam);
}

std::string TEdit::Text() const { return base::EncodeUtf8(text_); }

void TEdit::SetText(const std::string& text) {
    std::u32string decoded = base::DecodeUtf8(text);
    if (decoded == text_) return;
    text_ = std::move(decoded);
    anchor_ = caret_ = 0;
    Changed();
}

int32_t TEdit::SelStart() const { return static_cast<int32_t>(SelFrom()); }
int32_t TEdit::SelLength() const { return static_cast<int32_t>(SelTo() - SelFrom()); }

void TEdit::SetSelStart(int32_t pos) {
    const size_t p = std::min<size_t>(static_cast<size_t>(std::max(pos, 0)), text_.size());
    MoveCaret(p, false);
}

void TEdit::SetSelLength(int32_t length) {
    const size_t from = SelFrom();
    anchor_ = from;
    MoveCaret(std::min(text_.size(), from + static_cast<size_t>(std::max(length, 0))), true);
}

std::string TEdit::SelText() const {
    return base::EncodeUtf8(std::u32string_view(text_).substr(SelFrom(), SelTo() - SelFrom()));
}

void TEdit::SelectAll() {
    anchor_ = 0;
    MoveCaret(text_.size(), true);
}

void TEdit::ClearSelection() { DeleteRange(SelFrom(), SelTo()); }

void TEdit::CopyToClipboard() {
    if (SelTo() > SelFrom() && Application) Application->GetBackend().SetClipboardText(SelText());
}

void TEdit::CutToClipboard() {
    CopyToClipboard();
    ClearSelection();
}

void TEdit::PasteFromClipboard() {
    if (!Application) return;
    std::u32string text = base::DecodeUtf8(Application->GetBackend().ClipboardText());
    const size_t lineEnd = text.find_first_of(U"\r\n");
    if (lineEnd != std::u32string::npos) text.erase(lineEnd);
    text.erase(std::remove_if(text.begin(), text.end(), IsControl), text.end());
    Replace(text);
}

void TEdit::Replace(const std::u32string& insert) {
    const size_t from = SelFrom(), to = SelTo();
    const size_t kept = text_.size() - (to - from);
    size_t room = insert.size();
    if (maxLength_ > 0) room = kept >= static_cast<size_t>(maxLength_) ? 0 : static_cast<size_t>(maxLength_) - kept;
    const size_t n = std::min(room, insert.size());
    // Nothing to put in, or no room for it: the selection stays as it is.
    if (n == 0) return;
    text_.replace(from, to - from, insert, 0, n);
    anchor_ = caret_ = from + n;
    Changed();
}

void TEdit::DeleteRange(size_t from, size_t to) {
    if (to <= from) return;
    text_.erase(from, to - from);
    anchor_ = caret_ = from;
    Changed();
}

void TEdit::MoveCaret(size_t pos, bool extend) {
    caret_ = pos;
    if (!extend) anchor_ = pos;
    ScrollToCaret();
    Invalidate();
}

void TEdit::Changed() {
    ScrollToCaret();
    Invalidate();
    AccessibleChanged(AccessibleChange::Value);
    if (OnChange) OnChange(this);
}

void TEdit::SetPasswordField(bool v) {
    if (v == passwordField_) return;
    passwordField_ = v;
    AccessibleChanged(AccessibleChange::State);
    AccessibleChanged(AccessibleChange::Value);
}

bool TEdit::Describe(AccessibleNode& node) const {
    node.Role = AccessibleRole::EditableText;
    if (passwordField_) node.States |= AccessibleState::Protected;
    else node.Value = Text();
    return true;
}

// Advance(i) is the width of the first i characters less the overhang that a
// synthesised bold adds after a text's last character: measured as the extent of
// the prefix with one more character minus that character's own extent.
int32_t TEdit::Advance(size_t i) const {
    if (i == 0) return 0;
    const TFontSpec& font = Font()->Spec();
    const std::string prefix = base::EncodeUtf8(std::u32string_view(text_).substr(0, i));
    return MeasureText(font, prefix + "0").cx - MeasureText(font, "0").cx;
}

void TEdit::ScrollToCaret() {
    const int32_t inner = TextArea().Width();
    if (inner <= 0) return;
    const int32_t caret = Advance(caret_);
    if (Advance(text_.size()) < inner) scroll_ = 0;
    if (caret < scroll_) scroll_ = caret;
    else if (caret > scroll_ + inner - 1) scroll_ = caret - inner + 1;
}

size_t TEdit::PositionAt(int32_t x) const {
    const int32_t target = x - TextArea().Left + scroll_;
    size_t best = 0;
    int32_t bestDistance = std::abs(target);
    for (size_t i = 1; i <= text_.size(); ++i) {
        const int32_t d = std::abs(Advance(i) - target);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

void TEdit::FontChanged() {
    TWinControl::FontChanged();
    ScrollToCaret();
}

void TEdit::DoEnter() {
    if (autoSelect_) SelectAll();
    TWinControl::DoEnter();
}

void TEdit::KeyDown(uint16_t& key, TShiftState shift) {
    const bool extend = (shift & ssShift) != 0;
    const bool ctrl = (shift & (ssCtrl | ssAlt)) == ssCtrl;
    const bool plain = (shift & (ssCtrl | ssAlt)) == 0;
    switch (key) {
        case VK_LEFT:
            if (extend) MoveCaret(caret_ > 0 ? caret_ - 1 : 0, true);
            else MoveCaret(SelTo() > SelFrom() ? SelFrom() : (caret_ > 0 ? caret_ - 1 : 0), false);
            break;
        case VK_RIGHT:
            if (extend) MoveCaret(std::min(caret_ + 1, text_.size()), true);
            else MoveCaret(SelTo() > SelFrom() ? SelTo() : std::min(caret_ + 1, text_.size()), false);
            break;
        case VK_HOME:
            MoveCaret(0, extend);
            break;
        case VK_END:
            MoveCaret(text_.size(), extend);
            break;
        case VK_DELETE:
            if (extend && plain) CutToClipboard();
            else if (SelTo() > SelFrom()) ClearSelection();
            else DeleteRange(caret_, std::min(caret_ + 1, text_.size()));
            break;
        case VK_INSERT:
            if (ctrl) CopyToClipboard();
            else if (extend && plain) PasteFromClipboard();
            else return;
            break;
        case kKeyC:
        case kKeyX:
        case kKeyV:
            if (!ctrl) return;
            if (key == kKeyC) CopyToClipboard();
            else if (key == kKeyX) CutToClipboard();
            else PasteFromClipboard();
            break;
        default:
            return;
    }
    key = 0;
}

void TEdit::KeyPress(char32_t& key) {
    if (OnKeyPress) OnKeyPress(this, key);
    if (key == 0) return;
    if (key == U'\b') {
        if (SelTo() > SelFrom()) ClearSelection();
        else if (caret_ > 0) DeleteRange(caret_ - 1, caret_);
        return;
    }
    if (IsControl(key)) return;
    Replace(std::u32string(1, key));
}

void TEdit::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    TWinControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft) return;
    selecting_ = true;
    MoveCaret(PositionAt(x), (shift & ssShift) != 0);
}

void TEdit::MouseMove(TShiftState shift, int32_t x, int32_t y) {
    TWinControl::MouseMove(shift, x, y);
    if (selecting_) MoveCaret(PositionAt(x), true);
}

void TEdit::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    if (button == TMouseButton::mbLeft) selecting_ = false;
    TWinControl::MouseUp(button, shift, x, y);
}

void TEdit::Paint() {
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    Frame3D(c, r, clBtnShadow, clBtnHighlight);
    Frame3D(c, r, cl3DDkShadow, cl3DLight);
    c.BrushStyle = TBrushStyle::bsSolid;
    c.BrushColor = Color();
    c.FillRect(r);

    const TRect area = TextArea().Intersect(r);
    const std::string text = Text();
    const int32_t x0 = area.Left - scroll_;
    const int32_t y0 = area.Top;
    c.Font = TextFont(*this, TTextGround::Window);
    const int32_t lineHeight = c.TextHeight(text);
    c.TextRect(area, x0, y0, text);

    const bool focused = Focused() && Enabled();
    if (focused && SelTo() > SelFrom()) {
        // The selected characters are drawn again in the highlight colours, clipped
        // to their cells, so each glyph stands where the plain text put it.
        const TRect sel = TRect{x0 + Advance(SelFrom()), y0, x0 + Advance(SelTo()), y0 + lineHeight}.Intersect(area);
        c.BrushColor = clHighlight;
        c.FillRect(sel);
        c.Font.Color = clHighlightText;
        c.TextRect(sel, x0, y0, text);
    }
    if (focused) {
        const int32_t x = x0 + Advance(caret_);
        const TRect caret = TRect{x, y0, x + 1, y0 + lineHeight}.Intersect(area);
        c.BrushColor = clWindowText;
        c.FillRect(caret);
    }
}

}  // namespace forms
