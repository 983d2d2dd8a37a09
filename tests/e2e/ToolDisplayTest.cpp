// The built tool on a real X server: the window, its button, its message box and the
// process's end.
#include <sys/wait.h>

#include "ToolOnScreen.h"

namespace {

using e2e::Entries;
using e2e::kCaption;
using e2e::ReadAll;
using e2e::ToolOnScreen;
namespace fs = std::filesystem;

TEST_F(ToolOnScreen, ConvertsTheArchiveOnAClickAndEndsWithZero) {
    const fs::path data = fs::path(work.Path()) / "Data";
    fs::create_directory(data);
    const std::vector<std::pair<std::string, std::string>> songs = {
        {"1234.kar", "uno"}, {"abc.kar", "due"}, {"\xCE\xA9mega.kar", "tre"}, {"\xD0\x96izn.mid", "quattro"}};
    for (const auto& [name, content] : songs) std::ofstream(data / name, std::ios::binary) << content;

    Start(SA_TOOL);
    const unsigned long main = MainWindow();
    ASSERT_NE(main, 0u) << ReadAll(logs / "tool.log");
    const auto geometry = e2e::WindowGeometry(server, main);
    ASSERT_TRUE(geometry);
    EXPECT_EQ(geometry->Width, 296);
    EXPECT_EQ(geometry->Height, 63);
    EXPECT_EQ(e2e::WindowName(server, main), kCaption);
    EXPECT_EQ(e2e::WindowIconSizes(server, main), (std::vector<std::pair<int, int>>{{16, 16}, {24, 24}, {32, 32}}));
    // Motif functions: move 4, minimise 8, maximise 16, close 32.
    const std::vector<long> hints = e2e::WindowMotifHints(server, main);
    ASSERT_EQ(hints.size(), 5u);
    EXPECT_EQ(hints[1], 4 | 8 | 32) << "close and minimise boxes, no maximise box";

    ASSERT_TRUE(e2e::Xdotool(server, {"windowfocus", "--sync", std::to_string(main)}).Succeeded());
    ASSERT_TRUE(ClickButton(main));
    const unsigned long box = WaitForBox(main);
    ASSERT_NE(box, 0u) << "the closing message box";
    EXPECT_TRUE(fs::exists(data / "01" / "01234.kar")) << "the pass ran before its message";
    const std::vector<long> boxHints = e2e::WindowMotifHints(server, box);
    ASSERT_EQ(boxHints.size(), 5u);
    EXPECT_EQ(boxHints[1], 4 | 32) << "a dialog: its close box only";

    const auto boxGeometry = e2e::WindowGeometry(server, box);
    ASSERT_TRUE(boxGeometry);
    EXPECT_NEAR(boxGeometry->X + boxGeometry->Width / 2.0, geometry->X + geometry->Width / 2.0, 1.0)
        << "centred over the main window";

    // While the box is open the main window takes no click: a second pass would open
    // a second box, which would still stand after the first one is answered.
    ASSERT_TRUE(ClickButton(main));
    ASSERT_TRUE(PressEnter(box));
    ASSERT_TRUE(BoxGone(main)) << "a box is still open";

    const std::optional<int> status = CloseAndWait(main);
    ASSERT_TRUE(status) << "the tool did not end when its window was closed";
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
    EXPECT_EQ(WEXITSTATUS(*status), 0) << ReadAll(logs / "tool.log");

    EXPECT_EQ(Entries(work.Path()), std::set<std::string>{"Data"});
    EXPECT_EQ(Entries(data), (std::set<std::string>{"01", "0a", "0\xCE\xA9", "0\xD0\x96"}));
    EXPECT_EQ(ReadAll(data / "01" / "01234.kar"), "uno");
    EXPECT_EQ(ReadAll(data / "0a" / "0abc.kar"), "due");
    EXPECT_EQ(ReadAll(data / "0\xCE\xA9" / "0\xCE\xA9mega.kar"), "tre");
    EXPECT_EQ(ReadAll(data / "0\xD0\x96" / "0\xD0\x96izn.mid"), "quattro");
    for (const auto& bucket : Entries(data)) EXPECT_EQ(Entries(data / bucket).size(), 1u) << bucket;
}

TEST_F(ToolOnScreen, MissingArchiveLeavesTheWindowUsable) {
    Start(SA_TOOL);
    const unsigned long main = MainWindow();
    ASSERT_NE(main, 0u) << ReadAll(logs / "tool.log");
    ASSERT_TRUE(e2e::Xdotool(server, {"windowfocus", "--sync", std::to_string(main)}).Succeeded());

    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(ClickButton(main)) << round;
        const unsigned long box = WaitForBox(main);
        ASSERT_NE(box, 0u) << "round " << round;
        ASSERT_TRUE(PressEnter(box)) << round;
        ASSERT_TRUE(BoxGone(main)) << round;
    }

    const std::optional<int> status = CloseAndWait(main);
    ASSERT_TRUE(status);
    ASSERT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0) << ReadAll(logs / "tool.log");
    // At most the pass's empty staging folder.
    for (const std::string& entry : Entries(work.Path())) {
        EXPECT_EQ(entry, "tdata");
        if (entry == "tdata") {
            EXPECT_TRUE(Entries(fs::path(work.Path()) / entry).empty());
        }
    }
}

// Each start follows the previous run's exit at once, as a user who closes the tool and
// starts it again: nothing a run leaves behind keeps the next from its main window.
TEST_F(ToolOnScreen, StartsEveryTimeRightAfterAnEarlierRun) {
    constexpr int kStarts = 50;
    for (int start = 1; start <= kStarts; ++start) {
        Start(SA_TOOL);
        const unsigned long main = MainWindowAlone();
        ASSERT_NE(main, 0u) << "start " << start << ": " << ReadAll(logs / "tool.log");
        const std::optional<int> status = CloseAndWait(main);
        ASSERT_TRUE(status) << "start " << start << ": the tool did not end";
        ASSERT_TRUE(WIFEXITED(*status)) << "start " << start << ": ended by signal " << WTERMSIG(*status);
        ASSERT_EQ(WEXITSTATUS(*status), 0) << "start " << start << ": " << ReadAll(logs / "tool.log");
    }
}

class ToolOnAServerStartingAfresh : public ToolOnScreen {
protected:
    ToolOnAServerStartingAfresh() : ToolOnScreen(false) {}
};

// An X server that starts afresh as its last client leaves (Xvfb without -noreset)
// closes the connections that reach it in that moment: the tool comes up all the same.
TEST_F(ToolOnAServerStartingAfresh, ComesUpThoughItsFirstConnectionsAreClosed) {
    for (const int closed : {1, 3}) {
        e2e::AbstractName& socket = server.Abstract();
        ASSERT_TRUE(socket.Listen());
        Start(SA_TOOL);
        ASSERT_GE(socket.CloseConnections(closed), 1) << ReadAll(logs / "tool.log");
        const unsigned long main = MainWindowAlone();
        ASSERT_NE(main, 0u) << closed << " connections closed: " << ReadAll(logs / "tool.log");
        const std::optional<int> status = CloseAndWait(main);
        ASSERT_TRUE(status && WIFEXITED(*status)) << closed << " connections closed";
        EXPECT_EQ(WEXITSTATUS(*status), 0) << closed << " connections closed: " << ReadAll(logs / "tool.log");
    }
}

class ToolOnAHighDpiScreen : public ToolOnScreen {
protected:
    ToolOnAHighDpiScreen() : ToolOnScreen(true, {"-dpi", "192"}) { e2e::SetResources(server, "Xft.dpi:\t192\n"); }
};

// Each pixel of the 96-dpi picture (GDK_SCALE=1 overrules the resources) becomes a
// 2 × 2 block, and a click on the button's blocks presses it.
TEST_F(ToolOnAHighDpiScreen, ShowsThePictureTwiceAsLargeAndTakesClicksThere) {
    const fs::path data = fs::path(work.Path()) / "Data";
    fs::create_directory(data);
    std::ofstream(data / "1234.kar") << "uno";
    std::vector<uint32_t> picture[3];
    for (const int n : {1, 2}) {
        Start(SA_TOOL, {n == 1 ? "GDK_SCALE=1" : "GDK_SCALE="});
        const unsigned long main = MainWindow();
        const auto geometry = e2e::WindowGeometry(server, main);
        ASSERT_TRUE(geometry && geometry->Width == 296 * n && geometry->Height == 63 * n) << ReadAll(logs / "tool.log");
        ASSERT_TRUE(e2e::WaitUntil(
            [&, &p = picture[n]] {  // drawn once it holds more than one colour
                p = e2e::WindowPixels(server, main, 0, 0, 296 * n, 63 * n);
                return !p.empty() && std::count(p.begin(), p.end(), p.front()) < static_cast<long>(p.size());
            },
            20000));
        if (n == 2) {
            const std::string window = std::to_string(main);
            ASSERT_TRUE(e2e::Xdotool(server, {"mousemove", "--window", window, "288", "64", "click", "1"}).Succeeded());
            ASSERT_TRUE(PressEnter(WaitForBox(main)) && BoxGone(main));
            EXPECT_TRUE(fs::exists(data / "01" / "01234.kar"));
        }
        const std::optional<int> end = CloseAndWait(main);
        ASSERT_TRUE(end && WIFEXITED(*end) && WEXITSTATUS(*end) == 0) << ReadAll(logs / "tool.log");
    }
    size_t differing = 0;
    for (size_t y = 0; y < 126; ++y)
        for (size_t x = 0; x < 592; ++x) differing += picture[2][y * 592 + x] != picture[1][y / 2 * 296 + x / 2];
    EXPECT_EQ(differing, 0u);
}

// No X server on the display named: the report goes to the standard error, the process
// still ends with 0.
TEST(ToolWithoutDisplay, ReportsPlainlyAndEndsWithZero) {
    const e2e::RunResult r = e2e::Run({SA_TOOL}, {"DISPLAY=:59999", "SDL_VIDEODRIVER=x11"}, 20000);
    EXPECT_TRUE(r.Succeeded()) << r.Out;
    EXPECT_NE(r.Out.find("Sistemaarchivio: Cannot open the display: "), std::string::npos) << r.Out;
}

}  // namespace
