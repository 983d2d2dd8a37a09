#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "Ledger.h"
#include "platform/FileSystemPort.h"

// No file system in use holds a longer name (Windows: in UTF-16 units), whatever a
// drive reports.
inline constexpr std::size_t kLongestAnyName = 255;

// The folders of one pass and what their drive can do, as the pass finds them.
struct ArchiveFolders {
    std::string data;
    std::string dataAsNamed;  // WorkFolder/Data, also where Data is a link
    std::string staging;
    bool linked = false;                        // Data is a link, and `data` the folder it leads to
    bool madeUpNames = false;                   // the drive shows some names under names it made up
    bool wholeFolders = false;                  // a folder can be renamed with its content
    std::size_t longestName = kLongestAnyName;  // in platform::NameLength's units
};

// The staging area tdata: its buckets, made once per pass, the names that serve for
// buckets a drive cannot hold, the names this pass took in them, and the songs an
// earlier pass left under buckets the drive lists under made-up names.
class StagingArea {
public:
    StagingArea(platform::FileSystemPort& fs, Ledger& ledger, const ArchiveFolders& folders);

    // Where the song `name` of Data, at `from`, goes in tdata; nothing where its new
    // name does not fit the drive or its bucket could not be made, written down.
    std::optional<std::string> PlaceFor(const std::string& name, const std::string& from);
    // Where a song of this name lies once staged, by this pass or an earlier one.
    std::string StagedPlace(const std::string& name);
    std::string BucketOf(const std::string& name);
    bool KnownFree(const std::string& to);

    void ReclaimStaged();
    bool Reclaim(const std::string& folder);
    bool Reclaimed() const { return reclaimed_; }
    bool Unreclaimed() const { return unreclaimed_; }

    // A bucket of songs joins its namesake `bucket`, or moves in whole.
    void JoinBucket(const std::string& staged, const std::string& bucket);
    void SettleSecondNames(const std::string& folder, const std::function<std::string(const std::string&)>& placeOf);
    // The bucket folders this pass made or found.
    std::vector<std::string> Buckets() const;

private:
    // Where the songs of one bucket go in tdata: the bucket's own name, or the name
    // that serves for it on this drive; or why there is none.
    struct StagedBucket {
        std::string name;
        platform::Failure failure = platform::Failure::None;
    };

    platform::Failure MakeBucket(const std::string& path);
    const StagedBucket& Staged(const std::string& bucket);

    platform::FileSystemPort& fs_;
    Ledger& ledger_;
    const ArchiveFolders& folders_;
    bool reclaimed_ = false;    // songs under made-up buckets in tdata were sent to theirs
    bool unreclaimed_ = false;  // and some may be left there
    std::unordered_map<std::string, platform::Failure> buckets_;  // by path: why it could not be made, or None
    std::set<std::string> freshBuckets_;                          // made by this pass, holding only songs it staged
    std::set<std::string> stagedNames_;                     // in those, the names taken, as KnownFree compares them
    std::unordered_map<std::string, StagedBucket> staged_;  // by bucket name
};
