#pragma once
// SA_CHECK(condition, what): an invariant, stated where it holds. Where checks are on
// (SA_CHECKS: the debug, ci and sanitizer builds) a broken one names itself, its
// place and `what` on the standard error and aborts. The release builds neither
// evaluate the condition nor check it: there, misuse is absorbed as before.
#ifdef SA_CHECKS
namespace base {
[[noreturn]] void CheckFailed(const char* condition, const char* what, const char* file, int line);
}  // namespace base
#define SA_CHECK(condition, what) \
    ((condition) ? static_cast<void>(0) : ::base::CheckFailed(#condition, what, __FILE__, __LINE__))
#else
// Unevaluated, but the names it reads still count as used.
#define SA_CHECK(condition, what) static_cast<void>(sizeof((condition) ? 1 : 0))
#endif
