#include <cstring>
#include <string>

#include "DialogFixture.h"
#include "dialogs/UnitPinCode.h"

using namespace forms;

namespace {

struct PinCodeDialog : DialogFixture {
    void SetUp() override {
        DialogFixture::SetUp();
        app.CreateForm(FrmPinCode);
    }
    void TearDown() override { FrmPinCode = nullptr; }

    WindowId Window() { return FrmPinCode->Handle(); }
    void ClickOk() { backend.Click(Window(), 32 + 44, 88 + 12); }
    void ClickAnnulla() { backend.Click(Window(), 184 + 44, 88 + 12); }
    // The PIN as the caller reads it after the showing.
    std::string Pin() const { return FrmPinCode->PinCode; }
};

TEST_F(PinCodeDialog, OkOnAnEmptyFieldGivesAnEmptyPinAnd2) {
    std::memcpy(FrmPinCode->PinCode, "zz", 3);  // whatever was there is replaced
    Then([&] { ClickOk(); });
    EXPECT_EQ(FrmPinCode->ShowModal(), 2);
    EXPECT_EQ(Pin(), "");
    EXPECT_FALSE(FrmPinCode->Visible());

    Then([&] { backend.PressKey(VK_RETURN); });
    EXPECT_EQ(FrmPinCode->ShowModal(), 2);
    EXPECT_EQ(Pin(), "");
}

TEST_F(PinCodeDialog, FiveTypedCharactersLeaveFourAndEnterStoresThem) {
    Then([&] { backend.Type("12345"); });
    Then([&] {
        EXPECT_EQ(FrmPinCode->EdPinCode->Text(), "1234");
        backend.PressKey(VK_RETURN);
    });
    EXPECT_EQ(FrmPinCode->ShowModal(), 2);
    EXPECT_EQ(Pin(), "1234");
}

TEST_F(PinCodeDialog, EnterTakenByTheKeyHandlerEndsTheSameWayAsByTheDefaultButton) {
    // A carriage return that arrives as a character alone reaches the field's key
    // handler instead of the default button.
    Then([&] {
        backend.Type("ab");
        backend.Char(U'\r');
    });
    EXPECT_EQ(FrmPinCode->ShowModal(), 2);
    EXPECT_EQ(Pin(), "ab");
    EXPECT_EQ(FrmPinCode->EdPinCode->Text(), "ab");  // the return is not typed into the field
}

TEST_F(PinCodeDialog, AnyCharactersPassUnchanged) {
    const char* pins[] = {
        "Ab3!",
        " ,.;",
        "a b ",
        "0000",
        "#@?-",
        "\xC3\xA8\xE2\x82\xAC\xF0\x9F\x8E\xA4x",                             // è € 🎤 x: 2, 3 and 4 bytes
        "\xF0\x9F\x8E\xB5\xF0\x9F\x8E\xB6\xF0\x9F\x8E\xA4\xF0\x9F\x8E\xB8",  // four 4-byte characters fill the buffer
    };
    for (const char* pin : pins) {
        SCOPED_TRACE(pin);
        Then([&] {
            backend.Type(pin);
            ClickOk();
        });
        EXPECT_EQ(FrmPinCode->ShowModal(), 2);
        EXPECT_EQ(Pin(), pin);
    }
}

TEST_F(PinCodeDialog, EscapeAndAnnullaGive3AndLeaveThePinAsItWas) {
    Then([&] {
        backend.Type("77");
        backend.PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(FrmPinCode->ShowModal(), 3);
    EXPECT_EQ(Pin(), "");  // empty on the first showing

    Then([&] {
        backend.Type("12");
        ClickOk();
    });
    ASSERT_EQ(FrmPinCode->ShowModal(), 2);
    ASSERT_EQ(Pin(), "12");

    Then([&] {
        backend.Type("99");
        ClickAnnulla();
    });
    EXPECT_EQ(FrmPinCode->ShowModal(), 3);
    EXPECT_EQ(Pin(), "12");
    EXPECT_EQ(FrmPinCode->EdPinCode->Text(), "99");  // the field keeps its text too

    Then([&] { backend.PressKey(VK_ESCAPE); });
    EXPECT_EQ(FrmPinCode->ShowModal(), 3);
    EXPECT_EQ(Pin(), "12");
}

TEST_F(PinCodeDialog, ASecondShowingShowsTheEarlierTextSelectedWithTheFocusInTheField) {
    Then([&] {
        backend.Type("4321");
        backend.PressKey(VK_RETURN);
    });
    ASSERT_EQ(FrmPinCode->ShowModal(), 2);

    Then([&] {
        TEdit* field = FrmPinCode->EdPinCode;
        EXPECT_TRUE(field->Focused());
        EXPECT_EQ(field->Text(), "4321");
        EXPECT_EQ(field->SelStart(), 0);
        EXPECT_EQ(field->SelLength(), 4);
        // On screen: the selection's colour inside the field.
        const TBitmap& image = *backend.Find(Window())->Image;
        int highlighted = 0;
        for (int y = 44; y < 44 + 32; ++y)
            for (int x = 125; x < 125 + 56; ++x) highlighted += image.Pixel(x, y) == ColorToRGB(clHighlight) ? 1 : 0;
        EXPECT_GT(highlighted, 100);
        backend.Type("9");  // typing replaces the selected text
        backend.PressKey(VK_RETURN);
    });
    EXPECT_EQ(FrmPinCode->ShowModal(), 2);
    EXPECT_EQ(Pin(), "9");
}

TEST_F(PinCodeDialog, ThePinNeverOverrunsItsBufferWhateverTheFieldHolds) {
    // Longer texts can only come from a caller; what is kept is the first four
    // whole characters, as much as the buffer holds.
    const std::string mic = "\xF0\x9F\x8E\xA4";  // four bytes
    const std::pair<std::string, std::string> cases[] = {
        {"abcdefgh", "abcd"},
        {mic + mic + mic + mic + mic + mic, mic + mic + mic + mic},
        {"a" + mic + mic + mic + mic, "a" + mic + mic + mic},
    };
    for (const auto& c : cases) {
        FrmPinCode->EdPinCode->SetText(c.first);
        Then([&] { ClickOk(); });
        EXPECT_EQ(FrmPinCode->ShowModal(), 2);
        EXPECT_EQ(Pin(), c.second);
    }
    EXPECT_EQ(sizeof FrmPinCode->PinCode, 17u);
}

TEST_F(PinCodeDialog, OkButtonsOwnResultIsReplacedWhenClickedOutsideAModalShowing) {
    FrmPinCode->Show();
    app.ProcessMessages();
    backend.Type("5");
    ClickOk();
    app.ProcessMessages();
    // Shown without modality the result has no effect: the dialog stays open.
    EXPECT_TRUE(FrmPinCode->Visible());
    EXPECT_EQ(FrmPinCode->ModalResult(), 2);
    EXPECT_EQ(Pin(), "5");
}

TEST_F(PinCodeDialog, TheApplicationEndingDuringAShowingGives2AndTakesNoPin) {
    Then([&] {
        backend.Type("12");
        app.Terminate();
    });
    EXPECT_EQ(FrmPinCode->ShowModal(), 2);
    EXPECT_EQ(Pin(), "");
}

}  // namespace
