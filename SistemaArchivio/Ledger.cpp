#include "Ledger.h"

#include <algorithm>
#include <set>

#include "ArchiveListing.h"
#include "platform/Path.h"
#include "base/Check.h"

using platform::Entry;
using platform::Failure;

namespace {

// Failures in a row, each of them the drive not answering, after which the pass stops
// moving: a share whose server went away fails every operation, and a drive that
// recovers after a moment has had its chance.
constexpr int kUnansweredInARow = 8;

}  // namespace

Ledger::Ledger(platform::FileSystemPort& fs, const std::string& workFolder) : fs_(fs) {
    outcome_.workFolder = workFolder;
}

void Ledger::Add(Cause cause, std::string path, std::string present) {
    SA_CHECK(cause != Cause::Count, "a cause of its own");
    SA_CHECK(path.empty() == (cause == Cause::NoAnswer), "a name for every cause but the silent drive's");
    SA_CHECK(present.empty() || cause == Cause::Taken, "a present copy for a name taken alone");
    outcome_.Add(cause, std::move(path), std::move(present));
}

// Not answering is a disk error only when the drive answers again; otherwise the pass
// stops, and counts at the end.
void Ledger::Failed(Failure failure, const std::string& path) {
    if (failure == Failure::NoAnswer) {
        if (!stopped_) unansweredNames_.push_back(path);
    } else Add(CauseOf(failure), path);
}

void Ledger::Refused(Obstacle obstacle, std::vector<std::string> names, Cause cause) {
    SA_CHECK(obstacle != Obstacle::None, "a refusal has its obstacle");
    outcome_.obstacle = obstacle;
    outcome_.obstacleCause = cause;
    outcome_.obstacleNames = std::move(names);
}

void Ledger::Answered(bool answered) {
    if (answered) {
        unanswered_ = 0;
        for (const std::string& name : unansweredNames_) Add(Cause::DiskError, name);
        unansweredNames_.clear();
    } else if (++unanswered_ >= kUnansweredInARow) {
        Stop();
    }
}

void Ledger::Stop() {
    if (stopped_) return;
    stopped_ = true;
    unansweredNames_.clear();  // counted again from what is there
    outcome_.Add(Cause::NoAnswer, {});
}

void Ledger::StopIfUnanswered() {
    if (!unansweredNames_.empty()) Stop();
}

// Every number the report gives is counted from what is there: a name reported left
// that is gone since (where Data could be listed), or whose copy is, is dropped, and a
// song still in Data that no cause names (the pass stopped before it, or its listing
// ended early) is named as not moved yet. A link whose song waits for a cause already
// named waits with it. False when Data could not be listed.
bool Ledger::Recount(const std::string& data) {
    const std::optional<std::vector<Entry>> entries = Whole(fs_, data);
    std::set<std::string> inData, named;  // a made-up name may list yet not resolve
    for (const Entry& entry : EntriesOf(entries)) inData.insert(platform::path::Join(data, entry.name));
    const auto there = [&](const std::string& path) { return Exists(fs_, path); };
    const auto gone = [&](const LeftBehind& l) {
        return (entries && !inData.count(l.path) && !there(l.path)) || (!l.present.empty() && !there(l.present));
    };
    for (std::size_t cause = 0; cause < kCauses; ++cause) {
        std::vector<LeftBehind>& left = outcome_.left[cause];
        if (cause != static_cast<std::size_t>(Cause::NoAnswer))
            left.erase(std::remove_if(left.begin(), left.end(), gone), left.end());
        for (const LeftBehind& l : left) named.insert(l.path);
    }
    for (const Entry& entry : EntriesOf(entries)) {
        const std::string path = platform::path::Join(data, entry.name);
        if (!IsFolder(entry.attributes) && (!entry.link || stopped_) && !named.count(path))
            Add(Cause::NotReached, path);
    }
    return entries.has_value();
}

bool Ledger::Move(const std::string& from, const std::string& to, bool knownFree) {
    platform::Renames free = platform::Renames::KnownFree;
    const bool done = fs_.Move(from, to, knownFree && renames_ == platform::Renames::CheckFirst ? free : renames_);
    Answered(done || fs_.LastFailure() != Failure::NoAnswer);
    return done;
}

bool Ledger::Relink(const std::string& from, const std::string& to, const std::string& text) {
    const bool done = fs_.Relink(from, to, text);
    Answered(done || fs_.LastFailure() != Failure::NoAnswer);
    return done;
}

bool Ledger::MoveFile(const std::string& from, const std::string& to, bool knownFree) {
    if (Move(from, to, knownFree)) return true;
    Left(from, to, fs_.LastFailure());
    return false;
}

void Ledger::Left(const std::string& from, const std::string& to, Failure failure) {
    if (failure != Failure::Taken) return Failed(failure, from);
    // A move killed between linking the new name and unlinking the old one (as earlier
    // versions moved on some drives) left one file under both names: dropping the old
    // name completes it.
    if (fs_.SameFile(from, to) && fs_.RemoveSecondName(from, to)) return;
    Add(Cause::Taken, from, to);
}
