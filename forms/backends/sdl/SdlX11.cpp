// What SDL leaves to Xlib itself, apart from the rest: Xlib's headers define None, Bool
// and Status. Xlib is SDL's, loaded at run time; nothing here links it.
#include "SdlX11.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <dlfcn.h>

namespace forms::sdl {

namespace {

using ErrorHandler = int (*)(Display*, XErrorEvent*);
using SetErrorHandler = ErrorHandler (*)(ErrorHandler);

ErrorHandler g_previous = nullptr;

// SDL wakes a waiting event loop with a message to one of the process's windows, over
// a connection of its own. When that window is destroyed before the server gets to
// the message, the server answers BadWindow, and Xlib's default handler would end the
// process for an event nobody needed; SDL reads that answer at the latest when it
// closes the connection, at the very end of the run.
int OnXError(Display* display, XErrorEvent* e) {
    if (e->error_code == BadWindow && e->request_code == X_SendEvent) return 0;
    return g_previous ? g_previous(display, e) : 0;
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
        if (old != OnXError) g_previous = old;
    }
}

namespace {

// The X11 side of an SDL window and the two Xlib calls that write its properties.
struct X11Window {
    using InternAtom = Atom (*)(Display*, const char*, Bool);
    using ChangeProperty = int (*)(Display*, Window, Atom, Atom, int, int, const unsigned char*, int);
    Display* display = nullptr;
    Window window = 0;
    InternAtom intern = nullptr;
    ChangeProperty change = nullptr;

    explicit X11Window(SDL_Window* w) {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (!SDL_GetWindowWMInfo(w, &info) || info.subsystem != SDL_SYSWM_X11) return;
        void* xlib = Xlib();
        if (!xlib) return;
        intern = reinterpret_cast<InternAtom>(dlsym(xlib, "XInternAtom"));
        change = reinterpret_cast<ChangeProperty>(dlsym(xlib, "XChangeProperty"));
        if (intern && change) {
            display = info.info.x11.display;
            window = info.info.x11.window;
        }
    }
    void Set(const char* name, Atom type, const void* data, size_t count) const {
        if (!display) return;
        const Atom atom = intern(display, name, False);
        change(display, window, atom, type ? type : atom, 32, PropModeReplace, static_cast<const unsigned char*>(data),
               static_cast<int>(count));
    }
};

}  // namespace

// The caption buttons a window's style allows, as Motif hints that window managers
// read when they map a window: a close box with the system menu, a minimise box where
// Windows would show one, never a maximise box (the library knows no resizing).
void SetCaptionButtons(SDL_Window* window, const WindowStyle& style) {
    if (style.Border == TBorderStyle::bsNone) return;  // SDL's own hint says "no frame"
    enum : long { kFunctions = 1, kDecorations = 2 };
    enum : long { kFuncMove = 4, kFuncMinimize = 8, kFuncClose = 32 };
    enum : long { kDecoBorder = 2, kDecoTitle = 8, kDecoMenu = 16, kDecoMinimize = 32 };
    long hints[5] = {kFunctions | kDecorations, kFuncMove, kDecoBorder | kDecoTitle, 0, 0};
    if (style.SystemMenu) {
        hints[1] |= kFuncClose;
        hints[2] |= kDecoMenu;
    }
    if (ShowsMinimizeBox(style)) {
        hints[1] |= kFuncMinimize;
        hints[2] |= kDecoMinimize;
    }
    X11Window(window).Set("_MOTIF_WM_HINTS", 0, hints, 5);
}

void SetIcons(SDL_Window* window, const std::vector<IconImage>& images) {
    // Format 32 travels as longs, whatever their width.
    std::vector<unsigned long> data;
    for (const IconImage& i : images) {
        data.push_back(static_cast<unsigned long>(i.Width));
        data.push_back(static_cast<unsigned long>(i.Height));
        data.insert(data.end(), i.Pixels.begin(), i.Pixels.end());
    }
    if (!data.empty()) X11Window(window).Set("_NET_WM_ICON", XA_CARDINAL, data.data(), data.size());
}

namespace {

// 0 where GDK_SCALE says nothing usable. No desktop scales beyond 16.
int32_t GdkScale(const char* text) {
    if (!text || !*text) return 0;
    char* end = nullptr;
    const long n = std::strtol(text, &end, 10);
    return *end == 0 && n >= 1 && n <= 16 ? static_cast<int32_t>(n) : 0;
}

}  // namespace

int32_t ScaleFor(const char* gdkScale, const char* xftDpi) {
    if (const int32_t n = GdkScale(gdkScale)) return n;
    const double dpi = xftDpi ? std::strtod(xftDpi, nullptr) : 0;
    if (!(dpi > 0 && dpi < 96 * 16)) return 1;
    return std::max<int32_t>(1, static_cast<int32_t>(std::lround(dpi / 96)));
}

int32_t DesktopScale() {
    if (const int32_t n = GdkScale(std::getenv("GDK_SCALE"))) return n;
    void* xlib = Xlib();
    if (!xlib) return 1;
    using OpenDisplay = Display* (*)(const char*);
    using GetDefault = char* (*)(Display*, const char*, const char*);
    using CloseDisplay = int (*)(Display*);
    auto open = reinterpret_cast<OpenDisplay>(dlsym(xlib, "XOpenDisplay"));
    auto get = reinterpret_cast<GetDefault>(dlsym(xlib, "XGetDefault"));
    auto close = reinterpret_cast<CloseDisplay>(dlsym(xlib, "XCloseDisplay"));
    if (!open || !get || !close) return 1;
    // SDL's connection is out of reach before it has a window, and the window's size
    // waits for the scale: a short connection of our own reads the resources.
    Display* display = open(nullptr);
    if (!display) return 1;
    const int32_t scale = ScaleFor(nullptr, get(display, "Xft", "dpi"));
    close(display);
    return scale;
}

bool X11KeyOf(const SDL_SysWMmsg& message, X11Key& key) {
    if (message.subsystem != SDL_SYSWM_X11) return false;
    XEvent e = message.msg.x11.event;
    if (e.type != KeyPress && e.type != KeyRelease) return false;
    void* xlib = Xlib();
    if (!xlib) return false;
    using LookupString = int (*)(XKeyEvent*, char*, int, KeySym*, XComposeStatus*);
    using KeysymToString = char* (*)(KeySym);
    static const auto lookup = reinterpret_cast<LookupString>(dlsym(xlib, "XLookupString"));
    static const auto name = reinterpret_cast<KeysymToString>(dlsym(xlib, "XKeysymToString"));
    if (!lookup || !name) return false;
    char typed[16];
    KeySym keysym = NoSymbol;
    const int length = lookup(&e.xkey, typed, sizeof typed, &keysym, nullptr);
    key.Press = e.type == KeyPress;
    key.State = e.xkey.state;
    key.Keysym = static_cast<uint32_t>(keysym);
    key.Keycode = e.xkey.keycode;
    key.Time = static_cast<uint32_t>(e.xkey.time);
    key.Typed.assign(typed, static_cast<size_t>(std::max(length, 0)));
    const char* n = keysym != NoSymbol ? name(keysym) : nullptr;
    key.Name = n ? n : "";
    return true;
}

}  // namespace forms::sdl
