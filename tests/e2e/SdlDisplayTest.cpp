// The SDL backend on a real X server (an Xvfb of the test's own, no window manager),
// driven from outside with xdotool and plain X requests.
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "XSession.h"
#include "tests/forms/backends/RecordingSink.h"
#include "forms/backends/sdl/SdlBackend.h"
#include "forms/core/Application.h"
#include "forms/controls/Button.h"
#include "forms/controls/Edit.h"
#include "forms/core/Form.h"

using namespace forms;

namespace e2e {
unsigned long X11WindowOf(uint32_t sdlWindowId);
}

namespace {

class SdlDisplayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server = new e2e::Xvfb();
        ::setenv("DISPLAY", server->Display().c_str(), 1);
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        backend = std::make_unique<SdlBackend>();
        backend->SetSink(&rec);
    }
    void TearDown() override { backend.reset(); }

    bool Pump(const std::function<bool()>& pred) { return backend_tests::PumpUntil(*backend, pred); }
    bool PumpFor(const std::string& line) { return Pump([&] { return rec.Has(line); }); }

    WindowId Shown(int32_t left, int32_t top, int32_t width, int32_t height, const std::string& caption = "probe",
                   TBorderStyle border = TBorderStyle::bsSingle) {
        WindowParams p;
        p.Caption = caption;
        p.Left = left;
        p.Top = top;
        p.ClientWidth = width;
        p.ClientHeight = height;
        p.Style.Border = border;
        const WindowId w = backend->CreateWindow(p);
        backend->Show(w, ShowMode::Normal);
        EXPECT_TRUE(PumpFor(PaintLine(w, width, height))) << rec.Dump();
        return w;
    }
    static std::string PaintLine(WindowId w, int32_t width, int32_t height) {
        return "Paint w" + std::to_string(w) + " 0,0," + std::to_string(width) + "," + std::to_string(height);
    }

    // A form of the application's, not shown yet, with a button that counts its clicks.
    static TForm* FormWithButton(TApplication& app, const TRect& bounds, const TRect& button, int& clicks) {
        TForm* form = nullptr;
        app.CreateForm(form);
        form->SetBorderStyle(TBorderStyle::bsSingle);
        form->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
        auto* b = new TButton(form);
        b->SetParent(form);
        b->SetBounds(button.Left, button.Top, button.Width(), button.Height());
        b->OnClick = [&clicks](TObject*) { ++clicks; };
        return form;
    }

    unsigned long XWindow(WindowId w) { return e2e::X11WindowOf(backend->SdlWindowId(w)); }
    std::string X(WindowId w) { return std::to_string(XWindow(w)); }

    // Gives a window the keyboard focus and handles every report that came with it.
    bool Focus(WindowId w) {
        SDL_Window* window = SDL_GetWindowFromID(backend->SdlWindowId(w));
        if (!e2e::Xdotool(*server, {"windowfocus", "--sync", X(w)}).Succeeded()) return false;
        if (!Pump([&] { return SDL_GetKeyboardFocus() == window; })) return false;
        backend->ProcessEvents(false);
        return true;
    }

    static e2e::Xvfb* server;
    backend_tests::RecordingSink rec;
    std::unique_ptr<SdlBackend> backend;
};

e2e::Xvfb* SdlDisplayTest::server = nullptr;

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

TEST_F(SdlDisplayTest, ScreenRectIsTheDisplay) {
    EXPECT_EQ(backend->ScreenRect(), (TRect{0, 0, 1024, 768}));
}

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

    ASSERT_TRUE(e2e::Xdotool(*server, {"mousemove", "--window", X(w), "5", "6", "mousedown", "1", "mousemove", "--window",
                                      X(w), "7", "8", "mouseup", "1"})
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
    EXPECT_EQ(rec.Starting("Char"), (std::vector<std::string>{"Char w" + id + " 61", "Char w" + id + " 5a",
                                                               "Char w" + id + " e9", "Char w" + id + " 416",
                                                               "Char w" + id + " 71"}))
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

TEST_F(SdlDisplayTest, OneMillisecondTimerTicksOnTheUserInterfaceThread) {
    const auto ui = std::this_thread::get_id();
    bool elsewhere = false;
    rec.OnTimer = [&](TimerId) { elsewhere = elsewhere || std::this_thread::get_id() != ui; };
    const TimerId t = backend->StartTimer(1);
    ASSERT_NE(t, 0u);
    ASSERT_TRUE(Pump([&] { return rec.Ticks[t] >= 50; }));
    EXPECT_FALSE(elsewhere);
    backend->StopTimer(t);
}

// Each call handles what was queued when it began: the tick that comes due while a
// slow handler runs waits for the next call, and no more than that one waits (the
// table's rule, stepped by hand in SdlUnitTest).
TEST_F(SdlDisplayTest, SlowTickHandlerBuildsNoBacklog) {
    const TimerId t = backend->StartTimer(1);
    int inCall = 0;
    rec.OnTimer = [&](TimerId) {
        if (++inCall > 1) return;
        // Slower than its interval: done once the next tick waits in the queue.
        EXPECT_TRUE(e2e::WaitUntil(
            [] { return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_USEREVENT, SDL_LASTEVENT) > 0; }, 15000));
    };
    for (int round = 0; round < 5; ++round) {
        inCall = 0;
        ASSERT_TRUE(backend->ProcessEvents(true));
        ASSERT_EQ(inCall, 1) << "round " << round;
    }
    backend->StopTimer(t);
}

TEST_F(SdlDisplayTest, StoppedTimerTicksNoMore) {
    const TimerId a = backend->StartTimer(1);
    const TimerId b = backend->StartTimer(2);
    ASSERT_NE(a, b);
    ASSERT_TRUE(Pump([&] { return rec.Ticks[a] >= 3; }));
    backend->StopTimer(a);
    const int at = rec.Ticks[a];
    const int bAt = rec.Ticks[b];
    ASSERT_TRUE(Pump([&] { return rec.Ticks[b] >= bAt + 30; }));
    EXPECT_EQ(rec.Ticks[a], at);
    backend->StopTimer(b);
}

TEST_F(SdlDisplayTest, PostQuitFromATickEndsAWaitingLoop) {
    int ticks = 0;
    rec.OnTimer = [&](TimerId) {
        if (++ticks == 3) backend->PostQuit();
    };
    backend->StartTimer(5);
    int calls = 0;
    while (backend->ProcessEvents(true)) ASSERT_LT(++calls, 10000);
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(backend->ProcessEvents(false));
}

TEST_F(SdlDisplayTest, ClipboardKeepsUnicodeText) {
    backend->SetClipboardText("Archivio \xCE\xA9 \xE2\x9C\x93");
    EXPECT_EQ(backend->ClipboardText(), "Archivio \xCE\xA9 \xE2\x9C\x93");
}

// A stand-in xdg-open that writes what it was asked to open.
class ShellTest : public SdlDisplayTest {
protected:
    void SetUp() override {
        SdlDisplayTest::SetUp();
        oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        const std::string script = bin / "xdg-open";
        std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << (bin / "opened") << ".tmp'\nmv '"
                              << (bin / "opened") << ".tmp' '" << (bin / "opened") << "'\n";
        ::chmod(script.c_str(), 0755);
        ::setenv("PATH", (bin.Path() + ":" + oldPath).c_str(), 1);
    }
    void TearDown() override {
        ::setenv("PATH", oldPath.c_str(), 1);
        SdlDisplayTest::TearDown();
    }
    std::string Opened() {
        std::string out;
        e2e::WaitUntil(
            [&] {
                std::ifstream f(bin / "opened");
                if (!f) return false;
                std::getline(f, out);
                return true;
            },
            10000);
        return out;
    }
    e2e::TempFolder bin;
    e2e::TempFolder archive;
    std::string oldPath;
};

TEST_F(ShellTest, MissingWindowsProgramHasItsParameterOpened) {
    std::ofstream(archive / "Lyrimat.chm") << "help";
    ShellRequest r;
    r.Verb = "open";
    r.File = "hh.exe";
    r.Parameters = "Lyrimat.chm";
    r.Directory = archive.Path();
    EXPECT_TRUE(backend->ShellExecute(r));
    EXPECT_EQ(Opened(), archive / "Lyrimat.chm");
}

TEST_F(ShellTest, DocumentIsOpenedByTheDesktop) {
    std::ofstream(archive / "leggimi.txt") << "x";
    ShellRequest r;
    r.File = archive / "leggimi.txt";
    EXPECT_TRUE(backend->ShellExecute(r));
    EXPECT_EQ(Opened(), archive / "leggimi.txt");
}

TEST_F(ShellTest, NothingToOpenFails) {
    ShellRequest r;
    r.File = "hh.exe";
    r.Parameters = "Lyrimat.chm";
    r.Directory = archive.Path();  // holds no help file
    EXPECT_FALSE(backend->ShellExecute(r));
    r.Parameters.clear();
    EXPECT_FALSE(backend->ShellExecute(r));
    r.File = archive / "manca.pdf";
    EXPECT_FALSE(backend->ShellExecute(r));
    EXPECT_FALSE(std::ifstream(bin / "opened")) << "no viewer was started";
}

TEST_F(ShellTest, NoViewerFails) {
    std::ofstream(archive / "leggimi.txt") << "x";
    ::setenv("PATH", archive.Path().c_str(), 1);
    ShellRequest r;
    r.File = archive / "leggimi.txt";
    EXPECT_FALSE(backend->ShellExecute(r));
}

// The message box on screen, within an application: answered with keys from outside,
// centred over the main window, which takes no clicks meanwhile.
struct BoxCase {
    const char* label;
    uint32_t flags;
    std::vector<std::string> keys;
    int32_t expected;
};

class MessageBoxOnScreen : public SdlDisplayTest, public ::testing::WithParamInterface<BoxCase> {};

TEST_P(MessageBoxOnScreen, AnswersKeysCentredOverTheMainWindowThatTakesNoClicks) {
    const BoxCase& c = GetParam();
    TApplication app(*backend);
    int clicks = 0;
    TForm* mainForm = FormWithButton(app, Bounds(200, 150, 296, 63), Bounds(16, 16, 257, 33), clicks);
    mainForm->SetCaption("Principale");
    mainForm->Show();
    app.ProcessMessages();
    const unsigned long mainX = XWindow(mainForm->Handle());
    ASSERT_NE(mainX, 0u);

    // Separate xdotool runs: keys sent within one run go to the window by its id, and
    // the release then finds the box already gone.
    e2e::TempFolder out;
    std::string script = "set -e; box=$(" SA_XDOTOOL " search --sync --onlyvisible --name '^Domanda$' | head -n 1); " SA_XDOTOOL
                         " getwindowgeometry $box; " SA_XDOTOOL " mousemove --window " +
                         std::to_string(mainX) + " 140 32 click 1; " SA_XDOTOOL " windowfocus --sync $box; " SA_XDOTOOL " key";
    for (const std::string& k : c.keys) script += " " + k;
    e2e::Child helper = e2e::Child::Start({"/bin/sh", "-c", script}, {server->Env()}, {}, out / "geometry");

    const int32_t answer = app.MessageBox("Procedo?", "Domanda", c.flags);
    EXPECT_EQ(answer, c.expected);
    const std::optional<int> status = helper.Wait(20000);
    std::ifstream f(out / "geometry");
    const std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << text;
    EXPECT_EQ(clicks, 0) << "the disabled main window took a click";
    EXPECT_TRUE(mainForm->Enabled());

    // "Window 123\n  Position: 10,20 (screen: 0)\n  Geometry: 200x80"
    int bx = 0, by = 0, bw = 0, bh = 0;
    ASSERT_EQ(std::sscanf(text.c_str() + text.find("Position:"), "Position: %d,%d", &bx, &by), 2) << text;
    ASSERT_EQ(std::sscanf(text.c_str() + text.find("Geometry:"), "Geometry: %dx%d", &bw, &bh), 2) << text;
    const auto m = e2e::WindowGeometry(*server, mainX);
    ASSERT_TRUE(m);
    // The frames are alike, so the client areas share their centre, give or take the
    // halving of odd differences.
    EXPECT_NEAR(bx + bw / 2.0, m->X + m->Width / 2.0, 1.0);
    EXPECT_NEAR(by + bh / 2.0, m->Y + m->Height / 2.0, 1.0);

    // Afterwards the main window takes clicks again.
    ASSERT_TRUE(
        e2e::Xdotool(*server, {"mousemove", "--window", std::to_string(mainX), "140", "32", "click", "1"}).Succeeded());
    ASSERT_TRUE(e2e::WaitUntil(
        [&] {
            app.ProcessMessages();
            return clicks == 1;
        },
        15000));
}

INSTANTIATE_TEST_SUITE_P(Keys, MessageBoxOnScreen,
                         ::testing::Values(BoxCase{"Enter", MB_OK, {"Return"}, IDOK},
                                           BoxCase{"Escape", MB_OK, {"Escape"}, IDOK},
                                           BoxCase{"Space", MB_OK | MB_ICONINFORMATION, {"space"}, IDOK},
                                           BoxCase{"EscapeCancels", MB_OKCANCEL, {"Escape"}, IDCANCEL},
                                           BoxCase{"TabEnterCancels", MB_OKCANCEL, {"Tab", "Return"}, IDCANCEL},
                                           BoxCase{"EnterConfirms", MB_OKCANCEL, {"Return"}, IDOK}),
                         [](const ::testing::TestParamInfo<BoxCase>& i) { return std::string(i.param.label); });

}  // namespace
