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

}  // namespace

struct FolderListing::State {
    std::string folder;
    HANDLE find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW data;
    bool pending = false;  // `data` holds an entry not yet yielded
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
    return true;
}

std::uint32_t FolderListing::Attributes(const std::string& name) const {
    if (state_->folder.empty()) return kInvalidAttributes;
    // Read now, not from the listing's batch, which may be older than the entry.
    std::string path = state_->folder;
    if (!IsSeparator(static_cast<wchar_t>(path.back()))) path += '\\';
    return platform::Attributes(path + name);
}

void FolderListing::Close() {
    if (state_->find != INVALID_HANDLE_VALUE) {
        FindClose(state_->find);
        state_->find = INVALID_HANDLE_VALUE;
    }
    state_->folder.clear();
    state_->pending = false;
}

std::uint32_t Attributes(const std::string& path) {
    return GetFileAttributesW(SystemPath(path).c_str());
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
    internal::AfterWrite();
    return done;
}

bool Move(const std::string& from, const std::string& to) {
    // No MOVEFILE_REPLACE_EXISTING, no MOVEFILE_COPY_ALLOWED.
    const bool done = MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(), 0) != 0;
    internal::AfterWrite();
    return done;
}

bool RemoveEmptyFolder(const std::string& path) {
    const bool done = RemoveDirectoryW(SystemPath(path).c_str()) != 0;
    internal::AfterWrite();
    return done;
}

bool MakeFolder(const std::string& path) {
    const bool done = CreateDirectoryW(SystemPath(path).c_str(), nullptr) != 0;
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
