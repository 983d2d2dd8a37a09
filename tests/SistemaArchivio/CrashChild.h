#pragma once

// Exit codes of conversion_crash_child.
inline constexpr int kChildDone = 0;
inline constexpr int kChildBadArguments = 2;
inline constexpr int kChildOtherMessage = 3;
inline constexpr int kChildKilled = 77;
