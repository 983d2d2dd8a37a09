// Every stored value of the dialogs' layouts, checked on the dialogs as built.
#include <string>
#include <vector>

#include "DialogFixture.h"
#include "resources/Resources.h"
#include "dialogs/UnitCredit.h"
#include "dialogs/UnitPinCode.h"
#include "dialogs/UnitPrint.h"
#include "dialogs/UnitProgress.h"
#include "forms/controls/BitBtn.h"
#include "forms/controls/Edit.h"
#include "forms/controls/Label.h"
#include "forms/core/LayoutReader.h"
#include "forms/controls/StaticText.h"

using namespace forms;

namespace {

struct WindowRow {
    const char* caption;
    int clientWidth, clientHeight;
    TBorderStyle border;
    TBorderIcons icons;
    TColor color;
    TFormStyle formStyle;
    int designLeft, designTop;
    bool hasOnShow;
};

constexpr int kDialogFont = 0;
constexpr int kNoTabOrder = -2;  // windowless: no place in the tab order

struct ControlRow {
    const char* name;
    const char* className;
    int left, top, width, height;
    const char* text;
    int fontHeight;  // kDialogFont: follows the dialog's font
    TFontStyles fontStyle;
    TColor fontColor;
    int tabOrder;
};

const LayoutNode* Child(const LayoutNode& node, const std::string& name) {
    for (const LayoutNode& c : node.Children)
        if (c.Name == name) return &c;
    return nullptr;
}

int64_t StoredInteger(const LayoutNode& node, const std::string& property) {
    for (const LayoutProperty& p : node.Properties)
        if (p.Name == property && p.Value.kind == LayoutValue::Kind::Integer) return p.Value.integer;
    ADD_FAILURE() << node.Name << " stores no " << property;
    return -1;
}

bool SizesItself(const TControl& c) {
    if (auto* l = dynamic_cast<const TLabel*>(&c)) return l->AutoSize();
    if (auto* s = dynamic_cast<const TStaticText*>(&c)) return s->AutoSize();
    return false;
}

void ExpectDialog(TForm& dialog, const char* layoutName, const WindowRow& w, const std::vector<ControlRow>& rows) {
    SCOPED_TRACE(layoutName);
    // The window.
    EXPECT_EQ(dialog.Caption(), w.caption);
    EXPECT_EQ(dialog.Width(), w.clientWidth);
    EXPECT_EQ(dialog.Height(), w.clientHeight);
    EXPECT_EQ(dialog.BorderStyle(), w.border);
    EXPECT_EQ(dialog.BorderIcons(), w.icons);
    EXPECT_EQ(dialog.Color(), w.color);
    EXPECT_EQ(dialog.FormStyle(), w.formStyle);
    EXPECT_EQ(dialog.Style().StayOnTop, w.formStyle == TFormStyle::fsStayOnTop);
    EXPECT_EQ(dialog.Position(), TPosition::poMainFormCenter);
    EXPECT_EQ(dialog.Left(), w.designLeft);
    EXPECT_EQ(dialog.Top(), w.designTop);
    EXPECT_EQ(static_cast<bool>(dialog.OnShow), w.hasOnShow);
    EXPECT_FALSE(dialog.Visible());
    const TFontSpec& font = dialog.Font()->Spec();
    EXPECT_EQ(font.Name, "MS Sans Serif");
    EXPECT_EQ(font.Height, -11);
    EXPECT_EQ(font.Style, 0);
    EXPECT_EQ(font.Color, clWindowText);
    EXPECT_EQ(font.Charset, DEFAULT_CHARSET);

    // The controls, in creation order.
    const LayoutNode stored = ParseLayout(resources::Find(std::string(layoutName) + ".layout"), layoutName);
    ASSERT_EQ(dialog.Controls().size(), rows.size());
    ASSERT_EQ(stored.Children.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const ControlRow& row = rows[i];
        SCOPED_TRACE(row.name);
        TControl* c = dialog.Controls()[i];
        ASSERT_EQ(c->Name, row.name);
        EXPECT_EQ(c->ClassName(), row.className);
        EXPECT_EQ(dialog.FindComponent(row.name), c);

        const LayoutNode* node = Child(stored, row.name);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(StoredInteger(*node, "Left"), row.left);
        EXPECT_EQ(StoredInteger(*node, "Top"), row.top);
        EXPECT_EQ(StoredInteger(*node, "Width"), row.width);
        EXPECT_EQ(StoredInteger(*node, "Height"), row.height);
        EXPECT_EQ(c->Left(), row.left);
        EXPECT_EQ(c->Top(), row.top);
        if (!SizesItself(*c)) {
            EXPECT_EQ(c->Width(), row.width);
            EXPECT_EQ(c->Height(), row.height);
        }

        if (auto* edit = dynamic_cast<TEdit*>(c)) {
            EXPECT_EQ(edit->Text(), row.text);
        } else {
            EXPECT_EQ(c->Caption(), row.text);
        }

        const TFontSpec& f = c->Font()->Spec();
        if (row.fontHeight == kDialogFont) {
            EXPECT_TRUE(c->ParentFont());
            EXPECT_EQ(f, font);
        } else {
            EXPECT_FALSE(c->ParentFont());
            EXPECT_EQ(f.Name, "MS Sans Serif");
            EXPECT_EQ(f.Height, row.fontHeight);
            EXPECT_EQ(f.Style, row.fontStyle);
            EXPECT_EQ(f.Color, row.fontColor);
            EXPECT_EQ(f.Charset, DEFAULT_CHARSET);
        }

        if (auto* win = dynamic_cast<TWinControl*>(c)) {
            EXPECT_EQ(win->TabOrder(), row.tabOrder);
            const bool isText = dynamic_cast<TStaticText*>(c) != nullptr;
            EXPECT_EQ(win->TabStop(), !isText);
        } else {
            EXPECT_EQ(row.tabOrder, kNoTabOrder);
        }
        if (auto* l = dynamic_cast<TLabel*>(c)) {
            EXPECT_EQ(l->BackgroundColor(), w.color);
        }
        if (auto* s = dynamic_cast<TStaticText*>(c)) {
            EXPECT_EQ(s->BackgroundColor(), w.color);
        }
    }
    // No two controls overlap, as they stand with their own sizes.
    for (size_t i = 0; i < rows.size(); ++i)
        for (size_t j = i + 1; j < rows.size(); ++j)
            EXPECT_TRUE(dialog.Controls()[i]->BoundsRect().Intersect(dialog.Controls()[j]->BoundsRect()).IsEmpty())
                << rows[i].name << " and " << rows[j].name;
}

using DialogLayouts = DialogFixture;

TEST_F(DialogLayouts, PinCode) {
    app.CreateForm(FrmPinCode);
    const uint8_t bold = fsBold;
    ExpectDialog(*FrmPinCode, "TFRMPINCODE",
                 {"Modifica Codice PIN", 306, 129, TBorderStyle::bsSingle, 0, clBtnFace, TFormStyle::fsStayOnTop, 552,
                  214, true},
                 {
                     {"EdPinCode", "TEdit", 125, 44, 56, 32, "", -19, bold, clWindowText, 0},
                     {"BitOk", "TBitBtn", 32, 88, 89, 25, "OK", kDialogFont, 0, 0, 1},
                     {"BitCancel", "TBitBtn", 184, 88, 89, 25, "Annulla", kDialogFont, 0, 0, 2},
                     {"StaticText1", "TStaticText", 40, 16, 231, 24, "Inserisci il nuovo Codice PIN", -16, bold,
                      clWindowText, 3},
                 });
    EXPECT_EQ(FrmPinCode->EdPinCode, FrmPinCode->FindComponent("EdPinCode"));
    EXPECT_EQ(FrmPinCode->StaticText1, FrmPinCode->FindComponent("StaticText1"));
    EXPECT_EQ(FrmPinCode->EdPinCode->MaxLength(), 4);
    EXPECT_TRUE(static_cast<bool>(FrmPinCode->EdPinCode->OnKeyPress));
    EXPECT_EQ(FrmPinCode->BitOk->Kind(), TBitBtnKind::bkOK);
    EXPECT_TRUE(FrmPinCode->BitOk->Default());
    EXPECT_EQ(FrmPinCode->BitOk->ModalResult(), 1);
    EXPECT_TRUE(static_cast<bool>(FrmPinCode->BitOk->OnClick));
    EXPECT_EQ(FrmPinCode->BitCancel->Kind(), TBitBtnKind::bkCancel);
    EXPECT_TRUE(FrmPinCode->BitCancel->Cancel());
    EXPECT_EQ(FrmPinCode->BitCancel->ModalResult(), 2);
    EXPECT_TRUE(static_cast<bool>(FrmPinCode->BitCancel->OnClick));
    EXPECT_EQ(std::string(FrmPinCode->PinCode), "");
    FrmPinCode = nullptr;
}

TEST_F(DialogLayouts, Credit) {
    app.CreateForm(FrmCredit);
    const uint8_t bold = fsBold;
    const TColor ground = RGB(236, 233, 216);
    ASSERT_EQ(ground, 14215660u);
    ExpectDialog(*FrmCredit, "TFRMCREDIT",
                 {"Informazioni", 308, 247, TBorderStyle::bsSingle, biSystemMenu, ground, TFormStyle::fsStayOnTop, 594,
                  261, false},
                 {
                     {"Image1", "TImage", 8, 8, 292, 130, "", kDialogFont, 0, 0, kNoTabOrder},
                     {"Label1", "TLabel", 104, 216, 42, 16, "l'Help", -13, fsBold | fsUnderline, clRed, kNoTabOrder},
                     {"StaticText1", "TStaticText", 94, 148, 121, 20, "versione 1.0.0.3b", -13, bold, clWindowText, 0},
                     {"StaticText2", "TStaticText", 21, 192, 265, 20, "Realizzato dagli autori del programma", -13,
                      bold, clWindowText, 1},
                     {"StaticText3", "TStaticText", 42, 170, 229, 20, "Supporto al programma Vocarium", -13, bold,
                      clWindowText, 2},
                     {"StaticText4", "TStaticText", 46, 216, 58, 20, "leggere", -13, bold, clWindowText, 3},
                     {"StaticText5", "TStaticText", 152, 216, 114, 20, "per informazioni", -13, bold, clWindowText, 4},
                 });
    EXPECT_EQ(FrmCredit->Image1->Picture()->Width(), 292);
    EXPECT_EQ(FrmCredit->Image1->Picture()->Height(), 130);
    EXPECT_TRUE(static_cast<bool>(FrmCredit->Label1->OnClick));
    EXPECT_EQ(FrmCredit->Label1->Cursor(), crDefault);
    EXPECT_FALSE(FrmCredit->Style().MinimizeBox);
    EXPECT_FALSE(FrmCredit->Style().MaximizeBox);
    EXPECT_TRUE(FrmCredit->Style().SystemMenu);
    FrmCredit = nullptr;
}

// The values both dialogs store for their bar; the rest stays at the bar's defaults.
void ExpectStoredBar(const TOrloExtProgressBar& bar) {
    EXPECT_EQ(bar.BarForeColor(), clRed);
    EXPECT_EQ(bar.BarBackColor(), clBlack);
    EXPECT_EQ(bar.TextForeColor(), clWhite);
    EXPECT_EQ(bar.TextBackColor(), clWhite);
    EXPECT_EQ(bar.Border(), gbRaised);
    EXPECT_EQ(bar.MinValue(), 0);
    EXPECT_EQ(bar.MaxValue(), 100);
    EXPECT_EQ(bar.Progress(), 100);
    EXPECT_EQ(bar.Text(), "$p%");
    EXPECT_EQ(bar.SingleBorderColor(), clWindowFrame);
    EXPECT_EQ(bar.InnerBorderSize(), 2);
    EXPECT_EQ(bar.AlignText(), TAlignment::taCenter);
    EXPECT_TRUE(bar.ShowText());
    EXPECT_EQ(bar.FillStyle(), gsSmooth);
    EXPECT_EQ(bar.Step(), 0);
}

TEST_F(DialogLayouts, Progress) {
    app.CreateForm(FrmProgress);
    ExpectDialog(*FrmProgress, "TFRMPROGRESS",
                 {"Creazione Lista Globale in corso....", 417, 24, TBorderStyle::bsToolWindow, 0, clBtnFace,
                  TFormStyle::fsNormal, 459, 261, false},
                 {
                     {"PBar", "TOrloExtProgressBar", 0, 0, 417, 25, "", kDialogFont, 0, 0, kNoTabOrder},
                 });
    ExpectStoredBar(*FrmProgress->PBar);
    FrmProgress = nullptr;
}

TEST_F(DialogLayouts, Print) {
    app.CreateForm(FrmPrint);
    const uint8_t bold = fsBold;
    ExpectDialog(*FrmPrint, "TFRMPRINT",
                 {"Stampa in corso di tutta la lista...", 416, 109, TBorderStyle::bsToolWindow, 0, clBtnFace,
                  TFormStyle::fsStayOnTop, 503, 329, false},
                 {
                     {"LblPrint", "TLabel", 360, 8, 9, 16, "1", -13, bold, clWindowText, kNoTabOrder},
                     {"PBar", "TOrloExtProgressBar", 8, 32, 401, 25, "", kDialogFont, 0, 0, kNoTabOrder},
                     {"BtnAbort", "TBitBtn", 152, 72, 121, 25, "Annulla Stampa", kDialogFont, 0, 0, 0},
                     {"StaticText1", "TStaticText", 8, 8, 346, 20, "Preparazione in corso per la stampa della pagina",
                      -13, bold, clWindowText, 1},
                 });
    ExpectStoredBar(*FrmPrint->PBar);
    EXPECT_EQ(FrmPrint->BtnAbort->Kind(), TBitBtnKind::bkAbort);
    EXPECT_FALSE(FrmPrint->BtnAbort->Default());
    EXPECT_FALSE(FrmPrint->BtnAbort->Cancel());
    EXPECT_EQ(FrmPrint->BtnAbort->ModalResult(), 3);
    EXPECT_TRUE(static_cast<bool>(FrmPrint->BtnAbort->OnClick));
    EXPECT_FALSE(FrmPrint->PrintAborted);
    FrmPrint = nullptr;
}

}  // namespace
