#pragma once
// The tool on a real X server (an Xvfb of the test's own, no window manager): started
// in a folder, clicked from outside with xdotool, closed the way a window manager
// closes a window. Shared by the tests of the built tool and of the installed package.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "XSession.h"

namespace e2e {

namespace fs = std::filesystem;

inline const std::string kCaption = "Lyrimat to Vocarium";
// The application title: the caption of the standard error display.
inline const std::string kTitle = "Sistemaarchivio";

inline std::string ReadAll(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

inline std::set<std::string> Entries(const fs::path& folder) {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) out.insert(e.path().filename().string());
    return out;
}

class ToolOnScreen : public ::testing::Test {
protected:
    explicit ToolOnScreen(bool abstractSocket = true, const std::vector<std::string>& serverOptions = {})
        : server(1024, 768, abstractSocket, serverOptions) {}

    // The program is looked up in PATH unless it names a folder.
    void Start(const std::string& program, std::vector<std::string> env = {}) {
        env.push_back(server.Env());
        tool = e2e::Child::Start({program}, env, work.Path(), logs / "tool.log");
    }

    // The main window once it stands. A window found that is gone by the time it is
    // asked about (its connection did not last) is not there yet: the search goes on
    // for the one whose connection survives.
    unsigned long MainWindow() {
        unsigned long main = 0;
        e2e::WaitUntil(
            [&] {
                for (const unsigned long w : e2e::VisibleWindows(server, tool.Pid(), kCaption))
                    if (e2e::WindowGeometry(server, w)) return (main = w) != 0;
                return false;
            },
            20000);
        return main;
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

}  // namespace e2e
