#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Paths as text, by the rules of the system that reads them. Nothing here asks the
// file system: "." and ".." are worked out as text, as the system resolves them where
// no link lies on the way.
//   Windows: '\' and '/' both separate. Roots: a drive's, "C:\"; a share's,
//            "\\server\share\"; either behind the "\\?\" prefix ("\\?\C:\",
//            "\\?\UNC\server\share\"); and a lone "\", the current drive's.
//   Linux:   '/' alone separates and "/" is the one root. A backslash is a character
//            of a name like any other: "a\b.kar" is one file.
// Both systems' rules are built everywhere, so that each can be tested anywhere; a
// caller that names no system gets the rules of the one it runs on.
namespace platform::path {

enum class System { Posix, Windows };
#ifdef _WIN32
inline constexpr System kNative = System::Windows;
#else
inline constexpr System kNative = System::Posix;
#endif

// The separator the system writes.
constexpr char Separator(System system = kNative) { return system == System::Windows ? '\\' : '/'; }
bool IsSeparator(char c, System system = kNative);

// The root a path begins with, separators included: `length` is 0 for a relative path.
struct Root {
    enum class Kind {
        None,
        Lone,   // a separator alone: Linux's root; on Windows the current drive's
        Drive,  // "C:\"
        Share,  // "\\server\share\": two separators, then as much of the server's and the share's
                // names as the path holds, so an empty name makes no share the system reaches
    };
    Kind kind = Kind::None;
    std::size_t length = 0;
};
Root RootOf(std::string_view path, System system = kNative);
inline std::size_t RootLength(std::string_view path, System system = kNative) { return RootOf(path, system).length; }

// `folder` and `name` joined by one separator; a folder that ends with one (a root
// such as "/", "D:\") keeps its own. An empty folder leaves `name` as it is.
std::string Join(std::string_view folder, std::string_view name, System system = kNative);
// `path` without the separators that end it; a root keeps its own.
std::string_view Trimmed(std::string_view path, System system = kNative);
// The folder that holds `path`: a root is its own, and a name without a folder lies in ".".
std::string Parent(std::string_view path, System system = kNative);
// The last name of `path`, separators that end it left aside; empty for a root.
std::string_view BaseName(std::string_view path, System system = kNative);
// `path` with "." and ".." worked out, empty parts dropped and the system's separator
// between the parts; the root is kept as written. ".." at a root stays at the root; at
// the start of a relative path it stays.
std::string Normal(std::string_view path, System system = kNative);
// `path` (normal) below `folder`: "" for the folder itself, nothing for a path outside it.
std::optional<std::string> Below(std::string_view path, std::string_view folder, System system = kNative);

// Each system's separators and roots (Path_posix.cpp, Path_win32.cpp), on which the
// functions above build.
namespace posix {
bool IsSeparator(char c);
Root RootOf(std::string_view path);
}  // namespace posix
namespace windows {
bool IsSeparator(char c);
Root RootOf(std::string_view path);
}  // namespace windows

}  // namespace platform::path
