#include "FileSystemInternal.h"

namespace platform {

namespace internal {
WriteObserver g_writeObserver = nullptr;
}

void SetWriteObserver(WriteObserver observer) { internal::g_writeObserver = observer; }

bool IsMadeUpName(std::string_view name) {
    const auto hash = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'); };
    if (name.size() < 8 || name.size() > 12 || name[6] != '~' || !hash(name[7])) return false;
    if (static_cast<unsigned char>(name[0]) < 0x21 || static_cast<unsigned char>(name[0]) > 0x7E) return false;
    for (std::size_t i = 1; i < 6; ++i)
        if (!hash(name[i])) return false;
    if (name.size() == 8) return true;
    if (name[8] != '.' || name.size() == 9) return false;
    for (std::size_t i = 9; i < name.size(); ++i)
        if (static_cast<unsigned char>(name[i]) < 0x21 || static_cast<unsigned char>(name[i]) > 0x7E) return false;
    return true;
}

}  // namespace platform
