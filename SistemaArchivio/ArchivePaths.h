#pragma once
#include <optional>
#include <string>
#include <string_view>

// Paths as text, with the system's separator; '/' is read as a separator too.
namespace archivepaths {

bool IsSeparator(char c);
// `folder` and `name` joined by one separator; a root ("/", "D:\") keeps its own.
std::string Join(const std::string& folder, std::string_view name);
// How much of `path` is its root: "/", "C:\", "\\server\share\"; 0 for a relative path.
std::size_t RootLength(std::string_view path);
// The folder that holds `path`; a root is its own.
std::string Parent(const std::string& path);
std::string_view BaseName(std::string_view path);
// `path` with "." and ".." worked out as text, as the system resolves a link's target
// when no link lies on the way.
std::string Normal(std::string_view path);
// `path` (normal) below `folder`: "" for the folder itself, nothing for a path outside it.
std::optional<std::string> Below(const std::string& path, const std::string& folder);

}  // namespace archivepaths
