// The tool as the start-up benchmark runs it: the same start-up as its entry, on an
// SDL backend that ends the process with 0 once the first frame reached the screen.
#include <unistd.h>

#include <cstdio>

#include "SistemaArchivio/StartUp.h"
#include "forms/backends/sdl/SdlBackend.h"
#include "forms/core/Application.h"

namespace {
class FirstFrameBackend : public forms::SdlBackend {
public:
    void Present(forms::WindowId w, const forms::TBitmap& image, const forms::TRect& dirty) override {
        SdlBackend::Present(w, image, dirty);
        std::fflush(nullptr);
        ::_exit(0);
    }
};
}  // namespace

int main() {
    FirstFrameBackend backend;
    forms::TApplication application(backend);
    application.Initialize();
    CreateWindows();
    application.Run();
    return 1;  // no frame ever reached the screen
}
