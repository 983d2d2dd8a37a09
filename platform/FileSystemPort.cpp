#include "platform/FileSystemPort.h"

namespace platform {

std::optional<std::vector<Entry>> FileSystemPort::List(const std::string& folder) {
    FolderListing listing;
    if (!listing.Open(folder)) return std::nullopt;
    std::vector<Entry> entries;
    std::string name;
    while (listing.Next(name)) {
        if (name == "." || name == "..") continue;
        entries.push_back({name, listing.Attributes(name), listing.IsLink(name)});
    }
    return entries;
}

FileSystemPort& SystemFileSystem() {
    static FileSystemPort system;
    return system;
}

}  // namespace platform
