#pragma once
#include "Button.h"

namespace forms {

// The kinds a bitmap button knows. Each fixes a default caption, a glyph, the
// button's role in its form and its own modal result; bkCustom fixes nothing.
enum class TBitBtnKind : uint8_t { bkCustom, bkOK, bkCancel, bkAbort };

// An 18 by 18 glyph, row by row. clNone marks the pixels where the face shows through.
struct GlyphImage {
    static constexpr int32_t kSize = 18;
    TColor Pixels[kSize][kSize];
};

// The glyph of a kind, or its greyed twin for the disabled state; nullptr for bkCustom.
const GlyphImage* KindGlyph(TBitBtnKind kind, bool disabled);
const char* KindCaption(TBitBtnKind kind);
TModalResult KindModalResult(TBitBtnKind kind);

// Where the glyph and the caption of a bitmap button stand on its unpressed face:
// the glyph left of the caption with kGlyphSpacing pixels between them, the pair
// centred horizontally, each centred vertically; halves truncated toward zero.
struct GlyphCaptionLayout {
    TPoint Glyph;
    TPoint Caption;
};
GlyphCaptionLayout LayoutGlyphAndCaption(TSize button, TSize caption, bool hasGlyph);

class TBitBtn : public TButton {
    FORMS_CLASS(TBitBtn)
public:
    static constexpr int32_t kGlyphSpacing = 4;

    explicit TBitBtn(TComponent* AOwner);

    TBitBtnKind Kind() const { return kind_; }
    // Gives the button the kind's role and modal result, and the kind's caption
    // unless a layout being read has already stored a caption of its own.
    void SetKind(TBitBtnKind kind);

protected:
    void PaintContent(TCanvas& c, const TRect& r) override;

private:
    TBitBtnKind kind_ = TBitBtnKind::bkCustom;
};

}  // namespace forms
