#include "Check.h"

#ifdef SA_CHECKS
#include <cstdio>
#include <cstdlib>

namespace base {

void CheckFailed(const char* condition, const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s (%s)\n", file, line, condition, what);
    std::fflush(stderr);
    std::abort();
}

}  // namespace base
#endif
