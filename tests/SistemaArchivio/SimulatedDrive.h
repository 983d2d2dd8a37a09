#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/FileSystemPort.h"

// A drive in memory behind FileSystemPort. Each of a drive's rules is a switch, so that
// their combinations are the drives users have; any call can fail with any Failure,
// or the process can end before it (Ended is thrown through the pass, which is then
// abandoned there with the drive as it stands).
namespace sim {

struct Rules {
    bool foldsCase = false;     // names compare under Unicode case folding (NTFS, exFAT, Samba's default share)
    bool windowsNames = false;  // refuses a name Windows cannot hold (WindowsHolds)
    bool makesUpNames = false;  // an SMB share: keeps such a name, but lists it under one of hash2's shape
    bool noReplace = true;      // takes RENAME_NOREPLACE
    bool countsUnits = false;   // the 255 limit counts UTF-16 units, not bytes
    bool trustsFolders = true;  // a renamed folder keeps its content (fusefat's loses it)
    bool links = true;          // symbolic links
};

// No control character, none of \ : * ? " < > |, no trailing dot or blank, no
// reserved device name (CON, AUX, COM1, ...) before the first dot.
bool WindowsHolds(std::string_view name);

struct Ended {};

struct Node {
    enum Kind { File, Folder, Link } kind = Folder;
    std::string content;  // a file's bytes, a link's text
    bool readOnly = false;
    std::map<std::string, std::shared_ptr<Node>> children;  // a folder's, by the name as kept
};

class SimulatedDrive : public platform::FileSystemPort {
public:
    explicit SimulatedDrive(Rules rules) : rules(rules), root_(std::make_shared<Node>()) {}

    const Rules rules;
    // Faults, by the index of the call, counted over the drive's life: a failure; a run
    // of NoAnswer; the process ending; a file appearing in a folder.
    std::map<long, platform::Failure> faults;
    long silentFrom = -1, silentCalls = 0, endAt = -1, appearAt = -1;
    std::string appearPath, appearContent;
    long calls = 0;
    long LastFault() const;

    // Outside the rules and the faults: builds, and looks as a user on the drive would.
    void Put(const std::string& path, Node::Kind kind, const std::string& content = {});
    struct Found {
        std::shared_ptr<Node> node, parent;
        std::string path;  // as kept
    };
    Found Find(const std::string& path, bool followLast = true, int depth = 0) const;
    bool Holds(std::string_view name) const;  // keeps and lists the name as it is
    // Every entry below the root: path as kept -> content, "/" for a folder, "-> text" for a link.
    std::map<std::string, std::string> Read() const;

    bool ForEachEntry(const std::string& folder, const std::function<bool(const platform::Entry&)>& visit) override;
    std::uint32_t Attributes(const std::string& path) override;
    bool IsLink(const std::string& path) override;
    std::string LinkTarget(const std::string& path) override;
    bool SameFile(const std::string& a, const std::string& b) override;
    bool SameDevice(const std::string& a, const std::string& b) override;
    bool TrustsFolderRenames(const std::string&) override { return rules.trustsFolders; }
    bool MakeWritable(const std::string& path) override;
    bool Move(const std::string& from, const std::string& to, platform::Renames& renames) override;
    bool MakesUpNames(const std::string&) override { return rules.makesUpNames; }
    bool RemoveSecondName(const std::string& path, const std::string& other) override;
    bool RemoveEmptyFolder(const std::string& path) override;
    bool MakeFolder(const std::string& path) override;
    std::size_t LongestName(const std::string&) override { return 255; }
    std::optional<std::string> LinkText(const std::string& path) override;
    bool Relink(const std::string& from, const std::string& to, const std::string& text) override;
    bool FlushFolders(const std::vector<std::string>&) override { return Fault() == platform::Failure::None; }
    platform::Failure LastFailure() override { return last_; }

private:
    platform::Failure Fault();  // counts a call: the failure injected into it, or None
    // A call that only reads says no more than that it failed, which, on a drive that
    // answers, it does not.
    bool Silent() { return Fault() == platform::Failure::NoAnswer; }
    bool Fail(platform::Failure failure);
    platform::Failure NewName(const Found& at);  // why `at` cannot take a new entry
    std::string Listed(const std::string& kept) const;
    std::string Key(std::string_view name) const;
    bool Attach(const Found& at, std::shared_ptr<Node> node);
    static void Detach(const Found& at);
    static std::uint32_t AttributesOf(const Found& at);

    platform::Failure last_ = platform::Failure::None;
    std::shared_ptr<Node> root_;
};

}  // namespace sim
