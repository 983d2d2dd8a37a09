#include "Executable.h"

#include <unistd.h>

namespace platform {

std::string ExecutablePath() {
    std::string buf(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    buf.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return buf;
}

void RestrictLibrarySearch() {}

}  // namespace platform
