#include "ConversionPass.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "ArchiveListing.h"
#include "platform/Path.h"
#include "DataLinks.h"
#include "Ledger.h"
#include "StagingArea.h"
#include "base/Check.h"

namespace {

using platform::Entry;
using platform::Failure;
using platform::path::Join;
using platform::path::Parent;

constexpr char kArchiveFolder[] = "Data";
constexpr char kStagingFolder[] = "tdata";
// On Windows a folder cannot be renamed while a file inside it is open, and a virus
// scanner or the search indexer opens a freshly moved file for a moment: the swap, which
// renames tdata right after thousands of moves, waits for it about a second. No other
// step is tried again.
constexpr int kSwapTries = 6;
constexpr std::chrono::milliseconds kSwapPause{200};

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
        : fs_(fs), ledger_(fs, workFolder), area_(fs, ledger_, folders_), links_(fs, ledger_, area_, folders_) {
        folders_.data = folders_.dataAsNamed = Join(workFolder, kArchiveFolder);
        folders_.staging = Join(workFolder, kStagingFolder);
    }

    Ending Run();
    void Flush();
    const ConversionOutcome& Outcome() const { return ledger_.Outcome(); }

private:
    std::optional<Ending> OpenFolders();
    std::optional<Ending> FollowLink();
    Ending WithoutData(bool stagingUsable, Failure stagingFailure);
    bool StageSongs(bool& bucketsInData);
    void Sort(const Entry& entry, bool& bucketsInData);
    void StageFile(const std::string& name, std::uint32_t attributes);
    Plan PlanFor(bool bucketsInData) const;
    Ending Finish(Plan plan);
    Ending Refuse(Obstacle obstacle, std::vector<std::string> names, Cause cause = Cause::DiskError);
    Ending Incomplete();
    Ending Swap();
    Ending Merge();

    platform::FileSystemPort& fs_;
    ArchiveFolders folders_;
    bool madeStaging_ = false;
    bool straysNamed_ = false;  // what in tdata is no bucket has been named
    bool wrote_ = false;        // the pass got as far as moving
    Ledger ledger_;
    StagingArea area_;
    DataLinks links_;
};

Ending Pass::Run() {
    if (const std::optional<Ending> refused = OpenFolders()) return *refused;
    bool bucketsInData = false;
    if (!StageSongs(bucketsInData)) return Refuse(Obstacle::DataUnreadable, {folders_.data});
    // Songs an earlier pass left under a made-up bucket reach theirs before the links to them move.
    if (folders_.madeUpNames && !ledger_.Stopped()) area_.ReclaimStaged();
    links_.StageAll();
    return Finish(PlanFor(bucketsInData));
}

// Data and tdata beside it, made where it is not there: nothing where the pass goes on
// to move, else how it ended.
std::optional<Ending> Pass::OpenFolders() {
    if (fs_.IsLink(folders_.data))
        if (const std::optional<Ending> refused = FollowLink()) return refused;
    const std::string& staging = folders_.staging;
    folders_.madeUpNames = fs_.MakesUpNames(Parent(staging));
    // Only a folder made by a pass is ever renamed to Data.
    const std::uint32_t stagingAttributes = fs_.Attributes(staging);
    const bool stagingUsable =
        !fs_.IsLink(staging) && (stagingAttributes == platform::kInvalidAttributes || IsFolder(stagingAttributes));
    Failure stagingFailure = Failure::None;
    if (stagingUsable) {
        madeStaging_ = fs_.MakeFolder(staging);  // an existing staging folder is reused
        if (!madeStaging_) stagingFailure = fs_.LastFailure();
    }
    // A drive that does not answer has no missing archive.
    if (stagingFailure == Failure::NoAnswer) return Refuse(Obstacle::StagingNotMade, {staging}, Cause::NoAnswer);
    if (!IsFolder(fs_.Attributes(folders_.data))) return WithoutData(stagingUsable, stagingFailure);
    if (!stagingUsable) return Refuse(Obstacle::StagingNotAFolder, {staging});
    if (!IsFolder(fs_.Attributes(staging))) return Refuse(Obstacle::StagingNotMade, {staging}, CauseOf(stagingFailure));
    if (!fs_.SameDevice(folders_.data, staging)) return Refuse(Obstacle::OtherDevice, {staging});
    folders_.longestName = std::min(fs_.LongestName(staging), kLongestAnyName);
    folders_.wholeFolders = fs_.TrustsFolderRenames(staging);
    wrote_ = true;
    return std::nullopt;
}

// Converted where the songs really are, beside the real folder, on its file system; the
// link is never touched and leads to the converted folder after.
std::optional<Ending> Pass::FollowLink() {
    const std::string real = fs_.LinkTarget(folders_.data);
    if (real.empty() || !IsFolder(fs_.Attributes(real))) return Refuse(Obstacle::DataLinkBroken, {folders_.data});
    // A drive's root has nothing beside it on its own drive: neither E:\ nor a stick
    // mounted at /media/stick, whose parent lies on another file system.
    if (Parent(real).size() >= real.size() || !fs_.SameDevice(real, Parent(real)))
        return Refuse(Obstacle::DataIsDrive, {real});
    folders_.data = real;
    folders_.staging = Join(Parent(real), kStagingFolder);
    folders_.linked = true;
    return std::nullopt;
}

// No Data but files in tdata: an earlier pass ended between removing Data and renaming
// tdata. Finishing its swap is all that is left to do.
Ending Pass::WithoutData(bool stagingUsable, Failure stagingFailure) {
    const std::string& staging = folders_.staging;
    // tdata was there a moment ago: where not even the WorkFolder can be read now, the
    // drive stopped answering; so where not even the folder beside Data can be listed.
    const bool stagingThere = madeStaging_ || stagingFailure == Failure::Taken;
    const std::optional<bool> listed =
        stagingThere && !IsFolder(fs_.Attributes(Parent(staging))) ? std::nullopt : Listed(fs_, folders_.data);
    if (listed && *listed) return Refuse(Obstacle::DataUnreadable, {folders_.data});
    if (listed && (!stagingUsable || folders_.linked)) return Ending::Missing;
    if (!listed || !Whole(fs_, staging)) {  // tdata was made, or there, a moment ago
        ledger_.Stop();
        return Incomplete();
    }
    if (!HasSongs(fs_, staging)) return Ending::Missing;
    wrote_ = true;
    folders_.wholeFolders = fs_.TrustsFolderRenames(staging);
    const Plan plan = PlanFor(false);
    if (plan == Plan::Merge) fs_.MakeFolder(folders_.data);
    return Finish(plan);
}

// Every entry of Data, sorted as it is listed; false where Data could not be listed.
bool Pass::StageSongs(bool& bucketsInData) {
    const bool listed = fs_.ForEachEntry(folders_.data, [&](const Entry& entry) {
        Sort(entry, bucketsInData);
        return !ledger_.Stopped();  // the rest of a silent drive's listing is not read, entry by entry
    });
    if (!listed) return false;
    // A listing that ended early stops the pass: what it did not show is counted at the end.
    if (!ledger_.Stopped() && fs_.LastFailure() != Failure::None) ledger_.Stop();
    return true;
}

// A song moves now, a link after the songs; a bucket of an earlier pass stays, to be
// joined; any other folder stays, and is named.
void Pass::Sort(const Entry& entry, bool& bucketsInData) {
    const std::string path = Join(folders_.data, entry.name);
    const bool madeUp = folders_.madeUpNames && platform::IsMadeUpName(entry.name);
    if (!IsFolder(entry.attributes)) {
        // Moved under the name the drive made up, the song would lose its own.
        if (madeUp) ledger_.Add(Cause::MadeUpName, path);
        else if (entry.link) links_.Add(entry.name);
        else StageFile(entry.name, entry.attributes);
    } else if (!entry.link && (IsBucketName(entry.name) || (madeUp && area_.Reclaim(path)))) {
        bucketsInData = true;  // converted earlier: the staged songs join these
    } else {
        // A folder, or a link to one, never moves, whatever else its attribute word says.
        ledger_.Add(Cause::ForeignFolder, path);
    }
}

// A file whose attribute word could not be read is made writable too: the move fails
// on a read-only file.
void Pass::StageFile(const std::string& name, std::uint32_t attributes) {
    const std::string from = Join(folders_.data, name);
    const std::optional<std::string> to = area_.PlaceFor(name, from);
    if (!to) return;
    if (IsReadOnly(attributes).value_or(true)) fs_.MakeWritable(from);
    ledger_.MoveFile(from, *to, area_.KnownFree(*to));
}

// Decided once, before the end is acted on. A swap renames tdata to a Data that does
// not exist, or is an emptied folder of its own: Data is no link (renaming over the
// link would drop it), holds no bucket (its songs would be left behind), and the drive
// renames a folder with its content. Anything else merges.
Plan Pass::PlanFor(bool bucketsInData) const {
    return bucketsInData || folders_.linked || !folders_.wholeFolders ? Plan::Merge : Plan::Swap;
}

// Songs an earlier pass left in a bucket the drive lists under a made-up name go where
// their names call for; then, with nothing left behind, tdata takes Data's place, or its
// buckets join Data's. What in tdata is no bucket stays there, named either way: it
// keeps tdata from taking Data's place, not the buckets from joining.
Ending Pass::Finish(Plan plan) {
    if (folders_.madeUpNames && !ledger_.Stopped() && !area_.Reclaimed()) area_.ReclaimStaged();
    if (!ledger_.Stopped()) ledger_.Answered(true);  // it answered to the end: its few silences were disk errors
    const bool merges = plan == Plan::Merge && ledger_.Complete();
    if (!ledger_.Stopped()) {
        const std::optional<std::vector<Entry>> staged = Whole(fs_, folders_.staging);
        straysNamed_ = staged.has_value();  // else the merge names them, or the swap waits
        if (!staged && plan == Plan::Swap) ledger_.Add(Cause::DiskError, folders_.staging);
        for (const Entry& entry : EntriesOf(staged))
            if (IsStray(entry)) ledger_.Add(Cause::InStaging, Join(folders_.staging, entry.name));
    }
    if (ledger_.Stopped() || (!merges && !ledger_.Complete())) return Incomplete();
    return plan == Plan::Merge ? Merge() : Swap();
}

// Nothing moves; a staging folder this pass made goes again.
Ending Pass::Refuse(Obstacle obstacle, std::vector<std::string> names, Cause cause) {
    if (madeStaging_) fs_.RemoveEmptyFolder(folders_.staging);
    ledger_.Refused(obstacle, std::move(names), cause);
    return Ending::Incomplete;
}

Ending Pass::Incomplete() {
    // Left with nothing to say, or with a Data it cannot list, the drive did not show
    // what is there.
    if (!ledger_.Recount(folders_.data) && IsFolder(fs_.Attributes(folders_.data))) ledger_.Stop();
    if (ledger_.Complete()) ledger_.Stop();
    ledger_.SongsWaiting(HasSongs(fs_, folders_.staging));
    return Ending::Incomplete;
}

// Data is empty: tdata takes its place.
Ending Pass::Swap() {
    const std::string& data = folders_.data;
    // Windows cannot remove a folder that carries the read-only attribute, which
    // customised folders and folders copied from a CD have; one whose attribute word
    // cannot be read is left as it is.
    if (IsReadOnly(fs_.Attributes(data)).value_or(false)) fs_.MakeWritable(data);
    // When Data is already gone (an earlier pass ended here), its name is free.
    if (!fs_.RemoveEmptyFolder(data) && fs_.LastFailure() == Failure::Taken)
        area_.SettleSecondNames(data, [this](const std::string& name) { return area_.StagedPlace(name); });
    for (int tries = 1; !ledger_.Move(folders_.staging, data); ++tries) {
        const Failure failure = fs_.LastFailure();
        if (tries == kSwapTries || (failure != Failure::InUse && failure != Failure::InUseOrNoPermission)) {
            // Whatever came into Data since its listing, not the swap, is what is left;
            // a Data still there that shows nothing did not answer.
            ledger_.Recount(data);
            if (ledger_.Complete() && failure == Failure::Taken) ledger_.Stop();
            else if (ledger_.Complete()) ledger_.Add(Cause::SwapFailed, data);
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
    const std::optional<std::vector<Entry>> staged = Whole(fs_, folders_.staging);
    for (const Entry& entry : EntriesOf(staged)) {
        const std::string path = Join(folders_.staging, entry.name);
        if (ledger_.Stopped()) break;
        if (!IsStray(entry)) area_.JoinBucket(path, Join(folders_.data, entry.name));
        else if (!straysNamed_) ledger_.Add(Cause::InStaging, path);
    }
    // A tdata that could not be listed is merged only where it is empty.
    if (!fs_.RemoveEmptyFolder(folders_.staging) && !staged) ledger_.Add(Cause::DiskError, folders_.staging);
    ledger_.StopIfUnanswered();
    return ledger_.Complete() ? Ending::Done : Incomplete();
}

// What the pass wrote is on the disk before it says so: a stick pulled out at the
// closing message keeps the conversion.
void Pass::Flush() {
    if (!wrote_) return;
    std::vector<std::string> folders{Parent(folders_.staging), folders_.staging, folders_.data};
    for (std::string& bucket : area_.Buckets()) folders.push_back(std::move(bucket));
    fs_.FlushFolders(folders);
}

}  // namespace

void ConvertArchive(const std::string& workFolder, MessageBoxPort& box, platform::FileSystemPort& fileSystem) {
    // Without a current folder any path would land at a root, in some other archive.
    if (workFolder.empty()) throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory));
    Pass pass(workFolder, fileSystem);
    const Ending ending = pass.Run();
    pass.Flush();
    SA_CHECK((ending == Ending::Incomplete) != pass.Outcome().Complete(), "a warning says what is left, and only it");
    const ConversionMessage message = ClosingMessage(ending, pass.Outcome());
    box.Show(message.text, message.caption, message.flags);
}
