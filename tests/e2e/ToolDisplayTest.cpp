// The built tool on a real X server (an Xvfb of the test's own, no window manager):
// started in a folder, clicked from outside with xdotool, closed the way a window
// manager closes a window.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

#include "XSession.h"

namespace fs = std::filesystem;

namespace {

const std::string kCaption = "Lyrimat to Vocarium";
// The application title: the caption of the standard error display.
const std::string kTitle = "Sistemaarchivio";

std::string ReadAll(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

std::set<std::string> Entries(const fs::path& folder) {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) out.insert(e.path().filename().string());
    return out;
}

// The display's name in the abstract socket namespace, where clients knock first, held
// by the test while the server listens on its socket file only.
class AbstractDisplaySocket {
public:
    explicit AbstractDisplaySocket(const std::string& display) {
        const std::string name = "/tmp/.X11-unix/X" + display.substr(display.find(':') + 1);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, name.data(), name.size());
        const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd_ >= 0 && (::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd_, 8) != 0))
            Release();
    }
    ~AbstractDisplaySocket() { Release(); }
    bool Held() const { return fd_ >= 0; }
    // Closes the next `count` connections as they arrive, as a server starting afresh
    // does, then lets go of the name: later clients reach the server itself.
    bool CloseConnections(int count) {
        for (int i = 0; i < count; ++i) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 20000) != 1) return false;
            const int connection = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0) return false;
            ::close(connection);
        }
        Release();
        return true;
    }

private:
    void Release() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    int fd_ = -1;
};

class ToolOnScreen : public ::testing::Test {
protected:
    explicit ToolOnScreen(bool abstractSocket = true) : server(1024, 768, abstractSocket) {}

    void Start() {
        tool = e2e::Child::Start({SA_TOOL}, {server.Env()}, work.Path(), logs / "tool.log");
    }

    unsigned long MainWindow() {
        const e2e::RunResult r = e2e::Xdotool(
            server, {"search", "--sync", "--onlyvisible", "--pid", std::to_string(tool.Pid()), "--name", "^" + kCaption + "$"});
        const std::vector<std::string> lines = e2e::Lines(r.Out);
        if (!r.Succeeded() || lines.empty()) return 0;
        return std::stoul(lines.front());
    }

    // The main window, with no error display beside it; 0 without.
    unsigned long MainWindowAlone() {
        const unsigned long main = MainWindow();
        for (const unsigned long w : e2e::VisibleWindows(server, tool.Pid(), ".*"))
            if (e2e::WindowName(server, w) == kTitle) return 0;
        return main;
    }

    // The visible windows of the tool other than its main window.
    std::vector<unsigned long> Others(unsigned long main) {
        std::vector<unsigned long> out = e2e::VisibleWindows(server, tool.Pid(), kCaption);
        out.erase(std::remove(out.begin(), out.end(), main), out.end());
        return out;
    }

    unsigned long WaitForBox(unsigned long main) {
        std::vector<unsigned long> boxes;
        e2e::WaitUntil([&] { return !(boxes = Others(main)).empty(); }, 20000);
        return boxes.size() == 1 ? boxes.front() : 0;
    }

    bool ClickButton(unsigned long main) {
        return e2e::Xdotool(server, {"mousemove", "--window", std::to_string(main), "140", "32", "click", "1"})
            .Succeeded();
    }

    bool PressEnter(unsigned long box) {
        return e2e::Xdotool(server, {"windowfocus", "--sync", std::to_string(box)}).Succeeded() &&
               e2e::Xdotool(server, {"key", "Return"}).Succeeded();
    }

    bool BoxGone(unsigned long main) {
        return e2e::WaitUntil([&] { return Others(main).empty(); }, 20000);
    }

    // Closes the main window and returns how the process ended.
    std::optional<int> CloseAndWait(unsigned long main) {
        if (!e2e::SendDeleteWindow(server, main)) return std::nullopt;
        return tool.Wait(20000);
    }

    e2e::Xvfb server;
    e2e::TempFolder work;
    e2e::TempFolder logs;
    e2e::Child tool;
};

TEST_F(ToolOnScreen, ConvertsTheArchiveOnAClickAndEndsWithZero) {
    const fs::path data = fs::path(work.Path()) / "Data";
    fs::create_directory(data);
    const std::vector<std::pair<std::string, std::string>> songs = {
        {"1234.kar", "uno"}, {"abc.kar", "due"}, {"\xCE\xA9mega.kar", "tre"}, {"\xD0\x96izn.mid", "quattro"}};
    for (const auto& [name, content] : songs) std::ofstream(data / name, std::ios::binary) << content;

    Start();
    const unsigned long main = MainWindow();
    ASSERT_NE(main, 0u) << ReadAll(logs / "tool.log");
    const auto geometry = e2e::WindowGeometry(server, main);
    ASSERT_TRUE(geometry);
    EXPECT_EQ(geometry->Width, 296);
    EXPECT_EQ(geometry->Height, 63);
    EXPECT_EQ(e2e::WindowName(server, main), kCaption);
    EXPECT_EQ(e2e::WindowIconSizes(server, main), (std::vector<std::pair<int, int>>{{32, 32}})) << "the tool's icon";
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
    Start();
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
        Start();
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
        AbstractDisplaySocket socket(server.Display());
        ASSERT_TRUE(socket.Held());
        Start();
        ASSERT_TRUE(socket.CloseConnections(closed)) << closed << " connections closed";
        const unsigned long main = MainWindowAlone();
        ASSERT_NE(main, 0u) << closed << " connections closed: " << ReadAll(logs / "tool.log");
        const std::optional<int> status = CloseAndWait(main);
        ASSERT_TRUE(status && WIFEXITED(*status)) << closed << " connections closed";
        EXPECT_EQ(WEXITSTATUS(*status), 0) << closed << " connections closed: " << ReadAll(logs / "tool.log");
    }
}

// No X server on the display named: the report goes to the standard error, the process
// still ends with 0.
TEST(ToolWithoutDisplay, ReportsPlainlyAndEndsWithZero) {
    const e2e::RunResult r = e2e::Run({SA_TOOL}, {"DISPLAY=:59999", "SDL_VIDEODRIVER=x11"}, 20000);
    EXPECT_TRUE(r.Succeeded()) << r.Out;
    EXPECT_NE(r.Out.find("Sistemaarchivio: Cannot open the display: "), std::string::npos) << r.Out;
}

}  // namespace
