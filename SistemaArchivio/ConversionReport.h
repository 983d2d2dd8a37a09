#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Causes.h"

// Everything the conversion tells the user, in Italian: the closing message of a pass
// (what stayed behind, by cause, and what to do, or one of the two endings) and the
// refusal to start without a current folder. The pass gives real paths; the report shows
// those below the WorkFolder from there ("Data\abc.kar"), cut to fit a line.
//
// A cause is one row of the texts table (CauseTexts.cpp): adding one means a
// value in Causes.h and a row there.

// Kept exactly as users know them, the trailing space included.
inline constexpr char kConversionCaption[] = "Lyrimat to Vocarium";
inline constexpr char kConversionDone[] = "Ho Finito!";
inline constexpr char kArchiveMissing[] = "Non ho trovato il vecchio Archivio in formato Lyrimat ";

// Shown by the standard error display when no current folder could be captured.
extern const char kWorkFolderUnreadable[];

struct LeftBehind {
    std::string path;     // where it stayed
    std::string present;  // Cause::Taken: the copy already in the archive under that name
};

struct ConversionOutcome {
    std::string workFolder;  // the paths below it are shown from there
    Obstacle obstacle = Obstacle::None;
    Cause obstacleCause = Cause::DiskError;  // why tdata could not be created
    std::vector<std::string> obstacleNames;  // what blocks: tdata or Data

    std::array<std::vector<LeftBehind>, kCauses> left;  // by cause
    bool songsWaiting = false;                          // tdata holds songs after the pass

    void Add(Cause cause, std::string path, std::string present = {});
    const std::vector<LeftBehind>& Left(Cause cause) const { return left[static_cast<std::size_t>(cause)]; }
    bool Complete() const;
};

// How a pass ended.
enum class Ending {
    Done,        // the archive is in the new layout
    Missing,     // there is no Data folder and nothing waits in tdata
    Incomplete,  // something stayed behind, or nothing could move
};

// A message box as the conversion shows it: flags with Windows' values.
struct ConversionMessage {
    std::string text;
    std::string caption;
    std::uint32_t flags;
};

// "Ho Finito!" and kArchiveMissing plain; an incomplete pass's report with the warning icon.
ConversionMessage ClosingMessage(Ending ending, const ConversionOutcome& outcome);
std::string ConversionReportText(const ConversionOutcome& outcome);
