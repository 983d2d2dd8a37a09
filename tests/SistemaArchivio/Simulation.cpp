#include "tests/SistemaArchivio/Simulation.h"

#include <map>
#include <sstream>
#include <vector>

#include "platform/Path.h"
#include "SistemaArchivio/ConversionPass.h"
#include "tests/SistemaArchivio/RecordingBox.h"
#include "tests/SistemaArchivio/SimulatedDrive.h"

namespace sim {

namespace {

using platform::Failure;

const std::string kWork = platform::kSeparator == '/' ? "/w" : "C:\\w";
constexpr int kPresses = 30;  // more than a schedule's faults can spoil

// Awkward names: first letters in both cases, NFC and NFD twins, CJK, a leading dot or
// blank, a trailing blank or dot, the shapes of made-up names, names Windows cannot hold,
// and 255 bytes (too long with its 0) and 254.
const std::string kNames[] = {"\u00C8 la pioggia.kar",
                              "\u00E8 festa.kar",
                              "\u00E9t\u00E9.kar",
                              "\u00C9cole.kar",
                              "\u00FCber.kar",
                              "\u00DCbung.kar",
                              "\u03C9.kar",
                              "\u03A9mega.kar",
                              "\u00DFe.kar",
                              "\u1E9EE.kar",
                              "e\u0301t\u00E9.kar",
                              "\u00E9t\u00E9 2.kar",
                              "\u65E5\u672C.kar",
                              "\u65E5\u6771.kar",
                              ".intro.kar",
                              " blank.kar",
                              "trailing ",
                              "dot.",
                              "PQGG7J~Q.KAR",
                              "0MTTCO~Z",
                              "SONG~1.KAR",
                              "a?b.kar",
                              "aux.kar",
                              "1234.kar",
                              "abc.kar",
                              "ABD.kar",
                              "7",
                              std::string(251, 'b') + ".kar",
                              std::string(250, 'c') + ".kar"};

// The failures a call can be given.
const Failure kFailures[] = {
    Failure::Taken,         Failure::NoPermission, Failure::InUse,    Failure::InUseOrNoPermission,
    Failure::ReadOnlyDrive, Failure::DiskFull,     Failure::BadName,  Failure::NameTooLong,
    Failure::OtherDevice,   Failure::Missing,      Failure::NoAnswer, Failure::Other};

// Blocks of the warning whose cause pressing again cannot remove.
const char* const kLasting[] = {"non accetta", "nome inventato", "troppo lungo", "parte dell'archivio",
                                "gi\xC3\xA0 presente"};

struct Item {
    std::string name, content;  // a link's content: its target's
};

std::string At(const std::string& relative) {
    std::string path = kWork;
    std::string part;
    for (std::size_t at = 0; at <= relative.size(); ++at) {
        if (at < relative.size() && relative[at] != '/') part += relative[at];
        else path = platform::path::Join(path, part), part.clear();
    }
    return path;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class Run {
public:
    explicit Run(const std::function<unsigned(unsigned)>& pick) : pick_(pick), drive_(DrawRules()) {}
    std::string Go();

private:
    Rules DrawRules();
    void DrawArchive();
    void DrawEarlierState();
    void DrawFaults();
    std::string Check(const RecordingBox& box, bool ended, bool faultFree, bool appeared);
    std::string CheckDone(bool appeared);
    std::string CheckWarning(const std::string& text, bool faultFree, bool appeared);
    bool CanHold(const std::string& name) const;
    std::string Setting() const;
    std::string Tree() const;
    unsigned Pick(unsigned n) { return pick_(n); }

    const std::function<unsigned(unsigned)>& pick_;
    SimulatedDrive drive_;
    std::vector<Item> songs_, links_;
    bool silent_ = false;  // the drive did not answer some call of a press so far
    std::ostringstream drawn_;
};

Rules Run::DrawRules() {
    Rules r;
    r.foldsCase = Pick(2);
    r.makesUpNames = Pick(3) == 0;
    r.windowsNames = !r.makesUpNames && Pick(2);
    r.noReplace = Pick(2);
    r.countsUnits = Pick(2);
    r.trustsFolders = Pick(3) != 0;
    r.links = Pick(2);
    return r;
}

void Run::DrawArchive() {
    for (unsigned i = 0, n = 1 + Pick(10); i < n; ++i) {
        const std::string& name = kNames[Pick(std::size(kNames))];
        if ((drive_.rules.windowsNames && !WindowsHolds(name)) || drive_.Find(At("Data/" + name), false).node) continue;
        songs_.push_back({name, "song " + std::to_string(i)});
        drive_.Put(At("Data/" + name), Node::File, songs_.back().content);
        if (Pick(4) == 0) drive_.Find(At("Data/" + name)).node->readOnly = true;
        drawn_ << " song \"" << name << "\"";
    }
    drive_.Put(At("Data"), Node::Folder);
    if (!drive_.rules.links || songs_.empty() || Pick(2)) return;
    drive_.Put(At("outside.kar"), Node::File, "outside");
    const Item& song = songs_[Pick(static_cast<unsigned>(songs_.size()))];
    const Item rows[] = {
        {"Lalias", song.name}, {"Lchain", "Lalias"}, {"Lbeside", "../outside.kar"}, {"Labs", At("Data/" + song.name)}};
    for (const Item& link : rows) {
        drive_.Put(At("Data/" + link.name), Node::Link, link.content);
        links_.push_back({link.name, link.name == "Lbeside" ? "outside" : song.content});
    }
    drawn_ << " links to \"" << song.name << "\"";
}

// As an earlier pass left it: songs staged, Data converted, or the swap killed after
// Data went; and a stray item in tdata or a folder in Data.
void Run::DrawEarlierState() {
    const unsigned state = Pick(4);
    platform::Renames renames = platform::Renames::Unknown;
    for (const Item& song : songs_) {
        // A share lists such a song under a made-up name, which no pass moves.
        if (state == 0 || (state != 2 && Pick(2)) || !drive_.Holds(NewFileName(song.name))) continue;
        const std::string in = state == 3 ? "Data/" : "tdata/";
        drive_.MakeFolder(At(in.substr(0, in.size() - 1)));
        drive_.MakeFolder(At(in + BucketName(song.name)));
        drive_.Move(At("Data/" + song.name), At(in + BucketName(song.name) + "/" + NewFileName(song.name)), renames);
    }
    if (state == 2) drive_.RemoveEmptyFolder(At("Data"));
    if (Pick(5) == 0) drive_.Put(At("tdata/LEGGIMI.txt"), Node::File, "stray");
    if (Pick(8) == 0) drive_.Put(At("Data/Backup/x.txt"), Node::File, "backup");
    drawn_ << " state " << state << (drive_.Find(At("tdata/LEGGIMI.txt")).node ? " stray" : "")
           << (drive_.Find(At("Data/Backup")).node ? " backup" : "");
}

void Run::DrawFaults() {
    drive_.calls = 0;
    for (unsigned i = 0, n = Pick(4); i < n; ++i) {
        const long at = Pick(150);
        drive_.faults[at] = kFailures[Pick(std::size(kFailures))];
        drawn_ << " fault " << static_cast<int>(drive_.faults[at]) << "@" << at;
    }
    if (Pick(3) == 0) drive_.silentFrom = Pick(150), drive_.silentCalls = 1 + Pick(12);
    if (Pick(3) == 0) drive_.endAt = Pick(150);
    if (Pick(5) == 0) {
        drive_.appearAt = Pick(100);
        drive_.appearPath = At("Data/nuovo.kar");
        drive_.appearContent = "appeared";
    }
    drawn_ << " silent " << drive_.silentFrom << "+" << drive_.silentCalls << " end@" << drive_.endAt << " appear@"
           << drive_.appearAt;
}

std::string Run::Tree() const {
    std::string tree;
    for (const auto& [path, content] : drive_.Read()) tree += path + " " + content.substr(0, 24) + "\n";
    return tree;
}

std::string Run::Setting() const {
    const Rules& r = drive_.rules;
    std::ostringstream s;
    s << "drive: folds " << r.foldsCase << " windows " << r.windowsNames << " madeup " << r.makesUpNames
      << " noreplace " << r.noReplace << " units " << r.countsUnits << " folders " << r.trustsFolders << ";"
      << drawn_.str();
    return s.str();
}

std::string Run::Go() {
    DrawArchive();
    DrawEarlierState();
    DrawFaults();
    std::string before;  // the message and the drive after the first press once the faults stopped
    for (int press = 1; press <= kPresses; ++press) {
        const bool faultFree = drive_.calls > drive_.LastFault();
        const bool appearing = drive_.calls <= drive_.appearAt;
        const long from = drive_.calls;
        RecordingBox box;
        bool ended = false;
        try {
            ConvertArchive(kWork, box, drive_);
        } catch (const Ended&) {
            ended = true;
        }
        if (!ended && box.shown.size() != 1) return "press " + std::to_string(press) + ": no message; " + Setting();
        silent_ = silent_ || (drive_.silentCalls && from < drive_.silentFrom + drive_.silentCalls &&
                              drive_.calls > drive_.silentFrom);
        for (const auto& [at, failure] : drive_.faults)
            silent_ = silent_ || (failure == Failure::NoAnswer && at >= from && at < drive_.calls);
        if (const std::string problem = Check(box, ended, faultFree, appearing && drive_.calls > drive_.appearAt);
            !problem.empty())
            return "press " + std::to_string(press) + ": " + problem + "\n" + Setting() +
                   (ended ? std::string("\nended") : "\nmessage: " + box.shown[0].text) + "\n" + Tree();
        if (!faultFree || ended) continue;
        const std::string after = box.shown[0].text + "\n" + Tree();
        if (!before.empty())
            return before == after ? std::string()
                                   : "a second press after the faults changed:\n" + before + "\n---\n" + after;
        before = after;
    }
    return "the faults never stopped; " + Setting();
}

std::string Run::Check(const RecordingBox& box, bool ended, bool faultFree, bool appeared) {
    std::map<std::string, int> found;
    for (const auto& [path, content] : drive_.Read())
        if (content != "/" && content.rfind("-> ", 0) != 0) ++found[content];
    std::vector<Item> all = songs_;
    if (drive_.appearAt >= 0 && drive_.calls > drive_.appearAt) all.push_back({"nuovo.kar", "appeared"});
    for (const Item& song : all)
        if (found[song.content] != 1)
            return "\"" + song.name + "\" is there " + std::to_string(found[song.content]) + " times";
    if (ended) return {};
    const std::string& text = box.shown[0].text;
    if (text == kConversionDone) return CheckDone(appeared);
    if (text == kArchiveMissing)
        return drive_.Find(At("Data")).node && !appeared ? "Data is there, yet the message says there is none"
                                                         : std::string();
    return CheckWarning(text, faultFree, appeared);
}

// Every song where the karaoke program reads it: in its bucket, or in the bucket as
// Windows reads it (without its trailing dot), under names the drive lists as they are;
// tdata gone, or left with empty folders alone. A file that appeared in Data during the
// pass may have come after it.
std::string Run::CheckDone(bool appeared) {
    const SimulatedDrive::Found staging = drive_.Find(At("tdata"), false), data = drive_.Find(At("Data"));
    for (const auto& [path, content] : drive_.Read())
        if (path.rfind("/w/tdata/", 0) == 0 && content != "/") return "tdata still holds " + path;
    if (staging.node && staging.node->kind != Node::Folder) return "tdata is no folder";
    if (!data.node) return "Data is gone";
    for (const auto& [name, node] : data.node->children)
        if ((node->kind != Node::Folder || !IsBucketName(name)) && !(appeared && name == "nuovo.kar"))
            return "Data holds \"" + name + "\"";
    for (const Item& song : songs_) {
        std::string bucket = BucketName(song.name);
        SimulatedDrive::Found at = drive_.Find(At("Data/" + bucket + "/" + NewFileName(song.name)));
        if (!at.node && bucket.back() == '.')  // "0." as Windows reads it: "0"
            at = drive_.Find(At("Data/" + bucket.substr(0, 1) + "/" + NewFileName(song.name)));
        if (!at.node || at.node->content != song.content ||
            !drive_.Holds(std::string(platform::path::BaseName(platform::path::Parent(at.path)))))
            return "\"" + song.name + "\" is not in its bucket";
    }
    for (const Item& link : links_) {
        const SimulatedDrive::Found at = drive_.Find(At("Data/" + BucketName(link.name) + "/0" + link.name));
        // Known: where the drive did not show a link's target, the link is taken to lead
        // nowhere and keeps its text, which no longer leads there from its bucket.
        if ((!at.node || at.node->content != link.content) && !silent_)
            return "the link \"" + link.name + "\" leads elsewhere";
    }
    return {};
}

bool Run::CanHold(const std::string& name) const {
    std::string bucket = BucketName(name);
    const bool bucketHeld = drive_.Holds(bucket) || (bucket.back() == '.' && drive_.Holds(bucket.substr(0, 1)));
    return bucketHeld && drive_.Holds(NewFileName(name)) && platform::NameLength(NewFileName(name)) <= 255;
}

// A file that appeared in Data during the pass may have come after its last look.
std::string Run::CheckWarning(const std::string& text, bool faultFree, bool appeared) {
    std::size_t named = 0, notReached = 0;
    bool swapFailed = false;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find("\n\n", at), text.size());
        std::istringstream block(text.substr(at, end - at));
        at = end + 2;
        std::string header, line;
        std::getline(block, header);
        swapFailed = swapFailed || header.rfind("Tutti i brani sono gi", 0) == 0;
        bool lasting = false;
        for (const char* cause : kLasting) lasting = lasting || Has(header, cause);
        if (faultFree && !lasting && header != "La conversione non \xC3\xA8 completa." &&
            header.rfind("I brani gi\xC3\xA0 spostati", 0) != 0 && header.rfind("Quando hai fatto", 0) != 0)
            return "after the faults, still: " + header;
        if (header.empty() || header.back() != ':') continue;
        const std::size_t count = header.rfind("Un", 0) == 0 ? 1 : std::stoul(header);
        std::size_t lines = 0, more = 0;
        while (std::getline(block, line) && line.rfind("e altr", 0) != 0 &&
               (line.rfind("Data", 0) == 0 || line.rfind("tdata", 0) == 0 || Has(line, "\xE2\x80\xA6"))) {
            ++lines;
            if (Has(line, "\xE2\x80\xA6")) continue;
            if (!drive_.Find(At(line), false).node) return "named \"" + line + "\", which is not there";
            const std::string name(platform::path::BaseName(line));
            if (faultFree && (Has(header, "non accetta") || Has(header, "troppo lungo")) &&
                At(line) == At("Data/" + name) && CanHold(name))
                return "\"" + line + "\" can be held, yet the message says it cannot";
        }
        if (line.rfind("e altr", 0) == 0) more = std::stoul(line.substr(line.find(' ', 2) + 1));
        if (count != (Has(header, "copie") ? lines / 2 : lines) + more) return "the count of \"" + header + "\"";
        if (Has(header, "sottocartell") || Has(header, "nella cartella tdata")) continue;
        named += count;
        if (Has(header, "ancora")) notReached = count;
    }
    std::size_t files = 0, songs = 0;
    if (const SimulatedDrive::Found data = drive_.Find(At("Data")); data.node && data.node->kind == Node::Folder)
        for (const auto& [name, node] : data.node->children)
            files += node->kind != Node::Folder, songs += node->kind == Node::File;
    if (swapFailed && files > (appeared ? 1u : 0u)) return "every song is said to be in tdata, yet Data holds files";
    // A refusal counts nothing; a drive that stopped answering cannot be counted.
    if (text.rfind("Non ho spostato", 0) != 0 && !Has(text, "smesso di rispondere") &&
        (songs > named + appeared || notReached > files))
        return std::to_string(songs) + " songs in Data, " + std::to_string(named) + " named";
    return {};
}

}  // namespace

std::string Simulate(const std::function<unsigned(unsigned)>& pick) { return Run(pick).Go(); }

}  // namespace sim
