#pragma once
#include <optional>
#include <string>
#include <string_view>

// How the system spells the folder a program runs in, as the conversion pass joins
// its paths to it.
//   Windows: drive-qualified, "C:\Programs\Songs"; "D:\" at a drive's root; on a
//            network share "\\server\share\Songs", "\\server\share\" at its root.
//   Linux:   absolute, "/srv/karaoke"; "/" at the root.
// Both spellings are built on every system, so that each can be tested anywhere.
namespace platform {

// The folder for a current folder as the system reports it; nothing when that report
// has no such form.
std::optional<std::string> WindowsWorkFolder(std::string_view current);
std::optional<std::string> PosixWorkFolder(std::string_view current);

// The spelling of the system the program runs on.
std::optional<std::string> WorkFolderPath(std::string_view current);

}  // namespace platform
