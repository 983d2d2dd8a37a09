// The Debian package as a user installs it: apt-get installs it, the installed
// `sistemaarchivio` converts an old archive in the folder it is started in, apt-get
// removes it, and nothing of it stays. It changes the machine, so it runs only as root
// (as CI does) and only where the package is not installed already.
#include <sys/wait.h>
#include <unistd.h>

#include "ToolOnScreen.h"

namespace {

using e2e::Entries;
using e2e::ReadAll;
namespace fs = std::filesystem;

const std::string kPackage = "sistemaarchivio";

// Beside the folders that lead to them.
const std::set<std::string> kFiles = {
    "/usr/bin/sistemaarchivio",
    "/usr/share/man/man1/sistemaarchivio.1.gz",
    "/usr/share/icons/hicolor/16x16/apps/sistemaarchivio.png",
    "/usr/share/icons/hicolor/24x24/apps/sistemaarchivio.png",
    "/usr/share/icons/hicolor/32x32/apps/sistemaarchivio.png",
    "/usr/share/doc/sistemaarchivio/copyright",
    "/usr/share/doc/sistemaarchivio/changelog.gz",
};

e2e::RunResult Apt(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"apt-get", "-y", "-q", "-o", "DPkg::Lock::Timeout=300"};
    argv.insert(argv.end(), args.begin(), args.end());
    return e2e::Run(argv, {"DEBIAN_FRONTEND=noninteractive"}, 600000);
}

// dpkg's word for the package's state: "installed", "not-installed", "config-files"...;
// empty when dpkg never heard of it.
std::string Status() {
    const e2e::RunResult r = e2e::Run({"dpkg-query", "-W", "-f=${db:Status-Status}", kPackage}, {}, 60000);
    return r.Succeeded() ? r.Out : std::string();
}

// Every path the package holds, folders included, as `dpkg-deb -c` lists them.
std::set<std::string> PackagePaths() {
    const e2e::RunResult r = e2e::Run({"dpkg-deb", "-c", SA_DEB}, {}, 60000);
    std::set<std::string> out;
    for (const std::string& line : e2e::Lines(r.Out)) {
        std::string path = line.substr(line.rfind(' ') + 1);  // "./usr/bin/" or "./usr/bin/x"
        if (path.rfind("./", 0) == 0) path.erase(0, 1);
        if (path.size() > 1 && path.back() == '/') path.pop_back();
        if (path != "/") out.insert(path);
    }
    return out;
}

class DebPackage : public e2e::ToolOnScreen {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "installing a package needs root";
        if (!fs::exists(SA_DEB))
            GTEST_SKIP() << SA_DEB << " is not built (cmake --build --preset release --target package)";
        const std::string status = Status();
        if (!status.empty() && status != "not-installed")
            GTEST_SKIP() << kPackage << " is " << status << " here: the test would remove it";
    }

    void TearDown() override {
        if (installed_) Apt({"remove", kPackage});
    }

    bool installed_ = false;
};

TEST_F(DebPackage, InstallsConvertsAnArchiveAndLeavesNothingWhenRemoved) {
    const std::set<std::string> paths = PackagePaths();
    for (const std::string& file : kFiles) EXPECT_EQ(paths.count(file), 1u) << file << " is not in the package";
    std::set<std::string> existedBefore;
    for (const std::string& path : paths) {
        if (fs::is_directory(path)) {
            existedBefore.insert(path);
        } else {
            ASSERT_FALSE(fs::exists(path)) << path << " exists before the package is installed";
        }
    }

    const e2e::RunResult install = Apt({"install", SA_DEB});
    installed_ = Status() == "installed";
    ASSERT_TRUE(install.Succeeded() && installed_) << install.Out;
    for (const std::string& path : paths) EXPECT_TRUE(fs::exists(path)) << path;

    const fs::path data = fs::path(work.Path()) / "Data";
    fs::create_directory(data);
    std::ofstream(data / "1234.kar", std::ios::binary) << "uno";
    std::ofstream(data / "abc.mid", std::ios::binary) << "due";
    Start(kPackage);  // found in PATH, as a user types it
    const unsigned long main = MainWindow();
    ASSERT_NE(main, 0u) << ReadAll(logs / "tool.log");
    ASSERT_TRUE(e2e::Xdotool(server, {"windowfocus", "--sync", std::to_string(main)}).Succeeded());
    ASSERT_TRUE(ClickButton(main));
    const unsigned long box = WaitForBox(main);
    ASSERT_NE(box, 0u) << "the closing message box";
    ASSERT_TRUE(PressEnter(box));
    ASSERT_TRUE(BoxGone(main));
    const std::optional<int> status = CloseAndWait(main);
    ASSERT_TRUE(status) << "the tool did not end when its window was closed";
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
    EXPECT_EQ(WEXITSTATUS(*status), 0) << ReadAll(logs / "tool.log");
    EXPECT_EQ(Entries(work.Path()), std::set<std::string>{"Data"});
    EXPECT_EQ(Entries(data), (std::set<std::string>{"01", "0a"}));
    EXPECT_EQ(ReadAll(data / "01" / "01234.kar"), "uno");
    EXPECT_EQ(ReadAll(data / "0a" / "0abc.mid"), "due");

    const e2e::RunResult remove = Apt({"remove", kPackage});
    ASSERT_TRUE(remove.Succeeded()) << remove.Out;
    const std::string after = Status();
    installed_ = after == "installed";
    EXPECT_TRUE(after.empty() || after == "not-installed") << "dpkg still knows it as " << after;
    for (const std::string& path : paths) {
        if (!existedBefore.count(path)) {
            EXPECT_FALSE(fs::exists(path)) << path << " remains";
        }
    }
}

}  // namespace
