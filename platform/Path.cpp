#include "Path.h"

#include <vector>

namespace platform::path {

bool IsSeparator(char c, System system) {
    return system == System::Windows ? windows::IsSeparator(c) : posix::IsSeparator(c);
}

Root RootOf(std::string_view path, System system) {
    return system == System::Windows ? windows::RootOf(path) : posix::RootOf(path);
}

std::string Join(std::string_view folder, std::string_view name, System system) {
    std::string path(folder);
    if (!path.empty() && !IsSeparator(path.back(), system)) path += Separator(system);
    path.append(name);
    return path;
}

std::string_view Trimmed(std::string_view path, System system) {
    const std::size_t root = RootLength(path, system);
    while (path.size() > root && IsSeparator(path.back(), system)) path.remove_suffix(1);
    return path;
}

std::string Parent(std::string_view path, System system) {
    path = Trimmed(path, system);
    const std::size_t root = RootLength(path, system);
    std::size_t end = path.size();
    while (end > root && !IsSeparator(path[end - 1], system)) --end;
    while (end > root && IsSeparator(path[end - 1], system)) --end;
    return end == 0 ? std::string(".") : std::string(path.substr(0, end));
}

std::string_view BaseName(std::string_view path, System system) {
    path = Trimmed(path, system);
    const std::size_t root = RootLength(path, system);
    std::size_t start = path.size();
    while (start > root && !IsSeparator(path[start - 1], system)) --start;
    return path.substr(start);
}

std::string Normal(std::string_view path, System system) {
    const std::size_t root = RootLength(path, system);
    std::vector<std::string_view> parts;
    for (std::size_t at = root; at < path.size();) {
        std::size_t end = at;
        while (end < path.size() && !IsSeparator(path[end], system)) ++end;
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
        if (i) normal += Separator(system);
        normal.append(parts[i]);
    }
    return normal;
}

std::optional<std::string> Below(std::string_view path, std::string_view folder, System system) {
    const std::string base = Normal(folder, system);
    if (path == base) return std::string();
    const bool rooted = !base.empty() && IsSeparator(base.back(), system);
    if (path.size() <= base.size() || path.compare(0, base.size(), base) != 0 ||
        (!rooted && !IsSeparator(path[base.size()], system)))
        return std::nullopt;
    return std::string(path.substr(base.size() + (rooted ? 0 : 1)));
}

}  // namespace platform::path
