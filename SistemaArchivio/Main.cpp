// The process entry: the application object, the main window and the family's
// dialogs (created hidden), the message loop.
// Whatever happens, the process ends with 0.
#include <memory>

#ifndef _WIN32
#include <csignal>
#endif

#include "StartUp.h"
#include "forms/backends/PlatformBackend.h"
#include "forms/core/Application.h"

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
#ifndef _WIN32
    // A display that closes its connection while the tool writes to it (as an X server
    // starting afresh does) fails that write; the display code then tries again, where
    // SIGPIPE would have ended the process.
    std::signal(SIGPIPE, SIG_IGN);
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
