#include "BitBtn.h"

#include <string_view>

#include "forms/core/Form.h"
#include "TextFont.h"

namespace forms {

namespace {

const NameTable kKinds = {{"bkCustom", 0}, {"bkOK", 1}, {"bkCancel", 2}, {"bkAbort", 3}};

// The glyphs as drawn, one character a pixel: '.' lets the face show through.
using GlyphRows = std::string_view[GlyphImage::kSize];

constexpr GlyphRows kTickRows = {
    "..................", "..................", "..................", "..................", "..............dd..",
    ".............dggd.", "............dggd..", "...........dggd...", "..dd......dggd....", ".dggd....dggd.....",
    "..dggd..dggd......", "...dggddggd.......", "....dggggd........", ".....dggd.........", "......dd..........",
    "..................", "..................", "..................",
};
constexpr GlyphRows kCrossRows = {
    "..................", "..................", "..................", "...rr........rr...", "...rrr......rrr...",
    "....rrr....rrr....", ".....rrr..rrr.....", "......rrrrrr......", ".......rrrr.......", ".......rrrr.......",
    "......rrrrrr......", ".....rrr..rrr.....", "....rrr....rrr....", "...rrr......rrr...", "...rr........rr...",
    "..................", "..................", "..................",
};

constexpr bool AllRowsFit(const GlyphRows& rows) {
    for (std::string_view row : rows)
        if (row.size() != static_cast<size_t>(GlyphImage::kSize)) return false;
    return true;
}
static_assert(AllRowsFit(kTickRows) && AllRowsFit(kCrossRows), "a glyph row is not 18 pixels wide");

TColor PaletteColor(char c) {
    switch (c) {
        case 'g':
            return RGB(0, 168, 0);
        case 'd':
            return RGB(0, 96, 0);
        case 'r':
            return RGB(208, 0, 0);
        default:
            return clNone;
    }
}

GlyphImage FromRows(const GlyphRows& rows) {
    GlyphImage g{};
    for (int32_t y = 0; y < GlyphImage::kSize; ++y)
        for (int32_t x = 0; x < GlyphImage::kSize; ++x) g.Pixels[y][x] = PaletteColor(rows[y][x]);
    return g;
}

// The greyed twin: the glyph's shape in the shadow colour over a copy of it in the
// highlight colour one pixel right and down, the look of something engraved.
GlyphImage Greyed(const GlyphImage& normal) {
    GlyphImage g{};
    const int32_t n = GlyphImage::kSize;
    for (int32_t y = 0; y < n; ++y)
        for (int32_t x = 0; x < n; ++x) {
            const bool inside = normal.Pixels[y][x] != clNone;
            const bool below = x > 0 && y > 0 && normal.Pixels[y - 1][x - 1] != clNone;
            g.Pixels[y][x] = inside ? clBtnShadow : below ? clBtnHighlight : clNone;
        }
    return g;
}

}  // namespace

const GlyphImage* KindGlyph(TBitBtnKind kind, bool disabled) {
    static const GlyphImage tick = FromRows(kTickRows);
    static const GlyphImage cross = FromRows(kCrossRows);
    static const GlyphImage tickGreyed = Greyed(tick);
    static const GlyphImage crossGreyed = Greyed(cross);
    switch (kind) {
        case TBitBtnKind::bkOK:
            return disabled ? &tickGreyed : &tick;
        case TBitBtnKind::bkCancel:
        case TBitBtnKind::bkAbort:
            return disabled ? &crossGreyed : &cross;
        case TBitBtnKind::bkCustom:
            break;
    }
    return nullptr;
}

const char* KindCaption(TBitBtnKind kind) {
    switch (kind) {
        case TBitBtnKind::bkOK:
            return "OK";
        case TBitBtnKind::bkCancel:
            return "Cancel";
        case TBitBtnKind::bkAbort:
            return "Abort";
        case TBitBtnKind::bkCustom:
            break;
    }
    return "";
}

TModalResult KindModalResult(TBitBtnKind kind) {
    switch (kind) {
        case TBitBtnKind::bkOK:
            return mrOk;
        case TBitBtnKind::bkCancel:
            return mrCancel;
        case TBitBtnKind::bkAbort:
            return mrAbort;
        case TBitBtnKind::bkCustom:
            break;
    }
    return mrNone;
}

GlyphCaptionLayout LayoutGlyphAndCaption(TSize button, TSize caption, bool hasGlyph) {
    const int32_t glyph = hasGlyph ? GlyphImage::kSize : 0;
    const int32_t gap = hasGlyph && caption.cx > 0 ? TBitBtn::kGlyphSpacing : 0;
    const int32_t left = (button.cx - (glyph + gap + caption.cx)) / 2;
    GlyphCaptionLayout l;
    l.Glyph = {left, (button.cy - glyph) / 2};
    l.Caption = {left + glyph + gap, (button.cy - caption.cy) / 2};
    return l;
}

const TClassInfo& TBitBtn::StaticClass() {
    static const TClassInfo info = ClassBuilder<TBitBtn>("TBitBtn", &TButton::StaticClass())
                                       .Creatable()
                                       .Enum<TBitBtnKind>("Kind", "TBitBtnKind", &TBitBtn::SetKind, kKinds)
                                       .Reads(&TBitBtn::Kind)
                                       .Build();
    return info;
}

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner) {}

void TBitBtn::SetKind(TBitBtnKind kind) {
    if (kind == kind_) return;
    kind_ = kind;
    if (kind != TBitBtnKind::bkCustom) {
        SetDefault(kind == TBitBtnKind::bkOK);
        SetCancel(kind == TBitBtnKind::bkCancel);
        SetModalResult(KindModalResult(kind));
        if (!Loading() || Caption().empty()) SetCaption(KindCaption(kind));
    }
    Invalidate();
}

void TBitBtn::PaintContent(TCanvas& c, const TRect& r) {
    const GlyphImage* glyph = KindGlyph(kind_, !Enabled());
    c.Font = TextFont(*this, TTextGround::ButtonFace);
    const TSize text = Caption().empty() ? TSize{} : c.TextExtent(Caption());
    const GlyphCaptionLayout l = LayoutGlyphAndCaption({Width(), Height()}, text, glyph != nullptr);
    const int32_t shift = Down() ? 1 : 0;
    if (glyph) {
        ClipScope scope(c, 0, 0, r);
        for (int32_t y = 0; y < GlyphImage::kSize; ++y)
            for (int32_t x = 0; x < GlyphImage::kSize; ++x)
                if (glyph->Pixels[y][x] != clNone)
                    c.SetPixel(l.Glyph.X + shift + x, l.Glyph.Y + shift + y, glyph->Pixels[y][x]);
    }
    c.BrushStyle = TBrushStyle::bsClear;
    c.TextRect(r, l.Caption.X + shift, l.Caption.Y + shift, Caption());
}

}  // namespace forms
