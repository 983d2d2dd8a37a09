#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

// What a conversion pass left undone, by cause, and the one warning that tells the
// user, in Italian, what happened and what to do: a block per cause, then once how to
// go on. Paths are as the
// user sees them: below the WorkFolder where they lie there ("Data\abc.kar").
//
// A cause is one row of the report's table (ConversionReport.cpp): adding one means a
// value here and a row there, and, for a failure of the system, its errors sorted into
// a platform::Failure.

// Why an entry stayed where it was. The report names the causes in this order.
enum class Cause {
    NoAnswer,             // the drive stopped answering and the pass stopped moving (no names)
    NotReached,           // still in Data, as the pass stopped before it
    InUse,                // another program holds it open
    NoPermission,         // the user may not move it
    InUseOrNoPermission,  // either of the two; Windows does not tell them apart
    ReadOnlyDrive,        // the drive is read-only or write-protected
    DiskFull,             // no space left on the drive
    Taken,                // its name is already in the archive
    ForeignFolder,        // a subfolder of Data that is no bucket
    InStaging,            // anything in tdata that is no bucket, or in a bucket of tdata no song
    BadName,              // the drive cannot hold a character of its new name
    MadeUpName,           // the drive shows it under a name it made up
    TooLong,              // its new name is longer than the drive holds
    OtherDevice,          // it lies on another drive than tdata
    DiskError,            // any failure the causes above do not explain
    SwapFailed,           // every song is in tdata, but tdata could not take Data's place
    Count,
};
inline constexpr std::size_t kCauses = static_cast<std::size_t>(Cause::Count);

// The cause under which a failure of the system is reported.
Cause CauseOf(platform::Failure failure);

// Why a pass moved nothing at all.
enum class Obstacle {
    None,
    StagingNotAFolder,  // a file or link named tdata
    StagingNotMade,     // tdata could not be created, for ConversionOutcome::obstacleCause
    OtherDevice,        // Data lies on another file system than its staging folder
    DataIsDrive,        // Data is a link to a whole drive, which has nothing beside it
    DataLinkBroken,     // Data is a link that leads nowhere
    DataUnreadable,     // Data is there but cannot be listed
};

struct LeftBehind {
    std::string path;     // where it stayed
    std::string present;  // Cause::Taken: the copy already in the archive under that name
};

struct ConversionOutcome {
    Obstacle obstacle = Obstacle::None;
    Cause obstacleCause = Cause::DiskError;  // why tdata could not be created
    std::vector<std::string> obstacleNames;  // what blocks: tdata or Data

    std::array<std::vector<LeftBehind>, kCauses> left;  // by cause
    bool songsWaiting = false;                          // tdata holds songs after the pass

    void Add(Cause cause, std::string path, std::string present = {});
    const std::vector<LeftBehind>& Left(Cause cause) const { return left[static_cast<std::size_t>(cause)]; }
    bool Complete() const;
};

std::string ConversionReportText(const ConversionOutcome& outcome);
