#pragma once
#include <string>

namespace platform {

// The running program's own file, as a full path in UTF-8; empty when unknown.
std::string ExecutablePath();

}  // namespace platform
