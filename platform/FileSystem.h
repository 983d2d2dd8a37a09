#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// The file-system operations the conversion pass relies on, with Windows' meanings on
// every system. Paths and names are UTF-8 text. On Windows a name may also hold a
// UTF-16 unit that pairs with nothing; it travels as its own three-byte sequence, so
// every name a listing yields can be handed back to the other operations unchanged.
//
// Windows: every absolute path is given to the wide-character API in its `\\?\` form,
// so no length limit short of the system's own applies and no path component is
// trimmed: the caller names exactly the entry it means.
namespace platform {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// The attribute word, in Windows' bit values.
inline constexpr std::uint32_t kAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;
inline constexpr std::uint32_t kAttributeArchive = 0x20;
inline constexpr std::uint32_t kInvalidAttributes = 0xFFFFFFFF;

// One folder's names, in the system's order. "." and ".." are yielded like any other
// name wherever the system reports them (Windows reports neither at a drive's root).
// An entry added or removed while the listing is open may or may not be yielded;
// every other entry is yielded exactly once.
class FolderListing {
public:
    FolderListing();
    ~FolderListing();
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;

    // False when the path names no folder, or a folder that cannot be read.
    bool Open(const std::string& folder);
    // False at the end of the listing, and when no listing is open.
    bool Next(std::string& name);
    // The attribute word of `name` in the open folder: the same as
    // platform::Attributes(folder + separator + name), found without walking the
    // folder's path again (Linux: a folder whose type the listing gave is 16 alone,
    // without a stat). kInvalidAttributes when no listing is open.
    std::uint32_t Attributes(const std::string& name) const;
    // True when `name` in the open folder is a symbolic link (Windows: a symbolic link
    // or a junction), whatever it leads to.
    bool IsLink(const std::string& name) const;
    void Close();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Windows: the system's attribute word. Linux: 16 for a folder, 32 for anything else,
// plus 1 when the owner lacks write permission. kInvalidAttributes when the entry
// cannot be read. Symbolic links are followed.
std::uint32_t Attributes(const std::string& path);

// True when the entry itself is a symbolic link (Windows: a reparse point that leads
// elsewhere, as symbolic links, junctions and wine's view of a Unix link do; a reparse
// point that stays where it is, such as a file kept in the cloud, is no link).
bool IsLink(const std::string& path);

// The absolute path a link leads to, with every link on the way resolved; empty when
// it leads nowhere that exists.
std::string LinkTarget(const std::string& path);

// True when both paths name one file: the same inode (Windows: the same file id on the
// same volume), as a move killed between linking and unlinking leaves it.
bool SameFile(const std::string& a, const std::string& b);

// True when both entries exist on one file system, so that a move between them can work.
bool SameDevice(const std::string& a, const std::string& b);

// False where renaming a folder that holds files cannot be trusted to keep them: among
// the file systems in user space (FUSE), whose drivers differ, one loses a renamed
// folder's content, and a driver the system cannot name may be another.
bool TrustsFolderRenames(const std::string& path);

// True where the drive shows a name it cannot pass on (one Windows forbids, such as
// "a?b.kar" or "aux.kar", kept on the server by a Mac or a Linux machine) under a short
// name it made up: SMB shares. Such a name leads to the file, but renaming the file to
// anything built from it loses the real name on the server for good.
bool MakesUpNames(const std::string& folder);
// A name of the shape an SMB server makes up (smb.conf's "name mangling", method
// hash2): six characters of which all but the first are hash characters (digits and
// capitals), a tilde, one more hash character, then an optional dot and up to three
// characters: "PQGG7J~Q.KAR", "0MTTCO~Z". A short name Windows or DOS gave a file
// itself has a tilde too, but mostly earlier ("SONG~1.KAR").
bool IsMadeUpName(std::string_view name);

// Clears the read-only attribute. Linux: adds the owner's write permission and changes
// no other permission bit; a symbolic link is left alone, as its target may lie
// outside the folder being worked on.
bool MakeWritable(const std::string& path);

// Moves or renames a file or folder within one file system. Never replaces an existing
// target and never copies: a move onto a taken name or across devices fails and leaves
// the entry where it was. Where the file system refuses the no-replace rename (FUSE
// drives, some network shares) the new name is checked to be free and the entry
// renamed: this tool is the only writer in the folders it works on, so the check holds
// until the rename.
bool Move(const std::string& from, const std::string& to);

// How Move keeps an existing name on one file system: the system refuses the rename
// (renameat2's RENAME_NOREPLACE), or, where it does not take that flag, the name is
// checked to be free first. A caller moving many entries on one drive keeps one of
// these from the first move on, so that the drive is asked once. Windows' own move
// never replaces, and ignores it.
//
// KnownFree: the caller knows the target name to be free, as in a folder it made
// itself and moved only other names into, being the one writer there; a drive that
// takes RENAME_NOREPLACE is still asked, one that does not is spared the check.
enum class Renames { Unknown, NoReplace, CheckFirst, KnownFree };
bool Move(const std::string& from, const std::string& to, Renames& renames);

// Removes the one name `path` of a file that SameFile shows to be reachable under
// another name too; refuses anything else.
bool RemoveSecondName(const std::string& path, const std::string& other);

// Why the last failed write operation of this thread failed, or why the last listing
// ended early (None where it ran to its end). Each system's errors are
// sorted into these once, here in the platform layer, quirks of particular drivers
// included (a FUSE driver that refuses a long name as "not permitted").
enum class Failure {
    None,
    Taken,                // the target name exists
    NoPermission,         // the user may not change the entry or its folder
    InUse,                // another program holds the entry open
    InUseOrNoPermission,  // Windows' "access denied", which means either
    ReadOnlyDrive,        // the drive is read-only or write-protected
    DiskFull,             // no space (or no free entry) left on the drive
    BadName,              // the drive cannot hold a character of the name
    NameTooLong,          // the target folder cannot hold a name that long
    OtherDevice,          // source and target lie on different file systems
    Missing,              // the source or the target's folder does not exist
    NoAnswer,             // the drive, or the network to it, did not answer (EIO, ENOTCONN, ...)
    Other,
};
Failure LastFailure();

// The system's naming rules. The first character of a name: a whole UTF-8 sequence
// (Windows: a whole UTF-16 character, an unpaired unit being one of its own); a byte
// that starts no valid sequence is one character.
std::size_t FirstCharacterLength(std::string_view name);
// A name's length as the file system counts it: bytes on Linux, UTF-16 units on Windows.
std::size_t NameLength(std::string_view name);
// The longest name `folder`'s file system holds, in NameLength's units: what the system
// says, but never over 255, which no file system in use exceeds (network drives have
// been seen to say 4096 for a server that holds 255).
std::size_t LongestName(const std::string& folder);
// An inner path component as ordinary (not `\\?\`) paths read it: Windows drops one
// trailing dot; elsewhere the name is unchanged.
std::string AsOrdinaryPathsRead(std::string component);

// The text of a symbolic link, as it was written; nothing for an entry that is no link.
std::optional<std::string> LinkText(const std::string& path);

// Moves the link `from` to `to` with the text `text`: makes the new link (never
// replacing a name), then removes the old one. A link left at both places by a move cut
// short between its two steps (the new one already holding `text`) loses its old name.
bool Relink(const std::string& from, const std::string& to, const std::string& text);

// Puts what was written in `folders` on stable storage before the caller reports it
// done. Linux: syncfs once for each file system among them. Windows: the folders'
// own buffers are flushed, as an ordinary user may.
bool FlushFolders(const std::vector<std::string>& folders);

// Removes a folder only when it is empty; never a link, a junction or any folder reached
// through a reparse point (Windows removes a junction whatever its target holds).
bool RemoveEmptyFolder(const std::string& path);

// Creates one folder; fails when the name is taken or the parent is missing.
bool MakeFolder(const std::string& path);

// The process's current folder as the system reports it: absolute, UTF-8. On failure
// the result is empty and `error` holds the system's reason.
std::string CurrentFolder(std::error_code& error);

// Test-only: called after every write operation (MakeWritable, Move, RemoveSecondName,
// RemoveEmptyFolder, MakeFolder, and each of Relink's two steps) has been attempted, so that a test can end the process
// at each one in turn. The tool never sets it.
using WriteObserver = void (*)();
void SetWriteObserver(WriteObserver observer);

}  // namespace platform
