#include "tests/platform/TempTree.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <vector>

#include "base/Utf8.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace testtree {

namespace {

// The few primitives everything else is built on, straight on each system's API:
// std::filesystem in mingw-w64 cannot handle `\\?\` paths.
#ifdef _WIN32
constexpr char kSeparator = '\\';

std::wstring Wide(const std::string& path) { return Native(path).wstring(); }

std::string Utf8(const std::wstring& text) { return fs::path(text).u8string(); }

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

void MakeOneFolder(const std::string& path) {
    if (!CreateDirectoryW(Wide(path).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        throw std::runtime_error("cannot make folder " + path);
}

std::vector<std::string> Children(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW((Wide(folder) + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot list " + folder);
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(Utf8(name));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

void WriteBytes(const std::string& path, const std::string& content) {
    const HANDLE file =
        CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                    written == content.size();
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (!ok) throw std::runtime_error("cannot write " + path);
}

std::string ReadBytes(const std::string& path) {
    const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot read " + path);
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) content.append(buffer, read);
    CloseHandle(file);
    return content;
}

void RemoveTree(const std::string& path) {
    const std::wstring wide = Wide(path);
    // A read-only entry cannot be deleted.
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (IsFolder(path)) {
        for (const std::string& name : Children(path)) RemoveTree(Join(path, name));
        RemoveDirectoryW(wide.c_str());
    } else {
        DeleteFileW(wide.c_str());
    }
}

unsigned long ProcessId() { return GetCurrentProcessId(); }
#else
constexpr char kSeparator = '/';

bool IsFolder(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void MakeOneFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) throw std::runtime_error("cannot make folder " + path);
}

std::vector<std::string> Children(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) throw std::runtime_error("cannot list " + folder);
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    return names;
}

void WriteBytes(const std::string& path, const std::string& content) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    const bool ok = fd >= 0 && write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
    if (fd >= 0) close(fd);
    if (!ok) throw std::runtime_error("cannot write " + path);
}

std::string ReadBytes(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot read " + path);
    std::string content;
    char buffer[4096];
    ssize_t read_ = 0;
    while ((read_ = read(fd, buffer, sizeof buffer)) > 0) content.append(buffer, static_cast<std::size_t>(read_));
    close(fd);
    return content;
}

void RemoveTree(const std::string& path) {
    if (IsFolder(path)) {
        // A folder without write permission keeps its entries.
        chmod(path.c_str(), 0700);
        for (const std::string& name : Children(path)) RemoveTree(Join(path, name));
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

unsigned long ProcessId() { return static_cast<unsigned long>(getpid()); }
#endif

#ifdef _WIN32
// A reparse point is shown as a link; what wine shows of a Unix link says nothing of
// its target.
bool LinkTarget(const std::string& path, std::string& target) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    target = kReparsePoint;
    return true;
}
#else
bool LinkTarget(const std::string& path, std::string& target) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return false;
    std::vector<char> buffer(static_cast<std::size_t>(st.st_size) + 1);
    const ssize_t length = readlink(path.c_str(), buffer.data(), buffer.size());
    target.assign(buffer.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
    return true;
}
#endif

void ReadInto(Tree& tree, const std::string& folder, const std::string& prefix) {
    for (const std::string& name : Children(folder)) {
        const std::string path = Join(folder, name);
        std::string target;
        if (LinkTarget(path, target)) {
            tree.emplace(prefix + name, kLinkPrefix + target);
            continue;
        }
        if (IsFolder(path)) {
            tree.emplace(prefix + name + "/", "");
            ReadInto(tree, path, prefix + name + "/");
        } else {
            tree.emplace(prefix + name, ReadBytes(path));
        }
    }
}

}  // namespace

Tree WithFolders(const Tree& files) {
    Tree tree = files;
    for (const auto& [path, content] : files) {
        for (std::size_t slash = path.find('/'); slash != std::string::npos && slash + 1 < path.size();
             slash = path.find('/', slash + 1))
            tree.emplace(path.substr(0, slash + 1), "");
    }
    return tree;
}

std::string FoldCase(std::string_view name) {
    struct Fold {
        char32_t first, last;
        int by;
    };
    // ß has no capital of its own in the tables of exFAT and Samba: ẞ stays apart.
    static constexpr Fold kFolds[] = {{U'A', U'Z', 32},           {U'\u00C0', U'\u00D6', 32},
                                      {U'\u00D8', U'\u00DE', 32}, {U'\u0391', U'\u03A1', 32},
                                      {U'\u03A3', U'\u03A9', 32}, {U'\u0410', U'\u042F', 32}};
    std::u32string chars = base::DecodeUtf8(name);
    for (char32_t& c : chars)
        for (const Fold& f : kFolds)
            if (c >= f.first && c <= f.last) c = static_cast<char32_t>(static_cast<int>(c) + f.by);
    return base::EncodeUtf8(chars);
}

Tree FoldCase(const Tree& tree) {
    Tree folded;
    for (const auto& [path, content] : tree) folded.emplace(FoldCase(path), content);
    return folded;
}

fs::path Native(const std::string& path) {
#ifdef _WIN32
    std::string p = path;
    for (char& c : p)
        if (c == '/') c = '\\';
    if (p.size() >= 3 && p[1] == ':' && p[2] == '\\') p = "\\\\?\\" + p;
    return fs::u8path(p);
#else
    return fs::path(path);
#endif
}

std::string Join(const std::string& folder, const std::string& relative) {
    std::string path = folder;
    if (path.empty() || path.back() != kSeparator) path += kSeparator;
    for (char c : relative) path += c == '/' ? kSeparator : c;
    return path;
}

void WriteFile(const std::string& path, const std::string& content) { WriteBytes(path, content); }

void MakeFolders(const std::string& path) {
    // Every prefix that ends before a separator, past the root.
    const std::size_t start = path.size() > 3 && path[1] == ':' ? 3 : 1;
    for (std::size_t at = path.find(kSeparator, start); at != std::string::npos; at = path.find(kSeparator, at + 1))
        MakeOneFolder(path.substr(0, at));
    MakeOneFolder(path);
}

std::string ReadFile(const std::string& path) { return ReadBytes(path); }

bool Exists(const std::string& path) {
#ifdef _WIN32
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
#else
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
#endif
}

void SetReadOnly(const std::string& path, bool readOnly) {
#ifdef _WIN32
    const std::wstring wide = Wide(path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) throw std::runtime_error("no attributes: " + path);
    attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY);
    attributes =
        readOnly ? attributes | FILE_ATTRIBUTE_READONLY : attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    if (!SetFileAttributesW(wide.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL))
        throw std::runtime_error("cannot set attributes: " + path);
#else
    const unsigned mode = Mode(path);
    SetMode(path, readOnly ? mode & ~0222u : mode | 0200u);
#endif
}

void AddFolderAttribute(const std::string& path) {
#ifdef _WIN32
    const std::wstring wide = Wide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str()) & ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY);
    if (!SetFileAttributesW(wide.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN))
        throw std::runtime_error("cannot set attributes: " + path);
#else
    SetReadOnly(path, true);
#endif
}

#ifndef _WIN32
void SetMode(const std::string& path, unsigned mode) {
    if (chmod(path.c_str(), mode) != 0) throw std::runtime_error("cannot chmod " + path);
}

unsigned Mode(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) throw std::runtime_error("cannot stat " + path);
    return st.st_mode & 07777;
}
#endif

TempFolder::TempFolder() : TempFolder(fs::temp_directory_path().u8string()) {}

TempFolder::TempFolder(std::string root) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    while (root.size() > 1 && (root.back() == '/' || root.back() == '\\')) root.pop_back();
    for (int attempt = 0;; ++attempt) {
        const std::string candidate = Join(root, "sa-test-" + std::to_string(ProcessId()) + "-" +
                                                     std::to_string(stamp % 1000000) + "-" + std::to_string(counter++));
        if (!Exists(candidate)) {
            MakeOneFolder(candidate);
            path_ = candidate;
            return;
        }
        if (attempt > 100) throw std::runtime_error("cannot create a temporary folder in " + root);
    }
}

TempFolder::~TempFolder() {
    try {
        RemoveTree(path_);
    } catch (const std::exception&) {
        // Leftovers in the temporary folder are not worth failing a test for.
    }
}

void TempFolder::Build(const Tree& tree) const {
    for (const auto& [relative, content] : tree) {
        if (!relative.empty() && relative.back() == '/') {
            MakeFolders(Join(path_, relative.substr(0, relative.size() - 1)));
        } else {
            const std::size_t slash = relative.rfind('/');
            if (slash != std::string::npos) MakeFolders(Join(path_, relative.substr(0, slash)));
            WriteBytes(Join(path_, relative), content);
        }
    }
}

Tree ReadTree(const std::string& folder) {
    Tree tree;
    ReadInto(tree, folder, "");
    return tree;
}

Tree TempFolder::Read() const { return ReadTree(path_); }

}  // namespace testtree
