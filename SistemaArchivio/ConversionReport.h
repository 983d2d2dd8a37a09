#pragma once
#include <string>
#include <vector>

// What a conversion pass left undone, by cause, and the one warning that tells the
// user, in Italian, what happened and what to do about each cause. Paths are as the
// user sees them: below the WorkFolder where they lie there ("Data\abc.kar").

// Why a pass moved nothing at all.
enum class Obstacle {
    kNone,
    kStagingNotAFolder,  // a file or link named tdata
    kStagingNotMade,     // tdata could not be created (disk full, no permission)
    kOtherDevice,        // Data lies on another file system than its staging folder
    kLinksInData,        // links in Data that a move would break
    kDataLinkBroken,     // Data is a link that leads nowhere
};

struct Duplicate {
    std::string left;     // the copy that stayed where it was
    std::string present;  // the copy already in the archive under that name
};

struct ConversionOutcome {
    Obstacle obstacle = Obstacle::kNone;
    std::vector<std::string> obstacleNames;  // what blocks: tdata, Data, or the links

    std::vector<std::string> inUse;           // in use by another program, or no permission
    std::vector<Duplicate> duplicates;        // name already present in the archive
    std::vector<std::string> foreignFolders;  // subfolders that are no bucket
    std::vector<std::string> tooLong;         // names the new layout cannot hold
    std::vector<std::string> otherDevice;     // entries on another file system
    std::vector<std::string> failed;          // any other failure of the disk
    bool swapFailed = false;                  // all staged, but Data could not be replaced

    bool Complete() const;
};

std::string ConversionReportText(const ConversionOutcome& outcome);
