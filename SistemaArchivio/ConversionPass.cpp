#include "SistemaArchivio/ConversionPass.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "SistemaArchivio/ArchivePaths.h"
#include "SistemaArchivio/ConversionReport.h"

namespace {

using archivepaths::Below;
using archivepaths::BaseName;
using archivepaths::Join;
using archivepaths::Normal;
using archivepaths::Parent;
using archivepaths::RootLength;
using platform::Entry;
using platform::Failure;

constexpr char kArchiveFolder[] = "Data";
constexpr char kStagingFolder[] = "tdata";

bool IsFolder(std::uint32_t attributes) {
    return attributes != platform::kInvalidAttributes && (attributes & platform::kAttributeDirectory);
}

enum class Ending { kDone, kMissing, kIncomplete };

// One pass: every song file of Data into its bucket in tdata, then tdata in Data's
// place (or, where Data already holds buckets or is reached through a link, each
// staged bucket into Data's own). Data's links to files move after its songs, so that
// each can be led to where its target now lies.
class Pass {
public:
    Pass(const std::string& workFolder, platform::FileSystemPort& fs)
        : fs_(fs), workFolder_(workFolder), data_(Join(workFolder, kArchiveFolder)), dataAsNamed_(data_),
          staging_(Join(workFolder, kStagingFolder)) {}

    Ending Run();
    void Flush();
    const ConversionOutcome& Outcome() const { return outcome_; }

private:
    Ending Refuse(Obstacle obstacle, std::vector<std::string> names, Cause cause = Cause::kDiskError);
    Ending Incomplete();
    Failure MakeBucket(const std::string& path);
    bool CanStage(const std::string& name, const std::string& from);
    void StageFile(const std::string& name, std::uint32_t attributes);
    void StageLink(const std::string& name);
    std::optional<std::string> NewLinkText(const std::string& text);
    bool MoveFile(const std::string& from, const std::string& to);
    void Left(const std::string& from, const std::string& to, Failure failure);
    void SettleSecondNames(const std::string& folder, const std::function<std::string(const std::string&)>& placeOf);
    Ending Swap();
    Ending Merge();
    void MergeBucket(const std::string& staged, const std::string& bucket);
    bool Exists(const std::string& path);
    bool HasSongs(const std::string& folder);
    std::string StagedPlace(const std::string& name) const;
    std::string Shown(const std::string& path) const;

    platform::FileSystemPort& fs_;
    const std::string workFolder_;
    std::string data_;
    const std::string dataAsNamed_;  // WorkFolder/Data, also where Data is a link
    std::string staging_;
    bool linked_ = false;  // Data is a link, and data_ the folder it leads to
    bool madeStaging_ = false;
    bool wholeFolders_ = false;  // a folder can be renamed with its content
    bool wrote_ = false;         // the pass got as far as moving
    std::size_t longestName_ = 255;
    std::unordered_map<std::string, Failure> buckets_;  // by path: why it could not be made, or kNone
    std::vector<std::string> links_;  // Data's links to files, moved after the songs
    ConversionOutcome outcome_;
};

Ending Pass::Run() {
    if (fs_.IsLink(data_)) {
        // Converted where the songs really are, beside the real folder, on its file
        // system; the link is never touched and leads to the converted folder after.
        const std::string real = fs_.LinkTarget(data_);
        if (real.empty() || !IsFolder(fs_.Attributes(real))) return Refuse(Obstacle::kDataLinkBroken, {Shown(data_)});
        // A drive's root has nothing beside it on its own drive.
        if (Parent(real).size() >= real.size()) return Refuse(Obstacle::kOtherDevice, {Shown(real)});
        data_ = real;
        staging_ = Join(Parent(real), kStagingFolder);
        linked_ = true;
    }
    // Only a folder made by a pass is ever renamed to Data.
    const std::uint32_t stagingAttributes = fs_.Attributes(staging_);
    const bool stagingUsable = !fs_.IsLink(staging_) &&
                               (stagingAttributes == platform::kInvalidAttributes || IsFolder(stagingAttributes));
    Failure stagingFailure = Failure::kNone;
    if (stagingUsable) {
        madeStaging_ = fs_.MakeFolder(staging_);  // an existing staging folder is reused
        if (!madeStaging_) stagingFailure = fs_.LastFailure();
    }

    if (!IsFolder(fs_.Attributes(data_))) {
        // No Data but files in tdata: an earlier pass ended between removing Data and
        // renaming tdata. Finishing its swap is all that is left to do.
        if (!stagingUsable || linked_ || !HasSongs(staging_)) return Ending::kMissing;
        wrote_ = true;
        if (fs_.TrustsFolderRenames(staging_)) return Swap();
        fs_.MakeFolder(data_);
        return Merge();
    }
    if (!stagingUsable) return Refuse(Obstacle::kStagingNotAFolder, {Shown(staging_)});
    if (!IsFolder(fs_.Attributes(staging_)))
        return Refuse(Obstacle::kStagingNotMade, {Shown(staging_)}, CauseOf(stagingFailure));
    if (!fs_.SameDevice(data_, staging_)) return Refuse(Obstacle::kOtherDevice, {Shown(staging_)});
    longestName_ = fs_.LongestName(staging_);
    wrote_ = true;

    bool bucketsInData = false;
    const bool listed = fs_.ForEachEntry(data_, [&](const Entry& entry) {
        if (!IsFolder(entry.attributes)) {
            if (entry.link)
                links_.push_back(entry.name);
            else
                StageFile(entry.name, entry.attributes);
        } else if (!entry.link && IsBucketName(entry.name)) {
            bucketsInData = true;  // converted earlier: the staged songs join these
        } else {
            // A folder, or a link to one, is never moved, whatever other bits its
            // attribute word carries.
            outcome_.Add(Cause::kForeignFolder, Shown(Join(data_, entry.name)));
        }
    });
    if (!listed) return Ending::kMissing;
    for (const std::string& name : links_) StageLink(name);
    if (!outcome_.Complete()) return Incomplete();
    wholeFolders_ = fs_.TrustsFolderRenames(staging_);
    return bucketsInData || linked_ || !wholeFolders_ ? Merge() : Swap();
}

// Nothing moves; a staging folder this pass made goes again.
Ending Pass::Refuse(Obstacle obstacle, std::vector<std::string> names, Cause cause) {
    if (madeStaging_) fs_.RemoveEmptyFolder(staging_);
    outcome_.obstacle = obstacle;
    outcome_.obstacleCause = cause;
    outcome_.obstacleNames = std::move(names);
    return Ending::kIncomplete;
}

Ending Pass::Incomplete() {
    outcome_.songsWaiting = HasSongs(staging_);
    return Ending::kIncomplete;
}

// What the pass wrote is on the disk before it says so: a stick pulled out at the
// closing message keeps the conversion.
void Pass::Flush() {
    if (!wrote_) return;
    std::vector<std::string> folders{Parent(staging_), staging_, data_};
    for (const auto& [path, failure] : buckets_)
        if (failure == Failure::kNone) folders.push_back(path);
    fs_.FlushFolders(folders);
}

// Makes a bucket folder once per pass; why it could not be made is the reason given for
// each of its files.
Failure Pass::MakeBucket(const std::string& path) {
    const auto [bucket, fresh] = buckets_.try_emplace(path, Failure::kNone);
    if (fresh && !fs_.MakeFolder(path) && fs_.LastFailure() != Failure::kTaken) bucket->second = fs_.LastFailure();
    return bucket->second;
}

// Whether the entry `name` of Data, at `from`, can be moved to its bucket: its new name
// fits the drive, and the bucket is there. A name longer than the drive holds is never
// tried: one FUSE driver drops the old name before it refuses the new one.
bool Pass::CanStage(const std::string& name, const std::string& from) {
    if (platform::NameLength(NewFileName(name)) > longestName_) {
        outcome_.Add(Cause::kTooLong, Shown(from));
        return false;
    }
    const Failure failure = MakeBucket(Join(staging_, BucketName(name)));
    if (failure != Failure::kNone) outcome_.Add(CauseOf(failure), Shown(from));
    return failure == Failure::kNone;
}

std::string Pass::StagedPlace(const std::string& name) const {
    return Join(Join(staging_, BucketName(name)), NewFileName(name));
}

void Pass::StageFile(const std::string& name, std::uint32_t attributes) {
    const std::string oldPath = Join(data_, name);
    if (!CanStage(name, oldPath)) return;
    if (attributes == platform::kInvalidAttributes || (attributes & platform::kAttributeReadOnly))
        fs_.MakeWritable(oldPath);
    MoveFile(oldPath, StagedPlace(name));
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
    if (*newText == *text)
        MoveFile(from, to);
    else if (!fs_.Relink(from, to, *newText))
        Left(from, to, fs_.LastFailure());
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
    const std::string place = Join(BucketName(*inside), NewFileName(*inside));
    if (!fs_.IsLink(song)) {
        if (fs_.Attributes(song) != platform::kInvalidAttributes) return std::nullopt;
        if (!Exists(Join(staging_, place)) && !Exists(Join(data_, place))) return text;  // it leads nowhere
    }
    return absolute ? Join(named, place) : ".." + up + place;
}

// Moves one file without replacing anything; what fails is kept by its cause.
bool Pass::MoveFile(const std::string& from, const std::string& to) {
    if (fs_.Move(from, to)) return true;
    Left(from, to, fs_.LastFailure());
    return false;
}

void Pass::Left(const std::string& from, const std::string& to, Failure failure) {
    if (failure != Failure::kTaken) return outcome_.Add(CauseOf(failure), Shown(from));
    // A move killed between linking the new name and unlinking the old one (as earlier
    // versions moved on some drives) left one file under both names: dropping the old
    // name completes it.
    if (fs_.SameFile(from, to) && fs_.RemoveSecondName(from, to)) return;
    outcome_.Add(Cause::kTaken, Shown(from), Shown(to));
}

// A folder that should have emptied but did not: where a file is still there under its
// old name beside its new one (under wine a move between two names of one file reports
// success and changes nothing), the old name goes. Then the folder is removed.
void Pass::SettleSecondNames(const std::string& folder,
                             const std::function<std::string(const std::string&)>& placeOf) {
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
    if (!fs_.RemoveEmptyFolder(data_) && fs_.LastFailure() == Failure::kTaken)
        SettleSecondNames(data_, [this](const std::string& name) { return StagedPlace(name); });
    if (fs_.Move(staging_, data_)) return Ending::kDone;
    outcome_.Add(Cause::kSwapFailed, Shown(data_));
    return Incomplete();
}

// Data holds buckets already, is reached through a link, or lies where folders are
// not renamed: each staged bucket joins its namesake, or moves in whole where Data has
// none and folders can be renamed. Then the emptied staging folder goes.
Ending Pass::Merge() {
    const std::optional<std::vector<Entry>> staged = fs_.List(staging_);
    for (const Entry& entry : staged ? *staged : std::vector<Entry>{}) {
        const std::string path = Join(staging_, entry.name);
        if (entry.link || !IsFolder(entry.attributes) || !IsBucketName(entry.name))
            outcome_.Add(Cause::kForeignFolder, Shown(path));
        else
            MergeBucket(path, Join(data_, entry.name));
    }
    fs_.RemoveEmptyFolder(staging_);
    return outcome_.Complete() ? Ending::kDone : Incomplete();
}

void Pass::MergeBucket(const std::string& staged, const std::string& bucket) {
    if (wholeFolders_) {
        if (fs_.Move(staged, bucket)) return;
        if (fs_.LastFailure() != Failure::kTaken) return outcome_.Add(CauseOf(fs_.LastFailure()), Shown(staged));
    } else if (const Failure failure = MakeBucket(bucket); failure != Failure::kNone) {
        return outcome_.Add(CauseOf(failure), Shown(staged));
    }
    const std::optional<std::vector<Entry>> files = fs_.List(staged);
    for (const Entry& file : files ? *files : std::vector<Entry>{}) {
        const std::string path = Join(staged, file.name);
        if (IsFolder(file.attributes))
            outcome_.Add(Cause::kForeignFolder, Shown(path));
        else
            MoveFile(path, Join(bucket, file.name));
    }
    if (!fs_.RemoveEmptyFolder(staged) && fs_.LastFailure() == Failure::kTaken)
        SettleSecondNames(staged, [&bucket](const std::string& name) { return Join(bucket, name); });
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

// Below the WorkFolder a path is shown from there, as the user knows it.
std::string Pass::Shown(const std::string& path) const {
    const std::string prefix = Join(workFolder_, "");
    return path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path;
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
    if (rest.empty()) return BucketName(".") == name;  // Windows' bucket for a leading dot
    return platform::FirstCharacterLength(rest) == rest.size() && BucketName(rest) == name;
}

void ConvertArchive(const std::string& workFolder, MessageBoxPort& box, platform::FileSystemPort& fileSystem) {
    // Without a current folder any path would land at a root, in some other archive.
    if (workFolder.empty()) throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory));
    Pass pass(workFolder, fileSystem);
    const Ending ending = pass.Run();
    pass.Flush();
    switch (ending) {
    case Ending::kDone: box.Show(kConversionDone, kConversionCaption, kMessagePlain); break;
    case Ending::kMissing: box.Show(kArchiveMissing, kConversionCaption, kMessagePlain); break;
    case Ending::kIncomplete:
        box.Show(ConversionReportText(pass.Outcome()), kConversionCaption, kMessageIconWarning);
        break;
    }
}
