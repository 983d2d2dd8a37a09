#pragma once
#include "platform/FileSystem.h"

// Shared by the per-system implementations of FileSystem.h; not for other users.
namespace platform::internal {

extern WriteObserver writeObserver;

inline void AfterWrite() {
    if (writeObserver) writeObserver();
}

}  // namespace platform::internal
