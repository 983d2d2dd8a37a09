#include "SistemaArchivio/ConversionPass.h"

#include <system_error>
#include <unordered_set>

#include "SistemaArchivio/WorkFolder.h"
#include "platform/FileSystem.h"
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

std::string Join(const std::string& folder, std::string_view name) {
    std::string path = folder;
    // A WorkFolder at a root ("/", "D:\") already ends with its separator.
    if (path.empty() || (path.back() != platform::kSeparator && path.back() != '/')) path += platform::kSeparator;
    path.append(name);
    return path;
}

bool IsDotEntry(const std::string& name) {
    return name == "." || name == "..";
}

bool IsFolder(std::uint32_t attributes) {
    return attributes != platform::kInvalidAttributes && (attributes & platform::kAttributeDirectory);
}

bool HasEntries(const std::string& folder) {
    platform::FolderListing listing;
    if (!listing.Open(folder)) return false;
    std::string name;
    while (listing.Next(name))
        if (!IsDotEntry(name)) return true;
    return false;
}

struct Leftovers {
    bool listed = false;     // Data could be listed
    std::size_t entries = 0;  // everything in Data
    bool files = false;       // something in Data the pass would move
};

Leftovers Survey(const std::string& data) {
    Leftovers left;
    platform::FolderListing listing;
    if (!listing.Open(data)) return left;
    left.listed = true;
    std::string name;
    while (listing.Next(name)) {
        if (IsDotEntry(name)) continue;
        ++left.entries;
        if (!IsFolder(listing.Attributes(name))) left.files = true;
    }
    return left;
}

// After the swap was tried: the archive is complete when Data took tdata's place, or
// when Data holds folders only and nothing waits in tdata (a pass over an archive that
// was already converted). An empty staging folder of the latter kind is removed again,
// so that no pass leaves one behind over a finished archive.
void Report(bool swapped, const std::string& data, const std::string& staging, MessageBoxPort& box) {
    if (!swapped) {
        const Leftovers left = Survey(data);
        if (!left.listed || left.files || HasEntries(staging)) {
            box.Show(IncompleteConversionText(left.entries), kConversionCaption, kMessageIconWarning);
            return;
        }
        platform::RemoveEmptyFolder(staging);
    }
    box.Show(kConversionDone, kConversionCaption, kMessagePlain);
}

}  // namespace

std::string IncompleteConversionText(std::size_t left) {
    const std::string count = std::to_string(left);
    const bool one = left == 1;
    return "La conversione non \xC3\xA8 completa: " + count + (one ? " elemento \xC3\xA8 rimasto" : " elementi sono rimasti") +
           " nella cartella Data.\n" + (one ? "Chiudi i programmi che lo usano" : "Chiudi i programmi che li usano") +
           ", oppure sposta altrove le sottocartelle, e premi di nuovo \"Coverti Archivio\" per completarla.";
}

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

void ConvertArchive(const std::string& workFolder, MessageBoxPort& box) {
    // Without a current folder any path would land at a root, in some other archive.
    if (workFolder.empty())
        throw std::system_error(WorkFolderError ? WorkFolderError
                                                : std::make_error_code(std::errc::no_such_file_or_directory));

    const std::string data = Join(workFolder, kArchiveFolder);
    const std::string staging = Join(workFolder, kStagingFolder);

    platform::MakeFolder(staging);  // an existing staging folder is reused

    platform::FolderListing listing;
    if (!listing.Open(data)) {
        // No Data but files in tdata: an earlier pass ended between removing Data and
        // renaming tdata. Finishing its swap is all that is left to do.
        if (HasEntries(staging)) {
            Report(platform::Move(staging, data), data, staging, box);
            return;
        }
        box.Show(kArchiveMissing, kConversionCaption, kMessagePlain);
        return;
    }

    // Buckets made by this pass; one that failed to be made fails the moves into it.
    std::unordered_set<std::string> buckets;
    std::string name;
    while (listing.Next(name)) {
        if (IsDotEntry(name)) continue;
        const std::string oldPath = Join(data, name);
        // A folder is never moved, whatever other bits its attribute word carries. An
        // entry whose attributes cannot be read is tried as a file.
        const std::uint32_t attributes = listing.Attributes(name);
        if (IsFolder(attributes)) continue;

        const std::string bucket = BucketName(name);
        const std::string bucketPath = Join(staging, bucket);
        if (buckets.insert(bucket).second) platform::MakeFolder(bucketPath);  // may exist from an earlier pass

        if (attributes == platform::kInvalidAttributes || (attributes & platform::kAttributeReadOnly))
            platform::MakeWritable(oldPath);
        platform::Move(oldPath, Join(bucketPath, NewFileName(name)));  // a failure leaves the file in Data
    }
    listing.Close();

    platform::RemoveEmptyFolder(data);  // succeeds only when every entry left Data
    Report(platform::Move(staging, data), data, staging, box);
}
