#include <algorithm>
#include <string>

#include "DialogFixture.h"
#include "dialogs/UnitPrint.h"
#include "dialogs/UnitProgress.h"

using namespace forms;

namespace {

struct ProgressDialogs : DialogFixture {
    void SetUp() override {
        DialogFixture::SetUp();
        app.CreateForm(FrmProgress);
        app.CreateForm(FrmPrint);
    }
    void TearDown() override {
        FrmProgress = nullptr;
        FrmPrint = nullptr;
    }
    void ClickAbort() { backend.Click(FrmPrint->Handle(), 152 + 60, 72 + 12); }
};

// A full bar: along its middle row, between the border rings, only the bar's red
// and the caption's white; the caption's white centred on the bar.
void ExpectFullRedBarCaptioned100(const TBitmap& screen, const TOrloExtProgressBar& bar) {
    EXPECT_EQ(bar.MinValue(), 0);
    EXPECT_EQ(bar.MaxValue(), 100);
    EXPECT_EQ(bar.Progress(), 100);
    EXPECT_EQ(bar.PercentAt(), 100.0f);
    EXPECT_EQ(bar.PixelWidth(), bar.Width());
    EXPECT_EQ(OrloExtProgressBar::ExpandPlaceholder(bar.Text(), bar.PercentAt()), "100%");
    const int inset = 4;  // the raised edge and two inner rings
    int red = 0, other = 0, whiteLeft = 1 << 30, whiteRight = -1;
    for (int y = bar.Top() + inset; y < bar.Top() + bar.Height() - inset && y < screen.Height(); ++y)
        for (int x = bar.Left() + inset; x < bar.Left() + bar.Width() - inset; ++x) {
            const TColor p = screen.Pixel(x, y);
            if (p == clRed) {
                ++red;
            } else if (p == clWhite) {
                whiteLeft = std::min(whiteLeft, x);
                whiteRight = std::max(whiteRight, x);
            } else {
                ++other;
            }
        }
    EXPECT_GT(red, bar.Width() * 10);
    EXPECT_EQ(other, 0) << "no black: nothing of the bar is left unfilled";
    ASSERT_GE(whiteRight, whiteLeft) << "no caption";
    const int captionCentre = (whiteLeft + whiteRight) / 2;
    EXPECT_NEAR(captionCentre, bar.Left() + bar.Width() / 2, 3);
}

TEST_F(ProgressDialogs, BothBarsShowAFullRedBarCaptioned100PercentBeforeAnyCaller) {
    FrmProgress->Show();
    FrmPrint->Show();
    app.ProcessMessages();
    {
        SCOPED_TRACE("FrmProgress");
        ExpectFullRedBarCaptioned100(*backend.Find(FrmProgress->Handle())->Image, *FrmProgress->PBar);
    }
    {
        SCOPED_TRACE("FrmPrint");
        ExpectFullRedBarCaptioned100(*backend.Find(FrmPrint->Handle())->Image, *FrmPrint->PBar);
    }
    // The list dialog's bar reaches one row below its 24-row client area.
    EXPECT_EQ(backend.Find(FrmProgress->Handle())->Image->Height(), 24);
    EXPECT_EQ(FrmProgress->PBar->BoundsRect().Bottom, 25);
}

TEST_F(ProgressDialogs, TwoClicksOnAnnullaStampaLeaveAbortedRaisedAndAModelessDialogOpen) {
    EXPECT_FALSE(FrmPrint->PrintAborted);
    FrmPrint->Show();
    app.ProcessMessages();
    ClickAbort();
    app.ProcessMessages();
    EXPECT_TRUE(FrmPrint->PrintAborted);
    ClickAbort();
    app.ProcessMessages();
    EXPECT_TRUE(FrmPrint->PrintAborted);
    EXPECT_TRUE(FrmPrint->Visible());
    EXPECT_TRUE(backend.Find(FrmPrint->Handle())->Visible);
    FrmPrint->Hide();

    // Shown modally, the button ends the showing with 3. The dialog never lowers
    // the flag; the printing code does.
    FrmPrint->PrintAborted = false;
    Then([&] { ClickAbort(); });
    EXPECT_EQ(FrmPrint->ShowModal(), 3);
    EXPECT_TRUE(FrmPrint->PrintAborted);
}

TEST_F(ProgressDialogs, TheAbortButtonHoldsTheFocusAndTakesEnterAndSpace) {
    Then([&] {
        EXPECT_EQ(FrmPrint->ActiveControl(), FrmPrint->BtnAbort);
        backend.PressKey(VK_TAB);
    });
    Then([&] {
        EXPECT_EQ(FrmPrint->ActiveControl(), FrmPrint->BtnAbort);
        backend.PressKey(VK_ESCAPE);  // no cancel button here
    });
    Then([&] {
        EXPECT_FALSE(FrmPrint->PrintAborted);
        backend.PressKey(VK_SPACE);
    });
    EXPECT_EQ(FrmPrint->ShowModal(), 3);
    EXPECT_TRUE(FrmPrint->PrintAborted);

    FrmPrint->PrintAborted = false;
    Then([&] { backend.PressKey(VK_RETURN); });
    EXPECT_EQ(FrmPrint->ShowModal(), 3);
    EXPECT_TRUE(FrmPrint->PrintAborted);
}

TEST_F(ProgressDialogs, TheCallerSetsPageAndProgress) {
    FrmPrint->Show();
    FrmPrint->LblPrint->SetCaption("12");
    FrmPrint->PBar->SetProgress(37);
    app.ProcessMessages();
    EXPECT_EQ(FrmPrint->LblPrint->Width(), MeasureText(FrmPrint->LblPrint->Font()->Spec(), "12").cx);
    EXPECT_EQ(FrmPrint->PBar->PercentAt(), 37.0f);
    const TBitmap& screen = *backend.Find(FrmPrint->Handle())->Image;
    const int middle = 32 + 12;
    EXPECT_EQ(screen.Pixel(8 + 10, middle), clRed);
    EXPECT_EQ(screen.Pixel(8 + 390, middle), clBlack);
}

}  // namespace
