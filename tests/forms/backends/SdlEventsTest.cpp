// SDL's events as the backend's reports, without a display: events made by hand,
// handed to the translation with a state of the test's own.
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "RecordingSink.h"
#include "forms/backends/sdl/SdlEvents.h"
#include "forms/backends/sdl/SdlState.h"

using namespace forms;

namespace {

SDL_Event Button(Uint32 type, Uint32 window, Uint8 button, Uint32 which = 0) {
    SDL_Event e{};
    e.button = {type, 0, window, which, button, 0, 1, 0, 3, 4};
    return e;
}
SDL_Event Key(Uint32 type, Uint32 window, SDL_Keycode sym, SDL_Scancode code, Uint16 mod = 0) {
    SDL_Event e{};
    e.key.type = type;
    e.key.windowID = window;
    e.key.keysym = {code, sym, mod, 0};
    return e;
}
SDL_Event Text(Uint32 window, const char* utf8) {
    SDL_Event e{};
    e.text.type = SDL_TEXTINPUT;
    e.text.windowID = window;
    std::strncpy(e.text.text, utf8, sizeof e.text.text - 1);
    return e;
}
SDL_Event WindowEvent(Uint32 window, Uint8 event, Sint32 x = 0, Sint32 y = 0) {
    SDL_Event e{};
    e.window = {SDL_WINDOWEVENT, 0, window, event, 0, 0, 0, x, y};
    return e;
}

// SDL window 7 is our window 1 (a frame of 3 and 22, the keyboard focus); 8 is our
// window 2, disabled and without a system menu; 9 is none of ours.
TEST(SdlEvents, EachEventBecomesItsReport) {
    struct Case {
        const char* label;
        std::vector<SDL_Event> events;
        std::vector<std::string> expected;
    } cases[] = {
        {"click: the button held while down",
         {Button(SDL_MOUSEBUTTONDOWN, 7, SDL_BUTTON_LEFT), Button(SDL_MOUSEBUTTONUP, 7, SDL_BUTTON_LEFT)},
         {"MouseDown w1 b0 s8 3,4", "MouseUp w1 b0 s0 3,4"}},
        {"right button", {Button(SDL_MOUSEBUTTONDOWN, 7, SDL_BUTTON_RIGHT)}, {"MouseDown w1 b1 s16 3,4"}},
        {"touch: no mouse", {Button(SDL_MOUSEBUTTONDOWN, 7, SDL_BUTTON_LEFT, SDL_TOUCH_MOUSEID)}, {}},
        {"a window not ours", {Button(SDL_MOUSEBUTTONDOWN, 9, SDL_BUTTON_LEFT)}, {}},
        {"a disabled window: reported, the application drops it",
         {Button(SDL_MOUSEBUTTONDOWN, 8, SDL_BUTTON_LEFT)}, {"MouseDown w2 b0 s8 3,4"}},
        {"enter: its control character", {Key(SDL_KEYDOWN, 7, SDLK_RETURN, SDL_SCANCODE_RETURN)},
         {"KeyDown w1 d s0", "Char w1 d"}},
        {"no window named: the focus", {Key(SDL_KEYUP, 0, SDLK_a, SDL_SCANCODE_A, KMOD_LSHIFT)}, {"KeyUp w1 41 s1"}},
        {"alt+F4 closes", {Key(SDL_KEYDOWN, 7, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT)}, {"KeyDown w1 73 s2", "Close w1"}},
        {"ctrl+alt+F4 does not", {Key(SDL_KEYDOWN, 7, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT | KMOD_LCTRL)},
         {"KeyDown w1 73 s6"}},
        {"alt+F4 without a system menu", {Key(SDL_KEYDOWN, 8, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT)},
         {"KeyDown w2 73 s2"}},
        {"text: one character a code point", {Text(7, "a\xC3\xA9\xD0\x96")}, {"Char w1 61", "Char w1 e9", "Char w1 416"}},
        {"moved: the outer corner, once",
         {WindowEvent(7, SDL_WINDOWEVENT_MOVED, 103, 122), WindowEvent(7, SDL_WINDOWEVENT_MOVED, 103, 122)},
         {"Moved w1 100,100"}},
        {"exposed: the whole client area", {WindowEvent(7, SDL_WINDOWEVENT_EXPOSED)}, {"Paint w1 0,0,120,90"}},
        {"close box", {WindowEvent(8, SDL_WINDOWEVENT_CLOSE)}, {"Close w2"}},
    };
    for (const Case& c : cases) {
        sdl::BackendState s;
        for (const auto& [id, sdlId] : {std::pair<WindowId, Uint32>{1, 7}, {2, 8}}) {
            sdl::Window& w = s.windows[id];
            w.Params.ClientWidth = 120;
            w.Params.ClientHeight = 90;
            w.Border = {3, 22, 3, 3};
            w.Shown = true;
            s.bySdl[sdlId] = id;
        }
        s.windows[2].Enabled = false;
        s.windows[2].Params.Style.SystemMenu = false;
        s.focus = 1;
        backend_tests::RecordingSink rec;
        for (const SDL_Event& e : c.events) sdl::Dispatch(s, &rec, e);
        EXPECT_EQ(rec.Log, c.expected) << c.label;
    }
}

}  // namespace
