#include "SdlBackend.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <unordered_map>

#include "../ClassicFrame.h"
#include "../PlatformBackend.h"
#include "../../core/Exceptions.h"
#include "SdlIcon.h"
#include "SdlKeys.h"
#include "SdlX11.h"
#include "base/Utf8.h"

extern char** environ;

namespace forms {

namespace {

// ---- timers ----
// SDL runs timer callbacks on a thread of its own that lives as long as SDL does, so
// the table they consult is process-wide and never destroyed.
struct TimerTable {
    std::mutex Lock;
    // Every running timer, with whether its tick waits in the event queue.
    std::unordered_map<TimerId, bool> Waiting;
    uint32_t EventType = 0;
};

TimerTable& Timers() {
    static TimerTable* table = new TimerTable;
    return *table;
}

std::atomic<TimerId> nextTimerId{1};

enum UserCode : int32_t { kTick = 1, kWake = 2 };

// One tick in the queue per timer: a handler slower than its interval gets the next
// tick when it is done, not a backlog.
Uint32 OnSdlTimer(Uint32 interval, void* param) {
    const auto id = reinterpret_cast<TimerId>(param);
    TimerTable& table = Timers();
    std::lock_guard<std::mutex> lock(table.Lock);
    auto it = table.Waiting.find(id);
    if (it == table.Waiting.end()) return 0;
    if (!it->second) {
        SDL_Event e{};
        e.type = table.EventType;
        e.user.code = kTick;
        e.user.data1 = param;
        if (SDL_PushEvent(&e) == 1) it->second = true;
    }
    return interval;
}

// ---- frames ----
using Frame = FrameInsets;

enum Decoration : uint8_t { kPlain, kTool, kNone, kDecorations };

Decoration DecorationOf(const WindowStyle& s) {
    switch (s.Border) {
        case TBorderStyle::bsNone: return kNone;
        case TBorderStyle::bsToolWindow:
        case TBorderStyle::bsSizeToolWin: return kTool;
        default: return kPlain;
    }
}

struct Window {
    WindowParams Params;  // Left/Top the outer corner, sizes of the client area
    SDL_Window* Sdl = nullptr;
    Frame Border;
    bool Enabled = true;
    bool Shown = false;
    bool EverShown = false;
    bool Minimized = false;
};

bool EndsWithExe(const std::string& s) {
    if (s.size() < 4) return false;
    std::string tail = s.substr(s.size() - 4);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".exe";
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

std::string Unquoted(std::string s) {
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
    return s;
}

std::string InFolder(const std::string& folder, const std::string& file) {
    if (folder.empty() || file.empty() || file.front() == '/') return file;
    return folder.back() == '/' ? folder + file : folder + "/" + file;
}

bool IsUrl(const std::string& s) { return s.find("://") != std::string::npos; }

}  // namespace

struct SdlBackend::State {
    bool eventsReady = false;
    bool videoReady = false;
    bool quit = false;
    // The keyboard focus left with a window of ours that went away: the next
    // activation may take it back directly.
    bool focusHandedBack = false;
    uint32_t userEvent = 0;

    std::map<WindowId, Window> windows;
    std::unordered_map<Uint32, WindowId> bySdl;
    WindowId nextWindow = 1;
    WindowId focus = 0;  // the window that last gained the keyboard focus
    std::vector<WindowId> shownOrder;  // most recently shown last

    Frame measured[kDecorations];
    bool measuredKnown[kDecorations] = {};

    std::unordered_map<TimerId, SDL_TimerID> timers;
    std::vector<pid_t> children;
    uint8_t mouseButtons = 0;  // ssLeft | ssRight | ssMiddle as the events said

    bool iconLoaded = false;
    SDL_Surface* icon = nullptr;

    Window* Find(WindowId w) {
        auto it = windows.find(w);
        return it == windows.end() ? nullptr : &it->second;
    }
    WindowId FromSdl(Uint32 sdlId) const {
        auto it = bySdl.find(sdlId);
        return it == bySdl.end() ? 0 : it->second;
    }
    // Input reaches a window only while it is shown and enabled.
    bool Accepts(WindowId w) {
        const Window* win = Find(w);
        return win && win->Sdl && win->Shown && win->Enabled;
    }
    Frame FrameFor(const WindowStyle& s) const {
        const Decoration d = DecorationOf(s);
        return measuredKnown[d] ? measured[d] : ClassicFrame(s);
    }

    void EnsureEvents() {
        if (eventsReady) return;
        if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0)
            throw Exception(std::string("SDL events: ") + SDL_GetError());
        eventsReady = true;
        if (userEvent == 0) {
            userEvent = SDL_RegisterEvents(1);
            std::lock_guard<std::mutex> lock(Timers().Lock);
            Timers().EventType = userEvent;
        }
    }

    void EnsureVideo() {
        if (videoReady) return;
        EnsureEvents();
        // A desktop that can show windows, or none at all: SDL would otherwise fall back
        // to drivers that draw nowhere. SDL_VIDEODRIVER still decides when it is set.
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11,wayland", SDL_HINT_DEFAULT);
        // A framebuffer through the window system itself: a GL renderer behind the
        // window surface costs tens of milliseconds and megabytes at start-up.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        // The library decides what closing a window means, also for the last one.
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        // The click that activates a window reaches it, as on Windows.
        SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
        // A desktop tool: leave the screen saver and the compositor alone.
        SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
        SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
        const char* display = std::getenv("DISPLAY");
        const bool x11 = display && *display;
        if (x11) sdl::GuardXErrors();
        // An X server that starts afresh when its last client leaves (Xvfb without
        // -noreset, as xvfb-run starts it) closes the connections that reach it in that
        // moment, so a start right after an earlier run can find the display gone for an
        // instant. Only a display that stays away through every attempt is reported.
        constexpr int kAttempts = 5;
        constexpr Uint32 kPauseMs = 100;
        for (int attempt = 1; SDL_InitSubSystem(SDL_INIT_VIDEO) != 0; ++attempt) {
            if (!x11 || attempt == kAttempts)
                throw Exception(std::string("Cannot open the display: ") + SDL_GetError());
            SDL_Delay(kPauseMs);
        }
        videoReady = true;
        SDL_StartTextInput();
    }

    // The program has one icon: the first one a window brings is kept for all.
    void LoadIcon(std::string_view ico) {
        if (iconLoaded || ico.empty()) return;
        iconLoaded = true;
        const sdl::IconImage image = sdl::DecodeIcon(ico, 32);
        if (image.Pixels.empty()) return;
        icon = SDL_CreateRGBSurfaceWithFormat(0, image.Width, image.Height, 32, SDL_PIXELFORMAT_ARGB8888);
        if (!icon) return;
        for (int32_t y = 0; y < image.Height; ++y)
            std::memcpy(static_cast<uint8_t*>(icon->pixels) + static_cast<size_t>(y) * static_cast<size_t>(icon->pitch),
                        image.Pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(image.Width),
                        static_cast<size_t>(image.Width) * 4);
    }

    // The SDL window is made at the first showing: every bound and caption change
    // before that is free, and nothing waits for a window manager on the way.
    void Realise(WindowId id, Window& w) {
        if (w.Sdl) return;
        EnsureVideo();
        const WindowStyle& st = w.Params.Style;
        Uint32 flags = SDL_WINDOW_HIDDEN;
        if (st.Border == TBorderStyle::bsNone) flags |= SDL_WINDOW_BORDERLESS;
        if (DecorationOf(st) == kTool) flags |= SDL_WINDOW_UTILITY | SDL_WINDOW_SKIP_TASKBAR;
        if (st.StayOnTop) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
        SDL_SetHint(SDL_HINT_X11_WINDOW_TYPE,
                    st.Border == TBorderStyle::bsDialog ? "_NET_WM_WINDOW_TYPE_DIALOG" : "_NET_WM_WINDOW_TYPE_NORMAL");
        w.Border = FrameFor(st);
        // A new window's position is where the window manager puts the frame's corner
        // (the client lands inside it); without a window manager there is no frame and
        // the client takes the corner itself.
        w.Sdl = SDL_CreateWindow(w.Params.Caption.c_str(), w.Params.Left, w.Params.Top,
                                 std::max(w.Params.ClientWidth, 1), std::max(w.Params.ClientHeight, 1), flags);
        if (!w.Sdl) throw Exception(std::string("Cannot create a window: ") + SDL_GetError());
        bySdl[SDL_GetWindowID(w.Sdl)] = id;
        if (w.Params.HasIcon) {
            LoadIcon(w.Params.Icon);
            if (icon) SDL_SetWindowIcon(w.Sdl, icon);
        }
        if (Window* owner = Find(w.Params.Owner))
            if (owner->Sdl) SDL_SetWindowModalFor(w.Sdl, owner->Sdl);
    }

    // The frame the window manager reports. Right after the first showing its word is
    // final, also when it reports none (no window manager: no frame); later only a frame
    // it reports late replaces it.
    void MeasureFrame(Window& w, bool atShowing) {
        int top = 0, left = 0, bottom = 0, right = 0;
        if (SDL_GetWindowBordersSize(w.Sdl, &top, &left, &bottom, &right) != 0) return;
        if (!atShowing && top == 0 && left == 0 && bottom == 0 && right == 0) return;
        const Frame f{left, top, right, bottom};
        w.Border = f;
        const Decoration d = DecorationOf(w.Params.Style);
        measured[d] = f;
        measuredKnown[d] = true;
    }

    void ReapChildren() {
        children.erase(std::remove_if(children.begin(), children.end(),
                                      [](pid_t pid) {
                                          int status = 0;
                                          return ::waitpid(pid, &status, WNOHANG) != 0;
                                      }),
                       children.end());
    }

    void Forget(WindowId id) {
        shownOrder.erase(std::remove(shownOrder.begin(), shownOrder.end(), id), shownOrder.end());
        if (focus == id) focus = 0;
    }
};

SdlBackend::SdlBackend() : s_(std::make_unique<State>()) {}

SdlBackend::~SdlBackend() {
    for (const auto& [id, sdlTimer] : s_->timers) {
        {
            std::lock_guard<std::mutex> lock(Timers().Lock);
            Timers().Waiting.erase(id);
        }
        SDL_RemoveTimer(sdlTimer);
    }
    for (auto& [id, w] : s_->windows)
        if (w.Sdl) SDL_DestroyWindow(w.Sdl);
    if (s_->icon) SDL_FreeSurface(s_->icon);
    s_->ReapChildren();
    if (s_->eventsReady) SDL_Quit();
}

WindowId SdlBackend::CreateWindow(const WindowParams& p) {
    const WindowId id = s_->nextWindow++;
    Window& w = s_->windows[id];
    w.Params = p;
    w.Border = s_->FrameFor(p.Style);
    return id;
}

void SdlBackend::DestroyWindow(WindowId id) {
    Window* w = s_->Find(id);
    if (!w) return;
    if (w->Sdl) {
        if (SDL_GetKeyboardFocus() == w->Sdl) s_->focusHandedBack = true;
        s_->bySdl.erase(SDL_GetWindowID(w->Sdl));
        SDL_DestroyWindow(w->Sdl);
    }
    s_->Forget(id);
    s_->windows.erase(id);
}

void SdlBackend::SetCaption(WindowId id, const std::string& caption) {
    Window* w = s_->Find(id);
    if (!w) return;
    w->Params.Caption = caption;
    if (w->Sdl) SDL_SetWindowTitle(w->Sdl, caption.c_str());
}

void SdlBackend::SetBounds(WindowId id, int32_t left, int32_t top, int32_t clientWidth, int32_t clientHeight) {
    Window* w = s_->Find(id);
    if (!w) return;
    WindowParams& p = w->Params;
    p.Left = left;
    p.Top = top;
    p.ClientWidth = clientWidth;
    p.ClientHeight = clientHeight;
    if (!w->Sdl) return;
    // SDL waits for the window manager after each change it passes on: pass on real
    // changes only.
    int cw = 0, ch = 0, x = 0, y = 0;
    SDL_GetWindowSize(w->Sdl, &cw, &ch);
    if (cw != std::max(clientWidth, 1) || ch != std::max(clientHeight, 1))
        SDL_SetWindowSize(w->Sdl, std::max(clientWidth, 1), std::max(clientHeight, 1));
    SDL_GetWindowPosition(w->Sdl, &x, &y);
    if (x != left + w->Border.Left || y != top + w->Border.Top)
        SDL_SetWindowPosition(w->Sdl, left + w->Border.Left, top + w->Border.Top);
}

void SdlBackend::Show(WindowId id, ShowMode mode) {
    Window* w = s_->Find(id);
    if (!w) return;
    if (mode == ShowMode::Hide) {
        if (w->Sdl && w->Shown) {
            if (SDL_GetKeyboardFocus() == w->Sdl) s_->focusHandedBack = true;
            SDL_HideWindow(w->Sdl);
        }
        w->Shown = false;
        s_->Forget(id);
        return;
    }
    s_->Realise(id, *w);
    if (!w->Shown) {
        // SDL writes its own frame hints while it makes the window: ours go on last.
        if (!w->EverShown) sdl::SetCaptionButtons(w->Sdl, w->Params.Style);
        SDL_ShowWindow(w->Sdl);
        if (!w->EverShown) s_->MeasureFrame(*w, true);
        w->EverShown = true;
        w->Shown = true;
        s_->Forget(id);
        s_->shownOrder.push_back(id);
    }
    if (mode == ShowMode::Minimized) {
        SDL_MinimizeWindow(w->Sdl);
        w->Minimized = true;
    } else if (w->Minimized) {
        SDL_RestoreWindow(w->Sdl);
        w->Minimized = false;
    }
}

void SdlBackend::Enable(WindowId id, bool enabled) {
    if (Window* w = s_->Find(id)) w->Enabled = enabled;
}

void SdlBackend::Activate(WindowId id) {
    Window* w = s_->Find(id);
    if (!w || !w->Sdl || !w->Shown || w->Minimized) return;
    SDL_Window* focused = SDL_GetKeyboardFocus();
    if (focused == w->Sdl) return;
    SDL_RaiseWindow(w->Sdl);
    // Moving the keyboard focus between our own windows is ours to do; taking it from
    // another program is the window manager's (the raise above asks it to).
    if (focused || s_->focusHandedBack) SDL_SetWindowInputFocus(w->Sdl);
    s_->focusHandedBack = false;
}

TSize SdlBackend::OuterSize(const WindowStyle& style, int32_t clientWidth, int32_t clientHeight) {
    const Frame f = s_->FrameFor(style);
    return {clientWidth + f.Left + f.Right, clientHeight + f.Top + f.Bottom};
}

TRect SdlBackend::ScreenRect() {
    s_->EnsureVideo();
    SDL_Rect r{};
    if (SDL_GetDisplayBounds(0, &r) != 0) return {0, 0, 1024, 768};
    return {r.x, r.y, r.x + r.w, r.y + r.h};
}

void SdlBackend::Present(WindowId id, const TBitmap& image, const TRect& dirty) {
    Window* w = s_->Find(id);
    if (!w || !w->Sdl || !w->Shown) return;  // the expose after the showing paints it
    SDL_Surface* surface = SDL_GetWindowSurface(w->Sdl);
    if (!surface) return;
    const TRect r = dirty.Intersect({0, 0, std::min(image.Width(), surface->w), std::min(image.Height(), surface->h)});
    if (r.IsEmpty()) return;
    const SDL_PixelFormat* fmt = surface->format;
    if (fmt->BytesPerPixel == 4 && fmt->Rmask == 0x00FF0000u && fmt->Gmask == 0x0000FF00u && fmt->Bmask == 0x000000FFu) {
        // The window's own layout: rows copied as they are, opaque where it has alpha.
        const uint32_t alpha = fmt->Amask;
        if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
        const auto width = static_cast<size_t>(image.Width());
        for (int32_t y = r.Top; y < r.Bottom; ++y) {
            const uint32_t* from = image.Bits() + static_cast<size_t>(y) * width + static_cast<size_t>(r.Left);
            auto* to = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) +
                                                   static_cast<size_t>(y) * static_cast<size_t>(surface->pitch)) +
                       r.Left;
            if (alpha == 0) std::memcpy(to, from, static_cast<size_t>(r.Width()) * 4);
            else
                for (int32_t x = 0; x < r.Width(); ++x) to[x] = from[x] | alpha;
        }
        if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    } else {
        SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(image.Bits()), image.Width(),
                                                                 image.Height(), 32, image.Width() * 4,
                                                                 SDL_PIXELFORMAT_RGB888);
        if (!source) return;
        SDL_Rect from{r.Left, r.Top, r.Width(), r.Height()};
        SDL_Rect to = from;
        SDL_BlitSurface(source, &from, surface, &to);
        SDL_FreeSurface(source);
    }
    const SDL_Rect rect{r.Left, r.Top, r.Width(), r.Height()};
    SDL_UpdateWindowSurfaceRects(w->Sdl, &rect, 1);
}

void SdlBackend::PostQuit() {
    s_->quit = true;
    if (!s_->eventsReady) return;
    SDL_Event e{};
    e.type = s_->userEvent;
    e.user.code = kWake;
    SDL_PushEvent(&e);
}

namespace {

TShiftState KeyShift(Uint16 mod) {
    TShiftState s = 0;
    if (mod & KMOD_SHIFT) s |= ssShift;
    if (mod & KMOD_CTRL) s |= ssCtrl;
    if (mod & KMOD_ALT) s |= ssAlt;
    return s;
}

uint8_t ButtonFlag(Uint8 button) {
    switch (button) {
        case SDL_BUTTON_LEFT: return ssLeft;
        case SDL_BUTTON_RIGHT: return ssRight;
        case SDL_BUTTON_MIDDLE: return ssMiddle;
        default: return 0;
    }
}

uint8_t ButtonFlags(Uint32 sdlState) {
    uint8_t s = 0;
    if (sdlState & SDL_BUTTON_LMASK) s |= ssLeft;
    if (sdlState & SDL_BUTTON_RMASK) s |= ssRight;
    if (sdlState & SDL_BUTTON_MMASK) s |= ssMiddle;
    return s;
}

}  // namespace

bool SdlBackend::ProcessEvents(bool wait) {
    State& s = *s_;
    if (s.quit) return false;
    s.EnsureEvents();
    if (!s.children.empty()) s.ReapChildren();

    auto window = [&s](Uint32 sdlId) { return s.FromSdl(sdlId); };
    // Keys and text go where the keyboard focus is; SDL names no window while none
    // of ours has it, and then the last one that had it stands in.
    auto keyWindow = [&s](Uint32 sdlId) {
        const WindowId w = s.FromSdl(sdlId);
        return w ? w : s.focus;
    };

    auto dispatch = [&](const SDL_Event& e) {
        EventSink* sink = Sink();
        if (e.type == s.userEvent) {
            if (e.user.code == kWake) return;
            const auto id = reinterpret_cast<TimerId>(e.user.data1);
            {
                std::lock_guard<std::mutex> lock(Timers().Lock);
                auto it = Timers().Waiting.find(id);
                if (it == Timers().Waiting.end()) return;  // stopped meanwhile
                it->second = false;
            }
            if (sink) sink->Timer(id);
            return;
        }
        switch (e.type) {
            case SDL_QUIT:
                s.quit = true;
                return;
            case SDL_WINDOWEVENT: {
                const WindowId w = window(e.window.windowID);
                Window* win = s.Find(w);
                if (!win) return;
                switch (e.window.event) {
                    case SDL_WINDOWEVENT_SHOWN:
                        s.MeasureFrame(*win, false);
                        return;
                    case SDL_WINDOWEVENT_EXPOSED:
                        s.MeasureFrame(*win, false);
                        if (sink) sink->Paint(w, {0, 0, win->Params.ClientWidth, win->Params.ClientHeight});
                        return;
                    case SDL_WINDOWEVENT_MOVED: {
                        s.MeasureFrame(*win, false);
                        const int32_t left = e.window.data1 - win->Border.Left;
                        const int32_t top = e.window.data2 - win->Border.Top;
                        if (left == win->Params.Left && top == win->Params.Top) return;
                        win->Params.Left = left;
                        win->Params.Top = top;
                        if (sink) sink->Moved(w, left, top);
                        return;
                    }
                    case SDL_WINDOWEVENT_MINIMIZED:
                        win->Minimized = true;
                        return;
                    case SDL_WINDOWEVENT_RESTORED:
                        win->Minimized = false;
                        return;
                    case SDL_WINDOWEVENT_CLOSE:
                        if (sink && s.Accepts(w)) sink->CloseRequest(w);
                        return;
                    case SDL_WINDOWEVENT_FOCUS_GAINED:
                        if (!win->Enabled) {
                            // As a disabled owner does on Windows: the window that
                            // disabled it comes forward instead.
                            for (auto it = s.shownOrder.rbegin(); it != s.shownOrder.rend(); ++it)
                                if (*it != w && s.Accepts(*it)) {
                                    Activate(*it);
                                    break;
                                }
                            return;
                        }
                        s.focus = w;
                        if (sink) sink->Activated(w, true);
                        return;
                    case SDL_WINDOWEVENT_FOCUS_LOST:
                        if (sink) sink->Activated(w, false);
                        return;
                    default:
                        return;
                }
            }
            case SDL_MOUSEMOTION: {
                const WindowId w = window(e.motion.windowID);
                if (sink && s.Accepts(w) && e.motion.which != SDL_TOUCH_MOUSEID)
                    sink->MouseMove(w, static_cast<TShiftState>(KeyShift(static_cast<Uint16>(SDL_GetModState())) |
                                                                ButtonFlags(e.motion.state)),
                                    e.motion.x, e.motion.y);
                return;
            }
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP: {
                const uint8_t flag = ButtonFlag(e.button.button);
                if (flag == 0 || e.button.which == SDL_TOUCH_MOUSEID) return;
                const bool down = e.type == SDL_MOUSEBUTTONDOWN;
                if (down) s.mouseButtons |= flag;
                else s.mouseButtons &= static_cast<uint8_t>(~flag);
                const WindowId w = window(e.button.windowID);
                if (!sink || !s.Accepts(w)) return;
                const TMouseButton b = flag == ssLeft    ? TMouseButton::mbLeft
                                       : flag == ssRight ? TMouseButton::mbRight
                                                         : TMouseButton::mbMiddle;
                const auto shift =
                    static_cast<TShiftState>(KeyShift(static_cast<Uint16>(SDL_GetModState())) | s.mouseButtons);
                if (down) sink->MouseDown(w, b, shift, e.button.x, e.button.y);
                else sink->MouseUp(w, b, shift, e.button.x, e.button.y);
                return;
            }
            case SDL_KEYDOWN:
            case SDL_KEYUP: {
                const WindowId w = keyWindow(e.key.windowID);
                const uint16_t key = sdl::VirtualKey(e.key.keysym.sym, e.key.keysym.scancode);
                if (!sink || key == 0 || !s.Accepts(w)) return;
                const TShiftState shift = KeyShift(e.key.keysym.mod);
                if (e.type == SDL_KEYUP) {
                    sink->KeyUp(w, key, shift);
                    return;
                }
                sink->KeyDown(w, key, shift);
                if (const char32_t c = sdl::ControlCharacter(key, shift); c != 0 && s.Accepts(w)) sink->Char(w, c);
                // Without a window manager in between, Alt+F4 reaches the window.
                if (key == VK_F4 && (shift & (ssAlt | ssCtrl)) == ssAlt && s.Accepts(w))
                    if (s.Find(w)->Params.Style.SystemMenu) sink->CloseRequest(w);
                return;
            }
            case SDL_TEXTINPUT: {
                const WindowId w = keyWindow(e.text.windowID);
                for (char32_t c : base::DecodeUtf8(e.text.text)) {
                    if (!sink || !s.Accepts(w)) return;
                    sink->Char(w, c);
                }
                return;
            }
            default:
                return;
        }
    };

    SDL_Event first;
    const bool waited = wait && SDL_WaitEvent(&first) == 1;
    if (wait && !waited) SDL_Delay(1);
    // What is queued when the wait ends, and no more: a tick that comes due while a
    // handler runs waits for the next call, so the caller's loop gets to look at its
    // state between batches.
    SDL_PumpEvents();
    int pending = SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
    if (waited) dispatch(first);
    SDL_Event e;
    while (pending-- > 0 && !s.quit && SDL_PollEvent(&e)) dispatch(e);
    return !s.quit;
}

TimerId SdlBackend::StartTimer(uint32_t intervalMs) {
    s_->EnsureEvents();
    if (!SDL_WasInit(SDL_INIT_TIMER) && SDL_InitSubSystem(SDL_INIT_TIMER) != 0) return 0;
    const TimerId id = nextTimerId++;
    {
        std::lock_guard<std::mutex> lock(Timers().Lock);
        Timers().Waiting[id] = false;
    }
    const SDL_TimerID sdlTimer = SDL_AddTimer(std::max<uint32_t>(intervalMs, 1), OnSdlTimer, reinterpret_cast<void*>(id));
    if (sdlTimer == 0) {
        std::lock_guard<std::mutex> lock(Timers().Lock);
        Timers().Waiting.erase(id);
        return 0;
    }
    s_->timers[id] = sdlTimer;
    return id;
}

void SdlBackend::StopTimer(TimerId t) {
    auto it = s_->timers.find(t);
    if (it == s_->timers.end()) return;
    {
        std::lock_guard<std::mutex> lock(Timers().Lock);
        Timers().Waiting.erase(t);
    }
    SDL_RemoveTimer(it->second);
    s_->timers.erase(it);
}

int32_t SdlBackend::MessageBox(WindowId, const std::string& text, const std::string& caption, uint32_t) {
    try {
        s_->EnsureVideo();
    } catch (const Exception&) {
        // No display: the text still reaches whoever started the process.
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return IDOK;
    }
    return 0;
}

bool SdlBackend::ShellExecute(const ShellRequest& r) {
    s_->ReapChildren();
    std::string target = InFolder(r.Directory, Unquoted(r.File));
    // A Windows program is not there to run: what it was asked to open (a help
    // viewer's help file) goes to the desktop's viewer instead.
    if (EndsWithExe(target) && !PathExists(target)) {
        if (r.Parameters.empty()) return false;
        target = InFolder(r.Directory, Unquoted(r.Parameters));
    }
    if (!IsUrl(target) && !PathExists(target)) return false;
    const std::string program = "xdg-open";
    std::vector<char*> argv{const_cast<char*>(program.c_str()), target.data(), nullptr};
    pid_t pid = 0;
    if (::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return false;
    s_->children.push_back(pid);
    return true;
}

std::string SdlBackend::ClipboardText() {
    try {
        s_->EnsureVideo();
    } catch (const Exception&) {
        return {};
    }
    char* text = SDL_GetClipboardText();
    std::string out = text ? text : "";
    SDL_free(text);
    return out;
}

void SdlBackend::SetClipboardText(const std::string& text) {
    s_->EnsureVideo();
    SDL_SetClipboardText(text.c_str());
}

uint32_t SdlBackend::SdlWindowId(WindowId id) const {
    auto it = s_->windows.find(id);
    return it != s_->windows.end() && it->second.Sdl ? SDL_GetWindowID(it->second.Sdl) : 0;
}

std::unique_ptr<Backend> CreatePlatformBackend() { return std::make_unique<SdlBackend>(); }

}  // namespace forms
