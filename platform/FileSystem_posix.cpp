#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/FileSystemInternal.h"
#include "platform/PosixMove.h"

namespace platform {

struct FolderListing::State {
    DIR* dir = nullptr;
};

FolderListing::FolderListing() : state_(std::make_unique<State>()) {}

FolderListing::~FolderListing() {
    Close();
}

bool FolderListing::Open(const std::string& folder) {
    Close();
    state_->dir = opendir(folder.c_str());
    return state_->dir != nullptr;
}

bool FolderListing::Next(std::string& name) {
    if (!state_->dir) return false;
    const dirent* entry = readdir(state_->dir);
    if (!entry) return false;
    name = entry->d_name;
    return true;
}

namespace {

std::uint32_t AttributeWord(const struct stat& st) {
    std::uint32_t attributes = S_ISDIR(st.st_mode) ? kAttributeDirectory : kAttributeArchive;
    if (!(st.st_mode & S_IWUSR)) attributes |= kAttributeReadOnly;
    return attributes;
}

}  // namespace

std::uint32_t FolderListing::Attributes(const std::string& name) const {
    struct stat st;
    if (!state_->dir || fstatat(dirfd(state_->dir), name.c_str(), &st, 0) != 0) return kInvalidAttributes;
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

bool MakeWritable(const std::string& path) {
    struct stat st;
    bool done = false;
    if (lstat(path.c_str(), &st) == 0) {
        if (S_ISLNK(st.st_mode) || (st.st_mode & S_IWUSR))
            done = true;
        else
            done = chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
    }
    internal::AfterWrite();
    return done;
}

namespace {

// Puts `from` in place of a placeholder of its own kind, created under the name `to`
// only if that name was free: the rename can then replace nothing but the placeholder.
bool MoveOntoPlaceholder(const std::string& from, const std::string& to) {
    struct stat st;
    if (lstat(from.c_str(), &st) != 0) return false;
    if (S_ISDIR(st.st_mode)) {
        if (mkdir(to.c_str(), 0700) != 0) return false;
    } else {
        const int fd = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) return false;
        close(fd);
    }
    if (rename(from.c_str(), to.c_str()) == 0) return true;
    const int error = errno;
    if (S_ISDIR(st.st_mode))
        rmdir(to.c_str());
    else
        unlink(to.c_str());
    errno = error;
    return false;
}

}  // namespace

bool MoveWithoutRenameFlag(const std::string& from, const std::string& to) {
    if (link(from.c_str(), to.c_str()) == 0) {
        if (unlink(from.c_str()) == 0) return true;
        const int error = errno;
        unlink(to.c_str());
        errno = error;
        return false;
    }
    // Folders cannot be linked, and some file systems link nothing at all.
    if (errno == EPERM || errno == ENOTSUP || errno == EOPNOTSUPP || errno == EMLINK)
        return MoveOntoPlaceholder(from, to);
    return false;
}

bool Move(const std::string& from, const std::string& to) {
    bool done = renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
    // EINVAL is also how a file system refuses the flag it does not know.
    if (!done && (errno == EINVAL || errno == ENOSYS)) done = MoveWithoutRenameFlag(from, to);
    internal::AfterWrite();
    return done;
}

bool RemoveEmptyFolder(const std::string& path) {
    const bool done = rmdir(path.c_str()) == 0;
    internal::AfterWrite();
    return done;
}

bool MakeFolder(const std::string& path) {
    const bool done = mkdir(path.c_str(), 0777) == 0;
    internal::AfterWrite();
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

}  // namespace platform
