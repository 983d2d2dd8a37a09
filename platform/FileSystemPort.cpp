#include "platform/FileSystemPort.h"

namespace platform {

bool FileSystemPort::ForEachEntry(const std::string& folder, const std::function<void(const Entry&)>& visit) {
    FolderListing listing;
    if (!listing.Open(folder)) return false;
    std::string name;
    while (listing.Next(name))
        if (name != "." && name != "..") visit({name, listing.Attributes(name), listing.IsLink(name)});
    return true;
}

std::optional<std::vector<Entry>> FileSystemPort::List(const std::string& folder) {
    std::vector<Entry> entries;
    if (!ForEachEntry(folder, [&entries](const Entry& entry) { entries.push_back(entry); })) return std::nullopt;
    return entries;
}

FileSystemPort& SystemFileSystem() {
    static FileSystemPort system;
    return system;
}

}  // namespace platform
