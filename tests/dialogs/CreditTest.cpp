#include <string>

#include "DialogFixture.h"
#include "dialogs/UnitCredit.h"

using namespace forms;

namespace {

struct CreditDialog : DialogFixture {
    void SetUp() override {
        DialogFixture::SetUp();
        app.CreateForm(FrmCredit);
    }
    void TearDown() override { FrmCredit = nullptr; }

    WindowId Window() { return FrmCredit->Handle(); }
    void ClickHelp() { backend.Click(Window(), FrmCredit->Label1->Left() + 5, FrmCredit->Label1->Top() + 5); }
};

TEST_F(CreditDialog, TheHelpLinkAsksTheShellForTheViewerAndGives1EvenWithoutOne) {
    backend.ShellResult = false;  // no viewer, no help file
    Then([&] { ClickHelp(); });
    EXPECT_EQ(FrmCredit->ShowModal(), 1);
    EXPECT_TRUE(backend.MessageBoxes.empty());  // nothing reported
    ASSERT_EQ(backend.ShellRequests.size(), 1u);
    const ShellRequest& r = backend.ShellRequests[0];
    EXPECT_EQ(r.Owner, main->Handle());
    EXPECT_EQ(r.Verb, "open");
    EXPECT_EQ(r.File, "hh.exe");
    EXPECT_EQ(r.Parameters, "Lyrimat.chm");
    EXPECT_EQ(r.Directory, "");
    EXPECT_EQ(r.ShowCommand, SW_SHOWMAXIMIZED);

    backend.ShellResult = true;
    Then([&] { ClickHelp(); });
    EXPECT_EQ(FrmCredit->ShowModal(), 1);
    EXPECT_EQ(backend.ShellRequests.size(), 2u);
}

TEST_F(CreditDialog, TheCloseBoxGives2AndOtherClicksNothing) {
    Then([&] {
        // The picture, the texts and the blank ground end nothing.
        backend.Click(Window(), 50, 50);
        backend.Click(Window(), FrmCredit->StaticText4->Left() + 3, FrmCredit->StaticText4->Top() + 3);
        backend.Click(Window(), 300, 240);
    });
    Then([&] {
        EXPECT_TRUE(FrmCredit->Visible());
        backend.CloseBox(Window());
    });
    EXPECT_EQ(FrmCredit->ShowModal(), 2);
    EXPECT_TRUE(backend.ShellRequests.empty());
}

TEST_F(CreditDialog, CentredOnTheFirstShowingThenBackWhereTheUserLeftIt) {
    EXPECT_EQ(FrmCredit->Left(), 594);  // the design position until then
    EXPECT_EQ(FrmCredit->Top(), 261);
    const TPoint centre = CentredOverMain(*FrmCredit);
    Then([&] {
        EXPECT_EQ(FrmCredit->Left(), centre.X);
        EXPECT_EQ(FrmCredit->Top(), centre.Y);
        backend.DragTo(Window(), 17, 480);
    });
    Then([&] { backend.CloseBox(Window()); });
    ASSERT_EQ(FrmCredit->ShowModal(), 2);

    main->SetBounds(0, 0, 296, 63);  // the main window moved meanwhile: no matter
    Then([&] {
        EXPECT_EQ(FrmCredit->Left(), 17);
        EXPECT_EQ(FrmCredit->Top(), 480);
        EXPECT_EQ(backend.Find(Window())->Params.Left, 17);
        EXPECT_EQ(backend.Find(Window())->Params.Top, 480);
        ClickHelp();
    });
    EXPECT_EQ(FrmCredit->ShowModal(), 1);
}

TEST_F(CreditDialog, ShowsThePictureUnscaledAndTheRedUnderlinedLink) {
    FrmCredit->Show();
    app.ProcessMessages();
    const TBitmap& screen = *backend.Find(Window())->Image;
    const TBitmap* picture = FrmCredit->Image1->Picture()->Bitmap();
    ASSERT_NE(picture, nullptr);
    ASSERT_EQ(picture->Width(), 292);
    ASSERT_EQ(picture->Height(), 130);
    int differences = 0;
    for (int y = 0; y < 130; ++y)
        for (int x = 0; x < 292; ++x) differences += screen.Pixel(8 + x, 8 + y) != picture->Pixel(x, y) ? 1 : 0;
    EXPECT_EQ(differences, 0);
    EXPECT_EQ(screen.Pixel(7, 7), RGB(236, 233, 216));
    EXPECT_EQ(screen.Pixel(8 + 292, 8 + 130), RGB(236, 233, 216));

    // The link: red glyphs and one red row under the whole word, on the dialog's colour.
    const TLabel& link = *FrmCredit->Label1;
    int fullRows = 0, foreign = 0;
    for (int y = link.Top(); y < link.Top() + link.Height(); ++y) {
        int red = 0;
        for (int x = link.Left(); x < link.Left() + link.Width(); ++x) {
            const TColor p = screen.Pixel(x, y);
            if (p == clRed) ++red;
            else if (p != RGB(236, 233, 216)) ++foreign;
        }
        if (red >= link.Width() - 1) ++fullRows;
    }
    EXPECT_GE(fullRows, 1);
    EXPECT_EQ(foreign, 0);
}

TEST_F(CreditDialog, HasNoTabStopAndTheLinkKeepsTheNormalPointer) {
    FrmCredit->Show();
    EXPECT_EQ(FrmCredit->ActiveControl(), nullptr);
    backend.PressKey(VK_TAB);
    app.ProcessMessages();
    EXPECT_EQ(FrmCredit->ActiveControl(), nullptr);
    EXPECT_EQ(FrmCredit->Label1->Cursor(), crDefault);
}

}  // namespace
