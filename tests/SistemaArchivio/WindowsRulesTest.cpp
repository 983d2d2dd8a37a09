// The pass's decisions under Windows rules that neither Linux nor wine shows, played by
// a stand-in over the real file system: a folder with the read-only attribute cannot
// be removed, removing a junction removes it whatever its target holds, and moves fail
// for reasons a test cannot bring about (a file in use, a full or write-protected
// drive). It also records where the pass flushes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "SistemaArchivio/ConversionPass.h"
#include "platform/Path.h"
#include "SistemaArchivio/ConversionReport.h"
#include "tests/SistemaArchivio/RecordingBox.h"
#include "tests/platform/TempTree.h"

using platform::path::Parent;
using testtree::TempFolder;
using testtree::Tree;
using testtree::WithFolders;

namespace {

class WindowsRules : public platform::FileSystemPort {
public:
    std::set<std::string> readOnlyFolders;
    std::string junction, junctionTarget;
    std::map<std::string, platform::Failure> failingMoves;    // by source path
    std::map<std::string, int> timesToFail;                   // by source path: then it moves
    std::map<std::string, platform::Failure> failingFolders;  // by path
    bool diskFull = false;                                    // no folder can be made
    std::string unlistable;                                   // a folder that cannot be listed
    std::string appearing;                                    // a file put in Data right before its removal
    std::vector<std::string> writes;                          // "remove <path>", "writable <path>", ..., "flush", "box"

    std::uint32_t Attributes(const std::string& path) override {
        const std::uint32_t attributes = FileSystemPort::Attributes(path == junction ? junctionTarget : path);
        return readOnlyFolders.count(path) ? attributes | platform::kAttributeReadOnly : attributes;
    }
    bool IsLink(const std::string& path) override { return path == junction || FileSystemPort::IsLink(path); }
    std::string LinkTarget(const std::string& path) override {
        return path == junction ? junctionTarget : FileSystemPort::LinkTarget(path);
    }
    bool MakeWritable(const std::string& path) override {
        writes.push_back("writable " + path);
        readOnlyFolders.erase(path);
        return FileSystemPort::MakeWritable(path);
    }
    bool ForEachEntry(const std::string& folder, const std::function<bool(const platform::Entry&)>& visit) override {
        if (folder == unlistable) return false;
        const bool listed = FileSystemPort::ForEachEntry(folder, visit);
        injected_ = platform::Failure::None;  // the listing's end says why it ended
        return listed;
    }
    bool RemoveEmptyFolder(const std::string& path) override {
        writes.push_back("remove " + path);
        if (!appearing.empty() && path == Parent(appearing)) testtree::WriteFile(appearing, "new");
        if (path == junction) return true;  // gone, with the way to its target
        if (readOnlyFolders.count(path)) return Fail(platform::Failure::InUseOrNoPermission);
        return FileSystemPort::RemoveEmptyFolder(path);
    }
    bool MakeFolder(const std::string& path) override {
        writes.push_back("make " + path);
        const auto failing = failingFolders.find(path);
        if (failing != failingFolders.end()) return Fail(failing->second);
        return diskFull ? Fail(platform::Failure::DiskFull) : FileSystemPort::MakeFolder(path);
    }
    bool FlushFolders(const std::vector<std::string>& folders) override {
        writes.push_back("flush");
        return FileSystemPort::FlushFolders(folders);
    }
    bool Move(const std::string& from, const std::string& to, platform::Renames& renames) override {
        writes.push_back("move " + from);
        const auto failing = failingMoves.find(from);
        const auto times = timesToFail.find(from);
        if (failing != failingMoves.end() && (times == timesToFail.end() || times->second-- > 0))
            return Fail(failing->second);
        injected_ = platform::Failure::None;
        return FileSystemPort::Move(from, to, renames);
    }
    platform::Failure LastFailure() override {
        return injected_ != platform::Failure::None ? injected_ : FileSystemPort::LastFailure();
    }

private:
    bool Fail(platform::Failure failure) {
        injected_ = failure;
        return false;
    }
    platform::Failure injected_ = platform::Failure::None;
};

// The message box, seen in the order of the writes.
struct LoggingBox : RecordingBox {
    explicit LoggingBox(std::vector<std::string>& log) : log(log) {}
    std::int32_t Show(const std::string& text, const std::string& caption, std::uint32_t flags) override {
        log.push_back("box");
        return RecordingBox::Show(text, caption, flags);
    }
    std::vector<std::string>& log;
};

bool Wrote(const WindowsRules& rules, const std::string& write) {
    for (const std::string& w : rules.writes)
        if (w == write) return true;
    return false;
}

}  // namespace

TEST(WindowsRules, AReadOnlyDataFolderIsClearedRightBeforeItsRemoval) {
    TempFolder temp;
    temp.Build({{"Data/a.kar", "a"}});
    WindowsRules rules;
    rules.readOnlyFolders = {temp / "Data"};
    LoggingBox box(rules.writes);
    ConvertArchive(temp.Path(), box, rules);
    EXPECT_EQ(box.shown, (std::vector<RecordingBox::Message>{{"Ho Finito!", "Lyrimat to Vocarium", 0}}));
    EXPECT_EQ(temp.Read(), WithFolders({{"Data/0a/0a.kar", "a"}}));
    // The work is flushed after the last move and before the message.
    const std::vector<std::string> last(rules.writes.end() - 5, rules.writes.end());
    EXPECT_EQ(last, (std::vector<std::string>{"writable " + (temp / "Data"), "remove " + (temp / "Data"),
                                              "move " + (temp / "tdata"), "flush", "box"}));
}

TEST(WindowsRules, OnlyASwapHeldForAMomentIsTriedAgain) {
    using platform::Failure;
    // The swap's failure, how often it fails, how often the pass tries it, whether it ends.
    const std::tuple<Failure, int, int, bool> rows[] = {{Failure::InUse, 2, 3, true},
                                                        {Failure::InUseOrNoPermission, 2, 3, true},
                                                        {Failure::InUse, 100, 6, false},
                                                        {Failure::NoPermission, 1, 1, false}};
    for (const auto& [failure, times, tries, done] : rows) {
        TempFolder temp;
        temp.Build({{"Data/a.kar", "a"}});
        WindowsRules rules;
        rules.failingMoves[temp / "tdata"] = failure;
        rules.timesToFail[temp / "tdata"] = times;
        RecordingBox box;
        ConvertArchive(temp.Path(), box, rules);
        EXPECT_EQ(std::count(rules.writes.begin(), rules.writes.end(), "move " + (temp / "tdata")), tries);
        EXPECT_EQ(box.shown.at(0).text == "Ho Finito!", done) << static_cast<int>(failure) << " x" << times;
    }
}

TEST(WindowsRules, AJunctionIsConvertedThroughAndNeverRemoved) {
    TempFolder temp;
    temp.Build({{"store/songs/a.kar", "a"}, {"store/songs/01/01.kar", "one"}});
    WindowsRules rules;
    rules.junction = temp / "Data";
    rules.junctionTarget = temp / "store/songs";
    for (int press = 0; press < 2; ++press) {
        RecordingBox box;
        ConvertArchive(temp.Path(), box, rules);
        EXPECT_EQ(box.shown, (std::vector<RecordingBox::Message>{{"Ho Finito!", "Lyrimat to Vocarium", 0}}));
    }
    EXPECT_FALSE(Wrote(rules, "remove " + rules.junction));
    EXPECT_FALSE(Wrote(rules, "remove " + rules.junctionTarget));
    EXPECT_EQ(temp.Read(), WithFolders({{"store/songs/0a/0a.kar", "a"}, {"store/songs/01/01.kar", "one"}}));
}

TEST(WindowsRules, EachFailureIsReportedByItsCause) {
    using platform::Failure;
    struct Row {
        const char* name;
        Failure failure;
        Cause cause;
    };
    const Row rows[] = {
        {"open.kar", Failure::InUse, Cause::InUse},
        {"denied.kar", Failure::InUseOrNoPermission, Cause::InUseOrNoPermission},
        {"locked.kar", Failure::NoPermission, Cause::NoPermission},
        {"protected.kar", Failure::ReadOnlyDrive, Cause::ReadOnlyDrive},
        {"full.kar", Failure::DiskFull, Cause::DiskFull},
        {"question.kar", Failure::BadName, Cause::BadName},
        {"mounted.kar", Failure::OtherDevice, Cause::OtherDevice},
        {"bad.kar", Failure::Other, Cause::DiskError},
        {"gone.kar", Failure::Missing, Cause::DiskError},
        {"silent.kar", Failure::NoAnswer, Cause::DiskError},  // once: the drive answers again
    };
    TempFolder temp;
    WindowsRules rules;
    Tree after{{"tdata/0f/0fine.kar", "f"}, {"Data/x.kar", "x"}};
    temp.Build({{"Data/fine.kar", "f"}, {"Data/x.kar", "x"}});
    const std::string sep(1, platform::kSeparator);
    ConversionOutcome expected;
    for (const Row& row : rows) {
        temp.Build({{std::string("Data/") + row.name, row.name}});
        after.emplace(std::string("Data/") + row.name, row.name);
        after.emplace("tdata/0" + std::string(1, row.name[0]) + "/", "");
        rules.failingMoves[temp / (std::string("Data/") + row.name)] = row.failure;
        expected.Add(row.cause, "Data" + sep + row.name);
    }
    // A bucket that cannot be made: its files stay, for the reason it could not.
    rules.failingFolders[temp / "tdata/0x"] = Failure::ReadOnlyDrive;
    expected.Add(Cause::ReadOnlyDrive, "Data" + sep + "x.kar");
    expected.songsWaiting = true;
    RecordingBox box;
    ConvertArchive(temp.Path(), box, rules);
    EXPECT_EQ(box.shown,
              (std::vector<RecordingBox::Message>{{ConversionReportText(expected), "Lyrimat to Vocarium", 0x30}}));
    EXPECT_EQ(temp.Read(), WithFolders(after));
}

TEST(WindowsRules, ADriveThatStopsAnsweringStopsThePassAndCountsWhatIsLeft) {
    TempFolder temp;
    WindowsRules rules;
    ConversionOutcome expected;
    expected.Add(Cause::NoAnswer, "");
    for (char c = '0'; c <= '9'; ++c) {  // one bucket, made before the drive goes silent
        const std::string name = std::string("Data/a") + c;
        temp.Build({{name, name}});
        rules.failingMoves[temp / name] = platform::Failure::NoAnswer;
        expected.Add(Cause::NotReached, "Data" + std::string(1, platform::kSeparator) + "a" + c);
    }
    RecordingBox box;
    ConvertArchive(temp.Path(), box, rules);
    EXPECT_EQ(box.shown[0].text, ConversionReportText(expected));
    const auto move = [](const std::string& write) { return write.rfind("move", 0) == 0; };
    EXPECT_EQ(std::count_if(rules.writes.begin(), rules.writes.end(), move), 8);  // not one by one to the end
}

// Each row: how the pass is hindered, what it says, its writes (where given), the tree after.
TEST(WindowsRules, AHinderedPassSaysWhatHappened) {
    struct Row {
        const char* label;
        void (*hinder)(WindowsRules& rules, const TempFolder& temp);
        ConversionOutcome said;
        std::vector<std::string> writes;  // below the case's folder
        Tree after;
    };
    const auto refusal = [](Obstacle obstacle, Cause cause, const char* name) {
        ConversionOutcome o;
        o.obstacle = obstacle, o.obstacleCause = cause, o.obstacleNames = {name};
        return o;
    };
    ConversionOutcome appeared;
    appeared.Add(Cause::NotReached, "Data" + std::string(1, platform::kSeparator) + "new.kar");
    appeared.songsWaiting = true;
    const Row rows[] = {
        {"tdata cannot be made",
         [](WindowsRules& r, const TempFolder&) { r.diskFull = true; },
         refusal(Obstacle::StagingNotMade, Cause::DiskFull, "tdata"),
         {"make tdata"},
         {{"Data/a.kar", "a"}}},
        {"Data cannot be listed: nothing is made",
         [](WindowsRules& r, const TempFolder& t) { r.unlistable = t / "Data"; },
         refusal(Obstacle::DataUnreadable, Cause::DiskError, "Data"),
         {"make tdata", "remove tdata", "flush"},
         {{"Data/a.kar", "a"}}},
        {"a file comes into Data before the swap: it is what is left",
         [](WindowsRules& r, const TempFolder& t) { r.appearing = t / "Data/new.kar"; },
         appeared,
         {},
         {{"Data/new.kar", "new"}, {"tdata/0a/0a.kar", "a"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        TempFolder temp;
        temp.Build({{"Data/a.kar", "a"}});
        WindowsRules rules;
        row.hinder(rules, temp);
        RecordingBox box;
        ConvertArchive(temp.Path(), box, rules);
        EXPECT_EQ(box.shown,
                  (std::vector<RecordingBox::Message>{{ConversionReportText(row.said), "Lyrimat to Vocarium", 0x30}}));
        std::vector<std::string> writes;
        for (const std::string& w : row.writes)
            writes.push_back(w == "flush" ? w : w.substr(0, w.find(' ') + 1) + (temp / w.substr(w.find(' ') + 1)));
        if (!row.writes.empty()) {
            EXPECT_EQ(rules.writes, writes);
        }
        EXPECT_EQ(temp.Read(), WithFolders(row.after));
    }
}
