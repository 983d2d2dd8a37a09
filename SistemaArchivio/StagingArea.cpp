#include "StagingArea.h"

#include "ArchiveListing.h"
#include "platform/Path.h"
#include "NamingRule.h"
#include "platform/FileSystem.h"

using platform::Entry;
using platform::Failure;
using platform::path::Join;
using platform::path::Parent;

StagingArea::StagingArea(platform::FileSystemPort& fs, Ledger& ledger, const ArchiveFolders& folders)
    : fs_(fs), ledger_(ledger), folders_(folders) {}

// Makes a bucket folder once per pass; why it could not be made is the reason given for
// each of its files.
Failure StagingArea::MakeBucket(const std::string& path) {
    const auto [bucket, fresh] = buckets_.try_emplace(path, Failure::None);
    if (fresh) {
        const bool made = fs_.MakeFolder(path);
        if (made) freshBuckets_.insert(path);
        if (!made && fs_.LastFailure() != Failure::Taken) bucket->second = fs_.LastFailure();
        ledger_.Answered(bucket->second != Failure::NoAnswer);
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
const StagingArea::StagedBucket& StagingArea::Staged(const std::string& bucket) {
    const auto [place, fresh] = staged_.try_emplace(bucket, StagedBucket{bucket});
    StagedBucket& staged = place->second;
    if (!fresh) return staged;
    staged.failure =
        folders_.madeUpNames && !WindowsHolds(bucket) ? Failure::BadName : MakeBucket(Join(folders_.staging, bucket));
    if (staged.failure == Failure::BadName && bucket.size() > 1 && bucket.back() == '.') {
        staged.name.pop_back();
        staged.failure = MakeBucket(Join(folders_.staging, staged.name));
    }
    return staged;
}

// A name longer than the drive holds is never tried: one FUSE driver drops the old name
// before it refuses the new one.
std::optional<std::string> StagingArea::PlaceFor(const std::string& name, const std::string& from) {
    const std::string newName = NewFileName(name);
    if (platform::NameLength(newName) > folders_.longestName) {
        ledger_.Add(Cause::TooLong, from);
        return std::nullopt;
    }
    const StagedBucket& bucket = Staged(BucketName(name));
    if (bucket.failure != Failure::None) {
        ledger_.Failed(bucket.failure, from);
        return std::nullopt;
    }
    return Join(Join(folders_.staging, bucket.name), newName);
}

std::string StagingArea::StagedPlace(const std::string& name) {
    return Join(Join(folders_.staging, BucketOf(name)), NewFileName(name));
}

// The bucket a song of this name lies in, in tdata or, once converted, in Data: where
// this pass staged its songs; else where an earlier one did, which, for a bucket ending
// in a dot that the drive cannot hold, is the name as Windows reads it (Staged).
std::string StagingArea::BucketOf(const std::string& name) {
    std::string bucket = BucketName(name);
    const auto place = staged_.find(bucket);
    if (place != staged_.end() && place->second.failure == Failure::None) return place->second.name;
    const bool held = folders_.madeUpNames
                          ? WindowsHolds(bucket)
                          : Exists(fs_, Join(folders_.staging, bucket)) || Exists(fs_, Join(folders_.data, bucket));
    if (bucket.size() > 1 && bucket.back() == '.' && !held) bucket.pop_back();
    return bucket;
}

// Whether the name `to` is free without looking: it lies in a bucket this pass made and
// filled with its own songs alone, and no song put there took it. The names compared
// are the drive's view of them: letters in either case are one on a drive that
// ignores case; a name with anything but plain ASCII, a tilde (a made-up name a share
// resolves) or a trailing dot or blank (dropped by some) is always looked for.
bool StagingArea::KnownFree(const std::string& to) {
    // Where the drive itself refuses to replace, nothing is looked for anyway: no names
    // are kept (a path for each song, whose upkeep slows every move down).
    if (ledger_.RefusesToReplace() || !freshBuckets_.count(Parent(to))) return false;
    std::string folded(to);
    for (char& c : folded) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7E || c == '~') return false;
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (folded.back() == '.' || folded.back() == ' ') return false;
    return stagedNames_.insert(folded).second;
}

void StagingArea::ReclaimStaged() {
    reclaimed_ = true;
    const std::optional<std::vector<Entry>> entries = Whole(fs_, folders_.staging);
    unreclaimed_ = !entries;
    for (const Entry& entry : EntriesOf(entries))
        if (IsFolder(entry.attributes) && !entry.link && platform::IsMadeUpName(entry.name) &&
            !Reclaim(Join(folders_.staging, entry.name)))
            unreclaimed_ = true;
}

// A folder under a made-up name whose files all belong to one bucket is that bucket,
// made by an earlier pass where the drive could not hold its name: its songs go to the
// bucket as this drive holds it, in tdata. An empty one in tdata goes. False for
// anything else, which stays where it is.
bool StagingArea::Reclaim(const std::string& folder) {
    const std::optional<std::vector<Entry>> files = fs_.List(folder);
    if (!files) return false;
    std::string bucket;
    for (const Entry& file : *files) {
        if (IsFolder(file.attributes) || file.name.size() < 2 || file.name[0] != '0') return false;
        const std::string of = BucketName(std::string_view(file.name).substr(1));
        if (!bucket.empty() && of != bucket) return false;
        bucket = of;
    }
    if (bucket.empty()) return Parent(folder) == folders_.staging && fs_.RemoveEmptyFolder(folder);
    const StagedBucket& place = Staged(bucket);
    if (place.failure != Failure::None) {
        for (const Entry& file : *files) ledger_.Failed(place.failure, Join(folder, file.name));
        return true;
    }
    JoinBucket(folder, Join(folders_.staging, place.name));
    return true;
}

// Where folders can be renamed, a bucket moves in whole where there is none of its name;
// else its files move one by one. A folder inside is no song, and stays.
void StagingArea::JoinBucket(const std::string& staged, const std::string& bucket) {
    freshBuckets_.erase(bucket);  // it gets songs the pass did not stage
    if (folders_.wholeFolders) {
        if (ledger_.Move(staged, bucket)) return;
        if (fs_.LastFailure() != Failure::Taken) return ledger_.Failed(fs_.LastFailure(), staged);
    } else if (const Failure failure = MakeBucket(bucket); failure != Failure::None) {
        return ledger_.Failed(failure, staged);
    }
    const std::optional<std::vector<Entry>> files = Whole(fs_, staged);
    if (!files) return ledger_.Failed(Failure::Other, staged);
    for (const Entry& file : *files) {
        const std::string path = Join(staged, file.name);
        if (ledger_.Stopped()) return;
        if (IsFolder(file.attributes))
            ledger_.Add(Parent(staged) == folders_.staging ? Cause::InStaging : Cause::ForeignFolder, path);
        else ledger_.MoveFile(path, Join(bucket, file.name));
    }
    if (!fs_.RemoveEmptyFolder(staged) && fs_.LastFailure() == Failure::Taken)
        SettleSecondNames(staged, [&bucket](const std::string& name) { return Join(bucket, name); });
}

// A folder that should have emptied but did not: where a file is still there under its
// old name beside its new one (under wine a move between two names of one file reports
// success and changes nothing), the old name goes. Then the folder is removed.
void StagingArea::SettleSecondNames(const std::string& folder,
                                    const std::function<std::string(const std::string&)>& placeOf) {
    const std::optional<std::vector<Entry>> entries = fs_.List(folder);
    for (const Entry& entry : EntriesOf(entries)) {
        const std::string path = Join(folder, entry.name), place = placeOf(entry.name);
        if (!IsFolder(entry.attributes) && fs_.SameFile(path, place)) fs_.RemoveSecondName(path, place);
    }
    fs_.RemoveEmptyFolder(folder);
}

std::vector<std::string> StagingArea::Buckets() const {
    std::vector<std::string> made;
    for (const auto& [path, failure] : buckets_)
        if (failure == Failure::None) made.push_back(path);
    return made;
}
