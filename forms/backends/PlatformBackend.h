#pragma once
#include <memory>

#include "forms/core/Backend.h"

namespace forms {

// The real window system of this build: SDL2 on Linux, Win32 on Windows.
// Implemented by the backend library the executable links.
std::unique_ptr<Backend> CreatePlatformBackend();

}  // namespace forms
