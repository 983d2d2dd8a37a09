#pragma once
#include <cstddef>

// Why the conversion left an entry where it was, and why a pass moved nothing at all:
// the pass decides them, the report tells them. Both read them from here alone.

namespace platform {
enum class Failure;
}  // namespace platform

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

// The cause under which a failure of the system is reported: DiskError for any the
// others do not explain.
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
