// The SDL backend's timers, clipboard, shell and message box on a real X server.
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <thread>

#include "SdlDisplayFixture.h"

using namespace forms;
using e2e::SdlDisplayTest;

namespace {

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
// table's rule, stepped by hand in SdlTimersTest).
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
    std::string script =
        "set -e; box=$(" SA_XDOTOOL " search --sync --onlyvisible --name '^Domanda$' | head -n 1); " SA_XDOTOOL
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
