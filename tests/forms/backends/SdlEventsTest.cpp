// SDL's events as the backend's reports, without a display: events made by hand,
// handed to the translation with a state of the test's own.
#include <SDL.h>
#include <gtest/gtest.h>

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
SDL_Event WindowEvent(Uint32 window, Uint8 event, Sint32 x = 0, Sint32 y = 0) {
    SDL_Event e{};
    e.window = {SDL_WINDOWEVENT, 0, window, event, 0, 0, 0, x, y};
    return e;
}

// SDL window 7 is our window 1 (a frame of 3 and 22, the keyboard focus); 8 is our
// window 2, disabled and without a system menu; 9 is none of ours. The common cases
// run on a display (SdlDisplayTest).
TEST(SdlEvents, EachEventBecomesItsReportOrNone) {
    struct Case {
        const char* label;
        std::vector<SDL_Event> events;
        std::vector<std::string> expected;
    } cases[] = {
        {"touch: no mouse", {Button(SDL_MOUSEBUTTONDOWN, 7, SDL_BUTTON_LEFT, SDL_TOUCH_MOUSEID)}, {}},
        {"a window not ours", {Button(SDL_MOUSEBUTTONDOWN, 9, SDL_BUTTON_LEFT)}, {}},
        {"a disabled window: reported, the application drops it",
         {Button(SDL_MOUSEBUTTONDOWN, 8, SDL_BUTTON_LEFT)},
         {"MouseDown w2 b0 s8 3,4"}},
        {"the middle button, held while pressed",
         {Button(SDL_MOUSEBUTTONDOWN, 7, SDL_BUTTON_MIDDLE), Button(SDL_MOUSEBUTTONUP, 7, SDL_BUTTON_MIDDLE)},
         {"MouseDown w1 b2 s32 3,4", "MouseUp w1 b2 s0 3,4"}},
        {"no window named: the focus", {Key(SDL_KEYUP, 0, SDLK_a, SDL_SCANCODE_A, KMOD_LSHIFT)}, {"KeyUp w1 41 s1"}},
        {"ctrl+alt+F4 does not",
         {Key(SDL_KEYDOWN, 7, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT | KMOD_LCTRL)},
         {"KeyDown w1 73 s6"}},
        {"alt+F4 without a system menu",
         {Key(SDL_KEYDOWN, 8, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT)},
         {"KeyDown w2 73 s2"}},
        {"moved: the outer corner, once",
         {WindowEvent(7, SDL_WINDOWEVENT_MOVED, 103, 122), WindowEvent(7, SDL_WINDOWEVENT_MOVED, 103, 122)},
         {"Moved w1 100,100"}},
    };
    for (const Case& c : cases) {
        sdl::BackendState s;
        for (const auto& [id, sdlId] : {std::pair<WindowId, Uint32>{1, 7}, {2, 8}}) {
            sdl::Window& w = s.windows[id];
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
