#include <string>
#include <vector>

#include "WidgetFixture.h"
#include "forms/controls/BitBtn.h"
#include "forms/controls/Edit.h"
#include "forms/controls/Label.h"
#include "forms/core/LayoutReader.h"

using namespace forms;

namespace {

TEST(BitBtnKind, FixesCaptionRoleAndModalResult) {
    struct Row {
        TBitBtnKind kind;
        const char* caption;
        bool isDefault, isCancel;
        TModalResult result;
    };
    const Row rows[] = {
        {TBitBtnKind::bkOK, "OK", true, false, 1},
        {TBitBtnKind::bkCancel, "Cancel", false, true, 2},
        {TBitBtnKind::bkAbort, "Abort", false, false, 3},
    };
    for (const Row& row : rows) {
        TBitBtn b(nullptr);
        b.SetCaption("before");
        b.SetKind(row.kind);
        SCOPED_TRACE(row.caption);
        EXPECT_EQ(b.Caption(), row.caption);  // outside a layout the kind's caption wins
        EXPECT_EQ(b.Default(), row.isDefault);
        EXPECT_EQ(b.Cancel(), row.isCancel);
        EXPECT_EQ(b.ModalResult(), row.result);
    }
    // Changing the kind takes the old role away.
    TBitBtn b(nullptr);
    b.SetKind(TBitBtnKind::bkOK);
    b.SetKind(TBitBtnKind::bkCancel);
    EXPECT_FALSE(b.Default());
    EXPECT_TRUE(b.Cancel());
}

TEST(BitBtnGeometry, GlyphBeforeCaptionThePairCentred) {
    struct Row {
        const char* label;
        TSize button, caption;
        bool glyph;
        TPoint expectGlyph, expectCaption;
    };
    const Row rows[] = {
        {"OK in 89 x 25", {89, 25}, {15, 13}, true, {26, 3}, {48, 6}},
        {"odd remainder truncated", {90, 26}, {15, 13}, true, {26, 4}, {48, 6}},
        {"pair wider than the button", {30, 25}, {40, 13}, true, {-16, 3}, {6, 6}},
        {"no caption: no gap", {25, 25}, {0, 0}, true, {3, 3}, {21, 12}},
        {"no glyph: caption alone centred", {89, 25}, {15, 13}, false, {37, 12}, {37, 6}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const GlyphCaptionLayout l = LayoutGlyphAndCaption(row.button, row.caption, row.glyph);
        EXPECT_EQ(l.Glyph, row.expectGlyph);
        EXPECT_EQ(l.Caption, row.expectCaption);
    }
}

TEST(BitBtnGlyphs, TickAndCrossWithGreyedTwins) {
    EXPECT_EQ(KindGlyph(TBitBtnKind::bkCustom, false), nullptr);
    EXPECT_EQ(KindGlyph(TBitBtnKind::bkCancel, false), KindGlyph(TBitBtnKind::bkAbort, false));
    auto count = [](const GlyphImage* g, auto pred) {
        int n = 0;
        for (const auto& row : g->Pixels)
            for (TColor c : row) n += pred(c) ? 1 : 0;
        return n;
    };
    auto green = [](TColor c) {
        return c != clNone && !IsSystemColor(c) && GetGValue(c) > GetRValue(c) && GetGValue(c) > GetBValue(c);
    };
    auto red = [](TColor c) {
        return c != clNone && !IsSystemColor(c) && GetRValue(c) > GetGValue(c) && GetRValue(c) > GetBValue(c);
    };
    auto grey = [](TColor c) { return c == clBtnShadow || c == clBtnHighlight; };
    const GlyphImage* tick = KindGlyph(TBitBtnKind::bkOK, false);
    const GlyphImage* cross = KindGlyph(TBitBtnKind::bkCancel, false);
    EXPECT_GT(count(tick, green), 20);
    EXPECT_EQ(count(tick, red), 0);
    EXPECT_GT(count(cross, red), 20);
    EXPECT_EQ(count(cross, green), 0);
    for (const GlyphImage* g : {KindGlyph(TBitBtnKind::bkOK, true), KindGlyph(TBitBtnKind::bkCancel, true)}) {
        EXPECT_EQ(count(g, green) + count(g, red), 0);
        EXPECT_GT(count(g, grey), 20);
    }
    // The twin keeps the shape: its shadow pixels are exactly the glyph's pixels.
    const GlyphImage* twin = KindGlyph(TBitBtnKind::bkOK, true);
    for (int y = 0; y < GlyphImage::kSize; ++y)
        for (int x = 0; x < GlyphImage::kSize; ++x)
            EXPECT_EQ(twin->Pixels[y][x] == clBtnShadow, tick->Pixels[y][x] != clNone) << x << "," << y;
}

using BitBtnOnForm = WidgetFixture;

TEST_F(BitBtnOnForm, ACaptionStoredInALayoutReplacesTheKindsWhicheverComesFirst) {
    ReadLayoutText(*form, R"(object F: TForm
  object CaptionFirst: TBitBtn
    Caption = 'Annulla'
    Kind = bkCancel
  end
  object KindFirst: TBitBtn
    Kind = bkCancel
    Caption = 'Annulla'
  end
  object KindAlone: TBitBtn
    Kind = bkOK
  end
end
)",
                   "test");
    auto* captionFirst = static_cast<TBitBtn*>(form->FindComponent("CaptionFirst"));
    auto* kindFirst = static_cast<TBitBtn*>(form->FindComponent("KindFirst"));
    auto* kindAlone = static_cast<TBitBtn*>(form->FindComponent("KindAlone"));
    EXPECT_EQ(captionFirst->Caption(), "Annulla");
    EXPECT_EQ(kindFirst->Caption(), "Annulla");
    EXPECT_EQ(kindAlone->Caption(), "OK");
    EXPECT_TRUE(captionFirst->Cancel());
    EXPECT_EQ(captionFirst->ModalResult(), mrCancel);
    EXPECT_TRUE(kindAlone->Default());
}

// Checks every glyph pixel at its place and that the caption's ink starts after the
// glyph and the gap.
void ExpectFace(const TBitmap& screen, const TBitBtn& b, const GlyphImage& glyph, int shift, TColor textColor) {
    const TSize text = MeasureText(b.Font()->Spec(), b.Caption());
    const GlyphCaptionLayout l = LayoutGlyphAndCaption({b.Width(), b.Height()}, text, true);
    const int gx = b.Left() + l.Glyph.X + shift, gy = b.Top() + l.Glyph.Y + shift;
    int mismatches = 0;
    for (int y = 0; y < GlyphImage::kSize; ++y)
        for (int x = 0; x < GlyphImage::kSize; ++x) {
            // A focused button's dotted focus rectangle is drawn over the glyph.
            const int lx = gx + x - b.Left(), ly = gy + y - b.Top();
            if (b.Focused() && (lx == 4 || ly == 4 || lx == b.Width() - 5 || ly == b.Height() - 5)) continue;
            const TColor want = glyph.Pixels[y][x] == clNone ? ColorToRGB(clBtnFace) : ColorToRGB(glyph.Pixels[y][x]);
            mismatches += screen.Pixel(gx + x, gy + y) != want ? 1 : 0;
        }
    EXPECT_EQ(mismatches, 0);
    // Text ink lies only right of the glyph and the 4-pixel gap, inside the face.
    int ink = 0, misplaced = 0;
    for (int y = b.Top() + 3; y < b.Top() + b.Height() - 3; ++y)
        for (int x = b.Left() + 3; x < b.Left() + b.Width() - 3; ++x) {
            if (x >= gx && x < gx + GlyphImage::kSize && y >= gy && y < gy + GlyphImage::kSize) continue;
            if (screen.Pixel(x, y) != ColorToRGB(textColor)) continue;
            ++ink;
            if (x < gx + GlyphImage::kSize + TBitBtn::kGlyphSpacing) ++misplaced;
        }
    EXPECT_GT(ink, 10);
    EXPECT_EQ(misplaced, 0);
}

TEST_F(BitBtnOnForm, PaintsGlyphAndCaptionNormalPressedAndDisabled) {
    Add<TEdit>(10, 10, 100, 21);  // holds the focus
    auto* ok = Add<TBitBtn>(32, 60, 89, 25);
    ok->SetKind(TBitBtnKind::bkOK);
    auto* cancel = Add<TBitBtn>(184, 60, 89, 25);
    cancel->SetKind(TBitBtnKind::bkCancel);
    cancel->SetCaption("Annulla");
    ShowAndPaint();
    {
        SCOPED_TRACE("OK, normal");
        ExpectFace(Screen(), *ok, *KindGlyph(TBitBtnKind::bkOK, false), 0, clBtnText);
    }
    {
        SCOPED_TRACE("Annulla, normal");
        ExpectFace(Screen(), *cancel, *KindGlyph(TBitBtnKind::bkCancel, false), 0, clBtnText);
    }
    backend.MouseDown(form->Handle(), 200, 70);
    Pump();
    {
        SCOPED_TRACE("Annulla, held down: one pixel right and down");
        ExpectFace(Screen(), *cancel, *KindGlyph(TBitBtnKind::bkCancel, false), 1, clBtnText);
    }
    backend.MouseUp(form->Handle(), 5, 5);
    cancel->SetEnabled(false);
    Pump();
    {
        SCOPED_TRACE("Annulla, disabled");
        ExpectFace(Screen(), *cancel, *KindGlyph(TBitBtnKind::bkCancel, true), 0, clGrayText);
    }
}

TEST_F(BitBtnOnForm, EnterAndEscapeFollowTheKindsRolesInAModalShowing) {
    form->Show();
    TForm* dialog = new TForm(&app);
    dialog->SetBounds(0, 0, 300, 100);
    auto* edit = new TEdit(dialog);
    edit->SetParent(dialog);
    edit->SetBounds(10, 10, 100, 21);
    std::vector<std::string> clicks;
    auto add = [&](TBitBtnKind kind, int left) {
        auto* b = new TBitBtn(dialog);
        b->SetParent(dialog);
        b->SetBounds(left, 50, 80, 25);
        b->SetKind(kind);
        b->OnClick = [&clicks, b](TObject*) { clicks.push_back(b->Caption()); };
        return b;
    };
    add(TBitBtnKind::bkOK, 10);
    add(TBitBtnKind::bkCancel, 100);
    TBitBtn* abort = add(TBitBtnKind::bkAbort, 190);

    struct Case {
        const char* label;
        std::function<void()> input;
        TModalResult result;
        const char* clicked;
    };
    const Case cases[] = {
        {"Enter in the field presses OK", [&] { backend.PressKey(VK_RETURN); }, mrOk, "OK"},
        {"Escape presses Cancel", [&] { backend.PressKey(VK_ESCAPE); }, mrCancel, "Cancel"},
        {"a click on Abort", [&] { backend.Click(dialog->Handle(), 200, 60); }, mrAbort, "Abort"},
        {"Enter on the focused Abort presses Abort, not OK",
         [&] {
             abort->SetFocus();
             backend.PressKey(VK_RETURN);
         },
         mrAbort, "Abort"},
        {"Enter with Ctrl presses nothing; then Escape",
         [&] {
             backend.PressKey(VK_RETURN, ssCtrl);
             backend.PressKey(VK_ESCAPE);
         },
         mrCancel, "Cancel"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        clicks.clear();
        bool given = false;
        backend.OnIdle = [&] {
            if (given) return false;
            given = true;
            c.input();
            return true;
        };
        EXPECT_EQ(dialog->ShowModal(), c.result);
        EXPECT_EQ(clicks, std::vector<std::string>{c.clicked});
    }
}

}  // namespace
