// The SDL backend's windows and their input on a real X server.
#include <unistd.h>

#include <algorithm>

#include "SdlDisplayFixture.h"
#include "forms/controls/Edit.h"

using namespace forms;
using e2e::SdlDisplayTest;

namespace {

TEST_F(SdlDisplayTest, WindowAppearsAtItsFirstShowingWithExactClientSizeAtItsOuterCorner) {
    WindowStyle single;
    single.Border = TBorderStyle::bsSingle;
    const TSize classic = backend->OuterSize(single, 130, 90);
    EXPECT_GT(classic.cy - 90, classic.cx - 130) << "before any showing: a caption above the client area";

    WindowParams p;
    p.Caption = "Geometria \xCE\xA9";
    p.Left = 100;
    p.Top = 50;
    p.ClientWidth = 120;
    p.ClientHeight = 80;
    p.Style = single;
    const WindowId w = backend->CreateWindow(p);
    EXPECT_EQ(backend->SdlWindowId(w), 0u) << "hidden windows wait for their first showing";
    backend->SetBounds(w, 110, 60, 130, 90);
    backend->SetCaption(w, "Geometria \xCE\xA9!");
    backend->Show(w, ShowMode::Normal);
    ASSERT_NE(XWindow(w), 0u);

    // No window manager, so no frame: the client takes the outer corner, and outer
    // sizes are client sizes from now on.
    EXPECT_EQ(backend->OuterSize(single, 130, 90), (TSize{130, 90}));
    auto g = e2e::WindowGeometry(*server, XWindow(w));
    ASSERT_TRUE(g);
    EXPECT_TRUE(g->Mapped);
    EXPECT_EQ(g->Width, 130);
    EXPECT_EQ(g->Height, 90);
    EXPECT_EQ(g->X, 110);
    EXPECT_EQ(g->Y, 60);
    EXPECT_EQ(e2e::WindowName(*server, XWindow(w)), "Geometria \xCE\xA9!");

    backend->SetBounds(w, 200, 100, 150, 70);
    backend->SetCaption(w, "Altro");
    ASSERT_TRUE(Pump([&] {
        g = e2e::WindowGeometry(*server, XWindow(w));
        return g && g->Width == 150 && g->Height == 70 && g->X == 200;
    }));
    EXPECT_EQ(g->Y, 100);
    EXPECT_EQ(e2e::WindowName(*server, XWindow(w)), "Altro");

    backend->Show(w, ShowMode::Hide);
    ASSERT_TRUE(Pump([&] { return !e2e::WindowGeometry(*server, XWindow(w))->Mapped; }));
    backend->DestroyWindow(w);
    EXPECT_EQ(backend->SdlWindowId(w), 0u);
}

TEST_F(SdlDisplayTest, BorderlessWindowsHaveNoFrame) {
    const WindowId w = Shown(40, 30, 50, 20, "borderless", TBorderStyle::bsNone);
    EXPECT_EQ(backend->OuterSize(WindowStyle{TBorderStyle::bsNone}, 50, 20), (TSize{50, 20}));
    auto g = e2e::WindowGeometry(*server, XWindow(w));
    ASSERT_TRUE(g);
    EXPECT_EQ(g->X, 40);
    EXPECT_EQ(g->Y, 30);
}

TEST_F(SdlDisplayTest, ScreenRectIsTheDisplay) { EXPECT_EQ(backend->ScreenRect(), (TRect{0, 0, 1024, 768})); }

TEST_F(SdlDisplayTest, PresentPutsTheDirtyPartOfTheImageOnScreen) {
    const WindowId w = Shown(10, 10, 64, 48);
    auto pattern = [](int32_t x, int32_t y) {
        return static_cast<uint32_t>(x * 4) << 16 | static_cast<uint32_t>(y * 5) << 8 | 0x40u;
    };
    auto first = CreateBitmap(64, 48);
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 64; ++x) first->Bits()[y * 64 + x] = pattern(x, y);
    backend->Present(w, *first, {0, 0, 64, 48});
    std::vector<uint32_t> pixels = e2e::WindowPixels(*server, XWindow(w), 0, 0, 64, 48);
    ASSERT_EQ(pixels.size(), 64u * 48u);
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 64; ++x)
            ASSERT_EQ(pixels[static_cast<size_t>(y * 64 + x)], pattern(x, y)) << x << "," << y;

    auto second = CreateBitmap(64, 48);
    std::fill(second->Bits(), second->Bits() + 64 * 48, 0x00123456u);
    const TRect dirty{8, 4, 20, 10};
    backend->Present(w, *second, dirty);
    pixels = e2e::WindowPixels(*server, XWindow(w), 0, 0, 64, 48);
    ASSERT_EQ(pixels.size(), 64u * 48u);
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 64; ++x)
            ASSERT_EQ(pixels[static_cast<size_t>(y * 64 + x)], dirty.Contains(x, y) ? 0x00123456u : pattern(x, y))
                << x << "," << y;
}

TEST_F(SdlDisplayTest, MouseArrivesInClientCoordinatesWithItsButtons) {
    const WindowId w = Shown(100, 100, 120, 90);
    const std::string id = std::to_string(w);
    ASSERT_TRUE(e2e::Xdotool(*server, {"mousemove", "--window", X(w), "30", "40", "click", "1"}).Succeeded());
    ASSERT_TRUE(PumpFor("MouseUp w" + id + " b0 s0 30,40")) << rec.Dump();
    EXPECT_TRUE(rec.Has("MouseMove w" + id + " s0 30,40")) << rec.Dump();
    EXPECT_EQ(rec.Count("MouseDown w" + id + " b0 s8 30,40"), 1) << rec.Dump();

    ASSERT_TRUE(e2e::Xdotool(*server, {"mousemove", "--window", X(w), "31", "41", "click", "3"}).Succeeded());
    ASSERT_TRUE(PumpFor("MouseUp w" + id + " b1 s0 31,41")) << rec.Dump();
    EXPECT_TRUE(rec.Has("MouseDown w" + id + " b1 s16 31,41")) << rec.Dump();

    ASSERT_TRUE(e2e::Xdotool(*server, {"mousemove", "--window", X(w), "5", "6", "mousedown", "1", "mousemove",
                                       "--window", X(w), "7", "8", "mouseup", "1"})
                    .Succeeded());
    ASSERT_TRUE(PumpFor("MouseUp w" + id + " b0 s0 7,8")) << rec.Dump();
    EXPECT_TRUE(rec.Has("MouseMove w" + id + " s8 7,8")) << "a drag holds the button: " << rec.Dump();
}

TEST_F(SdlDisplayTest, KeysArriveAsVirtualKeysAndEachCharacterOnce) {
    const WindowId w = Shown(100, 100, 120, 90);
    const std::string id = std::to_string(w);
    ASSERT_TRUE(Focus(w)) << rec.Dump();

    rec.Log.clear();
    ASSERT_TRUE(e2e::Xdotool(*server, {"key", "--window", X(w), "Return"}).Succeeded());
    ASSERT_TRUE(PumpFor("KeyUp w" + id + " d s0")) << rec.Dump();
    EXPECT_EQ(rec.Starting("KeyDown"), std::vector<std::string>{"KeyDown w" + id + " d s0"});
    EXPECT_EQ(rec.Starting("Char"), std::vector<std::string>{"Char w" + id + " d"});

    rec.Log.clear();
    ASSERT_TRUE(e2e::Xdotool(*server, {"key", "--window", X(w), "Escape", "BackSpace", "Tab", "space"}).Succeeded());
    ASSERT_TRUE(PumpFor("KeyUp w" + id + " 20 s0")) << rec.Dump();
    EXPECT_EQ(rec.Starting("Char"), (std::vector<std::string>{"Char w" + id + " 1b", "Char w" + id + " 8",
                                                              "Char w" + id + " 9", "Char w" + id + " 20"}))
        << rec.Dump();

    rec.Log.clear();
    ASSERT_TRUE(e2e::Xdotool(*server, {"type", "--window", X(w), "aZ"}).Succeeded());
    // e acute and capital zhe, then "q" to know when they were handled
    ASSERT_TRUE(e2e::SendKeysyms(*server, XWindow(w), {0x00e9, 0x06f6, 'q'}));
    ASSERT_TRUE(PumpFor("KeyUp w" + id + " 51 s0")) << rec.Dump();
    EXPECT_TRUE(rec.Has("KeyDown w" + id + " 41 s0")) << rec.Dump();
    EXPECT_TRUE(rec.Has("KeyDown w" + id + " 5a s1")) << rec.Dump();
    EXPECT_EQ(rec.Starting("Char"),
              (std::vector<std::string>{"Char w" + id + " 61", "Char w" + id + " 5a", "Char w" + id + " e9",
                                        "Char w" + id + " 416", "Char w" + id + " 71"}))
        << rec.Dump();

    rec.Log.clear();
    ASSERT_TRUE(e2e::Xdotool(*server, {"key", "--window", X(w), "ctrl+c", "shift+Tab", "F4"}).Succeeded());
    ASSERT_TRUE(PumpFor("KeyUp w" + id + " 73 s0")) << rec.Dump();
    EXPECT_TRUE(rec.Has("KeyDown w" + id + " 11 s4")) << "Ctrl is down as its own key goes down: " << rec.Dump();
    EXPECT_TRUE(rec.Has("KeyDown w" + id + " 43 s4")) << rec.Dump();
    EXPECT_TRUE(rec.Has("KeyDown w" + id + " 9 s1")) << rec.Dump();
    EXPECT_EQ(rec.Starting("Char"), (std::vector<std::string>{"Char w" + id + " 3", "Char w" + id + " 9"}))
        << rec.Dump();
    EXPECT_FALSE(rec.Has("Close w" + id)) << "F4 alone closes nothing";

    rec.Log.clear();
    ASSERT_TRUE(e2e::Xdotool(*server, {"key", "--window", X(w), "alt+F4"}).Succeeded());
    ASSERT_TRUE(PumpFor("Close w" + id)) << rec.Dump();
}

// The backend reports what the window system gives; the application keeps input
// away from a disabled window (Backend.h).
TEST_F(SdlDisplayTest, DisabledWindowGetsNoInput) {
    TApplication app(*backend);
    rec.Next = backend->Sink();
    backend->SetSink(&rec);
    int clicks = 0;
    TForm* form = FormWithButton(app, Bounds(100, 100, 120, 90), Bounds(0, 0, 120, 40), clicks);
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(0, 50, 120, 24);
    form->Show();
    const WindowId w = form->Handle();
    ASSERT_TRUE(PumpFor(PaintLine(w, 120, 90))) << rec.Dump();
    ASSERT_TRUE(Focus(w)) << rec.Dump();
    edit->SetFocus();

    form->SetEnabled(false);
    ASSERT_TRUE(e2e::Xdotool(*server, {"mousemove", "--window", X(w), "5", "6", "click", "1"}).Succeeded());
    ASSERT_TRUE(e2e::Xdotool(*server, {"key", "--window", X(w), "x", "Return"}).Succeeded());
    ASSERT_TRUE(e2e::SendDeleteWindow(*server, XWindow(w)));
    // X delivers in order: once the close request is in, the rest was handled.
    ASSERT_TRUE(PumpFor("Close w" + std::to_string(w))) << rec.Dump();
    EXPECT_TRUE(rec.Has("Char w" + std::to_string(w) + " 78")) << rec.Dump();
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(edit->Text(), "");
    EXPECT_TRUE(form->Visible()) << "closed while disabled";

    form->SetEnabled(true);
    ASSERT_TRUE(e2e::Xdotool(*server, {"key", "--window", X(w), "x"}).Succeeded());
    ASSERT_TRUE(Pump([&] { return edit->Text() == "x"; })) << rec.Dump();
    ASSERT_TRUE(e2e::Xdotool(*server, {"mousemove", "--window", X(w), "5", "6", "click", "1"}).Succeeded());
    ASSERT_TRUE(Pump([&] { return clicks == 1; })) << rec.Dump();
}

TEST_F(SdlDisplayTest, DisabledWindowHandsTheFocusToAnEnabledOne) {
    const WindowId owner = Shown(100, 100, 120, 90, "owner");
    const WindowId dialog = Shown(130, 120, 60, 40, "dialog");
    ASSERT_TRUE(Focus(dialog));
    backend->Enable(owner, false);
    rec.Log.clear();
    ASSERT_TRUE(e2e::Xdotool(*server, {"windowfocus", X(owner)}).Succeeded());
    ASSERT_TRUE(Pump([&] {
        const e2e::RunResult r = e2e::Xdotool(*server, {"getwindowfocus"});
        return r.Succeeded() && e2e::Lines(r.Out) == std::vector<std::string>{X(dialog)};
    })) << rec.Dump();
    EXPECT_FALSE(rec.Has("Activated w" + std::to_string(owner) + " 1")) << rec.Dump();
}

TEST_F(SdlDisplayTest, WindowManagerCloseBecomesACloseRequest) {
    const WindowId w = Shown(100, 100, 120, 90);
    ASSERT_TRUE(e2e::SendDeleteWindow(*server, XWindow(w)));
    ASSERT_TRUE(PumpFor("Close w" + std::to_string(w))) << rec.Dump();
    EXPECT_EQ(rec.Count("Close w" + std::to_string(w)), 1);
    EXPECT_NE(XWindow(w), 0u) << "the window stays until the library takes it down";
}

TEST_F(SdlDisplayTest, FocusAndMovesAreReported) {
    const WindowId w = Shown(100, 100, 120, 90);
    ASSERT_TRUE(Focus(w));
    ASSERT_TRUE(e2e::Xdotool(*server, {"windowmove", X(w), "300", "200"}).Succeeded());
    ASSERT_TRUE(PumpFor("Moved w" + std::to_string(w) + " 300,200")) << rec.Dump();
}

TEST_F(SdlDisplayTest, MessageToAVanishedWindowDoesNotEndTheProcess) {
    Shown(10, 10, 40, 30);  // SDL's video runs
    ::testing::FLAGS_gtest_death_test_style = "fast";
    // SDL's wake-up messages can reach a window just destroyed; the server's BadWindow
    // answer must not end the process (Xlib's default handler exits with 1).
    EXPECT_EXIT(
        {
            e2e::SendDeleteWindow(*server, 0x1fffffUL);
            ::_exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
