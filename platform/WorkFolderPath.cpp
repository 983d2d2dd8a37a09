#include "WorkFolderPath.h"

#include <cstddef>

namespace platform {

namespace {

// "server\share\folder" after the two backslashes of a network path, as Explorer
// starts a program on a share. The share's root keeps its backslash, as a drive's
// root does.
std::optional<std::string> ShareWorkFolder(std::string_view rest) {
    const std::size_t server = rest.find('\\');
    if (server == 0 || server == std::string_view::npos) return std::nullopt;
    const std::size_t share = rest.find('\\', server + 1);
    const std::size_t shareEnd = share == std::string_view::npos ? rest.size() : share;
    if (shareEnd == server + 1) return std::nullopt;
    std::string_view below = rest.substr(shareEnd);
    while (!below.empty() && below.front() == '\\') below.remove_prefix(1);
    while (!below.empty() && below.back() == '\\') below.remove_suffix(1);
    std::string folder = "\\\\";
    folder.append(rest.substr(0, shareEnd));
    folder += '\\';
    folder.append(below);
    return folder;
}

}  // namespace

std::optional<std::string> WindowsWorkFolder(std::string_view current) {
    if (current.compare(0, 8, "\\\\?\\UNC\\") == 0) return ShareWorkFolder(current.substr(8));
    if (current.compare(0, 4, "\\\\?\\") == 0) current.remove_prefix(4);
    if (current.compare(0, 2, "\\\\") == 0) return ShareWorkFolder(current.substr(2));
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

}  // namespace platform
