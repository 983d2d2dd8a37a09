// The message box form, run on the headless backend: what it answers
// to each key, where it stands, how it lays out its text.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "forms/backends/headless/HeadlessBackend.h"
#include "forms/controls/MessageForm.h"
#include "forms/core/Application.h"
#include "forms/core/Form.h"
#include "tests/forms/core/AccessibleRows.h"

using namespace forms;

namespace {

struct Seen {
    WindowParams Params;
    std::unique_ptr<TBitmap> Image;
};

class MessageFormTest : public ::testing::Test {
protected:
    // Shows the box; once it waits for input, `act` answers it. The box's window as it
    // stood then is kept in `seen`.
    int32_t Run(const TRect& over, const std::string& text, uint32_t flags, const std::function<void()>& act,
                const std::string& caption = "Lyrimat to Vocarium") {
        int idles = 0;
        backend.OnIdle = [&] {
            if (++idles > 1) return false;  // the answer did not close it
            WindowId newest = 0;
            for (WindowId w : backend.Windows())
                if (backend.Find(w)->Visible) newest = std::max(newest, w);
            if (newest == 0) return false;
            const HeadlessBackend::Window* win = backend.Find(newest);
            seen.Params = win->Params;
            seen.Image = CreateBitmap(win->Image->Width(), win->Image->Height());
            std::copy(win->Image->Bits(), win->Image->Bits() + win->Image->Width() * win->Image->Height(),
                      seen.Image->Bits());
            box = newest;
            act();
            return true;
        };
        const int32_t result = ShowMessageForm(over, text, caption, flags);
        backend.OnIdle = nullptr;
        return result;
    }

    TSize Outer() const {
        return const_cast<HeadlessBackend&>(backend).OuterSize(seen.Params.Style, seen.Params.ClientWidth,
                                                               seen.Params.ClientHeight);
    }
    TColor Pixel(int32_t x, int32_t y) const { return seen.Image->Pixel(x, y); }

    HeadlessBackend backend;
    TApplication app{backend};
    Seen seen;
    WindowId box = 0;
};

TEST_F(MessageFormTest, EnterEscapeSpaceAndTheCloseBoxAnswerALoneOk) {
    const std::pair<const char*, std::function<void(HeadlessBackend&, WindowId)>> answers[] = {
        {"enter", [](HeadlessBackend& b, WindowId) { b.PressKey(VK_RETURN); }},
        {"escape", [](HeadlessBackend& b, WindowId) { b.PressKey(VK_ESCAPE); }},
        {"space", [](HeadlessBackend& b, WindowId) { b.PressKey(VK_SPACE); }},
        {"close box", [](HeadlessBackend& b, WindowId w) { b.CloseBox(w); }},
    };
    for (const auto& [label, answer] : answers) {
        const int32_t r = Run({}, "Ho Finito!", MB_OK, [&] { answer(backend, box); });
        EXPECT_EQ(r, IDOK) << label;
        EXPECT_EQ(backend.Find(box), nullptr) << label << ": the box's window is gone";
    }
}

TEST_F(MessageFormTest, OkCancelAnswersWithTheButtonPressed) {
    const std::pair<const char*, std::function<void()>> cancels[] = {
        {"escape", [&] { backend.PressKey(VK_ESCAPE); }},
        {"tab, enter",
         [&] {
             backend.PressKey(VK_TAB);
             backend.PressKey(VK_RETURN);
         }},
        {"tab, space",
         [&] {
             backend.PressKey(VK_TAB);
             backend.PressKey(VK_SPACE);
         }},
        {"close box", [&] { backend.CloseBox(box); }},
        {"cancel's default action",
         [&] { backend.DoDefaultAction(box, backend.Find(box)->Accessible.Nodes.back().Id); }},
    };
    for (const auto& [label, act] : cancels) EXPECT_EQ(Run({}, "Continue?", MB_OKCANCEL, act), IDCANCEL) << label;
    EXPECT_EQ(Run({}, "Continue?", MB_OKCANCEL, [&] { backend.PressKey(VK_RETURN); }), IDOK);
    EXPECT_EQ(Run({}, "Continue?", MB_OKCANCEL, [&] { backend.PressKey(VK_SPACE); }), IDOK);
}

TEST_F(MessageFormTest, IsAnAlertHoldingItsTextAndItsButtons) {
    std::vector<std::string> rows;
    Run({}, "Ho Finito!", MB_OKCANCEL | MB_ICONINFORMATION, [&] {
        rows = AccessibleRows(backend, box);
        backend.PressKey(VK_RETURN);
    });
    EXPECT_EQ(rows, (std::vector<std::string>{"alert 'Lyrimat to Vocarium'", "static text 'Ho Finito!' read-only",
                                              "push button 'OK' focusable focused default",
                                              "push button 'Cancel' focusable cancel"}));
}

TEST_F(MessageFormTest, AClickOnOkAnswers) {
    const int32_t r = Run({}, "Ho Finito!", MB_OK, [&] {
        const int32_t cw = seen.Params.ClientWidth, ch = seen.Params.ClientHeight;
        backend.Click(box, cw / 2, ch - 20);
    });
    EXPECT_EQ(r, IDOK);
}

TEST_F(MessageFormTest, StandsCentredOverItsOwnerAsADialog) {
    const TRect over = Bounds(100, 200, 302, 88);
    Run(over, "Ho Finito!", MB_OK, [&] { backend.PressKey(VK_RETURN); });
    EXPECT_EQ(seen.Params.Caption, "Lyrimat to Vocarium");
    EXPECT_EQ(seen.Params.Style.Border, TBorderStyle::bsDialog);
    EXPECT_FALSE(seen.Params.Style.MinimizeBox);
    EXPECT_FALSE(seen.Params.Style.MaximizeBox);
    const TSize outer = Outer();
    EXPECT_EQ(seen.Params.Left, over.Left + (over.Width() - outer.cx) / 2);
    EXPECT_EQ(seen.Params.Top, over.Top + (over.Height() - outer.cy) / 2);
}

TEST_F(MessageFormTest, WithoutAnOwnerStandsInTheScreenCentre) {
    backend.SetScreen({0, 0, 800, 600});
    Run({}, "Ho Finito!", MB_OK, [&] { backend.PressKey(VK_RETURN); });
    const TSize outer = Outer();
    EXPECT_EQ(seen.Params.Left, (800 - outer.cx) / 2);
    EXPECT_EQ(seen.Params.Top, (600 - outer.cy) / 2);
}

TEST_F(MessageFormTest, StaysOnTheScreenBesideAnOwnerAtItsEdge) {
    backend.SetScreen({0, 0, 800, 600});
    Run(Bounds(760, 580, 40, 20), "Ho Finito!", MB_OK, [&] { backend.PressKey(VK_RETURN); });
    const TSize outer = Outer();
    EXPECT_EQ(seen.Params.Left + outer.cx, 800);
    EXPECT_EQ(seen.Params.Top + outer.cy, 600);
}

TEST_F(MessageFormTest, LongLinesWrapAndLineBreaksStart) {
    Run({}, "Ho Finito!", MB_OK, [&] { backend.PressKey(VK_RETURN); });
    const WindowParams one = seen.Params;
    Run({}, "Ho Finito!\nHo Finito!", MB_OK, [&] { backend.PressKey(VK_RETURN); });
    const WindowParams two = seen.Params;
    EXPECT_EQ(two.ClientWidth, one.ClientWidth);
    EXPECT_GT(two.ClientHeight, one.ClientHeight);
    const int32_t lineHeight = two.ClientHeight - one.ClientHeight;
    EXPECT_GE(lineHeight, 10);

    std::string paragraph;
    for (int i = 0; i < 40; ++i) paragraph += "parola ";
    Run({}, paragraph, MB_OK, [&] { backend.PressKey(VK_RETURN); });
    EXPECT_LE(seen.Params.ClientWidth, 12 + 440 + 12);
    EXPECT_GE(seen.Params.ClientHeight, one.ClientHeight + 2 * lineHeight);
}

TEST_F(MessageFormTest, DrawsTheTextTheButtonAndTheIconAskedFor) {
    Run({}, "Ho Finito!", MB_OK, [&] { backend.PressKey(VK_RETURN); });
    const int32_t cw = seen.Params.ClientWidth, ch = seen.Params.ClientHeight;
    // The OK button, default and focused: its dark outer frame on the face colour.
    const int32_t bl = (cw - 75) / 2, bt = ch - 23 - 10;
    EXPECT_EQ(Pixel(bl, bt), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(Pixel(bl + 74, bt + 22), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(Pixel(bl - 1, bt), ColorToRGB(clBtnFace));
    // Some glyph pixels of the text, left of where an icon would stand.
    int dark = 0;
    for (int32_t y = 12; y < 12 + 13; ++y)
        for (int32_t x = 12; x < cw - 12; ++x) dark += Pixel(x, y) == ColorToRGB(clWindowText);
    EXPECT_GT(dark, 10);
    EXPECT_EQ(Pixel(12 + 16, 12 + 3), ColorToRGB(clBtnFace)) << "no icon for style 0";

    Run({}, "Errore", MB_OK | MB_ICONERROR, [&] { backend.PressKey(VK_RETURN); });
    EXPECT_EQ(Pixel(12 + 16, 12 + 3), TColor(0x000000E0)) << "the red disc";
    EXPECT_EQ(Pixel(12 + 16, 12 + 16), clWhite) << "the cross";
    Run({}, "Attenzione", MB_OK | MB_ICONWARNING, [&] { backend.PressKey(VK_RETURN); });
    EXPECT_EQ(Pixel(12 + 12, 12 + 20), clYellow);
    EXPECT_EQ(Pixel(12 + 16, 12 + 15), clBlack) << "the stroke of the !";
    Run({}, "Informazione", MB_OK | MB_ICONINFORMATION, [&] { backend.PressKey(VK_RETURN); });
    EXPECT_EQ(Pixel(12 + 16, 12 + 9), clWhite) << "the dot of the i";
    EXPECT_EQ(Pixel(12 + 16, 12 + 3), TColor(0x00C04000));
}

TEST_F(MessageFormTest, LeavesTheApplicationsFormsAsTheyWere) {
    TForm* main = nullptr;
    app.CreateForm(main);
    main->SetBounds(10, 10, 200, 100);
    main->Show();
    app.ProcessMessages();
    const size_t forms = app.Forms().size();
    EXPECT_EQ(Run(Bounds(10, 10, 206, 125), "Ho Finito!", MB_OK, [&] { backend.PressKey(VK_RETURN); }), IDOK);
    EXPECT_EQ(app.Forms().size(), forms);
    EXPECT_TRUE(main->Visible());
    EXPECT_FALSE(app.Terminated());
}

}  // namespace
