#include "FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

#include "FileSystemInternal.h"
#include "Path.h"
#include "WorkFolderPath.h"
#include "PosixMove.h"
#include "Utf8.h"

namespace platform {

namespace {

Failure FailureOf(int error) {
    switch (error) {
        case EEXIST:
        case ENOTEMPTY:
            return Failure::Taken;
        case EACCES:
        case EPERM:
            return Failure::NoPermission;
        case EBUSY:
        case ETXTBSY:
            return Failure::InUse;
        case EROFS:
            return Failure::ReadOnlyDrive;
        case ENOSPC:
        case EDQUOT:
            return Failure::DiskFull;
        // What FUSE drivers say of a character their disk cannot hold.
        case EINVAL:
        case EILSEQ:
            return Failure::BadName;
        case ENAMETOOLONG:
            return Failure::NameTooLong;
        case EXDEV:
            return Failure::OtherDevice;
        case ENOENT:
        case ENOTDIR:
            return Failure::Missing;
        // A drive that stopped answering: a disk that fails, a share whose server or
        // network went away (sshfs says ENOTCONN, smbnetfs EIO or EHOSTDOWN).
        case EIO:
        case ENOTCONN:
        case EHOSTDOWN:
        case EHOSTUNREACH:
        case ENETDOWN:
        case ENETUNREACH:
        case ETIMEDOUT:
        case ECONNABORTED:
        case ECONNRESET:
        case ECONNREFUSED:
        case ESHUTDOWN:
        case ENOMEDIUM:
            return Failure::NoAnswer;
        default:
            return Failure::Other;
    }
}

}  // namespace

namespace internal {

Failure SystemFailure() { return FailureOf(errno); }

std::size_t SystemLongestName(const std::string& folder) {
    const long longest = pathconf(folder.c_str(), _PC_NAME_MAX);
    return longest > 0 ? static_cast<std::size_t>(longest) : 0;
}

bool MakeLink(const std::string& link, const std::string& text) { return symlink(text.c_str(), link.c_str()) == 0; }

bool RemoveName(const std::string& path) { return unlink(path.c_str()) == 0; }

}  // namespace internal

using internal::Written;

struct FolderListing::State {
    DIR* dir = nullptr;
    std::string last;                     // the name Next yielded last
    unsigned char lastType = DT_UNKNOWN;  // and its type as the listing reported it, or as lstat found it
};

FolderListing::FolderListing() : state_(std::make_unique<State>()) {}

FolderListing::~FolderListing() { Close(); }

bool FolderListing::Open(const std::string& folder) {
    Close();
    state_->dir = opendir(folder.c_str());
    return state_->dir != nullptr;
}

bool FolderListing::Next(std::string& name) {
    if (!state_->dir) return false;
    errno = 0;
    const dirent* entry = readdir(state_->dir);
    if (!entry) {
        internal::ListingEnded(errno ? FailureOf(errno) : Failure::None);  // a share gone mid-listing ends it early
        return false;
    }
    name = entry->d_name;
    state_->last = name;
    state_->lastType = entry->d_type;
    return true;
}

bool FolderListing::IsLink(const std::string& name) const {
    if (!state_->dir) return false;
    // Most file systems report the type with the name, which spares a stat.
    if (name == state_->last && state_->lastType != DT_UNKNOWN) return state_->lastType == DT_LNK;
    struct stat st;
    return fstatat(dirfd(state_->dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

namespace {

std::uint32_t AttributeWord(const struct stat& st) {
    std::uint32_t attributes = S_ISDIR(st.st_mode) ? kAttributeDirectory : kAttributeArchive;
    if (!(st.st_mode & S_IWUSR)) attributes |= kAttributeReadOnly;
    return attributes;
}

}  // namespace

std::uint32_t FolderListing::Attributes(const std::string& name) const {
    if (!state_->dir) return kInvalidAttributes;
    // A folder as the listing reports it needs no stat: no bit but the folder's own
    // counts for one. A file does, for its write permission.
    if (name == state_->last && state_->lastType == DT_DIR) return kAttributeDirectory;
    struct stat st;
    // A listing without types (gvfs) costs one lstat, which tells a link too.
    if (name == state_->last && state_->lastType == DT_UNKNOWN &&
        fstatat(dirfd(state_->dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        state_->lastType = S_ISLNK(st.st_mode) ? DT_LNK : S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
        if (!S_ISLNK(st.st_mode)) return AttributeWord(st);
    }
    if (fstatat(dirfd(state_->dir), name.c_str(), &st, 0) != 0) return kInvalidAttributes;
    return AttributeWord(st);
}

void FolderListing::Close() {
    if (state_->dir) {
        closedir(state_->dir);
        state_->dir = nullptr;
    }
}

std::uint32_t Attributes(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return kInvalidAttributes;
    return AttributeWord(st);
}

bool IsLink(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::string LinkTarget(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (!resolved) return {};
    std::string target(resolved);
    std::free(resolved);
    return target;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return lstat(a.c_str(), &sa) == 0 && lstat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool SameDevice(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev;
}

namespace {

constexpr long kFuseMagic = 0x65735546;
constexpr long kCifsMagic = static_cast<long>(0xFF534D42);
constexpr long kSmb2Magic = static_cast<long>(0xFE534D42);
constexpr long kSmbMagic = 0x517B;

long DriveType(const std::string& path) {
    struct statfs fs;
    return statfs(path.c_str(), &fs) == 0 ? static_cast<long>(fs.f_type) : 0;
}

// The mount-table type of the drive holding `path` ("ext4", "fuse.sshfs", "fuseblk"):
// the entry of /proc/self/mountinfo with the same device, the last one mounted.
std::string MountType(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return {};
    const std::string device = std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
    FILE* table = std::fopen("/proc/self/mountinfo", "re");
    if (!table) return {};
    std::string type;
    char* line = nullptr;
    std::size_t size = 0;
    while (getline(&line, &size, table) > 0) {
        // "36 35 98:0 /root /mnt rw - type source options": the device is the third
        // field, the type follows the lone dash.
        const std::string entry(line);
        std::size_t at = entry.find(' ');
        at = at == std::string::npos ? at : entry.find(' ', at + 1);
        if (at == std::string::npos || entry.compare(at + 1, device.size() + 1, device + " ") != 0) continue;
        const std::size_t dash = entry.find(" - ");
        if (dash == std::string::npos) continue;
        const std::size_t end = entry.find(' ', dash + 3);
        type = entry.substr(dash + 3, end == std::string::npos ? std::string::npos : end - dash - 3);
    }
    std::free(line);
    std::fclose(table);
    return type;
}

}  // namespace

// Told by the driver's name in the mount table, not by a probe: a probe would rename a
// folder of the user's drive, and a loss may show only later. Drivers seen to keep a
// renamed folder whole: those of block devices (the mount table's "fuseblk": ntfs-3g
// and exfat-fuse on a disk) and the network drivers below. fusefat has been seen to
// lose the content; a driver without a name here (a plain "fuse" mount) is not trusted.
bool TrustsFolderRenames(const std::string& path) {
    if (DriveType(path) != kFuseMagic) return true;
    const std::string type = MountType(path);
    static const char* const kWhole[] = {"fuseblk", "fuse.sshfs", "fuse.smbnetfs", "fuse.gvfsd-fuse"};
    return std::find(std::begin(kWhole), std::end(kWhole), type) != std::end(kWhole);
}

// The kernel's SMB clients, and the FUSE drivers that reach SMB shares: smbnetfs, and
// gvfs, whose one FUSE mount holds every share the desktop opened, an SMB share as a
// folder named "smb-share:server=...,share=...".
bool MakesUpNames(const std::string& folder) {
    const long type = DriveType(folder);
    if (type == kCifsMagic || type == kSmb2Magic || type == kSmbMagic) return true;
    if (type != kFuseMagic) return false;
    const std::string mount = MountType(folder);
    return mount == "fuse.smbnetfs" || (mount == "fuse.gvfsd-fuse" && folder.find("/smb-share:") != std::string::npos);
}

bool MakeWritable(const std::string& path) {
    struct stat st;
    bool done = false;
    if (lstat(path.c_str(), &st) == 0) {
        if (S_ISLNK(st.st_mode) || (st.st_mode & S_IWUSR)) done = true;
        else done = chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
    }
    return Written(done);
}

bool MoveWithoutRenameFlag(const std::string& from, const std::string& to) {
    // The name is checked to be free (lstat sees it by the file system's own letter-case
    // rules) and the entry renamed: nobody else writes in these folders between the two.
    // Unlike a hard link followed by an unlink, this never shows a file under two names,
    // and unlike a placeholder it leaves nothing behind when the process ends half-way.
    struct stat st;
    if (lstat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    if (errno != ENOENT) return false;
    return rename(from.c_str(), to.c_str()) == 0;
}

bool Move(const std::string& from, const std::string& to) {
    Renames renames = Renames::Unknown;
    return Move(from, to, renames);
}

bool Move(const std::string& from, const std::string& to, Renames& renames) {
    bool done = false;
    if (renames == Renames::CheckFirst) {
        done = MoveWithoutRenameFlag(from, to);
    } else if (renames == Renames::KnownFree) {
        done = rename(from.c_str(), to.c_str()) == 0;
    } else {
        done = renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
        if (done) renames = Renames::NoReplace;
        // EINVAL is also how a file system refuses the flag it does not know; it is
        // then not asked again.
        if (!done && renames == Renames::Unknown && (errno == EINVAL || errno == ENOSYS)) {
            renames = Renames::CheckFirst;
            done = MoveWithoutRenameFlag(from, to);
        }
    }
    if (done) return Written(true);
    const Failure said = internal::SystemFailure();
    return internal::MoveFailed(said, path::Parent(to), path::BaseName(to));
}

bool RemoveSecondName(const std::string& path, const std::string& other) {
    struct stat st;
    const bool done =
        SameFile(path, other) && lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) && unlink(path.c_str()) == 0;
    return Written(done);
}

bool RemoveEmptyFolder(const std::string& path) { return Written(rmdir(path.c_str()) == 0); }

bool MakeFolder(const std::string& path) { return Written(mkdir(path.c_str(), 0777) == 0); }

std::size_t FirstCharacterLength(std::string_view name) { return base::FirstCharacterLength(name, false); }

std::size_t NameLength(std::string_view name) { return name.size(); }

std::string AsOrdinaryPathsRead(std::string component) { return component; }

std::optional<std::string> LinkText(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return std::nullopt;
    std::vector<char> text(static_cast<std::size_t>(st.st_size) + 1);
    const ssize_t length = readlink(path.c_str(), text.data(), text.size());
    if (length < 0 || static_cast<std::size_t>(length) >= text.size()) return std::nullopt;
    return std::string(text.data(), static_cast<std::size_t>(length));
}

bool FlushFolders(const std::vector<std::string>& folders) {
    std::vector<dev_t> flushed;
    bool done = true;
    for (const std::string& folder : folders) {
        const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct stat st;
        if (fd < 0 || fstat(fd, &st) != 0) {
            if (fd >= 0) close(fd);
            continue;  // gone since, as an emptied bucket is
        }
        if (std::find(flushed.begin(), flushed.end(), st.st_dev) == flushed.end()) {
            done = syncfs(fd) == 0 && done;
            flushed.push_back(st.st_dev);
        }
        close(fd);
    }
    return done;
}

std::string CurrentFolder(std::error_code& error) {
    error.clear();
    std::vector<char> buffer(512);
    for (;;) {
        if (getcwd(buffer.data(), buffer.size())) break;
        if (errno != ERANGE) {
            error.assign(errno, std::generic_category());
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
    std::string folder(buffer.data());
    // Older C libraries report a folder outside the process's root as "(unreachable)/…".
    if (folder.empty() || folder[0] != '/') {
        error = std::make_error_code(std::errc::no_such_file_or_directory);
        return {};
    }
    return folder;
}

std::optional<std::string> WorkFolderPath(std::string_view current) { return PosixWorkFolder(current); }

}  // namespace platform
