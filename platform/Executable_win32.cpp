#include "Executable.h"

#include <windows.h>

#include "Utf8.h"

namespace platform {

std::string ExecutablePath() {
    std::wstring buf(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    buf.resize(n);
    return Utf16ToUtf8({reinterpret_cast<const char16_t*>(buf.data()), buf.size()});
}

// The loader maps the program's static imports before any of its code runs: the
// program imports statically only KnownDLLs, which Windows takes from the system
// folder alone.
void RestrictLibrarySearch() {
    // Windows 7 has the call only with update KB2533623 installed.
    using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefaultDirectories>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    // Without it the system offers only to take the current folder out of the search;
    // the program's own folder stays first in it there.
    SetDllDirectoryW(L"");
}

}  // namespace platform
