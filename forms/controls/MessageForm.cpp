// The message box for backends without one: a dialog built from the library's own
// form and button, so that it looks and answers like every other window of the tool.
#include "MessageForm.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "Button.h"
#include "forms/core/Application.h"
#include "forms/core/Form.h"

namespace forms {

namespace {

constexpr int32_t kMargin = 12;
constexpr int32_t kIconSize = 32;
constexpr int32_t kButtonWidth = 75;
constexpr int32_t kButtonHeight = 23;
constexpr int32_t kButtonGap = 6;
constexpr int32_t kMaxTextWidth = 440;  // longer lines wrap at blanks

// Lines of text, the paragraphs of the message wrapped to a width.
std::vector<std::string> WrapText(TCanvas& c, const std::string& text, int32_t maxWidth) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (true) {
        size_t end = text.find('\n', start);
        std::string paragraph = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!paragraph.empty() && paragraph.back() == '\r') paragraph.pop_back();
        std::string line;
        size_t pos = 0;
        do {
            size_t blank = paragraph.find(' ', pos);
            const std::string word =
                paragraph.substr(pos, blank == std::string::npos ? std::string::npos : blank - pos);
            const std::string longer = line.empty() ? word : line + " " + word;
            if (!line.empty() && c.TextExtent(longer).cx > maxWidth) {
                lines.push_back(line);
                line = word;
            } else {
                line = longer;
            }
            pos = blank == std::string::npos ? paragraph.size() + 1 : blank + 1;
        } while (pos <= paragraph.size());
        lines.push_back(line);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

// The message, wrapped into lines; assistive technology reads it whole, as a label.
class TMessageText : public TGraphicControl {
public:
    TMessageText(TComponent* owner, std::string text, std::vector<std::string> lines, int32_t lineHeight)
        : TGraphicControl(owner), text_(std::move(text)), lines_(std::move(lines)), lineHeight_(lineHeight) {}

    bool Describe(AccessibleNode& node) const override {
        node.Role = AccessibleRole::StaticText;
        node.Name = text_;
        node.States |= AccessibleState::ReadOnly;
        return true;
    }

    void Paint() override {
        TCanvas& c = *Canvas();
        c.Font = Font()->Spec();
        c.BrushStyle = TBrushStyle::bsClear;
        for (size_t i = 0; i < lines_.size(); ++i)
            c.TextRect(ClientRect(), 0, static_cast<int32_t>(i) * lineHeight_, lines_[i]);
    }

private:
    std::string text_;
    std::vector<std::string> lines_;
    int32_t lineHeight_;
};

// A plain 32-pixel sign for the icon styles: a red disc with a cross, a yellow
// triangle with "!", a blue disc with "i" or "?".
class TMessageIcon : public TGraphicControl {
public:
    TMessageIcon(TComponent* owner, uint32_t kind) : TGraphicControl(owner), kind_(kind) {
        SetBounds(0, 0, kIconSize, kIconSize);
    }

    void Paint() override {
        TCanvas& c = *Canvas();
        switch (kind_) {
            case MB_ICONERROR:
                Disc(c, 16, clBlack);
                Disc(c, 15, 0x000000E0);
                c.PenColor = clWhite;
                for (int32_t d = -1; d <= 1; ++d) {
                    c.MoveTo(10 + d, 10);
                    c.LineTo(22 + d, 22);
                    c.MoveTo(21 + d, 10);
                    c.LineTo(9 + d, 22);
                }
                break;
            case MB_ICONWARNING:
                for (int32_t y = 1; y < 31; ++y) {
                    const int32_t half = (y - 1) / 2 + 1;
                    Span(c, y, 16 - half, 16 + half, clBlack);
                    if (y > 3 && y < 30) Span(c, y, 17 - half, 15 + half, clYellow);
                }
                Block(c, 15, 11, 17, 22, clBlack);
                Block(c, 15, 24, 17, 27, clBlack);
                break;
            case MB_ICONINFORMATION:
                Disc(c, 16, clBlack);
                Disc(c, 15, 0x00C04000);
                Block(c, 14, 7, 18, 11, clWhite);
                Block(c, 14, 13, 18, 25, clWhite);
                Block(c, 12, 13, 14, 15, clWhite);
                Block(c, 12, 23, 20, 25, clWhite);
                break;
            default: {  // MB_ICONQUESTION
                Disc(c, 16, clBlack);
                Disc(c, 15, 0x00C04000);
                c.Font.Name = "MS Sans Serif";
                c.Font.Height = -24;
                c.Font.Style = fsBold;
                c.Font.Color = clWhite;
                c.BrushStyle = TBrushStyle::bsClear;
                const TSize size = c.TextExtent("?");
                c.TextRect(ClientRect(), (kIconSize - size.cx) / 2, (kIconSize - size.cy) / 2, "?");
                break;
            }
        }
    }

private:
    static void Block(TCanvas& c, int32_t l, int32_t t, int32_t r, int32_t b, TColor color) {
        c.BrushColor = color;
        c.BrushStyle = TBrushStyle::bsSolid;
        c.FillRect({l, t, r, b});
    }
    static void Span(TCanvas& c, int32_t y, int32_t l, int32_t r, TColor color) { Block(c, l, y, r, y + 1, color); }
    // A disc of the given radius around the icon's centre, row by row.
    static void Disc(TCanvas& c, int32_t radius, TColor color) {
        for (int32_t y = 16 - radius; y < 16 + radius; ++y) {
            const double dy = y + 0.5 - 16.0;
            const auto half = static_cast<int32_t>(std::lround(std::sqrt(std::max(0.0, radius * radius - dy * dy))));
            Span(c, y, 16 - half, 16 + half, color);
        }
    }
    uint32_t kind_;
};

class TMessageForm : public TForm {
public:
    TMessageForm(const std::string& text, const std::string& caption, uint32_t flags) : TForm(nullptr) {
        SetCaption(caption);
        SetBorderStyle(TBorderStyle::bsDialog);
        SetBorderIcons(biSystemMenu);
        const bool okCancel = (flags & MB_TYPEMASK) == MB_OKCANCEL;
        uint32_t icon = flags & MB_ICONMASK;
        if (icon != MB_ICONERROR && icon != MB_ICONWARNING && icon != MB_ICONINFORMATION && icon != MB_ICONQUESTION)
            icon = 0;

        std::unique_ptr<TBitmap> probe = CreateBitmap(1, 1);
        TCanvas& c = probe->Canvas();
        c.Font = Font()->Spec();
        std::vector<std::string> lines = WrapText(c, text, kMaxTextWidth);
        const int32_t lineHeight = c.TextExtent("").cy;
        int32_t textWidth = 0;
        for (const std::string& line : lines) textWidth = std::max(textWidth, c.TextExtent(line).cx);
        const int32_t textHeight = lineHeight * static_cast<int32_t>(lines.size());
        const int32_t contentHeight = std::max(textHeight, icon ? kIconSize : 0);
        const int32_t textLeft = icon ? kMargin + kIconSize + kMargin : kMargin;
        const int32_t buttons = okCancel ? 2 : 1;
        const int32_t buttonsWidth = buttons * kButtonWidth + (buttons - 1) * kButtonGap;
        // Wide enough for the text, the buttons and the caption beside the caption
        // buttons, in a title font that is commonly half as wide again as ours.
        const int32_t width = std::max({textLeft + textWidth + kMargin, buttonsWidth + 2 * kMargin,
                                        std::min(c.TextExtent(caption).cx * 3 / 2 + 96, kMaxTextWidth + 2 * kMargin)});
        const int32_t buttonsTop = kMargin + contentHeight + kMargin + 4;
        SetBounds(Left(), Top(), width, buttonsTop + kButtonHeight + kMargin - 2);

        if (icon) {
            auto* sign = new TMessageIcon(this, icon);
            sign->SetParent(this);
            sign->SetBounds(kMargin, kMargin, kIconSize, kIconSize);
        }
        auto* label = new TMessageText(this, text, std::move(lines), lineHeight);
        label->SetParent(this);
        label->SetBounds(textLeft, kMargin + (contentHeight - textHeight) / 2, textWidth, textHeight);

        int32_t x = (width - buttonsWidth) / 2;
        auto* ok = new TButton(this);
        ok->SetParent(this);
        ok->SetBounds(x, buttonsTop, kButtonWidth, kButtonHeight);
        ok->SetCaption("OK");
        ok->SetDefault(true);
        ok->SetModalResult(mrOk);
        if (okCancel) {
            x += kButtonWidth + kButtonGap;
            auto* cancel = new TButton(this);
            cancel->SetParent(this);
            cancel->SetBounds(x, buttonsTop, kButtonWidth, kButtonHeight);
            cancel->SetCaption("Cancel");
            cancel->SetCancel(true);
            cancel->SetModalResult(mrCancel);
        } else {
            ok->SetCancel(true);  // Escape answers a lone OK, as on Windows
        }
    }

    // An alert, holding its text and its buttons.
    bool Describe(AccessibleNode& node) const override {
        TForm::Describe(node);
        node.Role = AccessibleRole::Alert;
        return true;
    }

    // Centred over `over`, or over the screen where `over` is empty.
    void PlaceOver(const TRect& over) {
        if (over.IsEmpty()) {
            SetPosition(TPosition::poScreenCenter);
            return;
        }
        SetPosition(TPosition::poDesigned);
        const TPoint at = CentredOver(over, OuterSize(), Application->GetBackend().ScreenRect());
        SetBounds(at.X, at.Y, Width(), Height());
    }
};

}  // namespace

int32_t ShowMessageForm(const TRect& over, const std::string& text, const std::string& caption, uint32_t flags) {
    TMessageForm form(text, caption, flags);
    form.PlaceOver(over);
    const TModalResult result = form.ShowModal();
    if (result == mrCancel && (flags & MB_TYPEMASK) == MB_OKCANCEL) return IDCANCEL;
    return IDOK;
}

}  // namespace forms
