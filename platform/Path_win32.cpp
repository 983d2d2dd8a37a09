#include "Path.h"

// Windows' paths: '\' and '/' both separate, except in the "\\?\" prefix, which the
// system reads only as written.
namespace platform::path::windows {

namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The length of a name that starts at `at` and of the one separator that ends it.
std::size_t NameAt(std::string_view path, std::size_t at) {
    std::size_t end = at;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    return end - at + (end < path.size() ? 1 : 0);
}

// A share's root from `at`, where its server's name starts.
Root ShareFrom(std::string_view path, std::size_t at) {
    const std::size_t server = NameAt(path, at);
    return {Root::Kind::Share, at + server + NameAt(path, at + server)};
}

}  // namespace

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

Root RootOf(std::string_view path) {
    if (path.compare(0, 4, "\\\\?\\") == 0) {
        const std::string_view rest = path.substr(4);
        if (rest.size() >= 4 && (rest[0] | 0x20) == 'u' && (rest[1] | 0x20) == 'n' && (rest[2] | 0x20) == 'c' &&
            rest[3] == '\\')
            return ShareFrom(path, 8);
        // "\\?\C:\", or a volume's own name: "\\?\Volume{...}\".
        return {Root::Kind::Drive, 4 + NameAt(path, 4)};
    }
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return ShareFrom(path, 2);
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && IsSeparator(path[2]))
        return {Root::Kind::Drive, 3};
    if (!path.empty() && IsSeparator(path[0])) return {Root::Kind::Lone, 1};
    return {};
}

}  // namespace platform::path::windows
