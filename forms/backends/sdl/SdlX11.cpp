// What SDL leaves to Xlib itself, apart from the rest: Xlib's headers define None, Bool
// and Status. Xlib is SDL's, loaded at run time; nothing here links it.
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <dlfcn.h>

#include "SdlX11.h"

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

// The loaded Xlib, or nullptr when the process has none.
void* Xlib() {
    static void* xlib = nullptr;
    if (!xlib) xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    return xlib;
}

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

// The caption buttons a window's style allows, as Motif hints that window managers
// read when they map a window: a close box with the system menu, a minimise box where
// Windows would show one, never a maximise box (the library knows no resizing).
void SetCaptionButtons(SDL_Window* window, const WindowStyle& style) {
    if (style.Border == TBorderStyle::bsNone) return;  // SDL's own hint says "no frame"
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    void* xlib = Xlib();
    if (!xlib) return;
    using InternAtom = Atom (*)(Display*, const char*, Bool);
    using ChangeProperty = int (*)(Display*, Window, Atom, Atom, int, int, const unsigned char*, int);
    auto intern = reinterpret_cast<InternAtom>(dlsym(xlib, "XInternAtom"));
    auto change = reinterpret_cast<ChangeProperty>(dlsym(xlib, "XChangeProperty"));
    if (!intern || !change) return;

    enum : long { kFunctions = 1, kDecorations = 2 };
    enum : long { kFuncMove = 4, kFuncMinimize = 8, kFuncClose = 32 };
    enum : long { kDecoBorder = 2, kDecoTitle = 8, kDecoMenu = 16, kDecoMinimize = 32 };
    const bool sysMenu = style.SystemMenu;
    const bool minimize = sysMenu && style.MinimizeBox &&
                          (style.Border == TBorderStyle::bsSingle || style.Border == TBorderStyle::bsSizeable);
    long hints[5] = {kFunctions | kDecorations, kFuncMove, kDecoBorder | kDecoTitle, 0, 0};
    if (sysMenu) {
        hints[1] |= kFuncClose;
        hints[2] |= kDecoMenu;
    }
    if (minimize) {
        hints[1] |= kFuncMinimize;
        hints[2] |= kDecoMinimize;
    }
    Display* display = info.info.x11.display;
    const Atom atom = intern(display, "_MOTIF_WM_HINTS", False);
    change(display, info.info.x11.window, atom, atom, 32, PropModeReplace, reinterpret_cast<unsigned char*>(hints), 5);
}

}  // namespace forms::sdl
