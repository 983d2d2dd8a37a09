#include "ArchivePaths.h"

#include <algorithm>
#include <vector>

#include "platform/FileSystem.h"

namespace archivepaths {

bool IsSeparator(char c) { return c == platform::kSeparator || c == '/'; }

std::string Join(const std::string& folder, std::string_view name) {
    std::string path = folder;
    // A WorkFolder at a root ("/", "D:\") already ends with its separator.
    if (path.empty() || !IsSeparator(path.back())) path += platform::kSeparator;
    path.append(name);
    return path;
}

std::size_t RootLength(std::string_view path) {
    if (path.size() >= 3 && path[1] == ':' && IsSeparator(path[2])) return 3;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        std::size_t at = path.find_first_of("\\/", 2);
        if (at != std::string_view::npos) at = path.find_first_of("\\/", at + 1);
        return at == std::string_view::npos ? path.size() : at + 1;
    }
    return !path.empty() && IsSeparator(path[0]) ? 1 : 0;
}

std::string Parent(const std::string& path) {
    const std::size_t root = std::max<std::size_t>(RootLength(path), 1);
    std::size_t end = path.size();
    while (end > root && IsSeparator(path[end - 1])) --end;
    while (end > root && !IsSeparator(path[end - 1])) --end;
    while (end > root && IsSeparator(path[end - 1])) --end;
    return path.substr(0, std::min(end, path.size()));
}

std::string_view BaseName(std::string_view path) {
    while (path.size() > 1 && IsSeparator(path.back())) path.remove_suffix(1);
    const std::size_t slash = path.find_last_of(platform::kSeparator == '/' ? "/" : "\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string Normal(std::string_view path) {
    const std::size_t root = RootLength(path);
    std::vector<std::string_view> parts;
    for (std::size_t at = root; at < path.size();) {
        std::size_t end = at;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        const std::string_view part = path.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..") parts.pop_back();
            else if (root == 0) parts.push_back(part);
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string normal(path.substr(0, root));
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) normal += platform::kSeparator;
        normal.append(parts[i]);
    }
    return normal;
}

std::optional<std::string> Below(const std::string& path, const std::string& folder) {
    const std::string base = Normal(folder);
    if (path == base) return std::string();
    if (path.size() <= base.size() || path.compare(0, base.size(), base) != 0 ||
        (!IsSeparator(path[base.size()]) && !IsSeparator(base.back())))
        return std::nullopt;
    return path.substr(base.size() + (IsSeparator(base.back()) ? 0 : 1));
}

}  // namespace archivepaths
