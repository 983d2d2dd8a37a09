#pragma once
#include <string>
#include <string_view>

#include "FileSystem.h"

// Shared by the per-system implementations of FileSystem.h; not for other users.
// FileSystem.cpp holds what does not depend on the system: the last failure, the
// test hook, the rule of a name too long for its folder and the Relink protocol. Each
// system's unit supplies the few calls below that do.
namespace platform::internal {

// Records how a write operation ended (Failure::None when `done`, else the system's
// own reason for its last call, sorted) and lets the test hook see the attempt;
// returns `done` unchanged.
bool Written(bool done);
// Records `why` as a write operation's failure, and lets the test hook see it.
bool Failed(Failure why);
// Records how a listing ended: Failure::None where it ran to its end.
void ListingEnded(Failure why);
// Failed, for a move whose target `name` goes into `folder` and for which the system
// said `said`: a name longer than that folder holds is the cause, whatever was said.
bool MoveFailed(Failure said, const std::string& folder, std::string_view name);

// Each system's part.
// The reason the system gives for its last failed call, sorted.
Failure SystemFailure();
// What the system says of the longest name `folder` holds; 0 when it says nothing.
std::size_t SystemLongestName(const std::string& folder);
// Makes the symbolic link `link` holding `text`, never replacing a name.
bool MakeLink(const std::string& link, const std::string& text);
// Removes the name of a file or a link.
bool RemoveName(const std::string& path);

}  // namespace platform::internal
