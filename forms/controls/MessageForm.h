#pragma once
#include <cstdint>
#include <string>

#include "forms/graphics/Geometry.h"

namespace forms {

// The message box as a form of the library, for backends without one of their own:
// text, an OK button (and Cancel for MB_OKCANCEL) that Enter, Escape and Space press,
// the icon the flags ask for. Centred over `over` (an outer rectangle on the screen),
// or on the screen when it is empty; modal until pressed or closed. Needs the
// application object.
int32_t ShowMessageForm(const TRect& over, const std::string& text, const std::string& caption, uint32_t flags);

}  // namespace forms
