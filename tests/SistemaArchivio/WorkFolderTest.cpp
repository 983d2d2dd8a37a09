#include "SistemaArchivio/WorkFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "SistemaArchivio/ConversionPass.h"
#include "platform/WorkFolderPath.h"
#include "tests/SistemaArchivio/RecordingBox.h"
#include "tests/platform/TempTree.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using platform::PosixWorkFolder;
using platform::WindowsWorkFolder;

namespace {

// Runs `body` with the process in `folder`, then returns to where it was.
template <typename Body>
void In(const fs::path& folder, Body body) {
    const fs::path before = fs::current_path();
    fs::current_path(folder);
    body();
    fs::current_path(before);
}

}  // namespace

TEST(WindowsWorkFolder, IsDriveQualifiedOrOnAShareWithABackslashOnlyAtTheRoot) {
    struct Case {
        const char* current;
        std::optional<std::string> folder;
    };
    const Case cases[] = {
        {"C:\\Programs\\Songs", "C:\\Programs\\Songs"},
        {"D:\\", "D:\\"},
        {"c:\\programs", "C:\\programs"},
        {"E:\\Karaoke\\", "E:\\Karaoke"},
        {"\\\\?\\C:\\Long\\Path", "C:\\Long\\Path"},
        {"Z:\\日本", "Z:\\日本"},
        {"\\\\server\\share\\Songs", "\\\\server\\share\\Songs"},
        {"\\\\server\\share\\Songs\\", "\\\\server\\share\\Songs"},
        {"\\\\?\\UNC\\server\\share", "\\\\server\\share\\"},
        {"\\\\server\\share\\", "\\\\server\\share\\"},
        {"\\\\server", std::nullopt},
        {"\\\\\\share", std::nullopt},
        {"C:", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.current);
        EXPECT_EQ(WindowsWorkFolder(c.current), c.folder);
    }
}

TEST(PosixWorkFolder, IsAbsoluteWithASlashOnlyAtTheRoot) {
    struct Case {
        const char* current;
        std::optional<std::string> folder;
    };
    const Case cases[] = {
        {"/srv/karaoke", "/srv/karaoke"},  {"/", "/"},
        {"/srv/karaoke/", "/srv/karaoke"}, {"relative/folder", std::nullopt},
        {"(unreachable)/x", std::nullopt}, {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.current);
        EXPECT_EQ(PosixWorkFolder(c.current), c.folder);
    }
}

TEST(CaptureWorkFolder, TakesTheCurrentFolder) {
    testtree::TempFolder temp;
    temp.Build({{"Songs/Data/1.kar", "one"}});
    std::string expected;
    bool captured = false;
    In(fs::u8path(temp / "Songs"), [&] {
        expected = fs::current_path().u8string();
        captured = CaptureWorkFolder();
    });
    ASSERT_TRUE(captured);
    EXPECT_EQ(WorkFolder, expected);
    EXPECT_FALSE(WorkFolderError);
    // The pass works on what was captured.
    RecordingBox box;
    ConvertArchive(WorkFolder, box);
    EXPECT_EQ(testtree::ReadFile(temp / "Songs/Data/01/01.kar"), "one");
}

TEST(CaptureWorkFolder, KeepsTheSeparatorAtARoot) {
    const fs::path root = fs::current_path().root_path();
    bool captured = false;
    In(root, [&] { captured = CaptureWorkFolder(); });
    ASSERT_TRUE(captured);
#ifdef _WIN32
    ASSERT_EQ(WorkFolder.size(), 3u);
    EXPECT_EQ(WorkFolder.substr(1), ":\\");
    EXPECT_TRUE(WorkFolder[0] >= 'A' && WorkFolder[0] <= 'Z');
#else
    EXPECT_EQ(WorkFolder, "/");
#endif
}

#ifndef _WIN32
TEST(CaptureWorkFolder, AFolderThatCannotBeDeterminedStopsThePass) {
    testtree::TempFolder temp;
    testtree::MakeFolders(temp / "gone");
    const fs::path before = fs::current_path();
    fs::current_path(temp / "gone");
    fs::remove(temp / "gone");
    const bool captured = CaptureWorkFolder();
    RecordingBox box;
    bool threw = false;
    try {
        ConvertArchive(WorkFolder, box);
    } catch (const std::system_error& error) {
        threw = true;
        EXPECT_EQ(error.code(), WorkFolderError);
    }
    fs::current_path(before);
    EXPECT_FALSE(captured);
    EXPECT_TRUE(WorkFolder.empty());
    EXPECT_EQ(WorkFolderError, std::errc::no_such_file_or_directory);
    EXPECT_TRUE(threw);
    EXPECT_TRUE(box.shown.empty());
    EXPECT_TRUE(temp.Read().empty());
}
#endif
