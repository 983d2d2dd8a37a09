#include "SdlEvents.h"

#include <initializer_list>

#include <SDL.h>

#include "SdlKeys.h"
#include "SdlState.h"
#include "SdlTimers.h"
#include "base/Utf8.h"

namespace forms::sdl {

namespace {

struct FlagOf {
    uint32_t Sdl;
    uint8_t Ours;
};

uint8_t Flags(uint32_t sdlBits, std::initializer_list<FlagOf> table) {
    uint8_t out = 0;
    for (const FlagOf& f : table)
        if (sdlBits & f.Sdl) out |= f.Ours;
    return out;
}

TShiftState KeyShift(Uint16 mod) { return Flags(mod, {{KMOD_SHIFT, ssShift}, {KMOD_CTRL, ssCtrl}, {KMOD_ALT, ssAlt}}); }

TShiftState ModifierShift() { return KeyShift(static_cast<Uint16>(SDL_GetModState())); }

// SDL's buttons that are ours: each one's number and its bit in SDL's button state.
struct ButtonOf {
    Uint8 Sdl;
    uint32_t Mask;
    TMouseButton Ours;
};
constexpr ButtonOf kButtons[] = {{SDL_BUTTON_LEFT, SDL_BUTTON_LMASK, TMouseButton::mbLeft},
                                 {SDL_BUTTON_RIGHT, SDL_BUTTON_RMASK, TMouseButton::mbRight},
                                 {SDL_BUTTON_MIDDLE, SDL_BUTTON_MMASK, TMouseButton::mbMiddle}};

uint8_t ButtonFlags(Uint32 sdlState) {
    uint8_t out = 0;
    for (const ButtonOf& b : kButtons)
        if (sdlState & b.Mask) out |= ButtonShift(b.Ours);
    return out;
}

// Keys and text go where the keyboard focus is; SDL names no window while none of
// ours has it, and then the last one that had it stands in.
WindowId KeyWindow(const BackendState& s, Uint32 sdlId) {
    const WindowId w = s.FromSdl(sdlId);
    return w ? w : s.focus;
}

void OnUserEvent(EventSink* sink, const SDL_UserEvent& e) {
    if (e.code != kTick) return;
    const auto id = reinterpret_cast<TimerId>(e.data1);
    if (SdlTimers().Arrived(id) && sink) sink->Timer(id);
}

// As a disabled owner does on Windows: the window that disabled it, the enabled one
// shown last, comes forward instead.
void HandFocusOn(BackendState& s, WindowId from) {
    for (auto it = s.shownOrder.rbegin(); it != s.shownOrder.rend(); ++it) {
        const Window* w = s.Find(*it);
        if (*it != from && w && w->Enabled) {
            s.Activate(*it);
            return;
        }
    }
}

void OnWindowEvent(BackendState& s, EventSink* sink, const SDL_WindowEvent& e) {
    const WindowId w = s.FromSdl(e.windowID);
    Window* win = s.Find(w);
    if (!win) return;
    switch (e.event) {
        case SDL_WINDOWEVENT_SHOWN:
            s.MeasureFrame(*win, false);
            return;
        case SDL_WINDOWEVENT_EXPOSED:
            s.MeasureFrame(*win, false);
            if (sink) sink->Paint(w, {0, 0, win->Params.ClientWidth, win->Params.ClientHeight});
            return;
        case SDL_WINDOWEVENT_MOVED: {
            s.MeasureFrame(*win, false);
            const int32_t left = s.Down(e.data1 - win->Border.Left);
            const int32_t top = s.Down(e.data2 - win->Border.Top);
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
            if (sink) sink->CloseRequest(w);
            return;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            if (!win->Enabled) {
                HandFocusOn(s, w);
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

void OnMouseMotion(const BackendState& s, EventSink* sink, const SDL_MouseMotionEvent& e) {
    const WindowId w = s.FromSdl(e.windowID);
    if (!sink || !w || e.which == SDL_TOUCH_MOUSEID) return;
    sink->MouseMove(w, static_cast<TShiftState>(ModifierShift() | ButtonFlags(e.state)), s.Down(e.x), s.Down(e.y));
}

void OnMouseButton(BackendState& s, EventSink* sink, const SDL_MouseButtonEvent& e) {
    const ButtonOf* button = nullptr;
    for (const ButtonOf& b : kButtons)
        if (b.Sdl == e.button) button = &b;
    if (!button || e.which == SDL_TOUCH_MOUSEID) return;
    const TMouseButton b = button->Ours;
    const uint8_t flag = ButtonShift(b);
    const bool down = e.type == SDL_MOUSEBUTTONDOWN;
    if (down) s.mouseButtons |= flag;
    else s.mouseButtons &= static_cast<uint8_t>(~flag);
    const WindowId w = s.FromSdl(e.windowID);
    if (!sink || !w) return;
    const auto shift = static_cast<TShiftState>(ModifierShift() | s.mouseButtons);
    if (down) sink->MouseDown(w, b, shift, s.Down(e.x), s.Down(e.y));
    else sink->MouseUp(w, b, shift, s.Down(e.x), s.Down(e.y));
}

void OnKey(BackendState& s, EventSink* sink, const SDL_KeyboardEvent& e) {
    const WindowId w = KeyWindow(s, e.windowID);
    const uint16_t key = VirtualKey(e.keysym.sym, e.keysym.scancode);
    if (!sink || !w || key == 0) return;
    const TShiftState shift = KeyShift(e.keysym.mod);
    if (e.type == SDL_KEYUP) {
        sink->KeyUp(w, key, shift);
        return;
    }
    sink->KeyDown(w, key, shift);
    if (const char32_t c = ControlCharacter(key, shift); c != 0) sink->Char(w, c);
    // Without a window manager in between, Alt+F4 reaches the window. The key's
    // handler may have taken the window down.
    if (key == VK_F4 && (shift & (ssAlt | ssCtrl)) == ssAlt) {
        if (const Window* win = s.Find(w); win && win->Params.Style.SystemMenu) sink->CloseRequest(w);
    }
}

void OnText(const BackendState& s, EventSink* sink, const SDL_TextInputEvent& e) {
    const WindowId w = KeyWindow(s, e.windowID);
    if (!sink || !w) return;
    for (char32_t c : base::DecodeUtf8(e.text)) sink->Char(w, c);
}

}  // namespace

void Dispatch(BackendState& s, EventSink* sink, const SDL_Event& e) {
    if (e.type == s.userEvent) return OnUserEvent(sink, e.user);
    switch (e.type) {
        case SDL_QUIT:
            s.quit = true;
            return;
        case SDL_WINDOWEVENT:
            return OnWindowEvent(s, sink, e.window);
        case SDL_MOUSEMOTION:
            return OnMouseMotion(s, sink, e.motion);
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            return OnMouseButton(s, sink, e.button);
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            return s.keyTaken ? void() : OnKey(s, sink, e.key);
        case SDL_TEXTINPUT:
            return s.keyTaken ? void() : OnText(s, sink, e.text);
        default:
            return;
    }
}

}  // namespace forms::sdl
