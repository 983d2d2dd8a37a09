#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystemPort.h"

// What the conversion reads of the drive: attribute words, listings that ran to their
// end, whether a name is there, whether a folder holds songs.

bool IsFolder(std::uint32_t attributes);
// Whether an entry carries the read-only attribute; nothing where its attribute word
// could not be read, which each caller decides for itself.
std::optional<bool> IsReadOnly(std::uint32_t attributes);

// A folder's entries, where the listing ran to its end.
std::optional<std::vector<platform::Entry>> Whole(platform::FileSystemPort& fs, const std::string& folder);
// A listing's entries; none where there is no listing.
const std::vector<platform::Entry>& EntriesOf(const std::optional<std::vector<platform::Entry>>& entries);

// Anything in tdata that is no bucket.
bool IsStray(const platform::Entry& entry);
// Whether `path` is a folder among its folder's entries: there, though it may not be
// readable; nothing where its folder cannot be listed.
std::optional<bool> Listed(platform::FileSystemPort& fs, const std::string& path);
bool Exists(platform::FileSystemPort& fs, const std::string& path);
// True when `folder` holds a song, directly or in a subfolder.
bool HasSongs(platform::FileSystemPort& fs, const std::string& folder);
