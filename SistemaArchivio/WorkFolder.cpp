#include "SistemaArchivio/WorkFolder.h"

#include "platform/FileSystem.h"

std::string WorkFolder;
std::error_code WorkFolderError;

std::optional<std::string> WindowsWorkFolder(std::string_view current) {
    if (current.compare(0, 4, "\\\\?\\") == 0) current.remove_prefix(4);
    if (current.size() < 3 || current[1] != ':' || current[2] != '\\') return std::nullopt;
    char drive = current[0];
    if (drive >= 'a' && drive <= 'z') drive = static_cast<char>(drive - 'a' + 'A');
    if (drive < 'A' || drive > 'Z') return std::nullopt;
    // The drive prefix, then the folder below the root without its leading or
    // trailing backslash.
    std::string_view below = current.substr(3);
    while (!below.empty() && below.front() == '\\') below.remove_prefix(1);
    while (!below.empty() && below.back() == '\\') below.remove_suffix(1);
    std::string folder{drive, ':', '\\'};
    folder.append(below);
    return folder;
}

std::optional<std::string> PosixWorkFolder(std::string_view current) {
    if (current.empty() || current.front() != '/') return std::nullopt;
    while (current.size() > 1 && current.back() == '/') current.remove_suffix(1);
    return std::string(current);
}

bool CaptureWorkFolder() {
    WorkFolder.clear();
    std::error_code error;
    const std::string current = platform::CurrentFolder(error);
    if (error) {
        WorkFolderError = error;
        return false;
    }
#ifdef _WIN32
    const std::optional<std::string> folder = WindowsWorkFolder(current);
#else
    const std::optional<std::string> folder = PosixWorkFolder(current);
#endif
    if (!folder) {
        WorkFolderError = std::make_error_code(std::errc::no_such_file_or_directory);
        return false;
    }
    WorkFolder = *folder;
    WorkFolderError.clear();
    return true;
}
