#include "SistemaArchivio/ConversionPass.h"

#include <algorithm>
#include <system_error>
#include <unordered_set>
#include <vector>

#include "SistemaArchivio/ConversionReport.h"
#include "SistemaArchivio/WorkFolder.h"
#include "platform/Utf8.h"

namespace {

#ifdef _WIN32
// Names listed on Windows carry an unpaired UTF-16 unit as its own three-byte sequence.
constexpr bool kSurrogatesAreCharacters = true;
#else
constexpr bool kSurrogatesAreCharacters = false;
#endif

constexpr char kArchiveFolder[] = "Data";
constexpr char kStagingFolder[] = "tdata";
// The longest name a folder holds: bytes on Linux, UTF-16 units on Windows.
constexpr std::size_t kLongestName = 255;

bool IsSeparator(char c) {
    return c == platform::kSeparator || c == '/';
}

std::string Join(const std::string& folder, std::string_view name) {
    std::string path = folder;
    // A WorkFolder at a root ("/", "D:\") already ends with its separator.
    if (path.empty() || !IsSeparator(path.back())) path += platform::kSeparator;
    path.append(name);
    return path;
}

// The folder that holds `path`; a root ("/", "C:\") is its own.
std::string Parent(const std::string& path) {
    const std::size_t root = path.size() > 2 && path[1] == ':' ? 3 : 1;
    std::size_t end = path.size();
    while (end > root && IsSeparator(path[end - 1])) --end;
    while (end > root && !IsSeparator(path[end - 1])) --end;
    while (end > root && IsSeparator(path[end - 1])) --end;
    return path.substr(0, std::min(end, path.size()));
}

std::string_view BaseName(std::string_view path) {
    const std::size_t slash = path.find_last_of(platform::kSeparator == '/' ? "/" : "\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::size_t NameLength(std::string_view name) {
#ifdef _WIN32
    return platform::Utf8ToUtf16(name).size();
#else
    return name.size();
#endif
}

bool IsFolder(std::uint32_t attributes) {
    return attributes != platform::kInvalidAttributes && (attributes & platform::kAttributeDirectory);
}

enum class Ending { kDone, kMissing, kIncomplete };

// One pass: every song file of Data into its bucket in tdata, then tdata in Data's
// place (or, where Data already holds buckets or is reached through a link, each
// staged bucket into Data's own).
class Pass {
public:
    Pass(const std::string& workFolder, platform::FileSystemPort& fs)
        : fs_(fs), workFolder_(workFolder), data_(Join(workFolder, kArchiveFolder)),
          staging_(Join(workFolder, kStagingFolder)) {}

    Ending Run();
    const ConversionOutcome& Outcome() const { return outcome_; }

private:
    Ending Refuse(Obstacle obstacle, std::vector<std::string> names);
    void StageFile(const platform::Entry& entry);
    bool MoveFile(const std::string& from, const std::string& to);
    Ending Swap();
    Ending Merge();
    void MergeBucket(const std::string& staged, const std::string& bucket);
    bool HasEntries(const std::string& folder);
    std::string Shown(const std::string& path) const;

    platform::FileSystemPort& fs_;
    const std::string workFolder_;
    std::string data_;
    std::string staging_;
    bool linked_ = false;  // Data is a link, and data_ the folder it leads to
    bool madeStaging_ = false;
    bool wholeFolders_ = false;  // a folder can be renamed with its content
    std::unordered_set<std::string> buckets_;  // made in tdata by this pass
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
    if (stagingUsable) madeStaging_ = fs_.MakeFolder(staging_);  // an existing staging folder is reused

    // A moved link whose target is relative would lead elsewhere, or nowhere; a link
    // that already leads nowhere moves like a file.
    const std::optional<std::vector<std::string>> links = fs_.LiveLinks(data_);
    if (!links) {
        // No Data but files in tdata: an earlier pass ended between removing Data and
        // renaming tdata. Finishing its swap is all that is left to do.
        if (!stagingUsable || linked_ || !HasEntries(staging_)) return Ending::kMissing;
        if (fs_.TrustsFolderRenames(staging_)) return Swap();
        fs_.MakeFolder(data_);
        return Merge();
    }
    if (!stagingUsable) return Refuse(Obstacle::kStagingNotAFolder, {Shown(staging_)});
    if (!IsFolder(fs_.Attributes(staging_))) return Refuse(Obstacle::kStagingNotMade, {Shown(staging_)});
    if (!fs_.SameDevice(data_, staging_)) return Refuse(Obstacle::kOtherDevice, {Shown(staging_)});
    if (!links->empty()) {
        std::vector<std::string> shown;
        for (const std::string& name : *links) shown.push_back(Shown(Join(data_, name)));
        return Refuse(Obstacle::kLinksInData, std::move(shown));
    }

    bool bucketsInData = false;
    fs_.ForEachEntry(data_, [&](const platform::Entry& entry) {
        if (!IsFolder(entry.attributes)) {
            StageFile(entry);
        } else if (IsBucketName(entry.name)) {
            bucketsInData = true;  // converted earlier: the staged songs join these
        } else {
            // A folder is never moved, whatever other bits its attribute word carries.
            outcome_.foreignFolders.push_back(Shown(Join(data_, entry.name)));
        }
    });
    if (!outcome_.Complete()) return Ending::kIncomplete;
    wholeFolders_ = fs_.TrustsFolderRenames(staging_);
    return bucketsInData || linked_ || !wholeFolders_ ? Merge() : Swap();
}

// Nothing moves; a staging folder this pass made goes again.
Ending Pass::Refuse(Obstacle obstacle, std::vector<std::string> names) {
    if (madeStaging_) fs_.RemoveEmptyFolder(staging_);
    outcome_.obstacle = obstacle;
    outcome_.obstacleNames = std::move(names);
    return Ending::kIncomplete;
}

void Pass::StageFile(const platform::Entry& entry) {
    const std::string bucket = BucketName(entry.name);
    const std::string bucketPath = Join(staging_, bucket);
    if (buckets_.insert(bucket).second) fs_.MakeFolder(bucketPath);  // may exist from an earlier pass

    const std::string oldPath = Join(data_, entry.name);
    if (entry.attributes == platform::kInvalidAttributes || (entry.attributes & platform::kAttributeReadOnly))
        fs_.MakeWritable(oldPath);
    MoveFile(oldPath, Join(bucketPath, NewFileName(entry.name)));
}

// Moves one file without replacing anything; what fails is counted by its cause.
bool Pass::MoveFile(const std::string& from, const std::string& to) {
    if (fs_.Move(from, to)) return true;
    const platform::Failure failure = fs_.LastFailure();
    if (failure == platform::Failure::kTaken) {
        // A move killed between linking the new name and unlinking the old one (as
        // earlier versions moved on some drives) left one file under both names:
        // dropping the old name completes it.
        if (fs_.SameFile(from, to) && fs_.RemoveSecondName(from, to)) return true;
        outcome_.duplicates.push_back({Shown(from), Shown(to)});
    } else if (failure == platform::Failure::kNameTooLong ||
               NameLength(BaseName(to)) > kLongestName) {
        // Some file systems refuse a long name with another reason.
        outcome_.tooLong.push_back(Shown(from));
    } else if (failure == platform::Failure::kDenied) {
        outcome_.inUse.push_back(Shown(from));
    } else if (failure == platform::Failure::kOtherDevice) {
        outcome_.otherDevice.push_back(Shown(from));
    } else {
        outcome_.failed.push_back(Shown(from));
    }
    return false;
}

// Data is empty: tdata takes its place.
Ending Pass::Swap() {
    // Windows cannot remove a folder that carries the read-only attribute, which
    // customised folders and folders copied from a CD have.
    const std::uint32_t attributes = fs_.Attributes(data_);
    if (attributes != platform::kInvalidAttributes && (attributes & platform::kAttributeReadOnly))
        fs_.MakeWritable(data_);
    // When Data is already gone (an earlier pass ended here), its name is free.
    fs_.RemoveEmptyFolder(data_);
    if (fs_.Move(staging_, data_)) return Ending::kDone;
    outcome_.swapFailed = true;
    return Ending::kIncomplete;
}

// Data holds buckets already, is reached through a link, or lies where folders are
// not renamed: each staged bucket joins its namesake, or moves in whole where Data has
// none and folders can be renamed. Then the emptied staging folder goes.
Ending Pass::Merge() {
    const std::optional<std::vector<platform::Entry>> staged = fs_.List(staging_);
    for (const platform::Entry& entry : staged ? *staged : std::vector<platform::Entry>{}) {
        const std::string path = Join(staging_, entry.name);
        if (entry.link || !IsFolder(entry.attributes) || !IsBucketName(entry.name))
            outcome_.foreignFolders.push_back(Shown(path));
        else
            MergeBucket(path, Join(data_, entry.name));
    }
    fs_.RemoveEmptyFolder(staging_);
    return outcome_.Complete() ? Ending::kDone : Ending::kIncomplete;
}

void Pass::MergeBucket(const std::string& staged, const std::string& bucket) {
    if (wholeFolders_) {
        if (fs_.Move(staged, bucket)) return;
        if (fs_.LastFailure() != platform::Failure::kTaken) {
            outcome_.failed.push_back(Shown(staged));
            return;
        }
    } else {
        fs_.MakeFolder(bucket);  // may be there already
    }
    const std::optional<std::vector<platform::Entry>> files = fs_.List(staged);
    for (const platform::Entry& file : files ? *files : std::vector<platform::Entry>{}) {
        const std::string path = Join(staged, file.name);
        if (IsFolder(file.attributes))
            outcome_.foreignFolders.push_back(Shown(path));
        else
            MoveFile(path, Join(bucket, file.name));
    }
    fs_.RemoveEmptyFolder(staged);
}

bool Pass::HasEntries(const std::string& folder) {
    const std::optional<std::vector<platform::Entry>> entries = fs_.List(folder);
    return entries && !entries->empty();
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
    bucket.append(name.substr(0, platform::FirstCharacterLength(name, kSurrogatesAreCharacters)));
#ifdef _WIN32
    // The karaoke program finds a file through the ordinary path rules, which drop one
    // trailing dot from every inner path component (Data\0.\0.intro.kar means
    // Data\0\0.intro.kar) and keep trailing blanks there. `\\?\` paths drop nothing,
    // so the bucket is named as those rules read it.
    if (bucket.back() == '.') bucket.pop_back();
#endif
    return bucket;
}

bool IsBucketName(std::string_view name) {
    if (name.empty() || name[0] != '0') return false;
    const std::string_view rest = name.substr(1);
    if (rest.empty()) return BucketName(".") == name;  // Windows' bucket for a leading dot
    return platform::FirstCharacterLength(rest, kSurrogatesAreCharacters) == rest.size() && BucketName(rest) == name;
}

void ConvertArchive(const std::string& workFolder, MessageBoxPort& box, platform::FileSystemPort& fileSystem) {
    // Without a current folder any path would land at a root, in some other archive.
    if (workFolder.empty())
        throw std::system_error(WorkFolderError ? WorkFolderError
                                                : std::make_error_code(std::errc::no_such_file_or_directory));
    Pass pass(workFolder, fileSystem);
    switch (pass.Run()) {
    case Ending::kDone: box.Show(kConversionDone, kConversionCaption, kMessagePlain); break;
    case Ending::kMissing: box.Show(kArchiveMissing, kConversionCaption, kMessagePlain); break;
    case Ending::kIncomplete:
        box.Show(ConversionReportText(pass.Outcome()), kConversionCaption, kMessageIconWarning);
        break;
    }
}
