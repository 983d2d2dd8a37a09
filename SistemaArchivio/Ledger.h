#pragma once
#include <optional>
#include <string>
#include <vector>

#include "ConversionReport.h"
#include "platform/FileSystemPort.h"

// The ledger of a pass: what stayed where it was and why, counted from what is there at
// the end, and whether the drive still answers. Every move of the pass goes through it,
// so that the drive is asked once per pass whether it refuses to replace, a move that
// fails is written down by its cause, and a drive that stops answering is noticed.
class Ledger {
public:
    Ledger(platform::FileSystemPort& fs, const std::string& workFolder);

    void Add(Cause cause, std::string path, std::string present = {});
    // An entry left for a failure of the system.
    void Failed(platform::Failure failure, const std::string& path);
    void Refused(Obstacle obstacle, std::vector<std::string> names, Cause cause);
    void Answered(bool answered);
    // The drive stopped answering, and the pass stops moving.
    void Stop();
    // Moves the drive did not answer, with no answer since: it stopped.
    void StopIfUnanswered();
    bool Stopped() const { return stopped_; }
    bool Complete() const { return outcome_.Complete(); }
    bool Recount(const std::string& data);
    void SongsWaiting(bool waiting) { outcome_.songsWaiting = waiting; }
    const ConversionOutcome& Outcome() const { return outcome_; }
    // The drive refuses to replace a name by itself, so nothing need be looked for first.
    bool RefusesToReplace() const { return renames_ == platform::Renames::NoReplace; }

    // A name known to be free is not looked for where the drive would have to look first.
    bool Move(const std::string& from, const std::string& to, bool knownFree = false);
    bool Relink(const std::string& from, const std::string& to, const std::string& text);
    // Moves one file without replacing anything; what fails is written down by its cause.
    bool MoveFile(const std::string& from, const std::string& to, bool knownFree = false);
    void Left(const std::string& from, const std::string& to, platform::Failure failure);

private:
    platform::FileSystemPort& fs_;
    ConversionOutcome outcome_;
    bool stopped_ = false;
    int unanswered_ = 0;                                      // failures in a row that were the drive not answering
    std::vector<std::string> unansweredNames_;                // their names, disk errors if the drive answers again
    platform::Renames renames_ = platform::Renames::Unknown;  // learned at the first move
};
