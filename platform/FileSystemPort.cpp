#include "FileSystemPort.h"

namespace platform {

bool FileSystemPort::ForEachEntry(const std::string& folder, const std::function<bool(const Entry&)>& visit) {
    FolderListing listing;
    if (!listing.Open(folder)) return false;
    std::string name;
    while (listing.Next(name))
        if (name != "." && name != ".." && !visit({name, listing.Attributes(name), listing.IsLink(name)})) break;
    return true;
}

std::optional<std::vector<Entry>> FileSystemPort::List(const std::string& folder) {
    std::vector<Entry> entries;
    const auto gather = [&entries](const Entry& entry) {
        entries.push_back(entry);
        return true;
    };
    if (!ForEachEntry(folder, gather)) return std::nullopt;
    return entries;
}

FileSystemPort& SystemFileSystem() {
    static FileSystemPort system;
    return system;
}

}  // namespace platform
