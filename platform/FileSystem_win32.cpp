#include "FileSystem.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include <windows.h>
#include <winioctl.h>

#include "FileSystemInternal.h"
#include "Path.h"
#include "WorkFolderPath.h"
#include "Utf8.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 units");

namespace platform {

namespace {

std::string Narrow(const wchar_t* text) {
    const std::wstring_view view(text);
    return Utf16ToUtf8(std::u16string(view.begin(), view.end()));
}

// The form in which the wide-character API takes `path`. Absolute paths ("C:\…",
// "\\server\share\…") get the `\\?\` prefix, which lifts the MAX_PATH limit and keeps
// every component as written; relative paths keep the ordinary rules.
std::wstring SystemPath(const std::string& path) {
    const path::Root::Kind root = path::RootOf(path).kind;
    if (path.compare(0, 4, "\\\\?\\") == 0 || (root != path::Root::Kind::Drive && root != path::Root::Kind::Share))
        return base::Utf8ToWide(path);
    std::wstring wide = base::Utf8ToWide(path);
    for (wchar_t& c : wide)
        if (c == L'/') c = L'\\';
    return root == path::Root::Kind::Drive ? L"\\\\?\\" + wide : L"\\\\?\\UNC\\" + wide.substr(2);
}

// Owns a handle from CreateFileW.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

FileHandle Open(const std::string& path, DWORD access, DWORD flags) {
    return FileHandle(CreateFileW(SystemPath(path).c_str(), access,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr));
}

// A path in the ordinary form ("C:\...", "\\server\..."), without `\\?\`.
std::wstring Ordinary(std::wstring path) {
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + path.substr(8);
    return path.compare(0, 4, L"\\\\?\\") == 0 ? path.substr(4) : path;
}

// The path a handle really leads to, in the ordinary form.
std::wstring FinalPath(HANDLE handle) {
    std::wstring buffer(32768, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    if (length == 0 || length >= buffer.size()) return {};
    buffer.resize(length);
    return Ordinary(buffer);
}

// A reparse point leads elsewhere when the path it is opened by is not where the
// system ends up: whatever its tag says (wine shows a Unix link with tag 0).
bool LeadsElsewhere(const std::string& path) {
    const FileHandle file = Open(path, 0, 0);
    if (!file) return false;
    const std::wstring final = FinalPath(file.get()), own = Ordinary(SystemPath(std::string(path::Trimmed(path))));
    return !final.empty() && _wcsicmp(final.c_str(), own.c_str()) != 0;
}

// Symbolic links and junctions say so by their tag; any other reparse point is a link
// where it leads elsewhere (cloud and deduplicated files stay where they are).
bool IsLinkTag(DWORD attributes, DWORD tag, const std::string& path) {
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT || LeadsElsewhere(path);
}

// The volume and file id of an entry itself, not of what a link leads to.
bool FileId(const std::string& path, BY_HANDLE_FILE_INFORMATION& info, bool followLinks) {
    const FileHandle file = Open(path, 0, followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    return file && GetFileInformationByHandle(file.get(), &info) != 0;
}

}  // namespace

namespace internal {

std::size_t SystemLongestName(const std::string& folder) {
    const std::wstring path = SystemPath(folder);
    std::wstring root(path.size() + 2, L'\0');
    DWORD longest = 0;
    if (!GetVolumePathNameW(path.c_str(), root.data(), static_cast<DWORD>(root.size())) ||
        !GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, &longest, nullptr, nullptr, 0))
        return 0;
    return longest;
}

bool MakeLink(const std::string& link, const std::string& text) {
    constexpr DWORD kUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
    const std::wstring path = SystemPath(link), target = base::Utf8ToWide(text);
    // Windows before 10 version 1703 refuses the flag as a whole; without it a user who
    // holds the privilege still makes the link.
    return CreateSymbolicLinkW(path.c_str(), target.c_str(), kUnprivileged) != 0 ||
           (GetLastError() == ERROR_INVALID_PARAMETER && CreateSymbolicLinkW(path.c_str(), target.c_str(), 0) != 0);
}

bool RemoveName(const std::string& path) { return DeleteFileW(SystemPath(path).c_str()) != 0; }

}  // namespace internal

using internal::Written;

struct FolderListing::State {
    std::string folder;
    HANDLE find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW data;
    bool pending = false;  // `data` holds an entry not yet yielded
    std::string last;      // the name Next yielded last, whose entry `data` still holds
};

FolderListing::FolderListing() : state_(std::make_unique<State>()) {}

FolderListing::~FolderListing() { Close(); }

bool FolderListing::Open(const std::string& folder) {
    Close();
    const std::wstring pattern = SystemPath(path::Join(folder, "*"));
    state_->find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &state_->data, FindExSearchNameMatch, nullptr,
                                    FIND_FIRST_EX_LARGE_FETCH);
    if (state_->find != INVALID_HANDLE_VALUE) {
        state_->folder = folder;
        state_->pending = true;
        return true;
    }
    // An empty drive root holds not even "." and "..": a folder with nothing to list.
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return false;
    const DWORD attributes = GetFileAttributesW(SystemPath(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    state_->folder = folder;
    return true;
}

bool FolderListing::Next(std::string& name) {
    if (state_->find == INVALID_HANDLE_VALUE) return false;
    if (!state_->pending && !FindNextFileW(state_->find, &state_->data)) {
        const DWORD error = GetLastError();  // a share gone mid-listing ends it early
        internal::ListingEnded(error == ERROR_NO_MORE_FILES ? Failure::None : internal::SystemFailure());
        return false;
    }
    state_->pending = false;
    name = Narrow(state_->data.cFileName);
    state_->last = name;
    return true;
}

std::uint32_t FolderListing::Attributes(const std::string& name) const {
    if (state_->folder.empty()) return kInvalidAttributes;
    // The entry just yielded carries its attributes, read with the listing's batch a
    // moment ago; a link's are its own, and what it leads to is read now.
    if (name == state_->last && !(state_->data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return state_->data.dwFileAttributes;
    return platform::Attributes(path::Join(state_->folder, name));
}

bool FolderListing::IsLink(const std::string& name) const {
    if (state_->folder.empty()) return false;
    const std::string path = path::Join(state_->folder, name);
    if (name == state_->last) return IsLinkTag(state_->data.dwFileAttributes, state_->data.dwReserved0, path);
    return platform::IsLink(path);
}

void FolderListing::Close() {
    if (state_->find != INVALID_HANDLE_VALUE) {
        FindClose(state_->find);
        state_->find = INVALID_HANDLE_VALUE;
    }
    state_->folder.clear();
    state_->last.clear();
    state_->pending = false;
}

std::uint32_t Attributes(const std::string& path) { return GetFileAttributesW(SystemPath(path).c_str()); }

bool IsLink(const std::string& path) {
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW(SystemPath(path).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return IsLinkTag(data.dwFileAttributes, data.dwReserved0, path);
}

std::string LinkTarget(const std::string& path) {
    const FileHandle file = Open(path, 0, 0);
    if (!file) return {};
    const std::wstring final = FinalPath(file.get());
    return final.empty() ? std::string() : Narrow(final.c_str());
}

bool SameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION ia, ib;
    return FileId(a, ia, false) && FileId(b, ib, false) && ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

bool SameDevice(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION ia, ib;
    return FileId(a, ia, true) && FileId(b, ib, true) && ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber;
}

bool TrustsFolderRenames(const std::string&) { return true; }

bool MakeWritable(const std::string& path) {
    const std::wstring system = SystemPath(path);
    const DWORD attributes = GetFileAttributesW(system.c_str());
    bool done = false;
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (!(attributes & FILE_ATTRIBUTE_READONLY)) {
            done = true;
        } else {
            // Only these bits may be handed back to SetFileAttributesW.
            const DWORD settable = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                   FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE |
                                   FILE_ATTRIBUTE_TEMPORARY;
            const DWORD kept = attributes & settable;
            done = SetFileAttributesW(system.c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL) != 0;
        }
    }
    return Written(done);
}

bool Move(const std::string& from, const std::string& to) {
    // No MOVEFILE_REPLACE_EXISTING, no MOVEFILE_COPY_ALLOWED. (Under wine a move between
    // two names of one file reports success and changes nothing, as the POSIX rename
    // beneath it does; the pass finds such a name where a folder should have emptied.)
    if (MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(), 0) != 0) return Written(true);
    return internal::MoveFailed(internal::SystemFailure(), path::Parent(to), path::BaseName(to));
}

bool Move(const std::string& from, const std::string& to, Renames&) { return Move(from, to); }

// A share reached by its \\server\share name or through a mapped drive letter.
bool MakesUpNames(const std::string& folder) {
    const std::wstring ordinary = Ordinary(SystemPath(folder));
    const path::Root::Kind root = path::RootOf(Narrow(ordinary.c_str())).kind;
    return root == path::Root::Kind::Share ||
           (root == path::Root::Kind::Drive && GetDriveTypeW(ordinary.substr(0, 3).c_str()) == DRIVE_REMOTE);
}

bool RemoveSecondName(const std::string& path, const std::string& other) {
    const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
    const bool done = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                      SameFile(path, other) && DeleteFileW(SystemPath(path).c_str()) != 0;
    return Written(done);
}

bool RemoveEmptyFolder(const std::string& path) {
    // RemoveDirectoryW removes a junction or folder link whatever its target holds, and
    // what another kind of reparse point does on removal is its driver's to say.
    const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return Written(false);
    }
    return Written(RemoveDirectoryW(SystemPath(path).c_str()) != 0);
}

bool MakeFolder(const std::string& path) { return Written(CreateDirectoryW(SystemPath(path).c_str(), nullptr) != 0); }

std::size_t FirstCharacterLength(std::string_view name) {
    return base::FirstCharacterLength(name, true);  // listed names carry unpaired units
}

std::size_t NameLength(std::string_view name) { return Utf8ToUtf16(name).size(); }

std::string AsOrdinaryPathsRead(std::string component) {
    // Ordinary paths drop one trailing dot from every inner component (and keep
    // trailing blanks there); `\\?\` paths drop nothing.
    if (!component.empty() && component.back() == '.') component.pop_back();
    return component;
}

namespace {

// The symbolic-link form of the reparse data FSCTL_GET_REPARSE_POINT returns.
struct SymbolicLinkData {
    ULONG tag;
    USHORT dataLength, reserved;
    USHORT substituteOffset, substituteLength, printOffset, printLength;
    ULONG flags;
    WCHAR names[1];
};

}  // namespace

std::optional<std::string> LinkText(const std::string& path) {
    const FileHandle link = Open(path, 0, FILE_FLAG_OPEN_REPARSE_POINT);
    if (!link) return std::nullopt;
    std::vector<unsigned char> buffer(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
    DWORD returned = 0;
    if (!DeviceIoControl(link.get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer.data(),
                         static_cast<DWORD>(buffer.size()), &returned, nullptr) ||
        returned < offsetof(SymbolicLinkData, names))
        return std::nullopt;
    const auto* data = reinterpret_cast<const SymbolicLinkData*>(buffer.data());
    if (data->tag != IO_REPARSE_TAG_SYMLINK) return std::nullopt;
    const bool print = data->printLength > 0;
    const USHORT offset = print ? data->printOffset : data->substituteOffset;
    const USHORT length = print ? data->printLength : data->substituteLength;
    if (offsetof(SymbolicLinkData, names) + offset + length > returned) return std::nullopt;
    const wchar_t* text = data->names + offset / sizeof(WCHAR);
    return Utf16ToUtf8(std::u16string(text, text + length / sizeof(WCHAR)));
}

bool FlushFolders(const std::vector<std::string>& folders) {
    // Flushing a whole volume needs administrator rights; a folder the user may write
    // can be opened for writing and its own buffers flushed.
    bool done = true;
    for (const std::string& folder : folders) {
        const FileHandle handle = Open(folder, GENERIC_WRITE, 0);
        if (handle) done = FlushFileBuffers(handle.get()) != 0 && done;
    }
    return done;
}

std::string CurrentFolder(std::error_code& error) {
    error.clear();
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) {
            error.assign(static_cast<int>(GetLastError()), std::system_category());
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        buffer.resize(length);
    }
    return Narrow(buffer.c_str());
}

std::optional<std::string> WorkFolderPath(std::string_view current) { return WindowsWorkFolder(current); }

}  // namespace platform
