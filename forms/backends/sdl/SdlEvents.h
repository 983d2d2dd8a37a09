#pragma once
// SDL's events as the library's reports: one call on the sink for each event that
// means something to a window of ours, in the order SDL gives them.
#include "forms/core/Backend.h"

union SDL_Event;

namespace forms::sdl {

struct BackendState;

// Also keeps the backend's own record of its windows (frames, positions, focus,
// buttons held) up to date; a null sink gets no reports.
void Dispatch(BackendState& s, EventSink* sink, const SDL_Event& e);

}  // namespace forms::sdl
