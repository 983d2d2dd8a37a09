#include "SistemaArchivio/ConversionPass.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include "SistemaArchivio/ConversionReport.h"
#include "SistemaArchivio/WorkFolder.h"
#include "platform/FileSystem.h"
#include "tests/SistemaArchivio/RecordingBox.h"
#include "tests/platform/TempTree.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/Utf8.h"
#else
#include <unistd.h>
#endif

using testtree::TempFolder;
using testtree::Tree;
using testtree::WithFolders;
using Message = RecordingBox::Message;

namespace {

const Message kDone{"Ho Finito!", "Lyrimat to Vocarium", 0};
const Message kMissing{"Non ho trovato il vecchio Archivio in formato Lyrimat ", "Lyrimat to Vocarium", 0};

// A path as the pass shows it, with the system's separator.
std::string Shown(std::string path) {
    for (char& c : path)
        if (c == '/') c = platform::kSeparator;
    return path;
}

// The warning for what stayed behind, each path given as "Data/x" (the wording is
// ConversionReport's to test); `waiting` when songs wait in tdata.
Message Warning(Cause cause, const std::vector<std::string>& paths, bool waiting = true,
                const std::string& present = {}) {
    ConversionOutcome outcome;
    for (const std::string& path : paths) outcome.Add(cause, Shown(path), present.empty() ? "" : Shown(present));
    outcome.songsWaiting = waiting;
    return {ConversionReportText(outcome), "Lyrimat to Vocarium", 0x30};
}

// Runs one pass over `temp` and returns what it showed.
std::vector<Message> Convert(const TempFolder& temp) {
    RecordingBox box;
    ConvertArchive(temp.Path(), box);
    return box.shown;
}

using Messages = std::vector<Message>;

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

}  // namespace

// --- Layout produced ---------------------------------------------------------------

TEST(ConversionLayout, Table) {
    struct Case {
        const char* label;
        Tree before;
        Tree after;
    };
    const Case cases[] = {
        {"two names",
         {{"Data/1234.kar", "song 1234"}, {"Data/5678.kar", "song 5678"}},
         {{"Data/01/01234.kar", "song 1234"}, {"Data/05/05678.kar", "song 5678"}}},
        {"two names share a bucket",
         {{"Data/abc.kar", "abc"}, {"Data/axe.kar", "axe"}},
         {{"Data/0a/0abc.kar", "abc"}, {"Data/0a/0axe.kar", "axe"}}},
        {"one-character name", {{"Data/7", "seven"}}, {{"Data/07/07", "seven"}}},
        {"no extension, case and extension kept",
         {{"Data/abc", "abc"}, {"Data/Xyz.KAR", "xyz"}},
         {{"Data/0a/0abc", "abc"}, {"Data/0X/0Xyz.KAR", "xyz"}}},
        {"name starting with 0", {{"Data/0123.kar", "zero"}}, {{"Data/00/00123.kar", "zero"}}},
        // Windows' ordinary path rules drop one trailing dot from an inner component,
        // so that is where the karaoke program looks for the file.
        {"name starting with a dot",
         {{"Data/.intro.kar", "intro"}},
         {{kWindows ? "Data/0/0.intro.kar" : "Data/0./0.intro.kar", "intro"}}},
        // Trailing blanks of an inner component stay, on Windows too.
        {"name starting with a blank", {{"Data/ song.kar", "blank"}}, {{"Data/0 /0 song.kar", "blank"}}},
        {"Japanese name", {{"Data/日本の歌.kar", "jp"}}, {{"Data/0日/0日本の歌.kar", "jp"}}},
        {"Greek names",
         {{"Data/Ωμέγα.kar", "omega"}, {"Data/Ωδή.kar", "ode"}},
         {{"Data/0Ω/0Ωμέγα.kar", "omega"}, {"Data/0Ω/0Ωδή.kar", "ode"}}},
        {"character outside the BMP", {{"Data/🎤mic.kar", "mic"}}, {{"Data/0🎤/0🎤mic.kar", "mic"}}},
#ifndef _WIN32
        // Linux names are bytes: one that starts no UTF-8 sequence is a character of its own.
        {"invalid UTF-8",
         {{"Data/\xFF"
           "bad",
           "ff"},
          {"Data/\x80"
           "cont",
           "80"},
          {"Data/\xE6\x97", "cut"},
          {"Data/\xC0\xAF"
           "o",
           "overlong"}},
         {{"Data/0\xFF/0\xFF"
           "bad",
           "ff"},
          {"Data/0\x80/0\x80"
           "cont",
           "80"},
          {"Data/0\xE6/0\xE6\x97", "cut"},
          {"Data/0\xC0/0\xC0\xAF"
           "o",
           "overlong"}}},
        {"letter cases are distinct buckets",
         {{"Data/Abc", "upper"}, {"Data/abc", "lower"}},
         {{"Data/0A/0Abc", "upper"}, {"Data/0a/0abc", "lower"}}},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TempFolder temp;
        temp.Build(c.before);
        EXPECT_EQ(Convert(temp), Messages{kDone});
        EXPECT_EQ(temp.Read(), WithFolders(c.after));
    }
}

TEST(ConversionLayout, ABucketOfAnotherLetterCaseIsReusedWhereNamesIgnoreCase) {
    TempFolder temp;
    temp.Build({{"tdata/0A/0Axe", "axe"}, {"Data/abc", "abc"}});
    EXPECT_EQ(Convert(temp), Messages{kDone});
    EXPECT_EQ(temp.Read(), WithFolders({{"Data/0A/0Axe", "axe"}, {kWindows ? "Data/0A/0abc" : "Data/0a/0abc", "abc"}}));
}

#ifdef _WIN32
TEST(ConversionLayout, BucketsAreWhereOrdinaryPathsLead) {
    // Data\<"0" + first character>\<file> read through the ordinary rules must name
    // Data\<bucket>\<file>.
    for (const std::string first : {".", " ", "a", "0", "日", "🎤", "\xED\xA0\x80"}) {
        SCOPED_TRACE(first);
        const std::u16string inner = platform::Utf8ToUtf16("0" + first);
        const std::wstring written = L"C:\\w\\" + std::wstring(inner.begin(), inner.end()) + L"\\f";
        wchar_t resolved[MAX_PATH];
        ASSERT_NE(GetFullPathNameW(written.c_str(), MAX_PATH, resolved, nullptr), 0u);
        const std::u16string bucket = platform::Utf8ToUtf16(BucketName(first + "rest"));
        EXPECT_EQ(std::wstring(resolved), L"C:\\w\\" + std::wstring(bucket.begin(), bucket.end()) + L"\\f");
    }
}
#endif

TEST(NamingRule, FirstCharacterIsWhole) {
    EXPECT_EQ(NewFileName("1234.kar"), "01234.kar");
    EXPECT_EQ(BucketName("1234.kar"), "01");
    EXPECT_EQ(BucketName("7"), "07");
    EXPECT_EQ(BucketName("日本"), "0日");
    EXPECT_EQ(BucketName("🎤x"), "0🎤");
    // An unpaired UTF-16 unit in a Windows name is one character; on Linux its bytes
    // form no valid sequence, so the first byte stands alone.
    EXPECT_EQ(BucketName("\xED\xA0\x80x"), kWindows ? "0\xED\xA0\x80" : "0\xED");
}

// --- Safety --------------------------------------------------------------------------

TEST(ConversionSafety, ATakenNameInTheBucketKeepsBothFiles) {
    TempFolder temp;
    temp.Build({{"Data/abc", "new"}, {"Data/b.kar", "b"}, {"tdata/0a/0abc", "old"}});
    EXPECT_EQ(Convert(temp), Messages{Warning(Cause::Taken, {"Data/abc"}, true, "tdata/0a/0abc")});
    EXPECT_EQ(temp.Read(), WithFolders({{"Data/abc", "new"}, {"tdata/0a/0abc", "old"}, {"tdata/0b/0b.kar", "b"}}));
}

TEST(ConversionSafety, AReadOnlyFileMovesAndIsWritableAfterwards) {
    TempFolder temp;
    temp.Build({{"Data/ro.kar", "read only"}, {"Data/rw.kar", "writable"}});
    testtree::SetReadOnly(temp / "Data/ro.kar", true);
    EXPECT_EQ(Convert(temp), Messages{kDone});
    EXPECT_EQ(temp.Read(), WithFolders({{"Data/0r/0ro.kar", "read only"}, {"Data/0r/0rw.kar", "writable"}}));
    EXPECT_EQ(platform::Attributes(temp / "Data/0r/0ro.kar") & platform::kAttributeReadOnly, 0u);
    EXPECT_EQ(platform::Attributes(temp / "Data/0r/0rw.kar") & platform::kAttributeReadOnly, 0u);
}

#ifndef _WIN32
TEST(ConversionSafety, GroupAndOthersPermissionsAreKept) {
    TempFolder temp;
    temp.Build({{"Data/a444", "a"}, {"Data/b440", "b"}, {"Data/c604", "c"}, {"Data/d755", "d"}});
    testtree::SetMode(temp / "Data/a444", 0444);
    testtree::SetMode(temp / "Data/b440", 0440);
    testtree::SetMode(temp / "Data/c604", 0604);
    testtree::SetMode(temp / "Data/d755", 0755);
    EXPECT_EQ(Convert(temp), Messages{kDone});
    EXPECT_EQ(testtree::Mode(temp / "Data/0a/0a444"), 0644u);
    EXPECT_EQ(testtree::Mode(temp / "Data/0b/0b440"), 0640u);
    EXPECT_EQ(testtree::Mode(temp / "Data/0c/0c604"), 0604u);
    EXPECT_EQ(testtree::Mode(temp / "Data/0d/0d755"), 0755u);
}
#endif

TEST(ConversionSafety, ANameTheSystemRefusesStaysBehind) {
    // 255 characters is the longest name; with its "0" in front it no longer fits.
    const std::string longest(255, 'n');
    TempFolder temp;
    temp.Build({{"Data/" + longest, "long"}, {"Data/short", "short"}});
    EXPECT_EQ(Convert(temp), Messages{Warning(Cause::TooLong, {"Data/" + longest})});
    EXPECT_EQ(temp.Read(), WithFolders({{"Data/" + longest, "long"}, {"tdata/0s/0short", "short"}}));
}

TEST(ConversionSafety, WorksInAFolderBeyondTheOrdinaryPathLimit) {
    TempFolder temp;
    std::string relative;
    for (int level = 0; level < 6; ++level) relative += std::string(50, static_cast<char>('a' + level)) + "/";
    temp.Build({{relative + "Data/1234.kar", "1234"}, {relative + "Data/日本.kar", "jp"}});
    const std::string workFolder = temp / relative.substr(0, relative.size() - 1);
    ASSERT_GT(workFolder.size(), 300u);
    RecordingBox box;
    ConvertArchive(workFolder, box);
    EXPECT_EQ(box.shown, Messages{kDone});
    EXPECT_EQ(temp.Read(),
              WithFolders({{relative + "Data/01/01234.kar", "1234"}, {relative + "Data/0日/0日本.kar", "jp"}}));
}

TEST(ConversionSafety, WithoutAWorkFolderNothingIsTouched) {
    // An empty WorkFolder would make every path start at a root.
    TempFolder temp;
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::u8path(temp.Path()));
    const std::filesystem::path rootStaging = std::filesystem::current_path().root_path() / "tdata";
    const bool rootStagingExisted = std::filesystem::exists(rootStaging);
    RecordingBox box;
    EXPECT_THROW(ConvertArchive("", box), std::system_error);
    std::filesystem::current_path(before);
    EXPECT_TRUE(box.shown.empty());
    EXPECT_TRUE(temp.Read().empty());
    if (!rootStagingExisted) {
        EXPECT_FALSE(std::filesystem::exists(rootStaging));
    }
}

// --- Outcomes ------------------------------------------------------------------------

TEST(ConversionOutcome, MissingData) {
    TempFolder temp;
    EXPECT_EQ(Convert(temp), Messages{kMissing});
    EXPECT_EQ(temp.Read(), (Tree{{"tdata/", ""}}));
}

TEST(ConversionOutcome, DataIsAFile) {
    TempFolder temp;
    temp.Build({{"Data", "not a folder"}});
    EXPECT_EQ(Convert(temp), Messages{kMissing});
    EXPECT_EQ(temp.Read(), (Tree{{"Data", "not a folder"}, {"tdata/", ""}}));
}

TEST(ConversionOutcome, EmptyData) {
    TempFolder temp;
    temp.Build({{"Data/", ""}});
    EXPECT_EQ(Convert(temp), Messages{kDone});
    EXPECT_EQ(temp.Read(), (Tree{{"Data/", ""}}));
}

TEST(ConversionOutcome, ASubfolderStaysAndTheFilesWaitInTdata) {
    TempFolder temp;
    temp.Build({{"Data/sub/inner.kar", "inner"}, {"Data/a.kar", "a"}, {"Data/b.kar", "b"}});
    EXPECT_EQ(Convert(temp), Messages{Warning(Cause::ForeignFolder, {"Data/sub"})});
    EXPECT_EQ(temp.Read(),
              WithFolders({{"Data/sub/inner.kar", "inner"}, {"tdata/0a/0a.kar", "a"}, {"tdata/0b/0b.kar", "b"}}));
}

TEST(ConversionOutcome, AFolderWithOtherAttributeBitsIsNotMoved) {
    TempFolder temp;
    temp.Build({{"Data/sub/inner.kar", "inner"}, {"Data/other/", ""}, {"Data/a.kar", "a"}});
    testtree::AddFolderAttribute(temp / "Data/sub");
    const std::uint32_t attributes = platform::Attributes(temp / "Data/sub");
    ASSERT_NE(attributes, platform::kAttributeDirectory);
    ASSERT_TRUE(attributes & platform::kAttributeDirectory);
    EXPECT_EQ(Convert(temp), Messages{Warning(Cause::ForeignFolder, {"Data/other", "Data/sub"})});
    EXPECT_EQ(temp.Read(),
              WithFolders({{"Data/sub/inner.kar", "inner"}, {"Data/other/", ""}, {"tdata/0a/0a.kar", "a"}}));
}

#ifndef _WIN32
TEST(ConversionOutcome, AnEntryWhoseAttributesCannotBeReadIsMovedAsAFile) {
    // A dangling symbolic link: its attribute word is the failure value.
    TempFolder temp;
    temp.Build({{"Data/", ""}});
    ASSERT_EQ(symlink("nowhere", (temp / "Data/dangling").c_str()), 0);
    ASSERT_EQ(platform::Attributes(temp / "Data/dangling"), platform::kInvalidAttributes);
    EXPECT_EQ(Convert(temp), Messages{kDone});
    EXPECT_EQ(temp.Read(), WithFolders({{"Data/0d/0dangling", std::string(testtree::kLinkPrefix) + "nowhere"}}));
}

// A stick mounted at a folder of its own: its root lies on another drive than its parent.
struct MountedStick : platform::FileSystemPort {
    std::string root;
    bool SameDevice(const std::string& a, const std::string& b) override { return a != root && b != root; }
};

TEST(ConversionOutcome, DataLeadingToADrivesRootMovesNothing) {
    TempFolder temp;
    temp.Build({{"stick/a.kar", "a"}});
    ASSERT_EQ(symlink("stick", (temp / "Data").c_str()), 0);
    MountedStick stick;
    stick.root = temp / "stick";
    RecordingBox box;
    ConvertArchive(temp.Path(), box, stick);
    ConversionOutcome refusal;
    refusal.obstacle = Obstacle::DataIsDrive;
    refusal.obstacleNames = {"stick"};
    EXPECT_EQ(box.shown, (Messages{{ConversionReportText(refusal), "Lyrimat to Vocarium", 0x30}}));
    EXPECT_EQ(temp.Read(), WithFolders({{"Data", std::string(testtree::kLinkPrefix) + "stick"}, {"stick/a.kar", "a"}}));
}
#endif

TEST(ConversionOutcome, ASecondRunOverAConvertedArchiveChangesNothing) {
    const Tree converted = WithFolders({{"Data/01/01234.kar", "1234"}, {"Data/0a/0abc", "abc"}, {"Data/0b/", ""}});
    TempFolder temp;
    temp.Build(converted);
    EXPECT_EQ(Convert(temp), Messages{kDone});
    EXPECT_EQ(temp.Read(), converted);
}

TEST(ConversionOutcome, PressingAgainCompletesAPartialRun) {
    TempFolder temp;
    temp.Build({{"Data/extra/notes.txt", "notes"}, {"Data/abc", "abc"}, {"Data/1.kar", "one"}});
    EXPECT_EQ(Convert(temp), Messages{Warning(Cause::ForeignFolder, {"Data/extra"})});
    // The user moves the subfolder away and adds a song before pressing again.
    ASSERT_TRUE(platform::Move(temp / "Data/extra", temp / "extra"));
    testtree::WriteFile(temp / "Data/axe", "axe");
    EXPECT_EQ(Convert(temp), Messages{kDone});
    EXPECT_EQ(temp.Read(), WithFolders({{"extra/notes.txt", "notes"},
                                        {"Data/0a/0abc", "abc"},
                                        {"Data/0a/0axe", "axe"},
                                        {"Data/01/01.kar", "one"}}));
}

TEST(ConversionOutcome, AnInterruptedSwapIsFinished) {
    TempFolder temp;
    temp.Build({{"tdata/0a/0abc", "abc"}, {"tdata/01/01.kar", "one"}});
    EXPECT_EQ(Convert(temp), Messages{kDone});
    EXPECT_EQ(temp.Read(), WithFolders({{"Data/0a/0abc", "abc"}, {"Data/01/01.kar", "one"}}));
}

TEST(ConversionOutcome, NoDataAndAnEmptyTdataIsAMissingArchive) {
    TempFolder temp;
    temp.Build({{"tdata/", ""}});
    EXPECT_EQ(Convert(temp), Messages{kMissing});
    EXPECT_EQ(temp.Read(), (Tree{{"tdata/", ""}}));
}
