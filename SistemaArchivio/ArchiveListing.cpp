#include "ArchiveListing.h"

#include <algorithm>

#include "platform/Path.h"
#include "NamingRule.h"
#include "platform/FileSystem.h"

using platform::Entry;

bool IsFolder(std::uint32_t attributes) {
    return attributes != platform::kInvalidAttributes && (attributes & platform::kAttributeDirectory);
}

std::optional<bool> IsReadOnly(std::uint32_t attributes) {
    if (attributes == platform::kInvalidAttributes) return std::nullopt;
    return (attributes & platform::kAttributeReadOnly) != 0;
}

std::optional<std::vector<Entry>> Whole(platform::FileSystemPort& fs, const std::string& folder) {
    std::optional<std::vector<Entry>> entries = fs.List(folder);
    return entries && fs.LastFailure() == platform::Failure::None ? entries : std::nullopt;
}

const std::vector<Entry>& EntriesOf(const std::optional<std::vector<Entry>>& entries) {
    static const std::vector<Entry> none;
    return entries ? *entries : none;
}

bool IsStray(const Entry& entry) { return entry.link || !IsFolder(entry.attributes) || !IsBucketName(entry.name); }

std::optional<bool> Listed(platform::FileSystemPort& fs, const std::string& path) {
    const std::optional<std::vector<Entry>> entries = Whole(fs, platform::path::Parent(path));
    const std::string_view name = platform::path::BaseName(path);
    if (!entries) return std::nullopt;
    return std::any_of(entries->begin(), entries->end(),
                       [&](const Entry& e) { return e.name == name && IsFolder(e.attributes); });
}

bool Exists(platform::FileSystemPort& fs, const std::string& path) {
    return fs.Attributes(path) != platform::kInvalidAttributes || fs.IsLink(path);
}

bool HasSongs(platform::FileSystemPort& fs, const std::string& folder) {
    const std::optional<std::vector<Entry>> entries = fs.List(folder);
    if (!entries) return false;
    for (const Entry& entry : *entries)
        if (!IsFolder(entry.attributes) || entry.link || HasSongs(fs, platform::path::Join(folder, entry.name)))
            return true;
    return false;
}
