#include "SdlBackend.h"

#define SDL_MAIN_HANDLED
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <SDL.h>

#include "forms/backends/PlatformBackend.h"
#include "forms/core/Exceptions.h"
#include "SdlAccessible.h"
#include "SdlEvents.h"
#include "SdlIcon.h"
#include "SdlState.h"
#include "SdlSurface.h"
#include "SdlTimers.h"
#include "SdlX11.h"

namespace forms {

namespace sdl {

Window* BackendState::Find(WindowId w) {
    auto it = windows.find(w);
    return it == windows.end() ? nullptr : &it->second;
}

WindowId BackendState::FromSdl(uint32_t sdlId) const {
    auto it = bySdl.find(sdlId);
    return it == bySdl.end() ? 0 : it->second;
}

Frame BackendState::FrameFor(const WindowStyle& s) const {
    const Decoration d = DecorationOf(s);
    const auto i = static_cast<std::size_t>(d);
    if (measuredKnown[i]) return measured[i];
    const Frame f = ClassicFrame(s);
    return {Up(f.Left), Up(f.Top), Up(f.Right), Up(f.Bottom)};
}

void BackendState::EnsureEvents() {
    if (eventsReady) return;
    if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) throw Exception(std::string("SDL events: ") + SDL_GetError());
    eventsReady = true;
    if (userEvent == 0) {
        userEvent = SDL_RegisterEvents(1);
        PostTicksAs(userEvent);
    }
}

void BackendState::EnsureVideo() {
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
    if (x11) GuardXErrors();
    // An X server that starts afresh when its last client leaves (Xvfb without
    // -noreset, as xvfb-run starts it) closes the connections that reach it in that
    // moment, so a start right after an earlier run can find the display gone for an
    // instant. Only a display that stays away through every attempt is reported.
    constexpr int kAttempts = 5;
    constexpr Uint32 kPauseMs = 100;
    for (int attempt = 1; SDL_InitSubSystem(SDL_INIT_VIDEO) != 0; ++attempt) {
        if (!x11 || attempt == kAttempts) throw Exception(std::string("Cannot open the display: ") + SDL_GetError());
        SDL_Delay(kPauseMs);
    }
    videoReady = true;
    if (x11 && std::strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0) scale = DesktopScale();
    SDL_StartTextInput();
}

void BackendState::LoadIcon(std::string_view ico) {
    if (iconLoaded || ico.empty()) return;
    iconLoaded = true;
    // The 32-pixel image serves SDL's own icon too.
    const IconImage image = DecodeIcon(ico, 32);
    for (const int32_t size : {16, 24}) {
        IconImage small = DecodeIcon(ico, size);
        if (!small.Pixels.empty() && small.Width == size) icons.push_back(std::move(small));
    }
    if (!image.Pixels.empty() && image.Width == 32) icons.push_back(image);
    if (image.Pixels.empty()) return;
    icon = SDL_CreateRGBSurfaceWithFormat(0, image.Width, image.Height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!icon) return;
    for (int32_t y = 0; y < image.Height; ++y)
        std::memcpy(static_cast<uint8_t*>(icon->pixels) + static_cast<size_t>(y) * static_cast<size_t>(icon->pitch),
                    image.Pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(image.Width),
                    static_cast<size_t>(image.Width) * 4);
}

void BackendState::Realise(WindowId id, Window& w) {
    if (w.Sdl) return;
    EnsureVideo();
    const WindowStyle& st = w.Params.Style;
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (st.Border == TBorderStyle::bsNone) flags |= SDL_WINDOW_BORDERLESS;
    if (DecorationOf(st) == Decoration::Tool) flags |= SDL_WINDOW_UTILITY | SDL_WINDOW_SKIP_TASKBAR;
    if (st.StayOnTop) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    SDL_SetHint(SDL_HINT_X11_WINDOW_TYPE,
                st.Border == TBorderStyle::bsDialog ? "_NET_WM_WINDOW_TYPE_DIALOG" : "_NET_WM_WINDOW_TYPE_NORMAL");
    w.Border = FrameFor(st);
    // A new window's position is where the window manager puts the frame's corner
    // (the client lands inside it); without a window manager there is no frame and
    // the client takes the corner itself.
    w.Sdl = SDL_CreateWindow(w.Params.Caption.c_str(), Up(w.Params.Left), Up(w.Params.Top),
                             Up(std::max(w.Params.ClientWidth, 1)), Up(std::max(w.Params.ClientHeight, 1)), flags);
    if (!w.Sdl) throw Exception(std::string("Cannot create a window: ") + SDL_GetError());
    bySdl[SDL_GetWindowID(w.Sdl)] = id;
    if (w.Params.HasIcon) {
        LoadIcon(w.Params.Icon);
        if (icon) SDL_SetWindowIcon(w.Sdl, icon);
        SetIcons(w.Sdl, icons);
    }
    if (Window* owner = Find(w.Params.Owner))
        if (owner->Sdl) SDL_SetWindowModalFor(w.Sdl, owner->Sdl);
}

void BackendState::MeasureFrame(Window& w, bool atShowing) {
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(w.Sdl, &top, &left, &bottom, &right) != 0) return;
    if (!atShowing && top == 0 && left == 0 && bottom == 0 && right == 0) return;
    const Frame f{left, top, right, bottom};
    w.Border = f;
    const Decoration d = DecorationOf(w.Params.Style);
    measured[static_cast<std::size_t>(d)] = f;
    measuredKnown[static_cast<std::size_t>(d)] = true;
}

void BackendState::Activate(WindowId id) {
    Window* w = Find(id);
    if (!w || !w->Sdl || !w->Shown || w->Minimized) return;
    SDL_Window* focused = SDL_GetKeyboardFocus();
    if (focused == w->Sdl) return;
    SDL_RaiseWindow(w->Sdl);
    // Moving the keyboard focus between our own windows is ours to do; taking it from
    // another program is the window manager's (the raise above asks it to).
    if (focused || focusHandedBack) SDL_SetWindowInputFocus(w->Sdl);
    focusHandedBack = false;
}

void BackendState::Forget(WindowId id) {
    shownOrder.erase(std::remove(shownOrder.begin(), shownOrder.end(), id), shownOrder.end());
    if (focus == id) focus = 0;
}

}  // namespace sdl

using sdl::Frame;
using sdl::Window;

SdlBackend::SdlBackend()
    : s_(std::make_unique<sdl::BackendState>()),
      access_(std::make_unique<sdl::SdlAccessible>(
          [this](WindowId id) {
              int x = 0, y = 0;
              if (const Window* w = s_->Find(id); w && w->Sdl) SDL_GetWindowPosition(w->Sdl, &x, &y);
              return TPoint{x, y};
          },
          [this] { return s_->scale; })) {
    // A display that closes its connection while we write to it (as an X server
    // starting afresh does) fails that write; the display code then tries again, where
    // SIGPIPE would have ended the process. The backend owns that connection, so the
    // rule holds for every program that shows windows through it.
    std::signal(SIGPIPE, SIG_IGN);
}

SdlBackend::~SdlBackend() {
    access_.reset();
    for (const TimerId t : s_->timers) sdl::SdlTimers().Stop(t);
    for (auto& [id, w] : s_->windows)
        if (w.Sdl) SDL_DestroyWindow(w.Sdl);
    if (s_->icon) SDL_FreeSurface(s_->icon);
    s_->shell.Reap();
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
    access_->Forget(id);
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
    const int32_t width = s_->Up(std::max(clientWidth, 1)), height = s_->Up(std::max(clientHeight, 1));
    const int32_t x = s_->Up(left) + w->Border.Left, y = s_->Up(top) + w->Border.Top;
    int cw = 0, ch = 0, cx = 0, cy = 0;
    SDL_GetWindowSize(w->Sdl, &cw, &ch);
    if (cw != width || ch != height) SDL_SetWindowSize(w->Sdl, width, height);
    SDL_GetWindowPosition(w->Sdl, &cx, &cy);
    if (cx != x || cy != y) SDL_SetWindowPosition(w->Sdl, x, y);
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

void SdlBackend::Activate(WindowId id) { s_->Activate(id); }

TSize SdlBackend::OuterSize(const WindowStyle& style, int32_t clientWidth, int32_t clientHeight) {
    const Frame f = s_->FrameFor(style);
    const int32_t n = s_->scale;
    return {clientWidth + (f.Left + f.Right + n - 1) / n, clientHeight + (f.Top + f.Bottom + n - 1) / n};
}

TRect SdlBackend::ScreenRect() {
    s_->EnsureVideo();
    SDL_Rect r{};
    if (SDL_GetDisplayBounds(0, &r) != 0) return {0, 0, 1024, 768};
    return {s_->Down(r.x), s_->Down(r.y), s_->Down(r.x + r.w), s_->Down(r.y + r.h)};
}

void SdlBackend::Present(WindowId id, const TBitmap& image, const TRect& dirty) {
    Window* w = s_->Find(id);
    if (!w || !w->Sdl || !w->Shown) return;  // the expose after the showing paints it
    SDL_Surface* surface = SDL_GetWindowSurface(w->Sdl);
    if (!surface) return;
    const int32_t n = s_->scale;
    const TRect r =
        dirty.Intersect({0, 0, std::min(image.Width(), surface->w / n), std::min(image.Height(), surface->h / n)});
    if (r.IsEmpty()) return;
    sdl::CopyToSurface(image, r, surface, n);
    const SDL_Rect rect{r.Left * n, r.Top * n, r.Width() * n, r.Height() * n};
    SDL_UpdateWindowSurfaceRects(w->Sdl, &rect, 1);
}

void SdlBackend::PostQuit() {
    s_->quit = true;
    if (!s_->eventsReady) return;
    SDL_Event e{};
    e.type = s_->userEvent;
    e.user.code = sdl::kWake;
    SDL_PushEvent(&e);
}

bool SdlBackend::ProcessEvents(bool wait) {
    sdl::BackendState& s = *s_;
    if (s.quit) return false;
    s.EnsureEvents();
    s.shell.Reap();

    access_->Pump(Sink());
    if (s.quit) return false;

    SDL_Event first;
    const int32_t limit = access_->WaitLimitMs();
    const bool waited = wait && SDL_WaitEventTimeout(&first, limit) == 1;
    if (wait && !waited && limit < 0) SDL_Delay(1);
    // What is queued when the wait ends, and no more: a tick that comes due while a
    // handler runs waits for the next call, so the caller's loop gets to look at its
    // state between batches.
    SDL_PumpEvents();
    int pending = SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
    // The window system's own events come only while assistive technology listens,
    // each just before what SDL makes of it.
    const auto dispatch = [&](const SDL_Event& e) {
        if (e.type == SDL_SYSWMEVENT) s.keyTaken = access_->KeyTaken(*e.syswm.msg);
        else sdl::Dispatch(s, Sink(), e);
    };
    if (waited) dispatch(first);
    SDL_Event e;
    while (pending-- > 0 && !s.quit && SDL_PollEvent(&e)) dispatch(e);
    return !s.quit;
}

TimerId SdlBackend::StartTimer(uint32_t intervalMs) {
    s_->EnsureEvents();
    const TimerId id = sdl::SdlTimers().Start(intervalMs);
    if (id != 0) s_->timers.insert(id);
    return id;
}

void SdlBackend::StopTimer(TimerId t) {
    if (s_->timers.erase(t)) sdl::SdlTimers().Stop(t);
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

bool SdlBackend::ShellExecute(const ShellRequest& r) { return s_->shell.Open(r); }

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

void SdlBackend::AccessibleTreeChanged(WindowId w, const AccessibleTree& tree) { access_->TreeChanged(w, tree); }

void SdlBackend::AccessibleNodeChanged(WindowId w, const AccessibleNode& node, AccessibleChange change) {
    access_->NodeChanged(w, node, change);
}

void SdlBackend::AccessibleFocus(WindowId w, int32_t id) { access_->Focus(w, id); }

uint32_t SdlBackend::SdlWindowId(WindowId id) const {
    auto it = s_->windows.find(id);
    return it != s_->windows.end() && it->second.Sdl ? SDL_GetWindowID(it->second.Sdl) : 0;
}

std::unique_ptr<Backend> CreatePlatformBackend() { return std::make_unique<SdlBackend>(); }

}  // namespace forms