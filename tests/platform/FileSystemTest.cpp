#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "tests/platform/TempTree.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>

#include "platform/PosixMove.h"
#endif

using testtree::TempFolder;
using testtree::Tree;
using testtree::WithFolders;

namespace {

std::set<std::string> List(const std::string& folder) {
    std::set<std::string> names;
    platform::FolderListing listing;
    EXPECT_TRUE(listing.Open(folder)) << folder;
    std::string name;
    while (listing.Next(name)) EXPECT_TRUE(names.insert(name).second) << "listed twice: " << name;
    return names;
}

// A chain of folders whose path is longer than Windows' ordinary 260-character limit.
std::string LongFolder(const TempFolder& temp) {
    std::string path = temp.Path();
    for (int level = 0; level < 6; ++level) {
        path = testtree::Join(path, std::string(50, static_cast<char>('a' + level)));
        testtree::MakeFolders(path);
    }
    return path;
}

}  // namespace

TEST(FolderListing, YieldsEveryNameWithTheDotEntries) {
    TempFolder temp;
    temp.Build({{"a.kar", "a"}, {"\xE6\x97\xA5\xE6\x9C\xAC\xE3\x81\xAE\xE6\xAD\x8C.kar", "j"}, {"sub/", ""}});
    EXPECT_EQ(
        List(temp.Path()),
        (std::set<std::string>{".", "..", "a.kar", "\xE6\x97\xA5\xE6\x9C\xAC\xE3\x81\xAE\xE6\xAD\x8C.kar", "sub"}));
}

TEST(FolderListing, AnEmptyFolderHoldsOnlyTheDotEntries) {
    TempFolder temp;
    EXPECT_EQ(List(temp.Path()), (std::set<std::string>{".", ".."}));
}

TEST(FolderListing, OpensNoMissingFolderAndNoFile) {
    TempFolder temp;
    temp.Build({{"file", "x"}});
    platform::FolderListing listing;
    EXPECT_FALSE(listing.Open(temp / "missing"));
    EXPECT_FALSE(listing.Open(temp / "file"));
    std::string name;
    EXPECT_FALSE(listing.Next(name));
}

TEST(FolderListing, ReopensAfterClose) {
    TempFolder temp;
    temp.Build({{"x", "x"}});
    platform::FolderListing listing;
    ASSERT_TRUE(listing.Open(temp.Path()));
    listing.Close();
    std::string name;
    EXPECT_FALSE(listing.Next(name));
    ASSERT_TRUE(listing.Open(temp.Path()));
    int count = 0;
    while (listing.Next(name)) ++count;
    EXPECT_EQ(count, 3);
}

TEST(Attributes, FolderFileReadOnlyAndMissing) {
    TempFolder temp;
    temp.Build({{"file", "x"}, {"readonly", "x"}, {"folder/", ""}, {"lockedfolder/", ""}});
    testtree::SetReadOnly(temp / "readonly", true);
    testtree::AddFolderAttribute(temp / "lockedfolder");
#ifdef _WIN32
    // Windows' own word: check the bits that matter, not what the file system adds.
    const std::uint32_t file = platform::Attributes(temp / "file");
    EXPECT_EQ(file & (platform::kAttributeDirectory | platform::kAttributeReadOnly), 0u);
    EXPECT_EQ(platform::Attributes(temp / "readonly") & platform::kAttributeReadOnly, platform::kAttributeReadOnly);
    EXPECT_EQ(platform::Attributes(temp / "folder") & platform::kAttributeDirectory, platform::kAttributeDirectory);
    EXPECT_EQ(platform::Attributes(temp / "lockedfolder") & (platform::kAttributeDirectory | FILE_ATTRIBUTE_HIDDEN),
              platform::kAttributeDirectory | FILE_ATTRIBUTE_HIDDEN);
#else
    EXPECT_EQ(platform::Attributes(temp / "file"), 32u);
    EXPECT_EQ(platform::Attributes(temp / "readonly"), 33u);
    EXPECT_EQ(platform::Attributes(temp / "folder"), 16u);
    EXPECT_EQ(platform::Attributes(temp / "lockedfolder"), 17u);
#endif
    EXPECT_EQ(platform::Attributes(temp / "missing"), platform::kInvalidAttributes);
    EXPECT_EQ(platform::Attributes(temp / "file/below"), platform::kInvalidAttributes);
}

TEST(MakeWritable, ClearsReadOnly) {
    TempFolder temp;
    temp.Build({{"readonly", "content"}, {"writable", "w"}});
    testtree::SetReadOnly(temp / "readonly", true);
    EXPECT_TRUE(platform::MakeWritable(temp / "readonly"));
    EXPECT_TRUE(platform::MakeWritable(temp / "writable"));
    EXPECT_EQ(platform::Attributes(temp / "readonly") & platform::kAttributeReadOnly, 0u);
    EXPECT_EQ(platform::Attributes(temp / "writable") & platform::kAttributeReadOnly, 0u);
    EXPECT_EQ(testtree::ReadFile(temp / "readonly"), "content");
    EXPECT_FALSE(platform::MakeWritable(temp / "missing"));
}

#ifdef _WIN32
TEST(MakeWritable, KeepsTheOtherAttributes) {
    TempFolder temp;
    temp.Build({{"hidden", "h"}});
    const std::wstring path = testtree::Native(temp / "hidden").wstring();
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(platform::MakeWritable(temp / "hidden"));
    EXPECT_EQ(GetFileAttributesW(path.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
}
#else
TEST(MakeWritable, AddsOnlyTheOwnersWritePermission) {
    struct Case {
        unsigned before, after;
    };
    const Case cases[] = {{0444, 0644}, {0440, 0640}, {0400, 0600}, {0555, 0755},
                          {0000, 0200}, {0604, 0604}, {0666, 0666}, {04555, 04755}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.before));
        TempFolder temp;
        temp.Build({{"f", "x"}});
        testtree::SetMode(temp / "f", c.before);
        EXPECT_TRUE(platform::MakeWritable(temp / "f"));
        EXPECT_EQ(testtree::Mode(temp / "f"), c.after);
    }
}

TEST(MakeWritable, LeavesASymbolicLinksTargetAlone) {
    TempFolder temp;
    temp.Build({{"target", "t"}});
    testtree::SetMode(temp / "target", 0444);
    ASSERT_EQ(symlink((temp / "target").c_str(), (temp / "link").c_str()), 0);
    EXPECT_TRUE(platform::MakeWritable(temp / "link"));
    EXPECT_EQ(testtree::Mode(temp / "target"), 0444u);
}
#endif

TEST(Move, RenamesFilesAndFolders) {
    TempFolder temp;
    temp.Build({{"a", "A"}, {"dir/inner", "I"}, {"to/", ""}});
    EXPECT_TRUE(platform::Move(temp / "a", temp / "to/b"));
    EXPECT_TRUE(platform::Move(temp / "dir", temp / "to/moved"));
    EXPECT_EQ(temp.Read(), WithFolders({{"to/b", "A"}, {"to/moved/inner", "I"}}));
}

TEST(Move, NeverReplacesAnExistingFile) {
    TempFolder temp;
    temp.Build({{"a", "new"}, {"b", "old"}});
    EXPECT_FALSE(platform::Move(temp / "a", temp / "b"));
    EXPECT_EQ(temp.Read(), (Tree{{"a", "new"}, {"b", "old"}}));
}

TEST(Move, NeverReplacesAnExistingFolder) {
    // A plain POSIX rename would put `full` in place of the empty `empty`.
    TempFolder temp;
    temp.Build({{"full/x", "x"}, {"empty/", ""}, {"f", "f"}});
    EXPECT_FALSE(platform::Move(temp / "full", temp / "empty"));
    EXPECT_FALSE(platform::Move(temp / "f", temp / "empty"));
    EXPECT_EQ(temp.Read(), WithFolders({{"full/x", "x"}, {"empty/", ""}, {"f", "f"}}));
}

TEST(Move, FailsIntoAMissingFolderAndLeavesTheFile) {
    TempFolder temp;
    temp.Build({{"a", "A"}});
    EXPECT_FALSE(platform::Move(temp / "a", temp / "missing/a"));
    EXPECT_FALSE(platform::Move(temp / "nothing", temp / "b"));
    EXPECT_EQ(temp.Read(), (Tree{{"a", "A"}}));
}

TEST(Move, WorksBeyondTheOrdinaryPathLimit) {
    TempFolder temp;
    const std::string deep = LongFolder(temp);
    ASSERT_GT(deep.size(), 300u);
    ASSERT_TRUE(platform::MakeFolder(testtree::Join(deep, "bucket")));
    testtree::WriteFile(testtree::Join(deep, "song.kar"), "s");
    EXPECT_TRUE(platform::Move(testtree::Join(deep, "song.kar"), testtree::Join(deep, "bucket/0song.kar")));
    EXPECT_EQ(List(testtree::Join(deep, "bucket")), (std::set<std::string>{".", "..", "0song.kar"}));
    EXPECT_EQ(platform::Attributes(testtree::Join(deep, "bucket/0song.kar")) & platform::kAttributeDirectory, 0u);
    EXPECT_TRUE(platform::Move(testtree::Join(deep, "bucket/0song.kar"), testtree::Join(deep, "back.kar")));
    EXPECT_TRUE(platform::RemoveEmptyFolder(testtree::Join(deep, "bucket")));
    EXPECT_EQ(List(deep), (std::set<std::string>{".", "..", "back.kar"}));
}

#ifndef _WIN32
TEST(Move, FailsAcrossDevicesAndLeavesTheFile) {
    TempFolder temp;
    struct stat here, shm;
    if (stat(temp.Path().c_str(), &here) != 0 || stat("/dev/shm", &shm) != 0 || here.st_dev == shm.st_dev ||
        access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no second file system at /dev/shm";
    temp.Build({{"a", "A"}});
    const std::string target = "/dev/shm/sa-move-test-" + std::to_string(getpid());
    EXPECT_FALSE(platform::Move(temp / "a", target));
    EXPECT_FALSE(testtree::Exists(target));
    EXPECT_EQ(temp.Read(), (Tree{{"a", "A"}}));
    std::filesystem::remove(target);
}

// The move used where the file system refuses RENAME_NOREPLACE, run on an ordinary one.
TEST(MoveWithoutRenameFlag, MovesFilesAndFoldersWithoutReplacing) {
    TempFolder temp;
    temp.Build({{"a", "A"}, {"b", "B"}, {"taken", "T"}, {"dir/x", "X"}, {"emptydir/", ""}, {"dir2/y", "Y"}});
    EXPECT_TRUE(platform::MoveWithoutRenameFlag(temp / "a", temp / "a2"));
    EXPECT_FALSE(platform::MoveWithoutRenameFlag(temp / "b", temp / "taken"));
    EXPECT_TRUE(platform::MoveWithoutRenameFlag(temp / "dir", temp / "dir-moved"));
    EXPECT_FALSE(platform::MoveWithoutRenameFlag(temp / "dir2", temp / "emptydir"));
    EXPECT_FALSE(platform::MoveWithoutRenameFlag(temp / "b", temp / "missing/b"));
    EXPECT_EQ(temp.Read(),
              WithFolders(
                  {{"a2", "A"}, {"b", "B"}, {"taken", "T"}, {"dir-moved/x", "X"}, {"emptydir/", ""}, {"dir2/y", "Y"}}));
}

TEST(MoveWithoutRenameFlag, LeavesNothingBehindWhenTheRenameFails) {
    // A folder cannot move into itself.
    TempFolder temp;
    temp.Build({{"dir/x", "X"}});
    EXPECT_FALSE(platform::MoveWithoutRenameFlag(temp / "dir", temp / "dir/inside"));
    EXPECT_EQ(temp.Read(), WithFolders({{"dir/x", "X"}}));
}
#endif

// What each failed write says of its cause; the cases run in turn on one tree.
TEST(LastFailure, NamesTheCause) {
    TempFolder temp;
    temp.Build({{"a", "A"}, {"b", "B"}, {"full/x", "x"}});
    using platform::Failure;
    struct Case {
        const char* label;
        std::function<bool()> write;
        Failure failure;
    };
    const Case cases[] = {
        {"a taken name", [&] { return platform::Move(temp / "a", temp / "b"); }, Failure::Taken},
        {"a missing source", [&] { return platform::Move(temp / "missing", temp / "c"); }, Failure::Missing},
        {"a missing folder", [&] { return platform::Move(temp / "a", temp / "missing/a"); }, Failure::Missing},
        {"a name too long", [&] { return platform::Move(temp / "a", temp / std::string(300, 'n')); },
         Failure::NameTooLong},
        {"a folder not empty", [&] { return platform::RemoveEmptyFolder(temp / "full"); }, Failure::Taken},
        {"a taken folder name", [&] { return platform::MakeFolder(temp / "full"); }, Failure::Taken},
        {"a success after failures", [&] { return platform::Move(temp / "a", temp / "c"); }, Failure::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.write(), c.failure == Failure::None);
        EXPECT_EQ(platform::LastFailure(), c.failure);
    }
}

TEST(SameFile, OnlyForOneFileUnderTwoNames) {
    TempFolder temp;
    temp.Build({{"a", "same"}, {"b", "same"}});
#ifdef _WIN32
    ASSERT_TRUE(CreateHardLinkW(testtree::Native(temp / "a2").wstring().c_str(),
                                testtree::Native(temp / "a").wstring().c_str(), nullptr));
#else
    ASSERT_EQ(link((temp / "a").c_str(), (temp / "a2").c_str()), 0);
#endif
    EXPECT_TRUE(platform::SameFile(temp / "a", temp / "a2"));
    EXPECT_FALSE(platform::SameFile(temp / "a", temp / "b"));
    EXPECT_FALSE(platform::SameFile(temp / "a", temp / "missing"));
    EXPECT_TRUE(platform::SameDevice(temp / "a", temp / "b"));
    // The second name goes only while the first stays.
    EXPECT_FALSE(platform::RemoveSecondName(temp / "b", temp / "a"));
    EXPECT_TRUE(platform::RemoveSecondName(temp / "a2", temp / "a"));
    EXPECT_FALSE(platform::RemoveSecondName(temp / "a", temp / "a2"));
    EXPECT_EQ(temp.Read(), (Tree{{"a", "same"}, {"b", "same"}}));
}

#ifndef _WIN32
TEST(IsLink, LinksAndWhereTheyLead) {
    TempFolder temp;
    temp.Build({{"real/x", "x"}, {"file", "f"}});
    ASSERT_EQ(symlink("real", (temp / "toFolder").c_str()), 0);
    ASSERT_EQ(symlink("toFolder", (temp / "chain").c_str()), 0);
    ASSERT_EQ(symlink("gone", (temp / "dangling").c_str()), 0);
    const std::string real = platform::LinkTarget(temp / "real");  // the temporary folder may lie behind a link
    struct Case {
        const char* name;
        bool link;
        std::string target;
    };
    const Case cases[] = {
        {"toFolder", true, real},
        {"chain", true, real},
        {"dangling", true, ""},
        {"real", false, real},
        {"file", false, platform::LinkTarget(temp / "file")},
        {"missing", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(platform::IsLink(temp / c.name), c.link);
        EXPECT_EQ(platform::LinkTarget(temp / c.name), c.target);
    }
    platform::FolderListing listing;
    ASSERT_TRUE(listing.Open(temp.Path()));
    std::set<std::string> links;
    std::string name;
    while (listing.Next(name))
        if (listing.IsLink(name)) links.insert(name);
    EXPECT_EQ(links, (std::set<std::string>{"toFolder", "chain", "dangling"}));
    EXPECT_TRUE(platform::TrustsFolderRenames(temp.Path()));
}
#endif

TEST(RemoveEmptyFolder, RemovesOnlyAnEmptyFolder) {
    TempFolder temp;
    temp.Build({{"empty/", ""}, {"full/x", "x"}, {"file", "f"}});
    EXPECT_TRUE(platform::RemoveEmptyFolder(temp / "empty"));
    EXPECT_FALSE(platform::RemoveEmptyFolder(temp / "full"));
    EXPECT_FALSE(platform::RemoveEmptyFolder(temp / "file"));
    EXPECT_FALSE(platform::RemoveEmptyFolder(temp / "missing"));
    EXPECT_EQ(temp.Read(), WithFolders({{"full/x", "x"}, {"file", "f"}}));
}

TEST(MakeFolder, CreatesOneFolder) {
    TempFolder temp;
    temp.Build({{"file", "f"}, {"taken/x", "x"}});
    EXPECT_TRUE(platform::MakeFolder(temp / "new"));
    EXPECT_FALSE(platform::MakeFolder(temp / "taken"));
    EXPECT_FALSE(platform::MakeFolder(temp / "file"));
    EXPECT_FALSE(platform::MakeFolder(temp / "missing/new"));
    EXPECT_EQ(temp.Read(), WithFolders({{"new/", ""}, {"file", "f"}, {"taken/x", "x"}}));
}

TEST(CurrentFolder, IsTheFolderTheProcessIsIn) {
    TempFolder temp;
    const std::filesystem::path before = std::filesystem::current_path();
    testtree::MakeFolders(temp / "here");
    std::filesystem::current_path(std::filesystem::u8path(temp / "here"));
    std::error_code error;
    const std::string current = platform::CurrentFolder(error);
    const std::string expected = std::filesystem::current_path().u8string();
    std::filesystem::current_path(before);
    EXPECT_FALSE(error);
    EXPECT_EQ(current, expected);
}

namespace {
int writes = 0;
void CountWrite() { ++writes; }
}  // namespace

TEST(WriteObserver, SeesEveryWriteAttemptAndNoRead) {
    TempFolder temp;
    temp.Build({{"a", "A"}});
    writes = 0;
    platform::SetWriteObserver(CountWrite);
    platform::Attributes(temp / "a");
    platform::FolderListing listing;
    listing.Open(temp.Path());
    EXPECT_EQ(writes, 0);
    platform::MakeFolder(temp / "d");
    platform::MakeFolder(temp / "d");  // fails, still an attempt
    platform::MakeWritable(temp / "a");
    platform::Move(temp / "a", temp / "d/a");
    platform::RemoveEmptyFolder(temp / "d");
    platform::SetWriteObserver(nullptr);
    EXPECT_EQ(writes, 5);
}
