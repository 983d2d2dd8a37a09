// Xlib's error handling, apart from the rest: its headers define None, Bool and Status.
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <dlfcn.h>

namespace forms::sdl {

namespace {

using ErrorHandler = int (*)(Display*, XErrorEvent*);
using SetErrorHandler = ErrorHandler (*)(ErrorHandler);

ErrorHandler previous = nullptr;

// SDL wakes a waiting event loop with a message to one of the process's windows, over
// a connection of its own. When that window is destroyed before the server gets to
// the message, the server answers BadWindow, and Xlib's default handler would end the
// process for an event nobody needed; SDL reads that answer at the latest when it
// closes the connection, at the very end of the run.
int OnXError(Display* display, XErrorEvent* e) {
    if (e->error_code == BadWindow && e->request_code == X_SendEvent) return 0;
    return previous ? previous(display, e) : 0;
}

}  // namespace

// Before SDL's video starts: SDL puts a handler of its own in front of the one it
// finds and puts that one back when it stops, after which it closes its connections.
void GuardXErrors() {
    static void* xlib = nullptr;  // stays loaded: the handler is registered in it
    if (!xlib) xlib = dlopen("libX11.so.6", RTLD_LAZY);
    if (!xlib) return;
    if (auto set = reinterpret_cast<SetErrorHandler>(dlsym(xlib, "XSetErrorHandler"))) {
        const ErrorHandler old = set(OnXError);
        if (old != OnXError) previous = old;
    }
}

}  // namespace forms::sdl
