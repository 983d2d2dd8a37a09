#pragma once
// The keyboard as Windows names it. Needs no display.
#include <cstdint>

#include "forms/core/Input.h"

namespace forms::sdl {

// Windows' virtual-key code for an SDL key (keycode first, the key's position when
// the layout gives a keycode Windows has no code for); 0 for keys without one.
uint16_t VirtualKey(int32_t keycode, int32_t scancode);

}  // namespace forms::sdl
