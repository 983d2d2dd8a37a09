#pragma once
#include "FileSystem.h"

// Shared by the per-system implementations of FileSystem.h; not for other users.
namespace platform::internal {

extern WriteObserver g_writeObserver;

inline void AfterWrite() {
    if (g_writeObserver) g_writeObserver();
}

}  // namespace platform::internal
