#include "ConversionPass.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

#include "ArchivePaths.h"
#include "ConversionReport.h"

namespace {

using archivepaths::BaseName;
using archivepaths::Below;
using archivepaths::Join;
using archivepaths::Normal;
using archivepaths::Parent;
using archivepaths::RootLength;
using platform::Entry;
using platform::Failure;

constexpr char kArchiveFolder[] = "Data";
constexpr char kStagingFolder[] = "tdata";
// No file system in use holds a longer name (Windows: in UTF-16 units), whatever a
// drive reports.
constexpr std::size_t kLongestAnyName = 255;
// Failures in a row, each of them the drive not answering, after which the pass stops
// moving: a share whose server went away fails every operation, and a drive that
// recovers after a moment has had its chance.
constexpr int kUnansweredInARow = 8;
// On Windows a folder cannot be renamed while a file inside it is open, and a virus
// scanner or the search indexer opens a freshly moved file for a moment: the swap, which
// renames tdata right after thousands of moves, waits for it about a second. No other
// step is tried again.
constexpr int kSwapTries = 6;
constexpr std::chrono::milliseconds kSwapPause{200};

bool IsFolder(std::uint32_t attributes) {
    return attributes != platform::kInvalidAttributes && (attributes & platform::kAttributeDirectory);
}

// A name Windows can hold, as far as a bucket's two characters go: no control character,
// none of \ / : * ? " < > |, no trailing dot or blank.
bool WindowsHolds(std::string_view name) {
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
            return false;
    return !name.empty() && name.back() != '.' && name.back() != ' ';
}

// How the staged songs reach Data at the end of a pass.
enum class Plan {
    Swap,   // tdata, renamed, becomes Data
    Merge,  // each staged bucket joins Data's own, or moves into it whole
};

// One pass: every song file of Data into its bucket in tdata, then tdata in Data's
// place (or, where Data already holds buckets or is reached through a link, each
// staged bucket into Data's own). Data's links to files move after its songs, so that
// each can be led to where its target now lies.
class Pass {
public:
    Pass(const std::string& workFolder, platform::FileSystemPort& fs)
        : fs_(fs),
          data_(Join(workFolder, kArchiveFolder)),
          dataAsNamed_(data_),
          staging_(Join(workFolder, kStagingFolder)) {
        outcome_.workFolder = workFolder;
    }

    Ending Run();
    void Flush();
    const ConversionOutcome& Outcome() const { return outcome_; }

private:
    // Where the songs of one bucket go in tdata: the bucket's own name, or the name
    // that serves for it on this drive; or why there is none.
    struct StagedBucket {
        std::string name;
        Failure failure = Failure::None;
    };

    Ending Refuse(Obstacle obstacle, std::vector<std::string> names, Cause cause = Cause::DiskError);
    Plan PlanFor(bool bucketsInData) const;
    Ending Finish(Plan plan);
    Ending Incomplete();
    bool Recount();
    Failure MakeBucket(const std::string& path);
    const StagedBucket& Staged(const std::string& bucket);
    std::string BucketOf(const std::string& name);
    void ReclaimStaged();
    bool Reclaim(const std::string& folder);
    bool Move(const std::string& from, const std::string& to, bool knownFree = false);
    bool Relink(const std::string& from, const std::string& to, const std::string& text);
    void Answered(bool answered);
    void Stop();
    bool KnownFree(const std::string& to);
    void Failed(Failure failure, const std::string& path);
    bool CanStage(const std::string& name, const std::string& from);
    void StageFile(const std::string& name, std::uint32_t attributes);
    void StageLink(const std::string& name);
    std::optional<std::string> NewLinkText(const std::string& text);
    bool MoveFile(const std::string& from, const std::string& to, bool knownFree = false);
    void Left(const std::string& from, const std::string& to, Failure failure);
    void SettleSecondNames(const std::string& folder, const std::function<std::string(const std::string&)>& placeOf);
    Ending Swap();
    Ending Merge();
    void MergeBucket(const std::string& staged, const std::string& bucket);
    std::optional<std::vector<Entry>> Whole(const std::string& folder);
    static bool IsStray(const Entry& entry);
    std::optional<bool> Listed(const std::string& path);
    bool Exists(const std::string& path);
    bool HasSongs(const std::string& folder);
    std::string StagedPlace(const std::string& name);

    platform::FileSystemPort& fs_;
    std::string data_;
    const std::string dataAsNamed_;  // WorkFolder/Data, also where Data is a link
    std::string staging_;
    bool linked_ = false;  // Data is a link, and data_ the folder it leads to
    bool madeStaging_ = false;
    bool wholeFolders_ = false;                 // a folder can be renamed with its content
    bool madeUpNames_ = false;                  // the drive shows some names under names it made up
    bool reclaimed_ = false;                    // songs under made-up buckets in tdata were sent to theirs
    bool unreclaimed_ = false;                  // and some may be left there
    bool straysNamed_ = false;                  // what in tdata is no bucket has been named
    bool wrote_ = false;                        // the pass got as far as moving
    bool stopped_ = false;                      // the drive stopped answering, and the pass moving
    int unanswered_ = 0;                        // failures in a row that were the drive not answering
    std::vector<std::string> unansweredNames_;  // their names, disk errors if the drive answers again
    platform::Renames renames_ = platform::Renames::Unknown;  // learned at the first move
    std::size_t longestName_ = kLongestAnyName;
    std::unordered_map<std::string, Failure> buckets_;      // by path: why it could not be made, or Failure::None
    std::set<std::string> freshBuckets_;                    // made by this pass, holding only songs it staged
    std::set<std::string> stagedNames_;                     // in those, the names taken, as KnownFree compares them
    std::unordered_map<std::string, StagedBucket> staged_;  // by bucket name
    std::vector<std::string> links_;                        // Data's links to files, moved after the songs
    ConversionOutcome outcome_;
};

Ending Pass::Run() {
    if (fs_.IsLink(data_)) {
        // Converted where the songs really are, beside the real folder, on its file
        // system; the link is never touched and leads to the converted folder after.
        const std::string real = fs_.LinkTarget(data_);
        if (real.empty() || !IsFolder(fs_.Attributes(real))) return Refuse(Obstacle::DataLinkBroken, {data_});
        // A drive's root has nothing beside it on its own drive: neither E:\ nor a stick
        // mounted at /media/stick, whose parent lies on another file system.
        if (Parent(real).size() >= real.size() || !fs_.SameDevice(real, Parent(real)))
            return Refuse(Obstacle::DataIsDrive, {real});
        data_ = real;
        staging_ = Join(Parent(real), kStagingFolder);
        linked_ = true;
    }
    madeUpNames_ = fs_.MakesUpNames(Parent(staging_));
    // Only a folder made by a pass is ever renamed to Data.
    const std::uint32_t stagingAttributes = fs_.Attributes(staging_);
    const bool stagingUsable =
        !fs_.IsLink(staging_) && (stagingAttributes == platform::kInvalidAttributes || IsFolder(stagingAttributes));
    Failure stagingFailure = Failure::None;
    if (stagingUsable) {
        madeStaging_ = fs_.MakeFolder(staging_);  // an existing staging folder is reused
        if (!madeStaging_) stagingFailure = fs_.LastFailure();
    }

    // A drive that does not answer has no missing archive.
    if (stagingFailure == Failure::NoAnswer) return Refuse(Obstacle::StagingNotMade, {staging_}, Cause::NoAnswer);
    if (!IsFolder(fs_.Attributes(data_))) {
        // tdata was there a moment ago: where not even the WorkFolder can be read now,
        // the drive stopped answering.
        const bool stagingThere = madeStaging_ || stagingFailure == Failure::Taken;
        if (stagingThere && !IsFolder(fs_.Attributes(Parent(staging_)))) {
            Stop();
            return Incomplete();
        }
        const std::optional<bool> listed = Listed(data_);
        if (!listed) {  // not even the folder beside it can be listed
            Stop();
            return Incomplete();
        }
        if (*listed) return Refuse(Obstacle::DataUnreadable, {data_});
        // No Data but files in tdata: an earlier pass ended between removing Data and
        // renaming tdata. Finishing its swap is all that is left to do.
        if (!stagingUsable || linked_) return Ending::Missing;
        if (!Whole(staging_)) {  // it was made, or there, a moment ago
            Stop();
            return Incomplete();
        }
        if (!HasSongs(staging_)) return Ending::Missing;
        wrote_ = true;
        wholeFolders_ = fs_.TrustsFolderRenames(staging_);
        const Plan plan = PlanFor(false);
        if (plan == Plan::Merge) fs_.MakeFolder(data_);
        return Finish(plan);
    }
    if (!stagingUsable) return Refuse(Obstacle::StagingNotAFolder, {staging_});
    if (!IsFolder(fs_.Attributes(staging_)))
        return Refuse(Obstacle::StagingNotMade, {staging_}, CauseOf(stagingFailure));
    if (!fs_.SameDevice(data_, staging_)) return Refuse(Obstacle::OtherDevice, {staging_});
    longestName_ = std::min(fs_.LongestName(staging_), kLongestAnyName);
    wholeFolders_ = fs_.TrustsFolderRenames(staging_);
    wrote_ = true;

    bool bucketsInData = false;
    const bool listed = fs_.ForEachEntry(data_, [&](const Entry& entry) {
        if (!IsFolder(entry.attributes)) {
            // Moved under the name the drive made up, the song would lose its own.
            if (madeUpNames_ && platform::IsMadeUpName(entry.name))
                outcome_.Add(Cause::MadeUpName, Join(data_, entry.name));
            else if (entry.link) links_.push_back(entry.name);
            else StageFile(entry.name, entry.attributes);
        } else if (!entry.link && IsBucketName(entry.name)) {
            bucketsInData = true;  // converted earlier: the staged songs join these
        } else if (!entry.link && madeUpNames_ && platform::IsMadeUpName(entry.name) &&
                   Reclaim(Join(data_, entry.name))) {
            bucketsInData = true;
        } else {
            // A folder, or a link to one, is never moved, whatever other bits its
            // attribute word carries.
            outcome_.Add(Cause::ForeignFolder, Join(data_, entry.name));
        }
        return !stopped_;  // the rest of a silent drive's listing is not read, entry by entry
    });
    if (!listed) return Refuse(Obstacle::DataUnreadable, {data_});
    // A listing that ended early stops the pass: what it did not show is counted at the end.
    if (!stopped_ && fs_.LastFailure() != Failure::None) Stop();
    // Songs an earlier pass left under a made-up bucket reach theirs before the links to them move.
    if (madeUpNames_ && !stopped_) ReclaimStaged();
    for (const std::string& name : links_)
        if (!stopped_) StageLink(name);
    return Finish(PlanFor(bucketsInData));
}

// Decided once, before the end is acted on. A swap renames tdata to a Data that does
// not exist, or is an emptied folder of its own: Data is no link (renaming over the
// link would drop it), holds no bucket (its songs would be left behind), and the drive
// renames a folder with its content. Anything else merges.
Plan Pass::PlanFor(bool bucketsInData) const {
    return bucketsInData || linked_ || !wholeFolders_ ? Plan::Merge : Plan::Swap;
}

// Songs an earlier pass left in a bucket the drive lists under a made-up name go where
// their names call for; then, with nothing left behind, tdata takes Data's place, or its
// buckets join Data's. What in tdata is no bucket stays there, named either way: it
// keeps tdata from taking Data's place, not the buckets from joining.
Ending Pass::Finish(Plan plan) {
    if (madeUpNames_ && !stopped_ && !reclaimed_) ReclaimStaged();
    if (!stopped_) Answered(true);  // it answered to the end: its few silences were disk errors
    const bool merges = plan == Plan::Merge && outcome_.Complete();
    if (!stopped_) {
        const std::optional<std::vector<Entry>> staged = Whole(staging_);
        straysNamed_ = staged.has_value();  // else the merge names them, or the swap waits
        if (!staged && plan == Plan::Swap) outcome_.Add(Cause::DiskError, staging_);
        for (const Entry& entry : staged ? *staged : std::vector<Entry>{})
            if (IsStray(entry)) outcome_.Add(Cause::InStaging, Join(staging_, entry.name));
    }
    if (stopped_ || (!merges && !outcome_.Complete())) return Incomplete();
    return plan == Plan::Merge ? Merge() : Swap();
}

// Nothing moves; a staging folder this pass made goes again.
Ending Pass::Refuse(Obstacle obstacle, std::vector<std::string> names, Cause cause) {
    if (madeStaging_) fs_.RemoveEmptyFolder(staging_);
    outcome_.obstacle = obstacle;
    outcome_.obstacleCause = cause;
    outcome_.obstacleNames = std::move(names);
    return Ending::Incomplete;
}

Ending Pass::Incomplete() {
    // Left with nothing to say, or with a Data it cannot list, the drive did not show
    // what is there.
    if (!Recount() && IsFolder(fs_.Attributes(data_))) Stop();
    if (outcome_.Complete()) Stop();
    outcome_.songsWaiting = HasSongs(staging_);
    return Ending::Incomplete;
}

// Every number the report gives is counted from what is there: a name reported left
// that is gone since (where Data could be listed), or whose copy is, is dropped, and a
// song still in Data that no cause names (the pass stopped before it, or its listing
// ended early) is named as not moved yet. A link whose song waits for a cause already
// named waits with it. False when Data could not be listed.
bool Pass::Recount() {
    const std::optional<std::vector<Entry>> entries = Whole(data_);
    std::set<std::string> inData, named;  // a made-up name may list yet not resolve
    for (const Entry& entry : entries ? *entries : std::vector<Entry>{}) inData.insert(Join(data_, entry.name));
    const auto there = [&](const std::string& path) { return Exists(path); };
    const auto gone = [&](const LeftBehind& l) {
        return (entries && !inData.count(l.path) && !there(l.path)) || (!l.present.empty() && !there(l.present));
    };
    for (std::size_t cause = 0; cause < kCauses; ++cause) {
        std::vector<LeftBehind>& left = outcome_.left[cause];
        if (cause != static_cast<std::size_t>(Cause::NoAnswer))
            left.erase(std::remove_if(left.begin(), left.end(), gone), left.end());
        for (const LeftBehind& l : left) named.insert(l.path);
    }
    for (const Entry& entry : entries ? *entries : std::vector<Entry>{}) {
        const std::string path = Join(data_, entry.name);
        if (!IsFolder(entry.attributes) && (!entry.link || stopped_) && !named.count(path))
            outcome_.Add(Cause::NotReached, path);
    }
    return entries.has_value();
}

// What the pass wrote is on the disk before it says so: a stick pulled out at the
// closing message keeps the conversion.
void Pass::Flush() {
    if (!wrote_) return;
    std::vector<std::string> folders{Parent(staging_), staging_, data_};
    for (const auto& [path, failure] : buckets_)
        if (failure == Failure::None) folders.push_back(path);
    fs_.FlushFolders(folders);
}

// Makes a bucket folder once per pass; why it could not be made is the reason given for
// each of its files.
Failure Pass::MakeBucket(const std::string& path) {
    const auto [bucket, fresh] = buckets_.try_emplace(path, Failure::None);
    if (fresh) {
        const bool made = fs_.MakeFolder(path);
        if (made) freshBuckets_.insert(path);
        if (!made && fs_.LastFailure() != Failure::Taken) bucket->second = fs_.LastFailure();
        Answered(bucket->second != Failure::NoAnswer);
    }
    return bucket->second;
}

// A bucket is made in tdata once per pass. Where names differ only in case, a drive that
// ignores case holds one bucket for both, as Windows does: making the second finds the
// first, and its songs join it. A share shows a name Windows cannot hold under one it
// made up ("0." as "0MTTCO~Z"), and a song moved in would never reach its bucket; there
// the bucket the karaoke program on Windows looks in serves, the name as Windows reads
// it (without its trailing dot, "0"); failing that, the songs stay in Data as names the
// drive cannot hold. Which names a share makes up is told by the name alone.
const Pass::StagedBucket& Pass::Staged(const std::string& bucket) {
    const auto [place, fresh] = staged_.try_emplace(bucket, StagedBucket{bucket});
    StagedBucket& staged = place->second;
    if (!fresh) return staged;
    staged.failure = madeUpNames_ && !WindowsHolds(bucket) ? Failure::BadName : MakeBucket(Join(staging_, bucket));
    if (staged.failure == Failure::BadName && bucket.size() > 1 && bucket.back() == '.') {
        staged.name.pop_back();
        staged.failure = MakeBucket(Join(staging_, staged.name));
    }
    return staged;
}

// The bucket a song of this name lies in, in tdata or, once converted, in Data: where
// this pass staged its songs; else where an earlier one did, which, for a bucket ending
// in a dot that the drive cannot hold, is the name as Windows reads it (Staged).
std::string Pass::BucketOf(const std::string& name) {
    std::string bucket = BucketName(name);
    const auto place = staged_.find(bucket);
    if (place != staged_.end() && place->second.failure == Failure::None) return place->second.name;
    const bool held =
        madeUpNames_ ? WindowsHolds(bucket) : Exists(Join(staging_, bucket)) || Exists(Join(data_, bucket));
    if (bucket.size() > 1 && bucket.back() == '.' && !held) bucket.pop_back();
    return bucket;
}

void Pass::ReclaimStaged() {
    reclaimed_ = true;
    const std::optional<std::vector<Entry>> entries = Whole(staging_);
    unreclaimed_ = !entries;
    for (const Entry& entry : entries ? *entries : std::vector<Entry>{})
        if (IsFolder(entry.attributes) && !entry.link && platform::IsMadeUpName(entry.name) &&
            !Reclaim(Join(staging_, entry.name)))
            unreclaimed_ = true;
}

// A folder under a made-up name whose files all belong to one bucket is that bucket,
// made by an earlier pass where the drive could not hold its name: its songs go to the
// bucket as this drive holds it, in tdata. An empty one in tdata goes. False for
// anything else, which stays where it is.
bool Pass::Reclaim(const std::string& folder) {
    const std::optional<std::vector<Entry>> files = fs_.List(folder);
    if (!files) return false;
    std::string bucket;
    for (const Entry& file : *files) {
        if (IsFolder(file.attributes) || file.name.size() < 2 || file.name[0] != '0') return false;
        const std::string of = BucketName(std::string_view(file.name).substr(1));
        if (!bucket.empty() && of != bucket) return false;
        bucket = of;
    }
    if (bucket.empty()) return Parent(folder) == staging_ && fs_.RemoveEmptyFolder(folder);
    const StagedBucket& place = Staged(bucket);
    if (place.failure != Failure::None) {
        for (const Entry& file : *files) Failed(place.failure, Join(folder, file.name));
        return true;
    }
    MergeBucket(folder, Join(staging_, place.name));
    return true;
}

// Every move of a file or folder goes through here, so that the drive is asked once per
// pass whether it refuses to replace, and a drive that stops answering is noticed. A
// name known to be free is not looked for where the drive would have to look first.
bool Pass::Move(const std::string& from, const std::string& to, bool knownFree) {
    platform::Renames free = platform::Renames::KnownFree;
    const bool done = fs_.Move(from, to, knownFree && renames_ == platform::Renames::CheckFirst ? free : renames_);
    Answered(done || fs_.LastFailure() != Failure::NoAnswer);
    return done;
}

bool Pass::Relink(const std::string& from, const std::string& to, const std::string& text) {
    const bool done = fs_.Relink(from, to, text);
    Answered(done || fs_.LastFailure() != Failure::NoAnswer);
    return done;
}

// Whether the name `to` is free without looking: it lies in a bucket this pass made and
// filled with its own songs alone, and no song put there took it. The names compared
// are the drive's view of them: letters in either case are one on a drive that
// ignores case; a name with anything but plain ASCII, a tilde (a made-up name a share
// resolves) or a trailing dot or blank (dropped by some) is always looked for.
bool Pass::KnownFree(const std::string& to) {
    if (!freshBuckets_.count(Parent(to))) return false;
    std::string folded(to);
    for (char& c : folded) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7E || c == '~') return false;
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (folded.back() == '.' || folded.back() == ' ') return false;
    return stagedNames_.insert(folded).second;
}

void Pass::Answered(bool answered) {
    if (answered) {
        unanswered_ = 0;
        for (const std::string& name : unansweredNames_) outcome_.Add(Cause::DiskError, name);
        unansweredNames_.clear();
    } else if (++unanswered_ >= kUnansweredInARow) {
        Stop();
    }
}

void Pass::Stop() {
    if (stopped_) return;
    stopped_ = true;
    unansweredNames_.clear();  // counted again from what is there
    outcome_.Add(Cause::NoAnswer, {});
}

// An entry left for a failure of the system. Not answering is a disk error only when
// the drive answers again; otherwise the pass stops, and counts at the end.
void Pass::Failed(Failure failure, const std::string& path) {
    if (failure == Failure::NoAnswer) {
        if (!stopped_) unansweredNames_.push_back(path);
    } else outcome_.Add(CauseOf(failure), path);
}

// Whether the entry `name` of Data, at `from`, can be moved to its bucket: its new name
// fits the drive, and the bucket is there. A name longer than the drive holds is never
// tried: one FUSE driver drops the old name before it refuses the new one.
bool Pass::CanStage(const std::string& name, const std::string& from) {
    if (platform::NameLength(NewFileName(name)) > longestName_) {
        outcome_.Add(Cause::TooLong, from);
        return false;
    }
    const Failure failure = Staged(BucketName(name)).failure;
    if (failure != Failure::None) Failed(failure, from);
    return failure == Failure::None;
}

std::string Pass::StagedPlace(const std::string& name) {
    return Join(Join(staging_, BucketOf(name)), NewFileName(name));
}

void Pass::StageFile(const std::string& name, std::uint32_t attributes) {
    const std::string oldPath = Join(data_, name);
    if (!CanStage(name, oldPath)) return;
    if (attributes == platform::kInvalidAttributes || (attributes & platform::kAttributeReadOnly))
        fs_.MakeWritable(oldPath);
    const std::string to = StagedPlace(name);
    MoveFile(oldPath, to, KnownFree(to));
}

// A link moves like a file; one whose target is relative, or lies in Data, is made
// anew so that it leads to the same file from its new place.
void Pass::StageLink(const std::string& name) {
    const std::string from = Join(data_, name), to = StagedPlace(name);
    if (!CanStage(name, from)) return;
    const std::optional<std::string> text = fs_.LinkText(from);
    if (!text) {
        MoveFile(from, to);
        return;
    }
    const std::optional<std::string> newText = NewLinkText(*text);
    if (!newText) return;  // its song stayed in Data, for a cause already reported: so does the link
    // A link kept as it is that leads nowhere now may lead to a song the pass leaves
    // behind: it waits with them.
    if (*newText == *text && (!outcome_.Complete() || unreclaimed_) && fs_.LinkTarget(from).empty()) return;
    if (*newText == *text) MoveFile(from, to);
    else if (!Relink(from, to, *newText)) Left(from, to, fs_.LastFailure());
}

// What a link of Data must say one folder deeper, in its bucket, to lead where it leads
// now. tdata and Data lie side by side, so the same text serves in either. A target
// that is one of Data's songs leads to that song's new place, also where an earlier
// pass moved the song and ended before the link; nothing while the song is still in
// Data and the link must wait for it.
std::optional<std::string> Pass::NewLinkText(const std::string& text) {
    const bool absolute = RootLength(text) > 0;
    const std::string target = Normal(absolute ? text : Join(data_, text));
    std::optional<std::string> inside = Below(target, data_);
    std::string named = data_;
    if (!inside && absolute) inside = Below(target, named = dataAsNamed_);
    const std::string up(1, platform::kSeparator);
    if (!inside) return absolute ? text : ".." + up + text;
    if (inside->empty() || inside->find_first_of("\\/") != std::string::npos)
        return absolute ? text : ".." + up + ".." + up + std::string(BaseName(data_)) + up + *inside;
    const std::string song = Join(data_, *inside);
    const std::string place = Join(BucketOf(*inside), NewFileName(*inside));
    if (!fs_.IsLink(song)) {
        if (fs_.Attributes(song) != platform::kInvalidAttributes) return std::nullopt;
        if (!Exists(Join(staging_, place)) && !Exists(Join(data_, place))) return text;  // it leads nowhere
    }
    return absolute ? Join(named, place) : ".." + up + place;
}

// Moves one file without replacing anything; what fails is kept by its cause.
bool Pass::MoveFile(const std::string& from, const std::string& to, bool knownFree) {
    if (Move(from, to, knownFree)) return true;
    Left(from, to, fs_.LastFailure());
    return false;
}

void Pass::Left(const std::string& from, const std::string& to, Failure failure) {
    if (failure != Failure::Taken) return Failed(failure, from);
    // A move killed between linking the new name and unlinking the old one (as earlier
    // versions moved on some drives) left one file under both names: dropping the old
    // name completes it.
    if (fs_.SameFile(from, to) && fs_.RemoveSecondName(from, to)) return;
    outcome_.Add(Cause::Taken, from, to);
}

// A folder that should have emptied but did not: where a file is still there under its
// old name beside its new one (under wine a move between two names of one file reports
// success and changes nothing), the old name goes. Then the folder is removed.
void Pass::SettleSecondNames(const std::string& folder, const std::function<std::string(const std::string&)>& placeOf) {
    const std::optional<std::vector<Entry>> entries = fs_.List(folder);
    for (const Entry& entry : entries ? *entries : std::vector<Entry>{}) {
        const std::string path = Join(folder, entry.name), place = placeOf(entry.name);
        if (!IsFolder(entry.attributes) && fs_.SameFile(path, place)) fs_.RemoveSecondName(path, place);
    }
    fs_.RemoveEmptyFolder(folder);
}

// Data is empty: tdata takes its place.
Ending Pass::Swap() {
    // Windows cannot remove a folder that carries the read-only attribute, which
    // customised folders and folders copied from a CD have.
    const std::uint32_t attributes = fs_.Attributes(data_);
    if (attributes != platform::kInvalidAttributes && (attributes & platform::kAttributeReadOnly))
        fs_.MakeWritable(data_);
    // When Data is already gone (an earlier pass ended here), its name is free.
    if (!fs_.RemoveEmptyFolder(data_) && fs_.LastFailure() == Failure::Taken)
        SettleSecondNames(data_, [this](const std::string& name) { return StagedPlace(name); });
    for (int tries = 1; !Move(staging_, data_); ++tries) {
        const Failure failure = fs_.LastFailure();
        if (tries == kSwapTries || (failure != Failure::InUse && failure != Failure::InUseOrNoPermission)) {
            // Whatever came into Data since its listing, not the swap, is what is left;
            // a Data still there that shows nothing did not answer.
            Recount();
            if (outcome_.Complete() && failure == Failure::Taken) Stop();
            else if (outcome_.Complete()) outcome_.Add(Cause::SwapFailed, data_);
            return Incomplete();
        }
        std::this_thread::sleep_for(kSwapPause);
    }
    return Ending::Done;
}

// Data holds buckets already, is reached through a link, or lies where folders are
// not renamed: each staged bucket joins its namesake, or moves in whole where Data has
// none and folders can be renamed. Then the emptied staging folder goes.
Ending Pass::Merge() {
    const std::optional<std::vector<Entry>> staged = Whole(staging_);
    for (const Entry& entry : staged ? *staged : std::vector<Entry>{}) {
        const std::string path = Join(staging_, entry.name);
        if (stopped_) break;
        if (!IsStray(entry)) MergeBucket(path, Join(data_, entry.name));
        else if (!straysNamed_) outcome_.Add(Cause::InStaging, path);
    }
    // A tdata that could not be listed is merged only where it is empty.
    if (!fs_.RemoveEmptyFolder(staging_) && !staged) outcome_.Add(Cause::DiskError, staging_);
    // Moves the drive did not answer, with no answer since: it stopped.
    if (!unansweredNames_.empty()) Stop();
    return outcome_.Complete() ? Ending::Done : Incomplete();
}

void Pass::MergeBucket(const std::string& staged, const std::string& bucket) {
    freshBuckets_.erase(bucket);  // it gets songs the pass did not stage
    if (wholeFolders_) {
        if (Move(staged, bucket)) return;
        if (fs_.LastFailure() != Failure::Taken) return Failed(fs_.LastFailure(), staged);
    } else if (const Failure failure = MakeBucket(bucket); failure != Failure::None) {
        return Failed(failure, staged);
    }
    const std::optional<std::vector<Entry>> files = Whole(staged);
    if (!files) return Failed(Failure::Other, staged);
    for (const Entry& file : files ? *files : std::vector<Entry>{}) {
        const std::string path = Join(staged, file.name);
        if (stopped_) return;
        if (IsFolder(file.attributes))
            outcome_.Add(Parent(staged) == staging_ ? Cause::InStaging : Cause::ForeignFolder, path);
        else MoveFile(path, Join(bucket, file.name));
    }
    if (!fs_.RemoveEmptyFolder(staged) && fs_.LastFailure() == Failure::Taken)
        SettleSecondNames(staged, [&bucket](const std::string& name) { return Join(bucket, name); });
}

// A folder's entries, where the listing ran to its end.
std::optional<std::vector<Entry>> Pass::Whole(const std::string& folder) {
    std::optional<std::vector<Entry>> entries = fs_.List(folder);
    return entries && fs_.LastFailure() == Failure::None ? entries : std::nullopt;
}

bool Pass::IsStray(const Entry& entry) {
    return entry.link || !IsFolder(entry.attributes) || !IsBucketName(entry.name);
}

// Whether `path` is a folder among its folder's entries: there, though it may not be
// readable; nothing where its folder cannot be listed.
std::optional<bool> Pass::Listed(const std::string& path) {
    const std::optional<std::vector<Entry>> entries = Whole(Parent(path));
    const std::string_view name = BaseName(path);
    if (!entries) return std::nullopt;
    return std::any_of(entries->begin(), entries->end(),
                       [&](const Entry& e) { return e.name == name && IsFolder(e.attributes); });
}

bool Pass::Exists(const std::string& path) {
    return fs_.Attributes(path) != platform::kInvalidAttributes || fs_.IsLink(path);
}

// True when `folder` holds a song, directly or in a subfolder.
bool Pass::HasSongs(const std::string& folder) {
    const std::optional<std::vector<Entry>> entries = fs_.List(folder);
    if (!entries) return false;
    for (const Entry& entry : *entries)
        if (!IsFolder(entry.attributes) || entry.link || HasSongs(Join(folder, entry.name))) return true;
    return false;
}

}  // namespace

std::string NewFileName(std::string_view name) {
    std::string newName = "0";
    newName.append(name);
    return newName;
}

std::string BucketName(std::string_view name) {
    std::string bucket = "0";
    bucket.append(name.substr(0, platform::FirstCharacterLength(name)));
    // The karaoke program finds a file through the ordinary path rules, so the bucket
    // is named as those rules read it (on Windows Data\0.\0.intro.kar means
    // Data\0\0.intro.kar).
    return platform::AsOrdinaryPathsRead(std::move(bucket));
}

bool IsBucketName(std::string_view name) {
    if (name.empty() || name[0] != '0') return false;
    const std::string_view rest = name.substr(1);
    // Windows' bucket for a leading dot, also where a drive cannot hold "0.".
    if (rest.empty()) return true;
    return platform::FirstCharacterLength(rest) == rest.size() && BucketName(rest) == name;
}

void ConvertArchive(const std::string& workFolder, MessageBoxPort& box, platform::FileSystemPort& fileSystem) {
    // Without a current folder any path would land at a root, in some other archive.
    if (workFolder.empty()) throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory));
    Pass pass(workFolder, fileSystem);
    const Ending ending = pass.Run();
    pass.Flush();
    const ConversionMessage message = ClosingMessage(ending, pass.Outcome());
    box.Show(message.text, message.caption, message.flags);
}
