// The process entry: the application object, the main window and the family's
// dialogs (created hidden), the message loop.
// Whatever happens, the process ends with 0.
#include <memory>

#include "StartUp.h"
#include "forms/backends/PlatformBackend.h"
#include "forms/core/Application.h"
#include "platform/Executable.h"

namespace {
void ShowAtEntry(const forms::Exception& e) {
    try {
        forms::Application->ShowException(e);
    } catch (...) {
        // The display itself failed: there is nothing left to report through.
    }
}
}  // namespace

int main() {
    platform::RestrictLibrarySearch();
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
