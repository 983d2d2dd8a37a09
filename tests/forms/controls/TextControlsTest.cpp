#include <string>

#include "WidgetFixture.h"
#include "forms/controls/Button.h"
#include "forms/controls/Edit.h"
#include "forms/controls/Label.h"
#include "forms/core/LayoutReader.h"
#include "forms/controls/StaticText.h"

using namespace forms;

namespace {

using TextControls = WidgetFixture;

TEST_F(TextControls, SizeThemselvesToTheirTextOnceTheLayoutIsRead) {
    ReadLayoutText(*form, R"(object F: TForm
  Font.Height = -11
  object Lbl: TLabel
    Left = 104
    Top = 216
    Width = 3
    Height = 3
    Caption = 'l''Help'
    Font.Height = -13
    Font.Style = [fsBold, fsUnderline]
  end
  object Txt: TStaticText
    Left = 46
    Top = 216
    Width = 3
    Height = 3
    Caption = 'leggere'
    Font.Height = -13
    Font.Style = [fsBold]
  end
  object Fixed: TLabel
    AutoSize = False
    Width = 50
    Height = 40
    Caption = 'x'
  end
end
)",
                   "test");
    auto* lbl = static_cast<TLabel*>(form->FindComponent("Lbl"));
    auto* txt = static_cast<TStaticText*>(form->FindComponent("Txt"));
    auto* fixed = static_cast<TLabel*>(form->FindComponent("Fixed"));
    const TSize l = MeasureText(lbl->Font()->Spec(), "l'Help");
    const TSize t = MeasureText(txt->Font()->Spec(), "leggere");
    EXPECT_EQ(lbl->BoundsRect(), Bounds(104, 216, l.cx, l.cy));
    EXPECT_EQ(txt->BoundsRect(), Bounds(46, 216, t.cx + 3, t.cy + 4));
    EXPECT_EQ(fixed->BoundsRect(), Bounds(0, 0, 50, 40));

    lbl->SetCaption("a longer caption");
    EXPECT_EQ(lbl->Width(), MeasureText(lbl->Font()->Spec(), "a longer caption").cx);
    txt->Font()->SetHeight(-19);
    EXPECT_EQ(txt->Height(), MeasureText(txt->Font()->Spec(), "leggere").cy + 4);
    lbl->SetAutoSize(false);
    lbl->SetCaption("x");
    EXPECT_EQ(lbl->Width(), MeasureText(lbl->Font()->Spec(), "a longer caption").cx);
}

TEST_F(TextControls, DrawnOnTheParentsColourUnlessGivenTheirOwn) {
    form->SetColor(RGB(236, 233, 216));
    auto* lbl = Add<TLabel>(10, 10, 0, 0);
    lbl->SetCaption("Label");
    auto* txt = Add<TStaticText>(10, 40, 0, 0);
    txt->SetCaption("Static");
    auto* own = Add<TLabel>(10, 70, 0, 0);
    own->SetCaption("Own");
    own->SetColor(clYellow);
    ShowAndPaint();
    const TBitmap& s = Screen();
    auto ink = [&](const TControl& c, TColor ground) {
        int text = 0, other = 0;
        for (int y = c.Top(); y < c.Top() + c.Height(); ++y)
            for (int x = c.Left(); x < c.Left() + c.Width(); ++x) {
                const TColor p = s.Pixel(x, y);
                if (p == ColorToRGB(clWindowText)) ++text;
                else if (p != ground) ++other;
            }
        EXPECT_GT(text, 10);
        EXPECT_EQ(other, 0);  // nothing but text on the ground colour
    };
    ink(*lbl, RGB(236, 233, 216));
    ink(*txt, RGB(236, 233, 216));
    ink(*own, clYellow);
    // The static text's blank columns and rows stay clear of text.
    for (int x = txt->Left(); x < txt->Left() + txt->Width(); ++x)
        for (int y = txt->Top() + txt->Height() - TStaticText::kBlankBelow; y < txt->Top() + txt->Height(); ++y)
            EXPECT_EQ(s.Pixel(x, y), RGB(236, 233, 216)) << x << "," << y;

    form->SetColor(clAqua);
    form->InvalidateRect(form->ClientRect());
    Pump();
    ink(*lbl, clAqua);
    ink(*txt, clAqua);
    ink(*own, clYellow);
}

TEST_F(TextControls, AStaticTextLinesUpWithALabelOfTheSameTop) {
    auto* txt = Add<TStaticText>(10, 30, 0, 0);
    auto* lbl = Add<TLabel>(100, 30, 0, 0);
    for (TControl* c : {static_cast<TControl*>(txt), static_cast<TControl*>(lbl)}) {
        c->Font()->SetHeight(-13);
        c->Font()->SetStyle(fsBold);
        c->SetCaption("leggere");
    }
    ShowAndPaint();
    auto inkRows = [&](const TControl& c) {
        std::pair<int, int> rows{-1, -1};
        for (int y = c.Top(); y < c.Top() + c.Height(); ++y)
            for (int x = c.Left(); x < c.Left() + c.Width(); ++x)
                if (Screen().Pixel(x, y) == ColorToRGB(clWindowText)) {
                    if (rows.first < 0) rows.first = y;
                    rows.second = y;
                }
        return rows;
    };
    EXPECT_NE(inkRows(*txt).first, -1);
    EXPECT_EQ(inkRows(*txt), inkRows(*lbl));
    EXPECT_EQ(txt->Width(), lbl->Width() + TStaticText::kBlankRight);
    EXPECT_EQ(txt->Height(), lbl->Height() + TStaticText::kBlankBelow);
}

TEST_F(TextControls, StaticTextsCarryATabOrderButTakeNoFocusLabelsNeither) {
    auto* edit = Add<TEdit>(10, 10, 60, 21);
    auto* txt = Add<TStaticText>(10, 40, 0, 0);
    txt->SetCaption("Static");
    auto* button = Add<TButton>(100, 10, 75, 25);
    auto* lbl = Add<TLabel>(10, 80, 0, 0);
    lbl->SetCaption("Label");
    int clicks = 0;
    txt->OnClick = [&](TObject* sender) {
        EXPECT_EQ(sender, txt);
        ++clicks;
    };
    lbl->OnClick = [&](TObject* sender) {
        EXPECT_EQ(sender, lbl);
        ++clicks;
    };
    txt->SetTabOrder(0);
    EXPECT_EQ(txt->TabOrder(), 0);
    EXPECT_EQ(edit->TabOrder(), 1);
    EXPECT_FALSE(txt->TabStop());
    ShowAndPaint();
    EXPECT_EQ(form->ActiveControl(), edit);
    backend.PressKey(VK_TAB);
    Pump();
    EXPECT_EQ(form->ActiveControl(), button);
    backend.PressKey(VK_TAB);
    Pump();
    EXPECT_EQ(form->ActiveControl(), edit);

    backend.Click(form->Handle(), txt->Left() + 2, txt->Top() + 2);
    backend.Click(form->Handle(), lbl->Left() + 2, lbl->Top() + 2);
    Pump();
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(form->ActiveControl(), edit);
}

TEST_F(TextControls, CursorIsAPropertyAndStaysNormalUnlessSet) {
    ReadLayoutText(*form, R"(object F: TForm
  object Plain: TLabel
    Caption = 'a'
  end
  object Hand: TLabel
    Cursor = crHandPoint
    Caption = 'b'
  end
end
)",
                   "test");
    EXPECT_EQ(static_cast<TLabel*>(form->FindComponent("Plain"))->Cursor(), crDefault);
    EXPECT_EQ(static_cast<TLabel*>(form->FindComponent("Hand"))->Cursor(), crHandPoint);
}

}  // namespace
