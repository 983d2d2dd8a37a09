#pragma once
#include <string>

namespace platform {

// The running program's own file, as a full path in UTF-8; empty when unknown.
std::string ExecutablePath();

// From here on every library loaded by name, by the program or by the system's own
// libraries on its behalf, comes from the system folder only (Windows): a DLL lying
// beside the program (in Downloads, in a karaoke folder that other programs write
// into) never runs inside it. Elsewhere the loader looks in no such folder, and this
// does nothing.
void RestrictLibrarySearch();

}  // namespace platform
