#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "FileSystem.h"

// The file-system operations of FileSystem.h as one object, so that a caller's
// decisions can be checked against a stand-in that plays a system's rules which the
// machine at hand cannot show. Every virtual operation but ForEachEntry forwards to its
// namesake; ForEachEntry lists through FolderListing, and List gathers what it yields.
namespace platform {

struct Entry {
    std::string name;
    std::uint32_t attributes;  // as Attributes(): links followed
    bool link;                 // the entry itself is a link
};

class FileSystemPort {
public:
    virtual ~FileSystemPort() = default;

    // Hands each of a folder's entries but "." and ".." to `visit` as the listing
    // yields it, so that what `visit` does to an entry follows its listing closely,
    // until `visit` returns false; false when the folder cannot be listed.
    virtual bool ForEachEntry(const std::string& folder, const std::function<bool(const Entry&)>& visit);
    // The same entries, gathered.
    std::optional<std::vector<Entry>> List(const std::string& folder);

    virtual std::uint32_t Attributes(const std::string& path) { return platform::Attributes(path); }
    virtual bool IsLink(const std::string& path) { return platform::IsLink(path); }
    virtual std::string LinkTarget(const std::string& path) { return platform::LinkTarget(path); }
    virtual bool SameFile(const std::string& a, const std::string& b) { return platform::SameFile(a, b); }
    virtual bool SameDevice(const std::string& a, const std::string& b) { return platform::SameDevice(a, b); }
    virtual bool TrustsFolderRenames(const std::string& path) { return platform::TrustsFolderRenames(path); }
    virtual bool MakeWritable(const std::string& path) { return platform::MakeWritable(path); }
    virtual bool Move(const std::string& from, const std::string& to, Renames& renames) {
        return platform::Move(from, to, renames);
    }
    virtual bool MakesUpNames(const std::string& folder) { return platform::MakesUpNames(folder); }
    virtual bool RemoveSecondName(const std::string& path, const std::string& other) {
        return platform::RemoveSecondName(path, other);
    }
    virtual bool RemoveEmptyFolder(const std::string& path) { return platform::RemoveEmptyFolder(path); }
    virtual bool MakeFolder(const std::string& path) { return platform::MakeFolder(path); }
    virtual std::size_t LongestName(const std::string& folder) { return platform::LongestName(folder); }
    virtual std::optional<std::string> LinkText(const std::string& path) { return platform::LinkText(path); }
    virtual bool Relink(const std::string& from, const std::string& to, const std::string& text) {
        return platform::Relink(from, to, text);
    }
    virtual bool FlushFolders(const std::vector<std::string>& folders) { return platform::FlushFolders(folders); }
    virtual Failure LastFailure() { return platform::LastFailure(); }
};

// The system's own file system.
FileSystemPort& SystemFileSystem();

}  // namespace platform
