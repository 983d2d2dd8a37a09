#include "platform/FileSystemInternal.h"

namespace platform {

namespace internal {
WriteObserver writeObserver = nullptr;
}

void SetWriteObserver(WriteObserver observer) {
    internal::writeObserver = observer;
}

}  // namespace platform
