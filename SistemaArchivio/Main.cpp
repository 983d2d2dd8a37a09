// The process entry: the application object, the main window and the family's
// dialogs (created hidden), the message loop.
// Whatever happens, the process ends with 0.
#include <memory>

#include "StartUp.h"
#include "forms/backends/PlatformBackend.h"
#include "forms/core/Application.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {
#ifdef _WIN32
// From here on every library loaded by name, by the program or by the system's own
// libraries on its behalf, comes from the system folder only: a DLL lying beside the
// program (in Downloads, in a karaoke folder that other programs write into) never
// runs inside it. The loader maps the program's static imports before any of its code
// runs: the program imports statically only KnownDLLs, which Windows takes from the
// system folder alone.
void RestrictDllSearch() {
    // Windows 7 has the call only with update KB2533623 installed.
    using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefaultDirectories>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    // Without it the system offers only to take the current folder out of the search;
    // the program's own folder stays first in it there.
    SetDllDirectoryW(L"");
}
#endif

void ShowAtEntry(const forms::Exception& e) {
    try {
        forms::Application->ShowException(e);
    } catch (...) {
        // The display itself failed: there is nothing left to report through.
    }
}
}  // namespace

int main() {
#ifdef _WIN32
    RestrictDllSearch();
#endif
    std::unique_ptr<forms::Backend> backend;
    try {
        backend = forms::CreatePlatformBackend();
    } catch (...) {
        return 0;  // no window system: nothing can be shown
    }
    forms::TApplication application(*backend);
    try {
        forms::Application->Initialize();
        CreateWindows();
        forms::Application->Run();
    } catch (const forms::Exception& e) {
        ShowAtEntry(e);
    } catch (...) {
        ShowAtEntry(forms::Exception(""));
    }
    return 0;
}
