#include "DataLinks.h"

#include <algorithm>

#include "ArchiveListing.h"
#include "platform/Path.h"
#include "NamingRule.h"
#include "platform/FileSystem.h"

using platform::path::BaseName;
using platform::path::Below;
using platform::path::Join;
using platform::path::Normal;
using platform::path::RootLength;

DataLinks::DataLinks(platform::FileSystemPort& fs, Ledger& ledger, StagingArea& area, const ArchiveFolders& folders)
    : fs_(fs), ledger_(ledger), area_(area), folders_(folders) {}

void DataLinks::StageAll() {
    for (const std::string& name : names_)
        if (!ledger_.Stopped()) Stage(name);
}

// A link moves like a file; one whose target is relative, or lies in Data, is made
// anew so that it leads to the same file from its new place.
void DataLinks::Stage(const std::string& name) {
    const std::string from = Join(folders_.data, name);
    const std::optional<std::string> to = area_.PlaceFor(name, from);
    if (!to) return;
    const std::optional<std::string> text = fs_.LinkText(from);
    if (!text) {
        ledger_.MoveFile(from, *to);
        return;
    }
    const std::optional<std::string> newText = NewLinkText(*text);
    if (!newText) return;  // its song stayed in Data, for a cause already reported: so does the link
    // A link kept as it is that leads nowhere now may lead to a song the pass leaves
    // behind: it waits with them.
    if (*newText == *text && (!ledger_.Complete() || area_.Unreclaimed()) && fs_.LinkTarget(from).empty()) return;
    if (*newText == *text) ledger_.MoveFile(from, *to);
    else if (!ledger_.Relink(from, *to, *newText)) ledger_.Left(from, *to, fs_.LastFailure());
}

// What a link of Data must say one folder deeper, in its bucket, to lead where it leads
// now. tdata and Data lie side by side, so the same text serves in either. A target
// that is one of Data's songs leads to that song's new place, also where an earlier
// pass moved the song and ended before the link; nothing while the song is still in
// Data and the link must wait for it.
std::optional<std::string> DataLinks::NewLinkText(const std::string& text) {
    const std::string& data = folders_.data;
    const bool absolute = RootLength(text) > 0;
    const std::string target = Normal(absolute ? text : Join(data, text));
    std::optional<std::string> inside = Below(target, data);
    std::string named = data;
    if (!inside && absolute) inside = Below(target, named = folders_.dataAsNamed);
    const std::string up(1, platform::path::Separator());
    if (!inside) return absolute ? text : ".." + up + text;
    if (inside->empty() ||
        std::any_of(inside->begin(), inside->end(), [](char c) { return platform::path::IsSeparator(c); }))
        return absolute ? text : ".." + up + ".." + up + std::string(BaseName(data)) + up + *inside;
    const std::string song = Join(data, *inside);
    const std::string place = Join(area_.BucketOf(*inside), NewFileName(*inside));
    if (!fs_.IsLink(song)) {
        if (fs_.Attributes(song) != platform::kInvalidAttributes) return std::nullopt;
        if (!Exists(fs_, Join(folders_.staging, place)) && !Exists(fs_, Join(data, place))) return text;  // nowhere
    }
    return absolute ? Join(named, place) : ".." + up + place;
}
