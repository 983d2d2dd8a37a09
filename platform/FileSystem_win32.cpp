#include "platform/FileSystem.h"

#include <windows.h>

#include "platform/FileSystemInternal.h"
#include "platform/Utf8.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 units");

namespace platform {

namespace {

std::wstring Wide(std::string_view text) {
    const std::u16string units = Utf8ToUtf16(text);
    return std::wstring(units.begin(), units.end());
}

std::string Narrow(const wchar_t* text) {
    const std::wstring_view view(text);
    return Utf16ToUtf8(std::u16string(view.begin(), view.end()));
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// The form in which the wide-character API takes `path`. Absolute paths ("C:\…",
// "\\server\share\…") get the `\\?\` prefix, which lifts the MAX_PATH limit and keeps
// every component as written; relative paths keep the ordinary rules.
std::wstring SystemPath(const std::string& path) {
    std::wstring wide = Wide(path);
    if (wide.compare(0, 4, L"\\\\?\\") == 0) return wide;
    const bool drive = wide.size() >= 3 && wide[1] == L':' && IsSeparator(wide[2]) &&
                       ((wide[0] >= L'A' && wide[0] <= L'Z') || (wide[0] >= L'a' && wide[0] <= L'z'));
    const bool unc = wide.size() >= 2 && IsSeparator(wide[0]) && IsSeparator(wide[1]);
    if (!drive && !unc) return wide;
    for (wchar_t& c : wide)
        if (c == L'/') c = L'\\';
    return drive ? L"\\\\?\\" + wide : L"\\\\?\\UNC\\" + wide.substr(2);
}

thread_local Failure lastFailure = Failure::kNone;

// Records why a write operation failed, from GetLastError; returns `done` unchanged.
bool Outcome(bool done) {
    if (done) {
        lastFailure = Failure::kNone;
        return true;
    }
    switch (GetLastError()) {
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
    case ERROR_DIR_NOT_EMPTY: lastFailure = Failure::kTaken; break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT: lastFailure = Failure::kDenied; break;
    case ERROR_FILENAME_EXCED_RANGE: lastFailure = Failure::kNameTooLong; break;
    case ERROR_NOT_SAME_DEVICE: lastFailure = Failure::kOtherDevice; break;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: lastFailure = Failure::kMissing; break;
    default: lastFailure = Failure::kOther; break;
    }
    return false;
}

// Symbolic links and junctions; other reparse points (cloud files, deduplicated
// files) are ordinary entries.
bool IsLinkTag(DWORD attributes, DWORD tag) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           (tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT);
}

// The volume and file id of an entry itself, not of what a link leads to.
bool FileId(const std::string& path, BY_HANDLE_FILE_INFORMATION& info, bool followLinks) {
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    const HANDLE file = CreateFileW(SystemPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, flags, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool done = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    return done;
}

}  // namespace

Failure LastFailure() {
    return lastFailure;
}

struct FolderListing::State {
    std::string folder;
    HANDLE find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW data;
    bool pending = false;  // `data` holds an entry not yet yielded
    std::string last;      // the name Next yielded last, whose entry `data` still holds
};

FolderListing::FolderListing() : state_(std::make_unique<State>()) {}

FolderListing::~FolderListing() {
    Close();
}

bool FolderListing::Open(const std::string& folder) {
    Close();
    std::wstring pattern = SystemPath(folder);
    if (!pattern.empty() && !IsSeparator(pattern.back())) pattern += L'\\';
    pattern += L'*';
    state_->find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &state_->data,
                                    FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
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
    if (!state_->pending && !FindNextFileW(state_->find, &state_->data)) return false;
    state_->pending = false;
    name = Narrow(state_->data.cFileName);
    state_->last = name;
    return true;
}

std::uint32_t FolderListing::Attributes(const std::string& name) const {
    if (state_->folder.empty()) return kInvalidAttributes;
    // Read now, not from the listing's batch, which may be older than the entry.
    std::string path = state_->folder;
    if (!IsSeparator(static_cast<wchar_t>(path.back()))) path += '\\';
    return platform::Attributes(path + name);
}

bool FolderListing::IsLink(const std::string& name) const {
    if (state_->folder.empty()) return false;
    if (name == state_->last) return IsLinkTag(state_->data.dwFileAttributes, state_->data.dwReserved0);
    std::string path = state_->folder;
    if (!IsSeparator(static_cast<wchar_t>(path.back()))) path += '\\';
    return platform::IsLink(path + name);
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

std::uint32_t Attributes(const std::string& path) {
    return GetFileAttributesW(SystemPath(path).c_str());
}

bool IsLink(const std::string& path) {
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW(SystemPath(path).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return IsLinkTag(data.dwFileAttributes, data.dwReserved0);
}

std::string LinkTarget(const std::string& path) {
    const HANDLE file = CreateFileW(SystemPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::wstring buffer(32768, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    CloseHandle(file);
    if (length == 0 || length >= buffer.size()) return {};
    buffer.resize(length);
    // Back from the `\\?\` forms to the ordinary ones the rest of the tool shows.
    if (buffer.compare(0, 8, L"\\\\?\\UNC\\") == 0) buffer = L"\\\\" + buffer.substr(8);
    else if (buffer.compare(0, 4, L"\\\\?\\") == 0) buffer = buffer.substr(4);
    return Narrow(buffer.c_str());
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

bool TrustsFolderRenames(const std::string&) {
    return true;
}

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
    Outcome(done);
    internal::AfterWrite();
    return done;
}

bool Move(const std::string& from, const std::string& to) {
    // No MOVEFILE_REPLACE_EXISTING, no MOVEFILE_COPY_ALLOWED.
    const std::wstring source = SystemPath(from), target = SystemPath(to);
    bool done = Outcome(MoveFileExW(source.c_str(), target.c_str(), 0) != 0);
    // Two names of one file: wine reports the move done and changes nothing, as the
    // POSIX rename beneath it does. The target name is taken. (A rename that changes
    // letter case alone leaves the source's name in place by design.)
    if (done && _wcsicmp(source.c_str(), target.c_str()) != 0 &&
        GetFileAttributesW(source.c_str()) != INVALID_FILE_ATTRIBUTES) {
        done = false;
        lastFailure = Failure::kTaken;
    }
    internal::AfterWrite();
    return done;
}

bool RemoveSecondName(const std::string& path, const std::string& other) {
    const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
    const bool done = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                      SameFile(path, other) && Outcome(DeleteFileW(SystemPath(path).c_str()) != 0);
    internal::AfterWrite();
    return done;
}

bool RemoveEmptyFolder(const std::string& path) {
    // RemoveDirectoryW removes a junction or folder link whatever its target holds.
    const bool done = !IsLink(path) && Outcome(RemoveDirectoryW(SystemPath(path).c_str()) != 0);
    internal::AfterWrite();
    return done;
}

bool MakeFolder(const std::string& path) {
    const bool done = Outcome(CreateDirectoryW(SystemPath(path).c_str(), nullptr) != 0);
    internal::AfterWrite();
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

}  // namespace platform
