#include "Path.h"

// Linux's paths: '/' alone separates, and every absolute path begins at "/" (a path
// that begins with "//" too, the second slash an empty part).
namespace platform::path::posix {

bool IsSeparator(char c) { return c == '/'; }

Root RootOf(std::string_view path) {
    if (!path.empty() && path.front() == '/') return {Root::Kind::Lone, 1};
    return {};
}

}  // namespace platform::path::posix
