#include "WorkFolderPath.h"

#include <algorithm>

#include "Path.h"

namespace platform {

std::optional<std::string> WindowsWorkFolder(std::string_view current) {
    constexpr path::System kWindows = path::System::Windows;
    // Written in the ordinary form, as the pass joins to it: without "\\?\".
    std::string ordinary(current);
    if (current.compare(0, 8, "\\\\?\\UNC\\") == 0) ordinary = "\\\\" + ordinary.substr(8);
    else if (current.compare(0, 4, "\\\\?\\") == 0) ordinary.erase(0, 4);
    std::replace(ordinary.begin(), ordinary.end(), '/', '\\');

    const path::Root root = path::RootOf(ordinary, kWindows);
    std::string folder = ordinary.substr(0, root.length);
    if (root.kind == path::Root::Kind::Drive) {
        if (folder[0] >= 'a' && folder[0] <= 'z') folder[0] = static_cast<char>(folder[0] - 'a' + 'A');
    } else if (root.kind == path::Root::Kind::Share) {
        // "\\server\share" names a share only with both names; its root keeps its
        // backslash, as a drive's does.
        const std::size_t server = folder.find('\\', 2);
        if (server == 2 || server == std::string::npos || server + 1 == folder.size() || folder[server + 1] == '\\')
            return std::nullopt;
        if (folder.back() != '\\') folder += '\\';
    } else {
        return std::nullopt;
    }
    // The folder below the root, without a separator at either end.
    std::string_view below = std::string_view(ordinary).substr(root.length);
    while (!below.empty() && below.front() == '\\') below.remove_prefix(1);
    folder.append(path::Trimmed(below, kWindows));
    return folder;
}

std::optional<std::string> PosixWorkFolder(std::string_view current) {
    if (path::RootOf(current, path::System::Posix).kind == path::Root::Kind::None) return std::nullopt;
    return std::string(path::Trimmed(current, path::System::Posix));
}

}  // namespace platform
